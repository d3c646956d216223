# SPDX-License-Identifier: GPL-3.0-or-later
# Unit tests (std only) and widget tests (Qt, the real windows and browser) of src/photos.
tk_sources(TK_UNIT_TEST_SOURCES
    ClockSuggestionTest.cpp
    ExifAppendTest.cpp
    ExivPhotoAccessTest.cpp
    ExivSidecarTest.cpp
    ExivTiffTest.cpp
    FileReplaceTest.cpp
    GeotagJournalTest.cpp
    GeotagMatchTest.cpp
    GeotagRunTest.cpp
    GpsTagsTest.cpp
    JournalLockTest.cpp
    PhotoTimeTest.cpp
    RealPhotosTest.cpp
    VideoTest.cpp
)
tk_sources(TK_WIDGET_TEST_SOURCES
    CGeotagDlgTest.cpp
)
