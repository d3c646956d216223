// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QAction;
class QMenu;
class QMenuBar;

// The frame's commands; the menus and the toolbar show the same actions.
struct FrameActions {
    QAction* open = nullptr;
    QAction* save = nullptr;
    QAction* saveGpx = nullptr; // every track of the session into one GPX file
    QMenu* recent = nullptr;    // the files opened last
    QAction* read = nullptr;
    QAction* geotag = nullptr; // Geotag Photos..., also on the toolbar
    QAction* exit = nullptr;
    QAction* openOfflineMap = nullptr;
    QAction* onlineMap = nullptr; // checked while the online map is shown
    QAction* chinese = nullptr;
    QAction* english = nullptr;
    QAction* config = nullptr;     // the menu bar's own command, shown as text
    QAction* configTool = nullptr; // the same command on the toolbar, with an icon
    QAction* about = nullptr;
};

// Fills the menu bar with the English main menu for the setting 0 and with the Chinese one for
// any other setting, and gives the actions that menu's captions.
void fillMainMenu(QMenuBar* bar, int languageSetting, const FrameActions& actions);
