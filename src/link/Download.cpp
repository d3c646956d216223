// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/Download.h"

#include "link/MessageKeys.h"
#include "link/RecordReader.h"
#include "tracks/PageBuffer.h"
#include "tracks/TrackDecoder.h"

#include <algorithm>
#include <array>

namespace tk {
namespace {

class Transfer {
public:
    Transfer(BytePort& port, PageBuffer& buffer, TrackDecoder& decoder,
             const DownloadCallbacks& callbacks, DownloadResult& result)
        : port_(port), buffer_(buffer), decoder_(decoder), callbacks_(callbacks), result_(result) {}

    void run() {
        int failedInRow = 0;
        for (int k = 1; k <= result_.recordsExpected; ++k) {
            if (callbacks_.shouldCancel && callbacks_.shouldCancel()) {
                result_.cancelled = true;
                return;
            }
            if (k % static_cast<int>(kRecordsPerPage) == 0 && callbacks_.onProgress)
                callbacks_.onProgress(k);
            if (receiveOne()) {
                failedInRow = 0;
            } else if (++failedInRow == kMaxFailedRecordsInRow) {
                result_.loggerSilent = true;
                return;
            }
        }
    }

private:
    bool receiveOne() {
        std::array<std::uint8_t, kRecordSize> record{};
        if (readRecord(port_, record) != RecordRead::Received) {
            ++result_.recordsFailed;
            return false;
        }
        ++result_.recordsReceived;
        if (buffer_.append(record)) {
            ++result_.recordsStored;
            decoder_.feed(record);
        } else {
            ++result_.recordsDropped;
        }
        return true;
    }

    BytePort& port_;
    PageBuffer& buffer_;
    TrackDecoder& decoder_;
    const DownloadCallbacks& callbacks_;
    DownloadResult& result_;
};

void finish(BytePort& port) {
    port.setBaud(kCommandBaud);
    port.close();
}

} // namespace

std::string_view DownloadResult::messageKey() const {
    switch (outcome) {
    case DownloadOutcome::NoLogger:
        return keys::kGetUartFailed;
    case DownloadOutcome::CountFailed:
        return keys::kConnectFailed;
    case DownloadOutcome::Complete:
        return keys::kReceiveCompleted;
    case DownloadOutcome::Incomplete:
        break;
    }
    return keys::kDownloadIncomplete;
}

DownloadResult downloadMemory(LoggerConnector& connector, PageBuffer& buffer, TrackDecoder& decoder,
                              const DownloadCallbacks& callbacks) {
    DownloadResult result;
    BytePort* port = connector.connectLogger();
    if (port == nullptr)
        return result;

    buffer.clear();
    decoder.beginPass();
    port->writeByte(kDownloadCommand);
    port->readByte(); // the logger's acknowledgement carries nothing the download needs
    port->setBaud(kDownloadBaud);
    const std::uint8_t high = port->readByte();
    const std::uint8_t low = port->readByte();
    if (high == BytePort::kReadFailed || low == BytePort::kReadFailed) {
        finish(*port);
        buffer.pageCount = 0;
        result.outcome = DownloadOutcome::CountFailed;
        return result;
    }

    result.pageCount = high * 256 + low;
    result.recordsExpected = result.pageCount * static_cast<int>(kRecordsPerPage);
    if (callbacks.onPageCount)
        callbacks.onPageCount(result.pageCount);
    // A count beyond the buffer would make the page count claim pages that are not there.
    buffer.pageCount = std::min(result.pageCount, static_cast<int>(kPageCapacity));
    buffer.byteCount = 0;

    Transfer(*port, buffer, decoder, callbacks, result).run();
    finish(*port);
    result.outcome = result.recordsReceived == result.recordsExpected ? DownloadOutcome::Complete
                                                                      : DownloadOutcome::Incomplete;
    return result;
}

} // namespace tk
