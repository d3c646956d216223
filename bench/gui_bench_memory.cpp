// SPDX-License-Identifier: GPL-3.0-or-later
// The memory of the program and every process it started (the browser's), from /proc.
#include <QCoreApplication>
#include <QDir>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "gui_bench.h"

namespace guibench {
namespace {

std::map<int, int> parentsOfProcesses() {
    std::map<int, int> parents;
    for (const QString& name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isPid = false;
        const int pid = name.toInt(&isPid);
        if (!isPid)
            continue;
        std::ifstream stat("/proc/" + name.toStdString() + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), {});
        const std::size_t close = text.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream rest(text.substr(close + 2));
        char state = 0;
        int ppid = 0;
        rest >> state >> ppid;
        parents[pid] = ppid;
    }
    return parents;
}

long rollupKb(int pid, const std::string& key) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/smaps_rollup");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key + ":", 0) == 0)
            return std::stol(line.substr(key.size() + 1));
    return 0;
}

} // namespace

void reportMemory() {
    const std::map<int, int> parents = parentsOfProcesses();
    std::vector<int> family{static_cast<int>(QCoreApplication::applicationPid())};
    for (std::size_t i = 0; i < family.size(); ++i)
        for (const auto& [pid, ppid] : parents)
            if (ppid == family[i])
                family.push_back(pid);
    long pss = 0;
    long rss = 0;
    for (int pid : family) {
        pss += rollupKb(pid, "Pss");
        rss += rollupKb(pid, "Rss");
    }
    row(QStringLiteral("Memory, full memory loaded and a track shown (%1 processes)")
            .arg(family.size()),
        QStringLiteral("PSS %1 MB, RSS sum %2 MB (program alone: PSS %3 MB)")
            .arg(pss / 1024)
            .arg(rss / 1024)
            .arg(rollupKb(family.front(), "Pss") / 1024),
        QStringLiteral("<= 250 MB PSS"));
}

} // namespace guibench
