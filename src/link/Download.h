// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/BytePort.h"

#include <cstdint>
#include <functional>
#include <string_view>

namespace tk {

class PageBuffer;
class TrackDecoder;

inline constexpr std::uint8_t kDownloadCommand = 0x47; // 'G'
inline constexpr int kDownloadBaud = 57600;
inline constexpr int kCommandBaud = 9600;
// Failed records in a row after which the logger is taken to have fallen silent.
inline constexpr int kMaxFailedRecordsInRow = 3;

// Every callback may be left empty.
struct DownloadCallbacks {
    std::function<void(int pageCount)> onPageCount; // once, after the count arrived (also for 0)
    // Before the last record of each page is read: records attempted so far, a multiple of 11.
    std::function<void(int recordsAttempted)> onProgress;
    std::function<bool()> shouldCancel; // asked before every record
};

enum class DownloadOutcome {
    NoLogger,    // no port answered the probe; buffer and tracks untouched
    CountFailed, // the page count did not arrive; pageCount 0
    Complete,    // every announced record arrived
    Incomplete,  // records were lost, the logger fell silent, or the caller cancelled
};

struct DownloadResult {
    DownloadOutcome outcome = DownloadOutcome::NoLogger;
    int pageCount = 0;       // as announced by the logger
    int recordsExpected = 0; // 11 per announced page
    int recordsReceived = 0; // arrived whole, stored or not
    int recordsStored = 0;   // appended to the page buffer and decoded
    int recordsDropped = 0;  // arrived beyond the page buffer's capacity
    int recordsFailed = 0;   // attempts that brought no record
    bool cancelled = false;
    bool loggerSilent = false; // ended early after kMaxFailedRecordsInRow failures

    // For Incomplete the key is a format taking recordsReceived and recordsExpected.
    std::string_view messageKey() const;
};

// Downloads the logger's memory into `buffer` and feeds every stored record to `decoder`.
// Once a logger answers, the buffer is zeroed and a decoding pass begins; records beyond the
// buffer's capacity are read off the line but neither stored nor decoded. The port is set back
// to the command baud rate and closed at the end.
DownloadResult downloadMemory(LoggerConnector& connector, PageBuffer& buffer, TrackDecoder& decoder,
                              const DownloadCallbacks& callbacks = {});

} // namespace tk
