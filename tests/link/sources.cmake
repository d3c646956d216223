# SPDX-License-Identifier: GPL-3.0-or-later
# Unit tests (std only) and widget tests (Qt, the real windows and browser) of src/link.
tk_sources(TK_UNIT_TEST_SOURCES
    DownloadTest.cpp
    RecordReaderTest.cpp
)
tk_sources(TK_WIDGET_TEST_SOURCES
    ProgressDialogTest.cpp
)
