# SPDX-License-Identifier: GPL-3.0-or-later
# Log records, the page buffer, decoding, the project file, file writing, trip figures: std only.
tk_sources(TK_CORE_SOURCES
    CivilTime.cpp
    FileIO.cpp
    FileNames.cpp
    LogRecord.cpp
    PageBuffer.cpp
    ProjectFile.cpp
    TrackDecoder.cpp
    TripFigures.cpp
)
