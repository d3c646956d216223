// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Runs the built programs for the end-to-end tests: trailkeep-sim on its pseudo-terminal, and
// trailkeep-cli with its output captured and a time limit.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tk::e2e {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;
using Environment = std::map<std::string, std::string>;
namespace fs = std::filesystem;

inline double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

inline Bytes readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void writeBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// A firmware image of random bytes, the same for the same seed.
inline Bytes randomImage(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    Bytes image(size);
    for (std::uint8_t& byte : image)
        byte = static_cast<std::uint8_t>(random());
    return image;
}

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "tk-e2e-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
            path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        if (!path_.empty())
            fs::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    fs::path operator/(const std::string& name) const { return path_ / name; }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

namespace detail {

// Our own environment with some variables replaced or added.
inline std::vector<std::string> environmentWith(const Environment& overrides) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (overrides.count(text.substr(0, text.find('='))) == 0)
            result.push_back(text);
    }
    for (const auto& [name, value] : overrides)
        result.push_back(name + "=" + value);
    return result;
}

inline std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> result;
    for (std::string& s : strings)
        result.push_back(s.data());
    result.push_back(nullptr);
    return result;
}

// Starts program with stdin from /dev/null and the given pipes' write ends as stdout and
// stderr (-1 keeps ours); returns the process id, or -1.
inline pid_t spawn(const std::string& program, std::vector<std::string> args,
                   const Environment& overrides, int outFd, int errFd) {
    args.insert(args.begin(), program);
    std::vector<std::string> env = environmentWith(overrides);
    std::vector<char*> argv = pointers(args);
    std::vector<char*> envp = pointers(env);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (outFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    if (errFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, errFd, 2);
    pid_t pid = -1;
    if (::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Close-on-exec, so a pipe never leaks into another child and holds its end open.
struct Pipe {
    int read = -1;
    int write = -1;
    Pipe() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) == 0) {
            read = fds[0];
            write = fds[1];
        }
    }
    ~Pipe() {
        closeRead();
        closeWrite();
    }
    void closeRead() {
        if (read >= 0)
            ::close(read);
        read = -1;
    }
    void closeWrite() {
        if (write >= 0)
            ::close(write);
        write = -1;
    }
};

// Exit status, or 128 + signal number for a program that was killed.
inline int waitStatus(pid_t pid) {
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace detail

inline std::string programPath(const char* name) {
    return std::string(TK_BIN_DIR) + "/" + name;
}

// trailkeep-sim with the given options, ready once its PORT line has arrived. Its stderr is
// ours, so its complaints show in the test's output.
class SimProcess {
public:
    explicit SimProcess(std::vector<std::string> args) {
        detail::Pipe out;
        pid_ = detail::spawn(programPath("trailkeep-sim"), std::move(args), {}, out.write, -1);
        out.closeWrite();
        if (pid_ > 0) {
            // A real logger answers within its own time whatever the computer is doing; the
            // simulator stands in for it, so on a busy machine it goes before the other work
            // (where the system allows it) instead of missing the program's 2-second time-out.
            ::setpriority(PRIO_PROCESS, static_cast<id_t>(pid_), -10);
            port_ = readPortLine(out.read);
        }
    }
    ~SimProcess() {
        if (pid_ > 0)
            stop();
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // The pseudo-terminal's path; empty when the simulator did not come up.
    const std::string& port() const { return port_; }

    // SIGTERM, then the exit status; a simulator that ignores it is killed after 5 s.
    int stop() { return end(SIGTERM); }
    int kill() { return end(SIGKILL); }

private:
    static std::string readPortLine(int fd) {
        std::string line;
        char c = 0;
        pollfd p{fd, POLLIN, 0};
        while (::poll(&p, 1, 5000) > 0 && ::read(fd, &c, 1) == 1 && c != '\n')
            line += c;
        return line.rfind("PORT ", 0) == 0 ? line.substr(5) : std::string();
    }

    int end(int signal) {
        if (pid_ <= 0)
            return -1;
        ::kill(pid_, signal);
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        int status = 0;
        while (::waitpid(pid_, &status, WNOHANG) == 0) {
            if (Clock::now() > deadline) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    pid_t pid_ = -1;
    std::string port_;
};

// How many times longer a bound on a run's wall time may be in this build: a sanitized build's
// programs run several times slower, most of all on a busy machine.
inline constexpr double kTimeAllowance = TK_TIME_ALLOWANCE;

struct CliResult {
    int status = -1; // exit status; 128 + signal when killed
    std::string out;
    std::string err;
    double seconds = 0;
    bool timedOut = false;
};

// trailkeep-cli running in the background; finish() collects its output and status, and kills
// it when it runs past the limit.
class CliProcess {
public:
    explicit CliProcess(std::vector<std::string> args, const Environment& env = {})
        : start_(Clock::now()) {
        pid_ = detail::spawn(programPath("trailkeep-cli"), std::move(args), env, out_.write,
                             err_.write);
        out_.closeWrite();
        err_.closeWrite();
    }
    ~CliProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            detail::waitStatus(pid_);
        }
    }
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    void signal(int number) {
        if (pid_ > 0)
            ::kill(pid_, number);
    }

    // Bytes the program has read so far (files and the port alike), from /proc; -1 when gone.
    long long bytesRead() const {
        std::ifstream io("/proc/" + std::to_string(pid_) + "/io");
        std::string key;
        long long value = -1;
        while (io >> key >> value)
            if (key == "rchar:")
                return value;
        return -1;
    }

    CliResult finish(std::chrono::seconds limit = std::chrono::seconds(30)) {
        CliResult result;
        if (pid_ <= 0)
            return result;
        const auto deadline = start_ + limit;
        while (out_.read >= 0 || err_.read >= 0) {
            if (Clock::now() > deadline) {
                result.timedOut = true;
                ::kill(pid_, SIGKILL);
                break;
            }
            drain(result);
        }
        result.status = detail::waitStatus(pid_);
        pid_ = -1;
        result.seconds = secondsSince(start_);
        return result;
    }

private:
    void drain(CliResult& result) {
        pollfd fds[2] = {{out_.read, POLLIN, 0}, {err_.read, POLLIN, 0}};
        if (::poll(fds, 2, 100) <= 0)
            return;
        readInto(fds[0], out_, result.out);
        readInto(fds[1], err_, result.err);
    }

    static void readInto(const pollfd& fd, detail::Pipe& pipe, std::string& text) {
        if (fd.fd < 0 || (fd.revents & (POLLIN | POLLHUP | POLLERR)) == 0)
            return;
        char buffer[8192];
        const ssize_t got = ::read(fd.fd, buffer, sizeof buffer);
        if (got > 0)
            text.append(buffer, static_cast<std::size_t>(got));
        else
            pipe.closeRead();
    }

    Clock::time_point start_;
    detail::Pipe out_;
    detail::Pipe err_;
    pid_t pid_ = -1;
};

inline CliResult runCli(std::vector<std::string> args, const Environment& env = {}) {
    return CliProcess(std::move(args), env).finish();
}

} // namespace tk::e2e
