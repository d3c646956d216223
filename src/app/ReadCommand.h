// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class CTrailkeepApp;
class ProgressDialog;
class QWidget;

// Read: downloads the logger's memory through the progress dialog into the track session and
// says how the download ended. Without a logger nothing already loaded is lost.
void readLogger(CTrailkeepApp& app, ProgressDialog& dialog, QWidget* window);
