// SPDX-License-Identifier: GPL-3.0-or-later
// Writes an offline map for the package tests: every tile of zoom FROM to TO in one colour.
//   tk_make_mbtiles OUT.mbtiles RRGGBB [FROM TO]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/MbTilesMaker.h"

int main(int argc, char** argv) {
    if (argc != 3 && argc != 5) {
        std::fprintf(stderr, "usage: tk_make_mbtiles OUT.mbtiles RRGGBB [FROM TO]\n");
        return 2;
    }
    const auto rgb = static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 16));
    const int from = argc == 5 ? std::atoi(argv[3]) : 0;
    const int to = argc == 5 ? std::atoi(argv[4]) : 2;
    tk::test::MbTilesMaker maker(argv[1]);
    maker.meta("name", "Test colour").meta("format", "png").meta("attribution", "Test colour map");
    maker.solidLevels(from, to, rgb);
    return 0;
}
