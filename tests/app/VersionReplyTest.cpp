// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/VersionReply.h"

#include <gtest/gtest.h>

#include <string>

namespace tk {
namespace {

TEST(VersionReplyTest, OnlyLettersAfterTheOwnOneNameANewerVersion) {
    EXPECT_TRUE(isNewerVersion("k"));
    EXPECT_TRUE(isNewerVersion("k1.40"));
    EXPECT_TRUE(isNewerVersion("z"));
    EXPECT_TRUE(isNewerVersion("\x7f"));

    EXPECT_FALSE(isNewerVersion("j"));
    EXPECT_FALSE(isNewerVersion("a"));
    EXPECT_FALSE(isNewerVersion(""));
    EXPECT_FALSE(isNewerVersion("1.32"));
    EXPECT_FALSE(isNewerVersion("<html><body>404 Not Found</body></html>"));
    EXPECT_FALSE(isNewerVersion(std::string(1, '\0') + "k"));
}

TEST(VersionReplyTest, BytesFrom0x80UpAreNegativeAndNeverNewer) {
    EXPECT_FALSE(isNewerVersion("\x80"));
    EXPECT_FALSE(isNewerVersion("\xc3\xa9t\xc3\xa9")); // UTF-8 text starting with a high byte
    EXPECT_FALSE(isNewerVersion("\xff"));
}

TEST(VersionReplyTest, LinesAreJoinedWithoutTheirLineEnds) {
    EXPECT_EQ(joinReplyLines("k\r\n"), "k");
    EXPECT_EQ(joinReplyLines("\r\n\nk"), "k");
    EXPECT_EQ(joinReplyLines("a\r\nb\nc\rd"), "abcd");
    EXPECT_EQ(joinReplyLines("\n\r\n"), "");
    EXPECT_EQ(joinReplyLines(" k\t"), " k\t"); // blanks are part of the text
    EXPECT_TRUE(isNewerVersion(joinReplyLines("\r\n\r\nk\r\n")));
    EXPECT_FALSE(isNewerVersion(joinReplyLines("\r\nj\r\nk")));
}

TEST(VersionReplyTest, JoiningChunkByChunkGivesTheWholeReply) {
    const std::string body = "\r\nk1\r\n.40\r\n";
    for (std::size_t cut = 0; cut <= body.size(); ++cut) {
        const std::string pieces = joinReplyLines(std::string_view(body).substr(0, cut)) +
                                   joinReplyLines(std::string_view(body).substr(cut));
        EXPECT_EQ(pieces, joinReplyLines(body)) << "cut at " << cut;
    }
}

} // namespace
} // namespace tk
