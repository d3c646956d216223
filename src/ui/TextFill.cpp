// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/TextFill.h"

namespace tk {

std::string fillNumbers(std::string text, std::initializer_list<long> numbers) {
    auto number = numbers.begin();
    for (std::size_t at = text.find("%d"); at != std::string::npos && number != numbers.end();
         at = text.find("%d", at)) {
        const std::string digits = std::to_string(*number++);
        text.replace(at, 2, digits);
        at += digits.size();
    }
    return text;
}

} // namespace tk
