# SPDX-License-Identifier: GPL-3.0-or-later
# Unit tests (std only) of src/formats, with the recordings of real devices.
tk_sources(TK_UNIT_TEST_SOURCES
    GpxReaderTest.cpp
    RealRecordingsTest.cpp
    TrackFileTest.cpp
)
