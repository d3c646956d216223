// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SimOptions.h"

#include <charconv>
#include <functional>
#include <map>
#include <sstream>

namespace tk::sim {

namespace {

std::optional<unsigned long> parseNumber(const std::string& text, unsigned long max) {
    int base = 10;
    std::size_t start = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        start = 2;
    }
    unsigned long value = 0;
    const char* first = text.data() + start;
    const char* last = text.data() + text.size();
    auto [end, ec] = std::from_chars(first, last, value, base);
    if (first == last || ec != std::errc() || end != last || value > max)
        return std::nullopt;
    return value;
}

// A byte given as one character ("g") or as a number ("103", "0x67").
std::optional<std::uint8_t> parseByteOrChar(const std::string& text) {
    if (text.size() == 1 && !(text[0] >= '0' && text[0] <= '9'))
        return static_cast<std::uint8_t>(text[0]);
    auto value = parseNumber(text, 255);
    if (!value)
        return std::nullopt;
    return static_cast<std::uint8_t>(*value);
}

// "16" and "32" name the two image sizes; any other number is sent as it is.
std::optional<std::uint8_t> parseSizeCode(const std::string& text) {
    if (text == "16")
        return 0x16;
    if (text == "32")
        return 0x32;
    auto value = parseNumber(text, 255);
    if (!value)
        return std::nullopt;
    return static_cast<std::uint8_t>(*value);
}

bool parseWrongEchoes(const std::string& list, WrongEchoes& out) {
    if (list.empty() || list == "all") {
        out = {true, true, true, true};
        return true;
    }
    std::istringstream in(list);
    std::string item;
    while (std::getline(in, item, ',')) {
        if (item == "step")
            out.step = true;
        else if (item == "unit")
            out.unit = true;
        else if (item == "zone")
            out.zone = true;
        else if (item == "clear")
            out.clear = true;
        else
            return false;
    }
    return true;
}

using ValueSetter = std::function<bool(SimOptions&, const std::string&)>;
using FlagSetter = std::function<void(SimOptions&)>;

ValueSetter byteSetter(std::uint8_t LoggerSettings::*field) {
    return [field](SimOptions& o, const std::string& v) {
        auto value = parseByteOrChar(v);
        if (value)
            o.settings.*field = *value;
        return value.has_value();
    };
}

ValueSetter countSetter(std::function<void(SimOptions&, unsigned long)> store, unsigned long max) {
    return [store, max](SimOptions& o, const std::string& v) {
        auto value = parseNumber(v, max);
        if (value)
            store(o, *value);
        return value.has_value();
    };
}

const std::map<std::string, ValueSetter>& valueOptions() {
    static const std::map<std::string, ValueSetter> options = {
        {"--memory",
         [](SimOptions& o, const std::string& v) {
             o.memoryFile = v;
             return !v.empty();
         }},
        {"--firmware", byteSetter(&LoggerSettings::firmware)},
        {"--step", byteSetter(&LoggerSettings::stepSeconds)},
        {"--unit", byteSetter(&LoggerSettings::unit)},
        {"--zone", byteSetter(&LoggerSettings::zoneCode)},
        {"--seed", countSetter([](SimOptions& o, unsigned long v) { o.seed = v; }, 0xFFFFFFFFul)},
        {"--silent-after",
         countSetter([](SimOptions& o, unsigned long v) { o.download.silentAfter = v; },
                     0xFFFFFFFFul)},
        {"--pages",
         countSetter([](SimOptions& o, unsigned long v) { o.download.pages = v; }, 65535)},
        {"--boot-size",
         [](SimOptions& o, const std::string& v) {
             auto code = parseSizeCode(v);
             if (code)
                 o.boot.sizeCode = *code;
             return code.has_value();
         }},
        {"--boot-id",
         [](SimOptions& o, const std::string& v) {
             auto id = parseByteOrChar(v);
             if (id)
                 o.boot.idByte = *id;
             return id.has_value();
         }},
        {"--loader",
         [](SimOptions& o, const std::string& v) {
             auto letter = parseByteOrChar(v);
             if (letter)
                 o.boot.loader = *letter;
             return letter.has_value();
         }},
        {"--chunk-fail",
         countSetter([](SimOptions& o, unsigned long v) { o.boot.chunkFailures = int(v); }, 255)},
        {"--chunk-fail-at",
         countSetter([](SimOptions& o, unsigned long v) { o.boot.chunkFailAt = v; }, 65535)},
        {"--z-after",
         countSetter([](SimOptions& o, unsigned long v) { o.boot.zAfterBlock = v; }, 65535)},
        {"--firmware-out",
         [](SimOptions& o, const std::string& v) {
             o.firmwareOut = v;
             return !v.empty();
         }},
        {"--log",
         [](SimOptions& o, const std::string& v) {
             o.logFile = v;
             return !v.empty();
         }},
    };
    return options;
}

const std::map<std::string, FlagSetter>& flagOptions() {
    static const std::map<std::string, FlagSetter> options = {
        {"--demo", [](SimOptions& o) { o.source = MemorySource::Demo; }},
        {"--demo-full", [](SimOptions& o) { o.source = MemorySource::DemoFull; }},
        {"--pace", [](SimOptions& o) { o.pace = true; }},
        {"--noise", [](SimOptions& o) { o.download.noise = true; }},
        {"--drop-count", [](SimOptions& o) { o.download.dropCount = true; }},
        {"--no-boot", [](SimOptions& o) { o.boot.answerEnter = false; }},
    };
    return options;
}

// One argument (and its value, when it takes one); returns an error text or "".
std::string parseOne(const std::vector<std::string>& args, std::size_t& i, ParsedOptions& out) {
    std::string name = args[i];
    std::optional<std::string> inlineValue;
    if (auto eq = name.find('='); eq != std::string::npos && name.rfind("--", 0) == 0) {
        inlineValue = name.substr(eq + 1);
        name.resize(eq);
    }
    if (name == "--wrong-echo") {
        if (!parseWrongEchoes(inlineValue.value_or(""), out.options.wrongEchoes))
            return "--wrong-echo takes step, unit, zone, clear or all";
        return "";
    }
    if (auto flag = flagOptions().find(name); flag != flagOptions().end()) {
        if (inlineValue)
            return name + " takes no value";
        flag->second(out.options);
        return "";
    }
    auto option = valueOptions().find(name);
    if (option == valueOptions().end())
        return "unknown option " + name;
    if (!inlineValue && i + 1 >= args.size())
        return name + " needs a value";
    const std::string value = inlineValue ? *inlineValue : args[++i];
    if (!option->second(out.options, value))
        return "bad value for " + name + ": " + value;
    return "";
}

} // namespace

