# SPDX-License-Identifier: GPL-3.0-or-later
# A program with planted faults that shows the sanitizers still report ours (TK_SANITIZE).
tk_sources(TK_PLANTED_FAULT_SOURCES
    planted_faults.cpp
)
