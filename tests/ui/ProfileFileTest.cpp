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

TEST(ProfileFileTest, WritingAKeyKeepsEveryOtherByte) {
    const std::string head = "\xEF\xBB\xBF; texts\r\n[App]\r\nA=1\r\n";
    const std::string tail = "\r\nB = 2\r\n\r\n[Other]\r\nC=3\r\n";
    ProfileFile file(head + "language = 0" + tail);
    ASSERT_TRUE(file.writeString("app", "LANGUAGE", "1"));
    EXPECT_EQ(file.bytes(), head + "language = 1" + tail);
    EXPECT_EQ(file.readString("App", "Language", ""), "1");

    ProfileFile empty("[App]\nKey=\nNext=x\n");
    ASSERT_TRUE(empty.writeString("App", "Key", "v"));
    EXPECT_EQ(empty.bytes(), "[App]\nKey=v\nNext=x\n");
}

TEST(ProfileFileTest, NewKeyGoesAfterTheLastKeyOfItsSection) {
    ProfileFile file("[App]\r\nA=1\r\n\r\n; other\r\n[Other]\r\nC=3");
    ASSERT_TRUE(file.writeString("App", "New", "v"));
    EXPECT_EQ(file.bytes(), "[App]\r\nA=1\r\nNew=v\r\n\r\n; other\r\n[Other]\r\nC=3");
    ASSERT_TRUE(file.writeString("Other", "D", "4"));
    EXPECT_EQ(file.bytes(), "[App]\r\nA=1\r\nNew=v\r\n\r\n; other\r\n[Other]\r\nC=3\r\nD=4\r\n");
}

TEST(ProfileFileTest, NewSectionGoesAtTheEnd) {
    ProfileFile file("[A]\nx=1");
    ASSERT_TRUE(file.writeString("App", "Language", "1"));
    EXPECT_EQ(file.bytes(), "[A]\nx=1\n[App]\nLanguage=1\n");

    ProfileFile bomOnly("\xEF\xBB\xBF");
    ASSERT_TRUE(bomOnly.writeString("App", "Language", "1"));
    EXPECT_EQ(bomOnly.bytes(), "\xEF\xBB\xBF[App]\nLanguage=1\n");
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
