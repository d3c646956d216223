# SPDX-License-Identifier: GPL-3.0-or-later
# The MBTiles maker the package test uses (cmake/Package.cmake).
tk_sources(TK_MBTILES_MAKER_SOURCES
    make-mbtiles.cpp
)
