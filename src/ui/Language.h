// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/ProfileFile.h"

#include <string>
#include <string_view>

namespace tk {

// The user-interface language: texts looked up by their English wording in the language file
// (sections "LangEn" and "LangCh") and the setting "App"/"Language" (0 English, 1 Chinese) in the
// same file. The file is read once and kept; only switchTo() writes it, and it reads it again.
// LangText and LangSet below are the lookup and the choice of section under their familiar names.
class Language {
public:
    Language() = default; // no file: every text is its key
    explicit Language(std::string languageFilePath);

    // LangSet: 1 selects "LangCh", 0 selects "LangEn", any other value keeps the section.
    void set(int value);
    // LangText: the text for key in the current section, or the key itself; at most 259 bytes.
    std::string text(std::string_view key) const;

    int setting() const { return setting_; }
    const std::string& section() const { return section_; }
    const std::string& filePath() const { return path_; }

    // The menu's language switch. Does nothing and answers false when value is already the
    // setting. Otherwise stores value as "App"/"Language", reads it back (default 1, so a file
    // that could not be written and holds no setting gives Chinese), selects that section and
    // answers true; setting() then tells which language is in effect.
    bool switchTo(int value);

private:
    std::string path_;
    ProfileFile profile_;
    std::string section_;
    int setting_ = 0;
};

inline std::string LangText(const Language& language, std::string_view key) {
    return language.text(key);
}

inline void LangSet(Language& language, int value) {
    language.set(value);
}

} // namespace tk
