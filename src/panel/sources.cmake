# SPDX-License-Identifier: GPL-3.0-or-later
# The track panel: list, swatches, line properties, colour picker, context menu, exports.
tk_sources(TK_CORE_SOURCES
    ColourGrid.cpp
)
tk_sources(TK_GUI_SOURCES
    CColorButton.cpp
    CColorGridPopup.cpp
    CFigureSettingsDlg.cpp
    CLinePropertiesDlg.cpp
    FigureRows.cpp
    FigureSettingsStore.cpp
    LineColourQt.cpp
    TrackExport.cpp
    TrackList.cpp
    TrackMenu.cpp
    TrackPanel.cpp
)
