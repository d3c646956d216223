// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <initializer_list>
#include <string>

namespace tk {

// The text with its "%d" places filled with the numbers in order. Texts come from an editable
// language file, so they are never used as a printf format.
std::string fillNumbers(std::string text, std::initializer_list<long> numbers);

} // namespace tk
