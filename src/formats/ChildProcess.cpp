// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/ChildProcess.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace tk::formats {
namespace {

constexpr std::size_t kErrorTextLimit = 4096;

// A pipe whose ends close themselves.
class Pipe {
public:
    Pipe() {
        if (pipe2(fds_.data(), O_CLOEXEC) != 0)
            fds_ = {-1, -1};
    }
    ~Pipe() {
        closeRead();
        closeWrite();
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    bool ok() const { return fds_[0] >= 0; }
    int readEnd() const { return fds_[0]; }
    int writeEnd() const { return fds_[1]; }
    void closeRead() { closeOne(fds_[0]); }
    void closeWrite() { closeOne(fds_[1]); }

private:
    static void closeOne(int& fd) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    std::array<int, 2> fds_{-1, -1};
};

class SpawnActions {
public:
    SpawnActions() { posix_spawn_file_actions_init(&actions_); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    posix_spawn_file_actions_t* get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

int exitStatusOf(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void reap(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

// A program may close its output and still run: it gets until the deadline to end.
bool exitedBy(pid_t pid, std::chrono::steady_clock::time_point deadline, int& status) {
    constexpr timespec kPause{0, 10'000'000};
    while (true) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR))
            return done == pid;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        nanosleep(&kPause, nullptr);
    }
}

// Reads both pipes until they close, the deadline passes or output refuses; true when both
// closed by themselves.
bool drain(Pipe& out, Pipe& err, std::chrono::steady_clock::time_point deadline,
           const std::function<bool(std::string_view)>& output, ChildOutcome& outcome) {
    std::array<char, 65536> buffer;
    std::array<pollfd, 2> fds{{{out.readEnd(), POLLIN, 0}, {err.readEnd(), POLLIN, 0}}};
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            outcome.timedOut = true;
            return false;
        }
        const int ready = poll(fds.data(), fds.size(), static_cast<int>(left.count()));
        if (ready < 0 && errno != EINTR)
            return false;
        for (std::size_t i = 0; i < fds.size() && ready > 0; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            const ssize_t n = read(fds[i].fd, buffer.data(), buffer.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                fds[i].fd = -1;
                continue;
            }
            const std::string_view piece(buffer.data(), static_cast<std::size_t>(n));
            if (i == 0 && !output(piece)) {
                outcome.stopped = true;
                return false;
            }
            if (i == 1)
                outcome.errorText.append(piece.substr(
                    0, kErrorTextLimit - std::min(kErrorTextLimit, outcome.errorText.size())));
        }
    }
    return true;
}

} // namespace

ChildOutcome runChild(const std::vector<std::string>& argv, std::chrono::milliseconds limit,
                      const std::function<bool(std::string_view)>& output) {
    ChildOutcome outcome;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    Pipe out;
    Pipe err;
    if (argv.empty() || !out.ok() || !err.ok()) {
        outcome.startError = std::strerror(errno);
        return outcome;
    }
    SpawnActions actions;
    posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(actions.get(), out.writeEnd(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(actions.get(), err.writeEnd(), STDERR_FILENO);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    const int spawnError =
        posix_spawnp(&pid, args[0], actions.get(), nullptr, args.data(), environ);
    if (spawnError != 0) {
        outcome.notFound = spawnError == ENOENT;
        outcome.startError = std::strerror(spawnError);
        return outcome;
    }
    outcome.started = true;
    out.closeWrite();
    err.closeWrite();
    int status = 0;
    if (drain(out, err, deadline, output, outcome) && exitedBy(pid, deadline, status)) {
        outcome.exitStatus = exitStatusOf(status);
        return outcome;
    }
    outcome.timedOut = !outcome.stopped;
    kill(pid, SIGKILL);
    reap(pid);
    return outcome;
}

} // namespace tk::formats
