# SPDX-License-Identifier: GPL-3.0-or-later
# The track session: the tracks, their styles, the selection and the checked set (Qt Core).
tk_sources(TK_GUI_SOURCES
    TrackSession.cpp
)
