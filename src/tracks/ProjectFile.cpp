// SPDX-License-Identifier: GPL-3.0-or-later
#include "tracks/ProjectFile.h"

#include "files/AtomicFile.h"
#include "files/FileIO.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace tk {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// Reads at most the page buffer's capacity plus one record (to learn that more follows) and
// measures the rest, so a huge file never costs memory.
bool readCapped(const std::string& path, std::vector<std::uint8_t>& head, std::size_t& total) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return false;
    head.resize(kRecordCapacity * kRecordSize + kRecordSize);
    const std::size_t got = std::fread(head.data(), 1, head.size(), file.get());
    if (std::ferror(file.get()))
        return false;
    head.resize(got);
    total = got;
    std::vector<char> scratch(1 << 16);
    while (got == kRecordCapacity * kRecordSize + kRecordSize) {
        const std::size_t more = std::fread(scratch.data(), 1, scratch.size(), file.get());
        if (std::ferror(file.get()))
            return false;
        if (more == 0)
            break;
        total += more;
    }
    return true;
}

} // namespace

ProjectLoad loadProject(std::span<const std::uint8_t> bytes, PageBuffer& buffer,
                        TrackDecoder& decoder) {
    ProjectLoad result;
    const std::size_t records = bytes.size() / kRecordSize;
    result.trailingBytes = bytes.size() % kRecordSize;
    result.recordsRead = std::min(records, kRecordCapacity);
    result.recordsDropped = records - result.recordsRead;
    decoder.beginPass();
    for (std::size_t i = 0; i < result.recordsRead; ++i) {
        const auto record = bytes.subspan(i * kRecordSize).first<kRecordSize>();
        buffer.storeAt(i, record);
        decoder.feed(record);
    }
    buffer.pageCount =
        static_cast<std::int32_t>((result.recordsRead + kRecordsPerPage - 1) / kRecordsPerPage);
    return result;
}

ProjectLoad openProject(const std::string& path, PageBuffer& buffer, TrackDecoder& decoder) {
    std::vector<std::uint8_t> head;
    std::size_t total = 0;
    if (!readCapped(path, head, total)) {
        ProjectLoad failed;
        failed.error = fileErrorText(path);
        return failed;
    }
    ProjectLoad result = loadProject(head, buffer, decoder);
    result.recordsDropped = total / kRecordSize - result.recordsRead;
    result.trailingBytes = total % kRecordSize;
    return result;
}

std::string saveProject(const std::string& path, const PageBuffer& buffer) {
    const auto pages = buffer.pages();
    return writeFileAtomically(
        path, std::string_view(reinterpret_cast<const char*>(pages.data()), pages.size()));
}

} // namespace tk
