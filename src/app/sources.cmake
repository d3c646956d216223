# SPDX-License-Identifier: GPL-3.0-or-later
# The program object, the main window and its commands; main() of the desktop program.
tk_sources(TK_CORE_SOURCES
    VersionReply.cpp
)
tk_sources(TK_GUI_SOURCES
    CAboutDlg.cpp
    CMainFrame.cpp
    CTrailkeepApp.cpp
    GeotagCommand.cpp
    MainMenus.cpp
    MapCommands.cpp
    ProgramFolder.cpp
    ProjectCommands.cpp
    QtTranslations.cpp
    ReadCommand.cpp
    TrackFileCommands.cpp
    UpdateCheck.cpp
)
tk_sources(TK_APP_MAIN_SOURCES
    main.cpp
)
