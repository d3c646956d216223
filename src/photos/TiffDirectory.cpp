// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/TiffDirectory.h"

#include <set>

namespace tk::photos::tiff {
namespace {

// More directories than any camera writes: a longer chain is damaged data.
constexpr std::size_t kMaxChain = 64;

std::optional<Directory> readDirectory(Bytes data, const ByteOrder& order, std::uint64_t offset,
                                       const char* name, std::string& error) {
    if (offset < 8 || offset + 2 > data.size()) {
        error = std::string("its ") + name + " lies outside the TIFF data";
        return std::nullopt;
    }
    Directory d;
    d.offset = static_cast<std::size_t>(offset);
    const std::size_t count = order.u16(data, d.offset);
    d.nextAt = d.offset + 2 + 12 * count;
    if (d.nextAt + 4 > data.size()) {
        error = std::string("its ") + name + " runs past the end of the TIFF data";
        return std::nullopt;
    }
    d.entries.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        Entry e;
        e.at = d.offset + 2 + 12 * i;
        e.tag = order.u16(data, e.at);
        e.type = order.u16(data, e.at + 2);
        e.count = order.u32(data, e.at + 4);
        e.valueField = order.u32(data, e.at + 8);
        d.entries.push_back(e);
    }
    d.next = order.u32(data, d.nextAt);
    return d;
}

// The directory a pointer entry of parent names; nothing when parent has no such entry.
bool readChild(Bytes data, const ByteOrder& order, const Directory& parent, std::uint16_t tag,
               const char* name, std::set<std::size_t>& seen, std::optional<Directory>& child,
               std::string& error) {
    const Entry* e = parent.find(tag);
    if (!e)
        return true;
    if (e->count != 1 || (e->type != 4 && e->type != 13)) {
        error = std::string("its ") + name + " pointer is malformed";
        return false;
    }
    child = readDirectory(data, order, e->valueField, name, error);
    if (!child)
        return false;
    if (!seen.insert(child->offset).second) {
        error = std::string("its ") + name + " is a directory that was met before (a loop)";
        return false;
    }
    return true;
}

} // namespace

std::size_t typeSize(std::uint16_t type) {
    switch (static_cast<Type>(type)) {
    case Type::byte:
    case Type::ascii:
    case Type::sbyte:
    case Type::undefined:
        return 1;
    case Type::shortType:
    case Type::sshort:
        return 2;
    case Type::longType:
    case Type::slong:
    case Type::floatType:
    case Type::ifd:
        return 4;
    case Type::rational:
    case Type::srational:
    case Type::doubleType:
        return 8;
    }
    return 0;
}

std::uint16_t ByteOrder::u16(Bytes data, std::size_t at) const {
    const std::uint16_t a = data[at];
    const std::uint16_t b = data[at + 1];
    return little ? static_cast<std::uint16_t>(a | b << 8) : static_cast<std::uint16_t>(a << 8 | b);
}

std::uint32_t ByteOrder::u32(Bytes data, std::size_t at) const {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::uint32_t byte = data[at + (little ? 3 - i : i)];
        value = value << 8 | byte;
    }
    return value;
}

void ByteOrder::put16(std::string& out, std::uint16_t value) const {
    const char low = static_cast<char>(value & 0xFF);
    const char high = static_cast<char>(value >> 8);
    out += little ? low : high;
    out += little ? high : low;
}

void ByteOrder::put32(std::string& out, std::uint32_t value) const {
    for (int i = 0; i < 4; ++i) {
        const int shift = little ? 8 * i : 8 * (3 - i);
        out += static_cast<char>((value >> shift) & 0xFF);
    }
}

std::uint64_t Entry::valueSize() const {
    return std::uint64_t{count} * typeSize(type);
}

const Entry* Directory::find(std::uint16_t tag) const {
    for (const Entry& e : entries)
        if (e.tag == tag)
            return &e;
    return nullptr;
}

std::optional<Structure> readStructure(Bytes data, std::string& error) {
    error.clear();
    if (data.size() < 8) {
        error = "its TIFF data is too short";
        return std::nullopt;
    }
    Structure s;
    if (data[0] == 'I' && data[1] == 'I')
        s.order.little = true;
    else if (data[0] == 'M' && data[1] == 'M')
        s.order.little = false;
    else {
        error = "its TIFF data has no byte order mark";
        return std::nullopt;
    }
    if (s.order.u16(data, 2) != 42) {
        error = "its TIFF data has no TIFF header";
        return std::nullopt;
    }
    auto ifd0 = readDirectory(data, s.order, s.order.u32(data, 4), "IFD0", error);
    if (!ifd0)
        return std::nullopt;
    s.ifd0 = std::move(*ifd0);
    std::set<std::size_t> seen{s.ifd0.offset};
    for (std::uint32_t next = s.ifd0.next; next != 0;) {
        if (s.chain.size() == kMaxChain) {
            error = "its chain of directories does not end";
            return std::nullopt;
        }
        auto d = readDirectory(data, s.order, next, "chain of directories", error);
        if (!d)
            return std::nullopt;
        if (!seen.insert(d->offset).second) {
            error = "its chain of directories loops";
            return std::nullopt;
        }
        next = d->next;
        s.chain.push_back(std::move(*d));
    }
    if (!readChild(data, s.order, s.ifd0, kExifIfdTag, "Exif directory", seen, s.exif, error) ||
        !readChild(data, s.order, s.ifd0, kGpsIfdTag, "GPS directory", seen, s.gps, error))
        return std::nullopt;
    // Some cameras point the interoperability directory at one met before; readers cope, and
    // nothing is written from it, so such a pointer is only left out.
    std::string interopError;
    if (s.exif && !readChild(data, s.order, *s.exif, kInteropIfdTag, "interoperability directory",
                             seen, s.interop, interopError))
        s.interop.reset();
    return s;
}

std::uint32_t Field::count() const {
    const std::size_t size = typeSize(type);
    if (size == 1)
        return static_cast<std::uint32_t>(bytes.size());
    if (size == 8)
        return static_cast<std::uint32_t>(numbers.size() / 2);
    return static_cast<std::uint32_t>(numbers.size());
}

std::vector<Field> fieldsOf(Bytes data, const ByteOrder& order, const Directory& directory) {
    std::vector<Field> fields;
    for (const Entry& e : directory.entries) {
        const std::size_t size = typeSize(e.type);
        const std::uint64_t at = e.valueOffset();
        if (size == 0 || e.type == static_cast<std::uint16_t>(Type::doubleType) ||
            at + e.valueSize() > data.size())
            continue;
        Field f{e.tag, e.type, {}, {}};
        const auto start = static_cast<std::size_t>(at);
        if (size == 1)
            f.bytes.assign(reinterpret_cast<const char*>(data.data()) + start, e.count);
        else if (size == 2)
            for (std::size_t i = 0; i < e.count; ++i)
                f.numbers.push_back(order.u16(data, start + 2 * i));
        else
            for (std::size_t i = 0; i < e.valueSize() / 4; ++i)
                f.numbers.push_back(order.u32(data, start + 4 * i));
        fields.push_back(std::move(f));
    }
    return fields;
}

} // namespace tk::photos::tiff
