// SPDX-License-Identifier: GPL-3.0-or-later
// The floor of replacing photos safely, for bench/geotag_bench.sh: every .jpg of a folder is read
// whole, written whole to a new file beside it, synced to the disk and renamed over the original,
// on as many threads as geotagging writes with. Nothing is parsed or changed: no geotagger that
// replaces files safely through its own memory can be faster. With --in-kernel the bytes are
// copied by the kernel (copy_file_range) instead, never passing through the program, as
// geotagging copies a photo's image data: the floor of that way. Prints the seconds it took.
//   replace_floor FOLDER [THREADS] [--in-kernel]
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

bool readWhole(const std::string& path, std::vector<char>& bytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0)
        return false;
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n <= 0 && errno != EINTR)
            break;
        if (n > 0)
            got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return got == bytes.size();
}

bool writeWhole(int fd, const std::vector<char>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0 && errno != EINTR)
            return false;
        if (n > 0)
            done += static_cast<std::size_t>(n);
    }
    return true;
}

bool copyInKernel(const std::string& path, int out) {
    const int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (in < 0 || ::fstat(in, &st) != 0)
        return false;
    off_t left = st.st_size;
    while (left > 0) {
        const ssize_t n =
            ::copy_file_range(in, nullptr, out, nullptr, static_cast<std::size_t>(left), 0);
        if (n <= 0 && errno != EINTR)
            break;
        if (n > 0)
            left -= n;
    }
    ::close(in);
    return left == 0;
}

bool replace(const std::string& path, bool inKernel) {
    std::vector<char> bytes;
    if (!inKernel && !readWhole(path, bytes))
        return false;
    const std::string temporary = path + ".floor-tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool copied = inKernel ? copyInKernel(path, fd) : writeWhole(fd, bytes);
    const bool ok = copied && ::fdatasync(fd) == 0;
    return ::close(fd) == 0 && ok && ::rename(temporary.c_str(), path.c_str()) == 0;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const bool inKernel = std::erase(args, "--in-kernel") > 0;
    if (args.empty()) {
        std::fprintf(stderr, "usage: replace_floor FOLDER [THREADS] [--in-kernel]\n");
        return 2;
    }
    const unsigned given = args.size() > 1 ? static_cast<unsigned>(std::stoul(args[1])) : 0;
    const unsigned threads =
        given > 0 ? given : std::max(8u, 2 * std::thread::hardware_concurrency());
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(args[0]))
        if (entry.path().extension() == ".jpg")
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());

    const auto start = std::chrono::steady_clock::now();
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> failed{0};
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads; ++t)
        pool.emplace_back([&] {
            for (std::size_t i; (i = next++) < files.size();)
                if (!replace(files[i], inKernel))
                    ++failed;
        });
    for (std::thread& thread : pool)
        thread.join();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (failed > 0)
        std::fprintf(stderr, "replace_floor: %zu of %zu files failed: %s\n", failed.load(),
                     files.size(), std::strerror(errno));
    std::printf("%.3f\n", seconds);
    return failed > 0 ? 1 : 0;
}
