// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/AttributionText.h"

#include <gtest/gtest.h>

namespace tk {
namespace {

TEST(AttributionText, KeepsTextAndWebLinksOnly) {
    EXPECT_EQ(safeAttribution("&copy; <a href=\"https://www.openstreetmap.org/copyright\">"
                              "OpenStreetMap</a> contributors"),
              "&copy; <a href=\"https://www.openstreetmap.org/copyright\">OpenStreetMap</a> "
              "contributors");
    EXPECT_EQ(safeAttribution("<b>Bold</b> <img src=x onerror=alert(1)>Map"), "Bold Map");
    EXPECT_EQ(safeAttribution("<a href='javascript:alert(1)'>x</a>"), "x");
    EXPECT_EQ(safeAttribution("<a href=http://e.org/?a=1&b=\"2\" onclick=f()>e</a>"),
              "<a href=\"http://e.org/?a=1&b=&quot;2&quot;\">e</a>");
    EXPECT_EQ(safeAttribution("<A HREF=\"https://x.org\">open"),
              "<a href=\"https://x.org\">open</a>");
    EXPECT_EQ(safeAttribution("a < b > c & d &#169; &#xA9;"),
              "a &lt; b &gt; c &amp; d &#169; &#xA9;");
    EXPECT_EQ(safeAttribution("<script>alert(1)</script>"), "alert(1)");
    EXPECT_EQ(safeAttribution("</a>x"), "x");
    EXPECT_EQ(safeAttribution("unclosed <a href=\"https://x"), "unclosed &lt;a href=\"https://x");
}

} // namespace
} // namespace tk
