// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class TrackPanel;
class CTrailkeepApp;
class ProgressDialog;
class QWidget;

// Read: downloads the logger's memory through the progress dialog, refills the track panel and
// says how the download ended. Without a logger nothing already loaded is lost.
void readLogger(CTrailkeepApp& app, ProgressDialog& dialog, TrackPanel& panel, QWidget* window);
