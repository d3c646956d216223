// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Language.h"

#include <utility>

namespace tk {

namespace {

constexpr std::string_view kAppSection = "App";
constexpr std::string_view kLanguageKey = "Language";

} // namespace

Language::Language(std::string languageFilePath)
    : path_(std::move(languageFilePath)),
      profile_(ProfileFile::load(path_).value_or(ProfileFile{})) {
    setting_ = profile_.readInt(kAppSection, kLanguageKey, 0);
    set(setting_);
}

void Language::set(int value) {
    if (value == 1)
        section_ = "LangCh";
    else if (value == 0)
        section_ = "LangEn";
}

std::string Language::text(std::string_view key) const {
    return profile_.readString(section_, key, key);
}

bool Language::switchTo(int value) {
    if (value == setting_)
        return false;
    // A file that exists but cannot be read is left alone rather than replaced by one key.
    if (auto file = ProfileFile::load(path_)) {
        if (file->writeString(kAppSection, kLanguageKey, std::to_string(value)))
            file->save(path_);
    }
    profile_ = ProfileFile::load(path_).value_or(ProfileFile{});
    setting_ = profile_.readInt(kAppSection, kLanguageKey, 1);
    set(setting_);
    return true;
}

} // namespace tk
