# SPDX-License-Identifier: GPL-3.0-or-later
# Geotagging: photo times, matching, the undo journal, file replacing (std only); photo
# metadata through exiv2 and video times through MediaInfoLib; the geotag and clock dialogs (Qt).
tk_sources(TK_CORE_SOURCES
    CameraClocks.cpp
    ClockSuggestion.cpp
    FileReplace.cpp
    GeotagJournal.cpp
    GeotagMatch.cpp
    GeotagRun.cpp
    GpsTags.cpp
    JournalAppender.cpp
    JournalLock.cpp
    JpegSegments.cpp
    PhotoFiles.cpp
    PhotoTime.cpp
    RunJournals.cpp
)
tk_sources(TK_EXIV_SOURCES
    ExivCamera.cpp
    ExivPhotoAccess.cpp
    ExivTags.cpp
    VideoMetadata.cpp
)
tk_sources(TK_GUI_SOURCES
    CClockSyncDlg.cpp
    CGeotagDlg.cpp
    CameraTable.cpp
    PhotoTableModel.cpp
)
