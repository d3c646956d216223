// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ProfileFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace tk {
namespace {

TEST(ProfileFileTest, LooksUpNamesIgnoringCaseAndBlanks) {
    ProfileFile file("\xEF\xBB\xBF[App]\n"
                     "; Language=9\n"
                     "  Language =  1  \n"
                     "Empty=\n"
                     "Quoted=\"  a b \"\n"
                     "no equals sign\n"
                     "[ LangEn ]\r\n"
                     "Start Time=Start\r\n"
                     "[app]\n"
                     "Later=2\n");
    EXPECT_EQ(file.readString("APP", "language", "x"), "1");
    EXPECT_EQ(file.readString(" app ", " LANGUAGE ", "x"), "1");
    EXPECT_EQ(file.readString("langen", "START TIME", "x"), "Start");
    EXPECT_EQ(file.readString("App", "Empty", "x"), "");
    EXPECT_EQ(file.readString("App", "Quoted", "x"), "  a b ");
    EXPECT_EQ(file.readString("App", "Missing", "dflt"), "dflt");
    EXPECT_EQ(file.readString("Nope", "Language", "dflt"), "dflt");
    EXPECT_EQ(file.readString("App", "no equals sign", "dflt"), "dflt");
    // Only the first section of a name counts.
    EXPECT_EQ(file.readString("App", "Later", "dflt"), "dflt");
}

TEST(ProfileFileTest, CutsValuesAt259BytesWithoutSplittingCharacters) {
    ProfileFile file("[S]\nLong=" + std::string(300, 'a') + "\nWide=" + std::string(258, 'b') +
                     "\xE4\xB8\xAD" + "tail\n");
    EXPECT_EQ(file.readString("S", "Long", ""), std::string(259, 'a'));
    EXPECT_EQ(file.readString("S", "Wide", ""), std::string(258, 'b'));
    EXPECT_EQ(file.readString("S", "Missing", std::string(300, 'c')), std::string(259, 'c'));
}

TEST(ProfileFileTest, ReadsIntegersLikeTheProfileFunctions) {
    ProfileFile file("[S]\na=12abc\nb=-7\nc=+3\nd=abc\ne=\nf=4294967297\n");
    EXPECT_EQ(file.readInt("S", "a", 5), 12);
    EXPECT_EQ(file.readInt("S", "b", 5), -7);
    EXPECT_EQ(file.readInt("S", "c", 5), 3);
    EXPECT_EQ(file.readInt("S", "d", 5), 0);
    EXPECT_EQ(file.readInt("S", "e", 5), 5);
    EXPECT_EQ(file.readInt("S", "f", 5), 1);
    EXPECT_EQ(file.readInt("S", "missing", 5), 5);
}

// Writing a key changes its value and nothing else of the file; a new key goes after the last
// key of its section (before blank lines and comments), a new section at the end.
TEST(ProfileFileTest, WritingAKeyKeepsEveryOtherByte) {
    struct Case {
        std::string before;
        const char *section, *key, *value;
        std::string after;
    };
    const std::string head = "\xEF\xBB\xBF; texts\r\n[App]\r\nA=1\r\n";
    const std::string tail = "\r\nB = 2\r\n\r\n[Other]\r\nC=3\r\n";
    const std::string twoSections = "[App]\r\nA=1\r\n\r\n; other\r\n[Other]\r\nC=3";
    const std::string withNew = "[App]\r\nA=1\r\nNew=v\r\n\r\n; other\r\n[Other]\r\nC=3";
    const Case cases[] = {
        {head + "language = 0" + tail, "app", "LANGUAGE", "1", head + "language = 1" + tail},
        {"[App]\nKey=\nNext=x\n", "App", "Key", "v", "[App]\nKey=v\nNext=x\n"},
        {twoSections, "App", "New", "v", withNew},
        {withNew, "Other", "D", "4", withNew + "\r\nD=4\r\n"},
        {"[A]\nx=1", "App", "Language", "1", "[A]\nx=1\n[App]\nLanguage=1\n"},
        {"\xEF\xBB\xBF", "App", "Language", "1", "\xEF\xBB\xBF[App]\nLanguage=1\n"},
    };
    for (const Case& c : cases) {
        ProfileFile file(c.before);
        ASSERT_TRUE(file.writeString(c.section, c.key, c.value)) << c.before;
        EXPECT_EQ(file.bytes(), c.after);
        EXPECT_EQ(file.readString(c.section, c.key, "missing"), c.value) << c.before;
    }
}

TEST(ProfileFileTest, RefusesNamesThatCannotBeStoredAsOneLine) {
    ProfileFile file("[App]\nA=1\n");
    EXPECT_FALSE(file.writeString("App", "a=b", "1"));
    EXPECT_FALSE(file.writeString("App", "[x", "1"));
    EXPECT_FALSE(file.writeString("App", ";x", "1"));
    EXPECT_FALSE(file.writeString("App", " ", "1"));
    EXPECT_FALSE(file.writeString("", "A", "1"));
    EXPECT_FALSE(file.writeString("App", "A", "1\n[Evil]"));
    EXPECT_EQ(file.bytes(), "[App]\nA=1\n");
}

TEST(ProfileFileTest, SavesAndLoadsThroughTheFileSystem) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "tk_profile_file_test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string path = (dir / "p.ini").string();

    auto missing = ProfileFile::load(path);
    ASSERT_TRUE(missing.has_value());
    EXPECT_TRUE(missing->bytes().empty());
    EXPECT_FALSE(ProfileFile::load(dir.string()).has_value());

    ProfileFile file("[App]\r\nLanguage=0\r\n");
    ASSERT_TRUE(file.writeString("App", "Language", "1"));
    ASSERT_EQ(file.save(path), "");
    auto loaded = ProfileFile::load(path);
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->bytes(), "[App]\r\nLanguage=1\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

    EXPECT_EQ(file.save((dir / "absent" / "p.ini").string()),
              (dir / "absent" / "p.ini").string() + ": No such file or directory");
    fs::remove_all(dir);
}

} // namespace
} // namespace tk
