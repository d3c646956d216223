// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/KmzArchive.h"

#include <zip.h>

#include <array>
#include <fstream>
#include <memory>
#include <optional>
#include <string_view>

namespace tk::formats {
namespace {

constexpr zip_uint64_t kLargestDocument = 256ull << 20;

struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct EntryCloser {
    void operator()(zip_file_t* entry) const { zip_fclose(entry); }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;
using Entry = std::unique_ptr<zip_file_t, EntryCloser>;

bool isKml(std::string_view name) {
    return name.size() > 4 && (name.ends_with(".kml") || name.ends_with(".KML"));
}

// doc.kml when there is one, else the first KML document at the top, else the first anywhere.
std::optional<zip_uint64_t> documentIndex(zip_t* archive) {
    std::optional<zip_uint64_t> top;
    std::optional<zip_uint64_t> any;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* raw = zip_get_name(archive, static_cast<zip_uint64_t>(i), 0);
        const std::string_view name = raw ? raw : "";
        if (!isKml(name))
            continue;
        if (name == "doc.kml")
            return static_cast<zip_uint64_t>(i);
        if (!top && name.find('/') == std::string_view::npos)
            top = static_cast<zip_uint64_t>(i);
        if (!any)
            any = static_cast<zip_uint64_t>(i);
    }
    return top ? top : any;
}

std::string copyEntry(zip_t* archive, zip_uint64_t index, const std::string& kmlPath) {
    Entry entry(zip_fopen_index(archive, index, 0));
    if (!entry)
        return std::string("its KML document cannot be unpacked: ") + zip_strerror(archive);
    std::ofstream out(kmlPath, std::ios::binary | std::ios::trunc);
    std::array<char, 1 << 16> buffer;
    zip_uint64_t total = 0;
    for (zip_int64_t n; (n = zip_fread(entry.get(), buffer.data(), buffer.size())) != 0;) {
        if (n < 0)
            return std::string("its KML document is damaged: ") + zip_file_strerror(entry.get());
        total += static_cast<zip_uint64_t>(n);
        if (total > kLargestDocument)
            return "its KML document is larger than 256 MB unpacked";
        out.write(buffer.data(), n);
    }
    out.close();
    return out ? "" : "its KML document could not be unpacked into " + kmlPath;
}

} // namespace

std::string extractKmzDocument(const std::string& kmzPath, const std::string& kmlPath) {
    int error = 0;
    Archive archive(zip_open(kmzPath.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error));
    if (!archive) {
        zip_error_t z;
        zip_error_init_with_code(&z, error);
        std::string text = std::string("not a readable KMZ archive: ") + zip_error_strerror(&z);
        zip_error_fini(&z);
        return text;
    }
    const std::optional<zip_uint64_t> index = documentIndex(archive.get());
    if (!index)
        return "the KMZ archive holds no KML document";
    return copyEntry(archive.get(), *index, kmlPath);
}

} // namespace tk::formats
