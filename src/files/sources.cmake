# SPDX-License-Identifier: GPL-3.0-or-later
# Writing a file whole or not at all, and reading files: std only, beneath every other folder.
tk_sources(TK_CORE_SOURCES
    AtomicFile.cpp
    FileIO.cpp
    LatestFileWriter.cpp
)
