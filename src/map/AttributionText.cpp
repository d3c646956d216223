// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/AttributionText.h"

#include <algorithm>
#include <cctype>

namespace tk {
namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool isNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '#';
}

// The length of a character reference ("&copy;", "&#169;", "&#xA9;") at the start of text, or 0.
std::size_t referenceLength(std::string_view text) {
    std::size_t i = 1;
    while (i < text.size() && i < 12 && isNameChar(text[i]))
        ++i;
    return i > 1 && i < text.size() && text[i] == ';' ? i + 1 : 0;
}

std::string escapeAttribute(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '"':
            out += "&quot;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// The address of an <a ...> tag's href when it is a web address.
std::string webAddress(std::string_view tag) {
    const std::string lowered = lower(std::string(tag));
    const std::size_t at = lowered.find("href");
    if (at == std::string::npos)
        return {};
    std::size_t i = lowered.find_first_not_of(" \t\r\n", at + 4);
    if (i == std::string::npos || lowered[i] != '=')
        return {};
    i = lowered.find_first_not_of(" \t\r\n", i + 1);
    if (i == std::string::npos)
        return {};
    std::size_t end;
    if (tag[i] == '"' || tag[i] == '\'') {
        end = tag.find(tag[i], i + 1);
        ++i;
    } else {
        end = tag.find_first_of(" \t\r\n>", i);
    }
    if (end == std::string::npos)
        end = tag.size();
    const std::string address(tag.substr(i, end - i));
    const std::string scheme = lower(address.substr(0, 8));
    return scheme.rfind("http://", 0) == 0 || scheme.rfind("https://", 0) == 0 ? address
                                                                               : std::string();
}

} // namespace

std::string safeAttribution(std::string_view markup) {
    std::string out;
    int openLinks = 0;
    std::size_t i = 0;
    while (i < markup.size()) {
        const char c = markup[i];
        if (c == '&') {
            const std::size_t length = referenceLength(markup.substr(i));
            out += length ? std::string(markup.substr(i, length)) : std::string("&amp;");
            i += length ? length : 1;
            continue;
        }
        if (c == '>') {
            out += "&gt;";
            ++i;
            continue;
        }
        if (c != '<') {
            out += c;
            ++i;
            continue;
        }
        const std::size_t close = markup.find('>', i);
        const bool tagLike = close != std::string_view::npos && i + 1 < markup.size() &&
                             (std::isalpha(static_cast<unsigned char>(markup[i + 1])) ||
                              markup[i + 1] == '/' || markup[i + 1] == '!');
        if (!tagLike) {
            out += "&lt;";
            ++i;
            continue;
        }
        const std::string_view tag = markup.substr(i + 1, close - i - 1);
        const std::string name =
            lower(std::string(tag.substr(0, tag.find_first_of(" \t\r\n/", 1))));
        if (name == "a") {
            const std::string address = webAddress(tag);
            if (!address.empty()) {
                out += "<a href=\"" + escapeAttribute(address) + "\">";
                ++openLinks;
            }
        } else if (lower(std::string(tag.substr(0, 2))) == "/a" &&
                   tag.find_first_not_of(" \t\r\n", 2) == std::string_view::npos && openLinks > 0) {
            out += "</a>";
            --openLinks;
        }
        i = close + 1;
    }
    while (openLinks-- > 0)
        out += "</a>";
    return out;
}

} // namespace tk
