# SPDX-License-Identifier: GPL-3.0-or-later
# Track files of other devices: GPX read here, other formats through GPSBabel: std only.
tk_sources(TK_CORE_SOURCES
    ChildProcess.cpp
    FileTrackFigures.cpp
    GpxReader.cpp
    KmzArchive.cpp
    TrackFile.cpp
    TrackFileType.cpp
    XmlTime.cpp
)
