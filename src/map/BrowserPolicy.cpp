// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/BrowserPolicy.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QMessageBox>
#include <QWebChannel>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include "map/PageBridge.h"
#include "map/TileSchemeHandler.h"
#include "map/WebProfile.h"

CCustomPage::CCustomPage(QWebEngineProfile* profile, QObject* parent)
    : QWebEnginePage(profile, parent) {}

void CCustomPage::javaScriptAlert(const QUrl&, const QString& text) {
    QString shown = text.left(kAlertTextLimit);
    if (text.size() > kAlertTextLimit)
        shown += QChar(0x2026);
    QWebEngineView* view = QWebEngineView::forPage(this);
    QWidget* owner = view ? view->window() : nullptr;
    QMessageBox box(QMessageBox::Critical, QString::fromUtf8(kAlertCaption), shown, QMessageBox::Ok,
                    owner);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool CCustomPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
    if (isRefusedAddress(url.toString()))
        return false;
    // Links in a page (the map's attribution) open in the desktop's browser, not in the map.
    const bool web =
        url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
    if (type == NavigationTypeLinkClicked && web) {
        QDesktopServices::openUrl(url);
        return false;
    }
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

BrowserPolicy::BrowserPolicy(QWebEngineView* view) : QObject(view), view_(view) {}

CCustomPage* BrowserPolicy::apply(QWebEngineView* view, QWebEngineProfile* profile,
                                  PageBridge& bridge) {
    auto* page = new CCustomPage(profile, view);
    auto* channel = new QWebChannel(page);
    channel->registerObject(QString::fromLatin1(PageBridge::kChannelName), &bridge);
    page->setWebChannel(channel);

    QWebEngineScript script;
    script.setName(QStringLiteral("trailkeep-external"));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    script.setSourceCode(PageBridge::documentCreationScript());
    page->scripts().insert(script);
    setPageTexts(page, bridge.pageTextsScript());
    if (TileSchemeHandler* tiles = TileSchemeHandler::of(profile)) {
        setTileScript(page, tiles->pageScript());
        // The page on show gets the new tiles over the channel; the next one from this script.
        connect(tiles, &TileSchemeHandler::tilesChanged, page,
                [page, tiles] { setTileScript(page, tiles->pageScript()); });
    } else {
        setTileScript(page, TileSettings::load().pageScript());
    }

    view->setPage(page);
    view->setContextMenuPolicy(Qt::NoContextMenu);
    auto* site = new BrowserPolicy(view);
    view->installEventFilter(site);
    connect(page, &QWebEnginePage::loadStarted, site, &BrowserPolicy::watchFocusProxy);
    connect(page, &QWebEnginePage::loadFinished, site, &BrowserPolicy::watchFocusProxy);
    site->watchFocusProxy();
    return page;
}

void BrowserPolicy::setPageTexts(QWebEnginePage* page, const QString& source) {
    setPageScript(page, QStringLiteral("trailkeep-texts"), source);
}

void BrowserPolicy::setPageScript(QWebEnginePage* page, const QString& name,
                                  const QString& source) {
    for (const QWebEngineScript& old : page->scripts().find(name))
        page->scripts().remove(old);
    QWebEngineScript script;
    script.setName(name);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    script.setSourceCode(source);
    page->scripts().insert(script);
}

void BrowserPolicy::setTileScript(QWebEnginePage* page, const QString& source) {
    setPageScript(page, QStringLiteral("trailkeep-tiles"), source);
}

bool BrowserPolicy::isBlockedKey(int key, Qt::KeyboardModifiers modifiers) {
    if (key == Qt::Key_F5)
        return true;
    return (modifiers & Qt::ControlModifier) &&
           (key == Qt::Key_O || key == Qt::Key_P || key == Qt::Key_N);
}

// The browser's widget that receives the keys is made when the first page loads.
void BrowserPolicy::watchFocusProxy() {
    QWidget* proxy = view_->focusProxy();
    if (!proxy || proxy == watchedProxy_)
        return;
    proxy->installEventFilter(this);
    watchedProxy_ = proxy;
}

bool BrowserPolicy::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (isBlockedKey(key->key(), key->modifiers())) {
            event->accept();
            return true;
        }
        break;
    }
    case QEvent::ChildAdded:
        watchFocusProxy();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
