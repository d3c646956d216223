# SPDX-License-Identifier: GPL-3.0-or-later
# libFuzzer targets, one executable each (TK_FUZZ).
tk_sources(TK_FUZZ_SOURCES
    fuzz_exif_append.cpp
    fuzz_gpx.cpp
    fuzz_profile.cpp
    fuzz_project.cpp
)
