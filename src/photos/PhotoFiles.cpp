// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/PhotoFiles.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>

namespace tk::photos {
namespace {

namespace fs = std::filesystem;

constexpr std::array<std::string_view, 33> kExtensions = {
    "jpg",  "jpeg", "jpe", "jfif", "tif",  "tiff", "dng", "cr2", "cr3", "crw", "nef",
    "nrw",  "orf",  "pef", "png",  "webp", "arw",  "sr2", "srf", "raf", "rw2", "rwl",
    "heic", "heif", "hif", "avif", "mrw",  "srw",  "3fr", "erf", "x3f", "iiq", "jxl"};

constexpr std::array<std::string_view, 8> kVideoExtensions = {"mp4", "mov",  "m4v", "3gp",
                                                              "mts", "m2ts", "avi", "qt"};

std::string lower(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return result;
}

// The extension in lower case; "" for none (or a hidden file's name alone).
std::string extensionOf(std::string_view name) {
    const auto dot = name.rfind('.');
    return dot == std::string_view::npos || dot == 0 ? std::string() : lower(name.substr(dot + 1));
}

bool hidden(const fs::path& path) {
    const std::string name = path.filename().string();
    return !name.empty() && name[0] == '.';
}

void searchFolder(const fs::path& folder, std::vector<FoundPhoto>& found) {
    std::error_code error;
    fs::directory_iterator it(folder, error);
    if (error) {
        found.push_back({folder.string(), folder.string() + ": " + error.message()});
        return;
    }
    std::vector<fs::path> files;
    std::vector<fs::path> folders;
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error)
            break;
        const fs::path& path = it->path();
        if (hidden(path))
            continue;
        std::error_code typeError;
        if (it->is_directory(typeError))
            folders.push_back(path);
        else if ((isPhotoName(path.filename().string()) || isVideoName(path.filename().string())) &&
                 !it->is_directory(typeError))
            files.push_back(path);
    }
    if (error)
        found.push_back({folder.string(), folder.string() + ": " + error.message()});
    std::sort(files.begin(), files.end());
    std::sort(folders.begin(), folders.end());
    for (const fs::path& file : files)
        found.push_back({file.string(), {}});
    for (const fs::path& sub : folders)
        searchFolder(sub, found);
}

} // namespace

bool isPhotoName(std::string_view name) {
    const std::string extension = extensionOf(name);
    return std::find(kExtensions.begin(), kExtensions.end(), extension) != kExtensions.end();
}

bool isVideoName(std::string_view name) {
    const std::string extension = extensionOf(name);
    return std::find(kVideoExtensions.begin(), kVideoExtensions.end(), extension) !=
           kVideoExtensions.end();
}

std::vector<FoundPhoto> findPhotos(const std::vector<std::string>& paths) {
    std::vector<FoundPhoto> found;
    for (const std::string& path : paths) {
        std::error_code error;
        const fs::file_status status = fs::status(path, error);
        if (error || !fs::exists(status)) {
            errno = ENOENT;
            found.push_back(
                {path, path + ": " + (error ? error.message() : std::strerror(ENOENT))});
        } else if (fs::is_directory(status)) {
            std::string folder = path;
            while (folder.size() > 1 && folder.back() == '/')
                folder.pop_back();
            searchFolder(folder, found);
        } else {
            found.push_back({path, {}});
        }
    }
    std::set<std::string> seen;
    std::vector<FoundPhoto> unique;
    for (FoundPhoto& photo : found) {
        std::error_code error;
        const fs::path canonical = fs::weakly_canonical(photo.path, error);
        if (seen.insert(error ? photo.path : canonical.string()).second)
            unique.push_back(std::move(photo));
    }
    return unique;
}

std::string sidecarPath(const std::string& photoPath) {
    return photoPath + ".xmp";
}

std::string folderOfPath(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOfPath(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace tk::photos
