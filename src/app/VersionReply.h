// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace tk {

// The letter of this program's version; the update server answers with the letter of the newest.
inline constexpr char kOwnVersionLetter = 'j';

// The reply's lines joined with nothing between them: every line end (CR, LF or CR LF) left out.
// Chunks of one reply may be joined one by one and appended: the result is the same.
std::string joinReplyLines(std::string_view body);

// True when the joined reply names a newer version: its first character, taken as a signed 8-bit
// value, comes after kOwnVersionLetter. An empty reply, a digit, '<' of an error page and any
// byte from 0x80 up (negative as a signed character) do not.
bool isNewerVersion(std::string_view reply);

} // namespace tk
