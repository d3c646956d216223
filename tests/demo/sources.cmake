# SPDX-License-Identifier: GPL-3.0-or-later
# Unit tests (std only) and widget tests (Qt, the real windows and browser) of src/demo.
tk_sources(TK_UNIT_TEST_SOURCES
    DemoMemoryTest.cpp
)
