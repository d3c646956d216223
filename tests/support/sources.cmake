# SPDX-License-Identifier: GPL-3.0-or-later
# Helpers shared by the unit, widget and end-to-end tests; qt/ only by the widget tests.
tk_sources(TK_TEST_SUPPORT_SOURCES
    ScriptedPort.cpp
)
tk_sources(TK_WIDGET_SUPPORT_SOURCES
    qt/WidgetTestMain.cpp
)
