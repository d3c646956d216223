// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QPoint;
class QWidget;

// The commands of a track row's context menu.
enum class TrackCommand { None, Modify, Print, SaveToKml, SaveToGpx };

// Shows the context menu at the screen position in the language of the setting (Chinese for 1,
// English otherwise) and answers the command picked, None when the menu was dismissed.
TrackCommand chooseTrackCommand(int languageSetting, const QPoint& at, QWidget* parent);
