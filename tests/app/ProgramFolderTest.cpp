// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app/ProgramFolder.h"

namespace {

void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The per-user data folder points into a scratch home for each test, and back afterwards even
// when a test fails half way.
class ProgramFolder : public ::testing::Test {
protected:
    void SetUp() override { qputenv("XDG_DATA_HOME", home.path().toUtf8()); }
    void TearDown() override { qunsetenv("XDG_DATA_HOME"); }

    QTemporaryDir home;
};

TEST_F(ProgramFolder, WritableFolderIsUsedAsItIs) {
    QTemporaryDir folder;
    const QString dir = folder.path() + "/";
    EXPECT_EQ(pageDirectoryFor(dir), dir);
}

TEST_F(ProgramFolder, UserCopyHoldsThePagesAndKeepsTheUsersLanguage) {
    QTemporaryDir program;
    const QString from = program.path() + "/";
    write(from + "Custom.html", "<html>1</html>");
    write(from + "lib/leaflet/leaflet.js", "L");
    write(from + "language.ini", "[App]\nLanguage=0\n");
    write(from + "data.js", "var size;");
    write(from + "trailkeep", "ELF");

    const QString to = userPageDirectory(from);
    ASSERT_FALSE(to.isEmpty());
    EXPECT_NE(to, from);
    EXPECT_EQ(read(to + "Custom.html"), "<html>1</html>");
    EXPECT_EQ(read(to + "lib/leaflet/leaflet.js"), "L");
    EXPECT_FALSE(QFile::exists(to + "data.js"));
    EXPECT_FALSE(QFile::exists(to + "trailkeep"));

    // The user switched language in the copy; a newer program keeps that and brings new pages.
    write(to + "language.ini", "[App]\nLanguage=1\n");
    write(from + "Custom.html", "<html>2</html>");
    QFile(from + "Custom.html")
        .setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
    userPageDirectory(from);
    EXPECT_EQ(read(to + "language.ini"), "[App]\nLanguage=1\n");
    EXPECT_EQ(read(to + "Custom.html"), "<html>2</html>");
}

TEST_F(ProgramFolder, PackageLayoutKeepsThePagesInShareBesideBin) {
    QTemporaryDir root;
    const QString bin = root.path() + "/usr/bin/";
    QDir().mkpath(bin);
    EXPECT_EQ(programDataDirectory(bin), bin); // the build folder: everything beside
    write(root.path() + "/usr/share/trailkeep/language.ini", "[App]\nLanguage=0\n");
    EXPECT_EQ(programDataDirectory(bin), root.path() + "/usr/share/trailkeep/");
    EXPECT_TRUE(isPackageDataFolder(programDataDirectory(bin)));
    EXPECT_FALSE(isPackageDataFolder(bin));
}

TEST_F(ProgramFolder, PackageFolderIsNeverWrittenEvenWhenItCouldBe) {
    QTemporaryDir root;
    const QString shared = root.path() + "/usr/share/trailkeep/";
    write(shared + "Custom.html", "<html></html>");
    write(shared + "language.ini", "[App]\nLanguage=0\n");
    const QString pages = pageDirectoryFor(shared);
    EXPECT_NE(pages, shared);
    EXPECT_TRUE(pages.startsWith(home.path()));
    EXPECT_EQ(read(pages + "Custom.html"), "<html></html>");
    EXPECT_EQ(firmwareDirectoryFor(shared), pages);
    EXPECT_EQ(QDir(shared).entryList(QDir::Files | QDir::Hidden).size(), 2);
    const QString build = root.path() + "/build/bin/";
    QDir().mkpath(build);
    EXPECT_EQ(firmwareDirectoryFor(build), build);
}

TEST_F(ProgramFolder, NewerLanguageFileBringsItsTextsAndKeepsTheUsersSetting) {
    QTemporaryDir program;
    const QString from = program.path() + "/";
    write(from + "language.ini", "[App]\nLanguage=0\n[LangCh]\nOld=1\n");
    const QString to = userPageDirectory(from);
    write(to + "language.ini", "[App]\nLanguage=1\n[LangCh]\nOld=1\n");
    QFile old(to + "language.ini");
    ASSERT_TRUE(old.open(QIODevice::ReadWrite));
    ASSERT_TRUE(old.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                                QFileDevice::FileModificationTime));
    old.close();
    write(from + "language.ini", "[App]\nLanguage=0\n[LangCh]\nOld=1\nNew=2\n");
    userPageDirectory(from);
    EXPECT_EQ(read(to + "language.ini"), "[App]\nLanguage=1\n[LangCh]\nOld=1\nNew=2\n");
}

} // namespace
