// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QWebEnginePage>

class QWebEngineView;
class QWebEngineProfile;
class PageBridge;

// A page with the program's host policy: script alerts become the program's error box and
// addresses beginning with "app:" are refused.
class CCustomPage : public QWebEnginePage {
    Q_OBJECT
public:
    static constexpr const char* kAlertCaption = "自定义浏览器";
    static constexpr int kAlertTextLimit = 4096;

    CCustomPage(QWebEngineProfile* profile, QObject* parent = nullptr);

    static bool isRefusedAddress(const QString& address) {
        return address.startsWith(QLatin1String("app:"));
    }

protected:
    void javaScriptAlert(const QUrl& securityOrigin, const QString& text) override;
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
};

// Gives an embedded browser of the program its host behaviour: no context menu, F5 and
// Ctrl+O/P/N never reach the page, window.external is the program's bridge object from the
// page's first script on, and window.TK_TILES names the map the program shows (kept up to date:
// a page already shown gets the new map through window.tkSetTiles when the user picks another).
class BrowserPolicy : public QObject {
    Q_OBJECT
public:
    // Installs a CCustomPage on the profile into the view, with the bridge on its web channel
    // and the tiles of the profile's tile handler.
    static CCustomPage* apply(QWebEngineView* view, QWebEngineProfile* profile, PageBridge& bridge);

    // Replaces the page's control captions script; the next document the page loads gets it.
    static void setPageTexts(QWebEnginePage* page, const QString& script);
    // Replaces the page's document-creation script of that name; the next document gets it.
    static void setPageScript(QWebEnginePage* page, const QString& name, const QString& script);

    // Replaces the page's tile settings script (window.TK_TILES) with the handler's.
    static void setTileScript(QWebEnginePage* page, const QString& script);

    static bool isBlockedKey(int key, Qt::KeyboardModifiers modifiers);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit BrowserPolicy(QWebEngineView* view);
    void watchFocusProxy();

    QWebEngineView* view_;
    QObject* watchedProxy_ = nullptr;
};
