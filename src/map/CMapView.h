// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QWebEngineView>

class PageBridge;
class CCustomPage;
class QWebEngineProfile;

// The map pane: an embedded browser with the program's host policy that starts on the program's
// own world map and shows the map pages beside the program.
class CMapView : public QWebEngineView {
    Q_OBJECT
public:
    CMapView(QWebEngineProfile* profile, PageBridge& bridge, QString pageDir,
             QWidget* parent = nullptr);

    // The start page (a resource) with relative addresses resolved in the page folder.
    void showStartPage();
    // Loads a file path or an address; addresses beginning with "app:" are refused.
    void navigateTo(const QString& path);

    // Loads the page unless the view shows it already or is loading it: a page of the program
    // takes what it shows next from the web channel.
    void showPage(const QString& path);

    CCustomPage* customPage() const { return page_; }
    QSize sizeHint() const override { return {640, 480}; }

private:
    PageBridge& bridge_;
    CCustomPage* page_;
    QString pageDir_;
};
