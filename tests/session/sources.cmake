# SPDX-License-Identifier: GPL-3.0-or-later
# The track session's signals (Qt Core, run with the widget tests).
tk_sources(TK_WIDGET_TEST_SOURCES
    TrackSessionTest.cpp
)
