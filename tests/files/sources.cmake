# SPDX-License-Identifier: GPL-3.0-or-later
# Unit tests of src/files.
tk_sources(TK_UNIT_TEST_SOURCES
    AtomicFileTest.cpp
    FileIOTest.cpp
    LatestFileWriterTest.cpp
)
