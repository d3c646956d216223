// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace tk::test {

// Whether text holds every one of parts; the text itself in the message either way, so that
// EXPECT_TRUE and EXPECT_FALSE both show what was there.
inline ::testing::AssertionResult contains(const std::string& text,
                                           std::initializer_list<std::string> parts) {
    for (const std::string& part : parts)
        if (text.find(part) == std::string::npos)
            return ::testing::AssertionFailure() << "no \"" << part << "\" in:\n" << text;
    return ::testing::AssertionSuccess() << "found in:\n" << text;
}

} // namespace tk::test