ParsedOptions parseSimOptions(const std::vector<std::string>& args) {
    ParsedOptions out;
    bool demo = false;
    for (std::size_t i = 0; i < args.size() && out.error.empty(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            out.help = true;
            return out;
        }
        if (args[i] == "--version") {
            out.version = true;
            return out;
        }
        demo = demo || args[i] == "--demo" || args[i] == "--demo-full";
        out.error = parseOne(args, i, out);
    }
    if (out.error.empty() && !out.options.memoryFile.empty()) {
        if (demo)
            out.error = "--memory and --demo exclude each other";
        out.options.source = MemorySource::File;
    }
    return out;
}

std::string simUsage() {
    return "Usage: trailkeep-sim [--memory FILE.gpl | --demo | --demo-full] [OPTION...]\n"
           "  or:  trailkeep-sim --help | --version\n"
           "Serves a GPS track logger on a pseudo-terminal for demos and tests: prints\n"
           "PORT /dev/pts/N when ready and answers the logger's byte protocol until stopped\n"
           "(SIGTERM or SIGINT). Point trailkeep or trailkeep-cli at that port.\n"
           "\n"
           "Memory and settings:\n"
           "  --memory FILE       memory image: raw 24-byte records (default: empty memory)\n"
           "  --demo              a demo memory of a few trips\n"
           "  --demo-full         a demo memory that fills all 2,048 pages\n"
           "  --seed N            seed of the demo memory and of --noise (default 1)\n"
           "  --firmware LETTER   firmware letter reported by 'V' (default i)\n"
           "  --step S            step byte reported by 'V' (default 5)\n"
           "  --unit U            unit byte reported by 'V' (default 0)\n"
           "  --zone CODE         zone byte reported by 'V' (default 188)\n"
           "  --pace              send at the line rate of the current baud (9,600 or 57,600)\n"
           "Download faults:\n"
           "  --silent-after N    fall silent after N records of every download\n"
           "  --noise             random bytes (never AA or FE) before every record\n"
           "  --drop-count        send no page count after the reply to 'G'\n"
           "  --pages N           announce N pages; records past the memory are erased (FF)\n"
           "Settings faults:\n"
           "  --wrong-echo[=LIST] echo step, unit, zone, clear (comma list; default all) wrongly\n"
           "                      and leave those settings unchanged\n"
           "Firmware upgrade:\n"
           "  --no-boot           answer 'T' with 'N' instead of 'C'\n"
           "  --boot-size CODE    size code: 16 (0x16), 32 (0x32) or any other byte (default 16)\n"
           "  --boot-id BYTE      the second identification byte (default 1)\n"
           "  --loader L          loader variant: f, g or any other letter (default f)\n"
           "  --chunk-fail N      fail the first N attempts of every chunk\n"
           "  --chunk-fail-at K   ... of chunk K only (block x 8 + position, from 0)\n"
           "  --z-after B         answer 'Z' after block B (from 0)\n"
           "  --firmware-out FILE write the image bytes received to FILE\n"
           "  --log FILE          write every byte received to FILE\n";
}

} // namespace tk::sim
