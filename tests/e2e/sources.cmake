# SPDX-License-Identifier: GPL-3.0-or-later
# The programs over pseudo-terminals.
tk_sources(TK_E2E_TEST_SOURCES
    CliDeviceTest.cpp
    CliExportTest.cpp
    CliGeotagTest.cpp
    CliReadTest.cpp
    CliStatsTest.cpp
    CliSuggestTest.cpp
    CliTrackFileTest.cpp
    CliUpgradeTest.cpp
    SimTest.cpp
)
