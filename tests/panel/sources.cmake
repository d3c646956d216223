# SPDX-License-Identifier: GPL-3.0-or-later
# Unit tests (std only) and widget tests (Qt, the real windows and browser) of src/panel.
tk_sources(TK_WIDGET_TEST_SOURCES
    ColorPickerTest.cpp
    LinePropertiesDlgTest.cpp
    TrackMenuTest.cpp
    TrackPanelTest.cpp
)
