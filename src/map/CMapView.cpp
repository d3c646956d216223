// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/CMapView.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include "map/PageBridge.h"
#include "map/BrowserPolicy.h"

CMapView::CMapView(QWebEngineProfile* profile, PageBridge& bridge, QString pageDir,
                   QWidget* parent)
    : QWebEngineView(parent), bridge_(bridge), pageDir_(std::move(pageDir)) {
    setObjectName(QStringLiteral("mapView"));
    setAccessibleName(QStringLiteral("Map"));
    page_ = BrowserPolicy::apply(this, profile, bridge);
}

void CMapView::showStartPage() {
    QFile file(QStringLiteral(":/start.html"));
    if (!file.open(QIODevice::ReadOnly))
        return;
    setHtml(QString::fromUtf8(file.readAll()),
            QUrl::fromLocalFile(QDir(pageDir_).filePath(QStringLiteral("start.html"))));
}

void CMapView::navigateTo(const QString& path) {
    if (CCustomPage::isRefusedAddress(path))
        return;
    // The language may have changed since the last page.
    BrowserPolicy::setPageTexts(page_, bridge_.pageTextsScript());
    const QUrl url = QFileInfo(path).isAbsolute() ? QUrl::fromLocalFile(path) : QUrl(path);
    load(url);
}

void CMapView::showPage(const QString& path) {
    if (page_->requestedUrl() == QUrl::fromLocalFile(path) || url() == QUrl::fromLocalFile(path))
        return;
    navigateTo(path);
}
