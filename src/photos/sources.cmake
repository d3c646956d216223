# SPDX-License-Identifier: GPL-3.0-or-later
# Geotagging: photo times, matching, the undo journal, file replacing, the Exif writer that
# appends (std only); photo metadata read through exiv2 and written by appending, video times
# through MediaInfoLib; the geotag and clock dialogs (Qt).
tk_sources(TK_CORE_SOURCES
    CameraClocks.cpp
    ClockSuggestion.cpp
    ExifAppend.cpp
    FileReplace.cpp
    GeotagJournal.cpp
    GeotagMatch.cpp
    GeotagRun.cpp
    GeotagWrite.cpp
    GpsTags.cpp
    JournalAppender.cpp
    JournalLock.cpp
    JpegSegments.cpp
    MultiPicture.cpp
    PhotoFiles.cpp
    PhotoTime.cpp
    RunJournals.cpp
    TiffDirectory.cpp
)
tk_sources(TK_EXIV_SOURCES
    ExifWrite.cpp
    ExivCamera.cpp
    ExivJpeg.cpp
    ExivPhotoAccess.cpp
    ExivPhotoRead.cpp
    ExivSidecar.cpp
    ExivTags.cpp
    ExivWholeImage.cpp
    VideoMetadata.cpp
)
tk_sources(TK_GUI_SOURCES
    CClockSyncDlg.cpp
    CGeotagDlg.cpp
    CGeotagDlgJobs.cpp
    CGeotagDlgLayout.cpp
    CGeotagDlgMap.cpp
    CameraTable.cpp
    PhotoTableModel.cpp
)
