// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/GeotagCommand.h"

#include "app/CTrailkeepApp.h"
#include "map/MapPage.h"
#include "photos/CGeotagDlg.h"
#include "photos/ExivPhotoAccess.h"

GeotagCommand::GeotagCommand(CTrailkeepApp& app, QWidget* window) : app_(app), window_(window) {}

GeotagCommand::~GeotagCommand() {
    delete dialog_; // before the photo access it uses
}

void GeotagCommand::open(const QStringList& photos) {
    if (!dialog_) {
        access_ = std::make_unique<tk::photos::ExivPhotoAccess>();
        dialog_ = new CGeotagDlg({app_.language(), app_.session(), *access_, app_.mapPage(),
                                  app_.webProfile(), app_.bridge(), app_.pageDir()},
                                 window_);
    }
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
    dialog_->addPaths(photos);
}

void GeotagCommand::relabel() {
    if (dialog_)
        dialog_->relabel();
}
