// SPDX-License-Identifier: GPL-3.0-or-later
#include "tracks/FileNames.h"

namespace tk {

std::string withExtension(std::string path, std::string_view ext) {
    if (!std::string_view(path).ends_with(ext))
        path += ext;
    return path;
}

} // namespace tk
