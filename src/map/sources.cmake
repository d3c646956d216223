# SPDX-License-Identifier: GPL-3.0-or-later
# The page data, the writers, coordinate text, the overview, offline maps (std only);
# the map view, the browser policy, the page bridge, the tile scheme and the print preview (Qt).
tk_sources(TK_CORE_SOURCES
    AttributionText.cpp
    CoordinatesText.cpp
    FigureJson.cpp
    FigureTexts.cpp
    GpxWriter.cpp
    KmlWriter.cpp
    MapDataScript.cpp
    MbTiles.cpp
    StretchFigures.cpp
    TextAppend.cpp
    TrackOverview.cpp
)
tk_sources(TK_GUI_SOURCES
    BrowserPolicy.cpp
    BrowserStartup.cpp
    CMapView.cpp
    MapPage.cpp
    PageBridge.cpp
    PrintPreview.cpp
    TileSchemeHandler.cpp
    WebProfile.cpp
)
