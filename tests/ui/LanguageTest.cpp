// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Language.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace tk {
namespace {

namespace fs = std::filesystem;

class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("tk_language_test_" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string write(const std::string& bytes) {
        std::ofstream(path(), std::ios::binary) << bytes;
        return path();
    }
    std::string path() const { return (dir_ / "language.ini").string(); }
    std::string contents() const {
        std::ifstream in(path(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path dir_;
};

const char* const kTexts = "[LangEn]\nNum=Number\n[LangCh]\nNum=\xE5\xBA\x8F\xE5\x8F\xB7\n";

TEST_F(LanguageTest, WithoutAFileEveryTextIsItsKey) {
    Language language(path());
    EXPECT_EQ(language.setting(), 0);
    EXPECT_EQ(language.section(), "LangEn");
    EXPECT_EQ(language.text("Peak Speed"), "Peak Speed");
    EXPECT_EQ(LangText(language, "Num"), "Num");

    EXPECT_TRUE(language.switchTo(1));
    EXPECT_EQ(contents(), "[App]\nLanguage=1\n");
    EXPECT_EQ(language.section(), "LangCh");
}

TEST_F(LanguageTest, ChineseSettingWithoutChineseSectionShowsKeys) {
    Language language(write("[App]\nLanguage=1\n[LangEn]\nNum=Number\n"));
    EXPECT_EQ(language.setting(), 1);
    EXPECT_EQ(language.text("Num"), "Num");
}

TEST_F(LanguageTest, SetChoosesTheSectionAndKeepsItForOtherValues) {
    Language language(write(std::string("[App]\nLanguage=0\n") + kTexts));
    EXPECT_EQ(language.text("num"), "Number");
    LangSet(language, 1);
    EXPECT_EQ(language.text("Num"), "\xE5\xBA\x8F\xE5\x8F\xB7");
    LangSet(language, 7);
    EXPECT_EQ(language.section(), "LangCh");
}

TEST_F(LanguageTest, SwitchWritesTheSettingAndRelabels) {
    const std::string original = std::string("[App]\r\nLanguage=0\r\n") + kTexts;
    Language language(write(original));
    EXPECT_FALSE(language.switchTo(0));
    EXPECT_EQ(contents(), original);

    EXPECT_TRUE(language.switchTo(1));
    EXPECT_EQ(language.setting(), 1);
    EXPECT_EQ(language.text("Num"), "\xE5\xBA\x8F\xE5\x8F\xB7");
    EXPECT_EQ(contents(), std::string("[App]\r\nLanguage=1\r\n") + kTexts);
    EXPECT_EQ(Language(path()).setting(), 1);

    EXPECT_TRUE(language.switchTo(0));
    EXPECT_EQ(language.text("Num"), "Number");
    EXPECT_EQ(contents(), original);
}

TEST_F(LanguageTest, UnknownSettingShowsKeysAndEitherCommandSwitches) {
    write(std::string("[App]\nLanguage=5\n") + kTexts);
    Language language(path());
    EXPECT_EQ(language.section(), "");
    EXPECT_EQ(language.text("Num"), "Num");
    EXPECT_TRUE(Language(path()).switchTo(1));
    EXPECT_TRUE(language.switchTo(0));
    EXPECT_EQ(language.text("Num"), "Number");
}

TEST_F(LanguageTest, FailedWriteLeavesTheReadBackValueInCharge) {
    Language language(write(std::string("[App]\nLanguage=1\n") + kTexts));
    fs::remove_all(dir_); // the folder is gone: the setting cannot be stored
    EXPECT_TRUE(language.switchTo(0));
    EXPECT_EQ(language.setting(), 1);
    EXPECT_EQ(language.section(), "LangCh");
    EXPECT_EQ(language.text("Num"), "Num");
}

bool isValidUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        auto byte = static_cast<std::uint8_t>(text[i]);
        std::size_t length = byte < 0x80                   ? 1
                             : byte >= 0xC2 && byte < 0xE0 ? 2
                             : byte >= 0xE0 && byte < 0xF0 ? 3
                             : byte >= 0xF0 && byte < 0xF5 ? 4
                                                           : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<std::uint8_t>(text[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += length;
    }
    return true;
}

TEST(ShippedLanguageFileTest, HoldsEveryKeyInBothLanguages) {
    const std::vector<std::string> keys = {
        "Num",
        "Name",
        "Color",
        "Weight",
        "Play",
        "Property",
        "Start Time",
        "End Time",
        "Step Time",
        "Peak Speed",
        "Distance",
        "Peak Altitude",
        "RaceProperty",
        "Ok",
        "Thin",
        "Normal",
        "Wide",
        "Configuration",
        "Unit",
        "Metric(KPH)",
        "Imperial(MPH)",
        "Step",
        "LogTime",
        "ClearFlash",
        "Save",
        "Updata",
        "Time zone",
        "Change time zone",
        "Press and hold MODE to start and enter upgrading mode",
        "Sec",
        "Min",
        "Hour",
        "Config Successful",
        "Config Unit Failed",
        "Config Step Failed",
        "Clear Data...",
        "ClearFailed",
        "Get Uart Failed",
        "Config time zone failed",
        "Firmware upgrading failed, please try again",
        "Upgrading finished",
        "GetData",
        "Receive Completed",
        "Latitude",
        "Longitude",
        "Would you like to update to the new version at this time ?",
        "Download incomplete: %d of %d records received",
        "Firmware image not found",
        "No logger found"};
    const std::string path = TK_SOURCE_DIR "/res/language.ini";
    auto file = ProfileFile::load(path);
    ASSERT_TRUE(file.has_value() && !file->bytes().empty());
    EXPECT_TRUE(isValidUtf8(file->bytes()));
    EXPECT_EQ(file->readInt("App", "Language", -1), 0);
    const std::string absent = "\x01"
                               "absent";
    for (const std::string& key : keys) {
        std::string english = file->readString("LangEn", key, absent);
        std::string chinese = file->readString("LangCh", key, absent);
        EXPECT_EQ(english, key == "Updata" ? "Upgrade" : key) << key;
        EXPECT_NE(chinese, absent) << key;
        EXPECT_FALSE(chinese.empty() || chinese == key) << key;
    }
    Language language(path);
    EXPECT_EQ(language.text("Updata"), "Upgrade");
}

} // namespace
} // namespace tk
