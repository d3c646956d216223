# SPDX-License-Identifier: GPL-3.0-or-later
# Unit tests (std only) and widget tests (Qt, the real windows and browser) of src/ui.
tk_sources(TK_UNIT_TEST_SOURCES
    LanguageTest.cpp
    ProfileFileTest.cpp
)
tk_sources(TK_WIDGET_TEST_SOURCES
    JobRunnerTest.cpp
    MessagesTest.cpp
)
