# SPDX-License-Identifier: GPL-3.0-or-later
# The demo town, routes, motion and memory image.
tk_sources(TK_DEMO_SOURCES
    DemoMemory.cpp
    DemoMotion.cpp
    DemoRoute.cpp
    DemoTown.cpp
)
