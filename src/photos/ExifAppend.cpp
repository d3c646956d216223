// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/ExifAppend.h"

#include <algorithm>

namespace tk::photos {
namespace {

using tiff::ByteOrder;
using tiff::Bytes;
using tiff::Directory;
using tiff::Entry;
using tiff::Field;

constexpr std::uint16_t kGpsStatusTag = 0x0009;
// Room after the data for what is appended, which offsets of 32 bits must still reach.
constexpr std::size_t kLargestData = 0xFFF00000;
// A directory's entry count is 16 bits.
constexpr std::size_t kMaxEntries = 0xFFFF;

// An entry of a directory being made: one copied as it stands, or a field to encode.
struct Item {
    std::uint16_t tag = 0;
    std::string copied; // the 12 bytes of an existing entry, its offset still valid
    const Field* field = nullptr;
};

Item copiedItem(Bytes data, const Entry& e) {
    return {e.tag, std::string(reinterpret_cast<const char*>(data.data()) + e.at, 12), nullptr};
}

std::string valueBytes(const ByteOrder& order, const Field& f) {
    if (tiff::typeSize(f.type) == 1)
        return f.bytes;
    std::string out;
    for (const std::uint32_t n : f.numbers) {
        if (tiff::typeSize(f.type) == 2)
            order.put16(out, static_cast<std::uint16_t>(n));
        else
            order.put32(out, n);
    }
    return out;
}

// A directory at offset at (even) with its items, then the values that do not fit in an entry.
std::string directoryBytes(const ByteOrder& order, std::size_t at, const std::vector<Item>& items,
                           std::uint32_t next) {
    std::string dir;
    std::string values;
    const std::size_t valuesAt = at + 2 + 12 * items.size() + 4;
    order.put16(dir, static_cast<std::uint16_t>(items.size()));
    for (const Item& item : items) {
        if (!item.field) {
            dir += item.copied;
            continue;
        }
        const Field& f = *item.field;
        order.put16(dir, f.tag);
        order.put16(dir, f.type);
        order.put32(dir, f.count());
        std::string value = valueBytes(order, f);
        if (value.size() <= 4) {
            value.resize(4, '\0');
            dir += value;
        } else {
            order.put32(dir, static_cast<std::uint32_t>(valuesAt + values.size()));
            values += value;
            if (values.size() % 2)
                values += '\0';
        }
    }
    order.put32(dir, next);
    return dir + values;
}

void sortByTag(std::vector<Item>& items) {
    std::stable_sort(items.begin(), items.end(),
                     [](const Item& a, const Item& b) { return a.tag < b.tag; });
}

bool isVoidStatus(Bytes data, const Entry& e) {
    return e.tag == kGpsStatusTag && e.type == 2 && e.count >= 1 && e.inlineValue() &&
           data[e.at + 8] == 'V';
}

bool holdsAll(const std::vector<Field>& have, const std::vector<Field>& wanted) {
    return std::all_of(wanted.begin(), wanted.end(), [&](const Field& w) {
        return std::find(have.begin(), have.end(), w) != have.end();
    });
}

std::vector<Field> sortedFields(std::vector<Field> fields) {
    std::stable_sort(fields.begin(), fields.end(),
                     [](const Field& a, const Field& b) { return a.tag < b.tag; });
    return fields;
}

// The GPS directory's items: the fields given, and with keepOthers the photo's other GPS tags
// (a void status went with the old position, so it goes).
std::vector<Item> gpsItems(Bytes data, const tiff::Structure& s, const std::vector<Field>& gps,
                           GpsMerge merge) {
    std::vector<Item> items;
    for (const Field& f : gps)
        items.push_back({f.tag, {}, &f});
    if (merge == GpsMerge::keepOthers && s.gps)
        for (const Entry& e : s.gps->entries) {
            const bool ours =
                std::any_of(gps.begin(), gps.end(), [&](const Field& f) { return f.tag == e.tag; });
            if (!ours && !isVoidStatus(data, e))
                items.push_back(copiedItem(data, e));
        }
    sortByTag(items);
    return items;
}

// The entries of a directory in the order they stand, with each of fields in place of the entry
// of its tag (or, when there is none, before the first larger tag), and without the entries of
// the dropped tag.
std::vector<Item> editedItems(Bytes data, const Directory& d,
                              const std::vector<const Field*>& fields,
                              std::optional<std::uint16_t> dropped) {
    std::vector<Item> items;
    std::vector<const Field*> unplaced;
    for (const Field* f : fields)
        if (!d.find(f->tag))
            unplaced.push_back(f);
    auto place = [&](const Field* f) {
        items.push_back({f->tag, {}, f});
        std::erase(unplaced, f);
    };
    for (const Entry& e : d.entries) {
        for (const Field* f : std::vector<const Field*>(unplaced))
            if (f->tag < e.tag)
                place(f);
        const auto same = std::find_if(fields.begin(), fields.end(),
                                       [&](const Field* f) { return f->tag == e.tag; });
        if (same != fields.end()) {
            if (&e == d.find(e.tag))
                items.push_back({e.tag, {}, *same});
        } else if (e.tag != dropped) {
            items.push_back(copiedItem(data, e));
        }
    }
    for (const Field* f : std::vector<const Field*>(unplaced))
        place(f);
    return items;
}

Field pointerField(std::uint16_t tag, std::size_t at) {
    return {tag,
            static_cast<std::uint16_t>(tiff::Type::longType),
            {static_cast<std::uint32_t>(at)},
            {}};
}

std::size_t directorySize(std::size_t entries) {
    return 2 + 12 * entries + 4;
}

struct Range {
    std::uint64_t start = 0, end = 0;
};

// Where the thumbnail (or a single strip) of a directory lies.
std::optional<Range> pointedRange(const Directory& d, std::uint16_t offsetTag,
                                  std::uint16_t lengthTag) {
    const Entry* offset = d.find(offsetTag);
    const Entry* length = d.find(lengthTag);
    if (!offset || !length || offset->count != 1 || length->count != 1 || !offset->inlineValue() ||
        !length->inlineValue())
        return std::nullopt;
    const std::uint64_t start = offset->valueField;
    return Range{start, start + length->valueField};
}

// The end of the furthest value (or thumbnail) that the directories put after the data's end
// and before the end of the file: readers take those bytes from what follows the data.
std::uint64_t furthestEndAfter(const tiff::Structure& s, std::uint64_t size,
                               std::uint64_t fileEnd) {
    std::vector<const Directory*> dirs{&s.ifd0};
    for (const Directory& d : s.chain)
        dirs.push_back(&d);
    for (const auto* d : {&s.exif, &s.gps, &s.interop})
        if (*d)
            dirs.push_back(&**d);
    std::vector<Range> ranges;
    for (const Directory* d : dirs) {
        for (const Entry& e : d->entries)
            if (!e.inlineValue())
                ranges.push_back({e.valueField, e.valueField + e.valueSize()});
        for (const auto& [offsetTag, lengthTag] :
             {std::pair{tiff::kThumbnailOffsetTag, tiff::kThumbnailLengthTag},
              std::pair{tiff::kStripOffsetsTag, tiff::kStripByteCountsTag}})
            if (const auto r = pointedRange(*d, offsetTag, lengthTag))
                ranges.push_back(*r);
    }
    std::uint64_t furthest = size;
    for (const Range& r : ranges)
        if (r.end > size && r.start < fileEnd)
            furthest = std::max(furthest, r.end);
    return furthest;
}

std::array<std::uint8_t, 4> pointerBytes(const ByteOrder& order, std::size_t value) {
    std::string out;
    order.put32(out, static_cast<std::uint32_t>(value));
    return {static_cast<std::uint8_t>(out[0]), static_cast<std::uint8_t>(out[1]),
            static_cast<std::uint8_t>(out[2]), static_cast<std::uint8_t>(out[3])};
}

TiffAppend refused(std::string reason) {
    TiffAppend r;
    r.refusal = std::move(reason);
    return r;
}

bool alreadyHolds(Bytes data, const tiff::Structure& s, const std::vector<Field>& gps,
                  GpsMerge merge) {
    if (!s.gps)
        return gps.empty();
    const std::vector<Field> have = tiff::fieldsOf(data, s.order, *s.gps);
    if (merge == GpsMerge::replaceAll)
        return have.size() == s.gps->entries.size() && sortedFields(have) == sortedFields(gps);
    return holdsAll(have, gps) &&
           std::none_of(s.gps->entries.begin(), s.gps->entries.end(),
                        [&](const Entry& e) { return isVoidStatus(data, e); });
}

// Appends at start (the end of tail) a copy of IFD0 with the GPS pointer, then the GPS
// directory's items; without any, a copy of IFD0 without its GPS pointer. Some cameras point the
// interoperability directory back at IFD0: the Exif directory is then copied too, pointing at
// the new IFD0, so readers meet the same directories as before. False when IFD0 is full.
bool appendIfd0Copy(Bytes data, const tiff::Structure& s, const std::vector<Item>& gpsDirectory,
                    std::size_t start, std::string& tail) {
    const bool withGps = !gpsDirectory.empty();
    const Entry* interop = s.exif ? s.exif->find(tiff::kInteropIfdTag) : nullptr;
    const bool copyExif = interop && interop->valueField == s.ifd0.offset;
    Field gpsPointer = pointerField(tiff::kGpsIfdTag, 0);
    Field exifPointer = pointerField(tiff::kExifIfdTag, 0);
    const Field interopPointer = pointerField(tiff::kInteropIfdTag, start);
    std::vector<const Field*> ifd0Fields;
    if (withGps)
        ifd0Fields.push_back(&gpsPointer);
    if (copyExif)
        ifd0Fields.push_back(&exifPointer);
    const std::vector<Item> ifd0 = editedItems(
        data, s.ifd0, ifd0Fields, withGps ? std::nullopt : std::optional(tiff::kGpsIfdTag));
    if (ifd0.size() > kMaxEntries)
        return false;
    std::vector<Item> exif;
    if (copyExif)
        exif = editedItems(data, *s.exif, {&interopPointer}, std::nullopt);
    const std::size_t exifAt = start + directorySize(ifd0.size());
    const std::size_t gpsAt = exifAt + (copyExif ? directorySize(exif.size()) : 0);
    gpsPointer.numbers = {static_cast<std::uint32_t>(gpsAt)};
    exifPointer.numbers = {static_cast<std::uint32_t>(exifAt)};
    tail += directoryBytes(s.order, start, ifd0, s.ifd0.next);
    if (copyExif)
        tail += directoryBytes(s.order, exifAt, exif, s.exif->next);
    if (withGps)
        tail += directoryBytes(s.order, gpsAt, gpsDirectory, 0);
    return true;
}

} // namespace

std::string TiffAppend::appliedTo(tiff::Bytes data) const {
    std::string out(reinterpret_cast<const char*>(data.data()), data.size());
    for (std::size_t i = 0; i < pointer.size() && pointerAt + i < out.size(); ++i)
        out[pointerAt + i] = static_cast<char>(pointer[i]);
    return out + tail;
}

TiffAppend appendGps(Bytes data, Bytes following, std::uint64_t followingTotal,
                     const std::vector<Field>& gps, GpsMerge merge) {
    if (data.size() > kLargestData)
        return refused("its TIFF data is too large for 32-bit offsets");
    std::string error;
    const auto s = tiff::readStructure(data, error);
    if (!s)
        return refused(error);
    TiffAppend result;
    if (alreadyHolds(data, *s, gps, merge)) {
        result.unchanged = true;
        return result;
    }
    const std::uint64_t furthest = furthestEndAfter(*s, data.size(), data.size() + followingTotal);
    const std::uint64_t bridge = furthest - data.size();
    if (bridge > following.size())
        return refused("its Exif data refers to bytes after its Exif segment, which writing "
                       "would move");
    result.tail.assign(reinterpret_cast<const char*>(following.data()),
                       static_cast<std::size_t>(bridge));
    if ((data.size() + result.tail.size()) % 2)
        result.tail += '\0';

    const std::size_t start = data.size() + result.tail.size();
    const Entry* pointer = s->ifd0.find(tiff::kGpsIfdTag);
    const std::vector<Item> gpsDirectory = gpsItems(data, *s, gps, merge);
    if (gpsDirectory.size() > kMaxEntries)
        return refused("its GPS directory has no room for more entries");
    if (pointer && !gps.empty()) {
        result.pointerAt = pointer->at + 8;
        result.pointer = pointerBytes(s->order, start);
        result.tail += directoryBytes(s->order, start, gpsDirectory, 0);
        return result;
    }
    if (!appendIfd0Copy(data, *s, gpsDirectory, start, result.tail))
        return refused("its IFD0 has no room for another entry");
    result.pointerAt = 4;
    result.pointer = pointerBytes(s->order, start);
    return result;
}

std::string newGpsTiff(const std::vector<Field>& gps, const ImageResolution& resolution) {
    const ByteOrder order{true};
    std::string out = "II";
    order.put16(out, 42);
    order.put32(out, 8);
    const auto shortType = static_cast<std::uint16_t>(tiff::Type::shortType);
    const auto rational = static_cast<std::uint16_t>(tiff::Type::rational);
    // IFD0's values are the two resolutions (16 bytes); the GPS directory follows them.
    const std::size_t gpsAt = 8 + directorySize(5) + 16;
    const std::vector<Field> ifd0 = {
        {0x011A, rational, {resolution.x, 1}, {}},  {0x011B, rational, {resolution.y, 1}, {}},
        {0x0128, shortType, {resolution.unit}, {}}, {0x0213, shortType, {1}, {}},
        pointerField(tiff::kGpsIfdTag, gpsAt),
    };
    std::vector<Item> items;
    for (const Field& f : ifd0)
        items.push_back({f.tag, {}, &f});
    const std::string directory = directoryBytes(order, 8, items, 0);
    items.clear();
    for (const Field& f : gps)
        items.push_back({f.tag, {}, &f});
    sortByTag(items);
    return out + directory + directoryBytes(order, gpsAt, items, 0);
}

std::optional<std::vector<Field>> gpsFieldsOf(Bytes data, std::string& error) {
    const auto s = tiff::readStructure(data, error);
    if (!s)
        return std::nullopt;
    if (!s->gps)
        return std::vector<Field>{};
    return tiff::fieldsOf(data, s->order, *s->gps);
}

} // namespace tk::photos
