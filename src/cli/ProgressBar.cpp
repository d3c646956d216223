// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/ProgressBar.h"

#include <cstdio>
#include <string>
#include <unistd.h>

namespace tk::cli {

ProgressBar::ProgressBar() : enabled_(::isatty(STDERR_FILENO) == 1) {}

void ProgressBar::start(int total, const char* unit) {
    total_ = total;
    unit_ = unit;
    done_ = 0;
    draw();
}

void ProgressBar::update(int done) {
    done_ = done;
    draw();
}

void ProgressBar::finish() {
    if (drawn_)
        std::fputc('\n', stderr);
    drawn_ = false;
}

void ProgressBar::draw() {
    if (!enabled_ || total_ <= 0)
        return;
    constexpr int kWidth = 40;
    const int filled = static_cast<int>(static_cast<long long>(kWidth) * done_ / total_);
    std::fprintf(stderr, "\r[%s%s] %d/%d %s", std::string(filled, '#').c_str(),
                 std::string(kWidth - filled, '.').c_str(), done_, total_, unit_);
    std::fflush(stderr);
    drawn_ = true;
}

} // namespace tk::cli
