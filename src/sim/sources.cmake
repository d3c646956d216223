# SPDX-License-Identifier: GPL-3.0-or-later
# trailkeep-sim: the logger model, boot loader, pty link and pacing.
tk_sources(TK_SIM_SOURCES
    BootLoader.cpp
    LinePacer.cpp
    LoggerModel.cpp
    PtyLink.cpp
    SimOptions.cpp
    main.cpp
)
