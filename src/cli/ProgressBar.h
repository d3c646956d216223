// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tk::cli {

// A one-line progress bar on stderr, drawn only when stderr is a terminal.
class ProgressBar {
public:
    ProgressBar();
    void start(int total, const char* unit);
    void update(int done);
    void finish();

private:
    void draw();

    bool enabled_ = false;
    bool drawn_ = false;
    int total_ = 0;
    int done_ = 0;
    const char* unit_ = "";
};

} // namespace tk::cli
