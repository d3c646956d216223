// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

#include <memory>

class CGeotagDlg;
class CTrailkeepApp;
class QWidget;

namespace tk::photos {
class ExivPhotoAccess;
}

// Geotag Photos...: opens the non-modal geotag dialog over the loaded tracks (made once, kept
// while the window lives) and hands it photos dropped on the window.
class GeotagCommand {
public:
    GeotagCommand(CTrailkeepApp& app, QWidget* window);
    ~GeotagCommand();

    void open(const QStringList& photos = {});
    void relabel();
    CGeotagDlg* dialog() const { return dialog_; }

private:
    CTrailkeepApp& app_;
    QWidget* window_;
    std::unique_ptr<tk::photos::ExivPhotoAccess> access_;
    CGeotagDlg* dialog_ = nullptr;
};
