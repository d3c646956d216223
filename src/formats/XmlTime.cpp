// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/XmlTime.h"

#include "tracks/CivilTime.h"

namespace tk::formats {
namespace {

class Cursor {
public:
    explicit Cursor(std::string_view text) : text_(text) {}

    // Exactly count digits as a number, or nothing.
    std::optional<int> digits(int count) {
        int value = 0;
        for (int i = 0; i < count; ++i) {
            if (at_ >= text_.size() || text_[at_] < '0' || text_[at_] > '9')
                return std::nullopt;
            value = value * 10 + (text_[at_++] - '0');
        }
        return value;
    }
    bool take(char c) {
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }
    bool atEnd() const { return at_ == text_.size(); }
    char peek() const { return at_ < text_.size() ? text_[at_] : '\0'; }

private:
    std::string_view text_;
    std::size_t at_ = 0;
};

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The fraction after the decimal point, cut to milliseconds.
std::optional<int> fractionMillis(Cursor& c) {
    int millis = 0;
    int places = 0;
    while (c.peek() >= '0' && c.peek() <= '9') {
        const int digit = *c.digits(1);
        if (places++ < 3)
            millis = millis * 10 + digit;
    }
    if (places == 0)
        return std::nullopt;
    for (int i = places; i < 3; ++i)
        millis *= 10;
    return millis;
}

// The zone's offset east of UTC in seconds: Z, ±HH:MM, ±HHMM or nothing (UTC).
std::optional<int> zoneSeconds(Cursor& c) {
    if (c.atEnd() || c.take('Z'))
        return 0;
    const int sign = c.take('+') ? 1 : c.take('-') ? -1 : 0;
    if (sign == 0)
        return std::nullopt;
    const auto hours = c.digits(2);
    c.take(':');
    const auto minutes = c.digits(2);
    if (!hours || !minutes || *hours > 14 || *minutes > 59)
        return std::nullopt;
    return sign * (*hours * 3600 + *minutes * 60);
}

} // namespace

std::optional<UtcInstant> parseXmlTime(std::string_view text) {
    Cursor c(trimmed(text));
    const auto year = c.digits(4);
    const bool dateDashes = c.take('-');
    const auto month = c.digits(2);
    const bool dayDash = c.take('-');
    const auto day = c.digits(2);
    if (!year || !month || !day || !dateDashes || !dayDash || !c.take('T'))
        return std::nullopt;
    const auto hour = c.digits(2);
    const bool colon1 = c.take(':');
    const auto minute = c.digits(2);
    const bool colon2 = c.take(':');
    const auto second = c.digits(2);
    if (!hour || !minute || !second || !colon1 || !colon2)
        return std::nullopt;
    if (*month < 1 || *month > 12 || *day < 1 || *day > 31 || *hour > 24 || *minute > 59 ||
        *second > 60)
        return std::nullopt;
    int millis = 0;
    if (c.take('.')) {
        const auto fraction = fractionMillis(c);
        if (!fraction)
            return std::nullopt;
        millis = *fraction;
    }
    const auto zone = zoneSeconds(c);
    if (!zone || !c.atEnd())
        return std::nullopt;
    const std::int64_t local = utcSeconds(*year, *month, *day, *hour, *minute, *second);
    return UtcInstant{local - *zone, static_cast<std::uint16_t>(millis)};
}

} // namespace tk::formats
