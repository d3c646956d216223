# SPDX-License-Identifier: GPL-3.0-or-later
# Unit tests (std only) and widget tests (Qt, the real windows and browser) of src/map.
tk_sources(TK_UNIT_TEST_SOURCES
    AttributionTextTest.cpp
    GpxWriterTest.cpp
    KmlWriterTest.cpp
    MapDataScriptJsTest.cpp
    MapDataScriptTest.cpp
    MbTilesTest.cpp
    StreamedWritersTest.cpp
    StretchFiguresTest.cpp
    TrackOverviewTest.cpp
)
tk_sources(TK_WIDGET_TEST_SOURCES
    AllTracksPageTest.cpp
    CMapViewTest.cpp
    MapPageTest.cpp
    MapPagesTest.cpp
    OfflineMapTest.cpp
    PrintAndStartPagesTest.cpp
    PrintPreviewTest.cpp
    ProfileChartTest.cpp
    TileRequestTest.cpp
)
