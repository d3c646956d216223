# SPDX-License-Identifier: GPL-3.0-or-later
# The language file and its lookups (std only); prompts and file questions (Qt).
tk_sources(TK_CORE_SOURCES
    Language.cpp
    ProfileFile.cpp
    TextFill.cpp
)
tk_sources(TK_GUI_SOURCES
    FileQuestions.cpp
    Prompts.cpp
)
