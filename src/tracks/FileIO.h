#pragma once

#include <string>
#include <string_view>

namespace tk {

// Writes the bytes to a temporary file beside path and renames it over path, so a failed
// write never leaves half a file. Returns an empty string on success, else the error text.
std::string writeFileAtomically(const std::string& path, std::string_view bytes);

// The system's text for the last error of a file operation on path.
std::string fileErrorText(const std::string& path);

} // namespace tk
