// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QThread>

#include <atomic>

#include "link/Download.h"

namespace tk {
class PageBuffer;
class TrackDecoder;
} // namespace tk

// Downloads the logger's memory off the window's thread. It reports the page count and the
// progress with blocking calls, so it waits until the window has shown each; the window reads
// the tables only after the thread has finished.
class DownloadThread : public QThread {
    Q_OBJECT
public:
    DownloadThread(tk::LoggerConnector& connector, tk::PageBuffer& buffer,
                   tk::TrackDecoder& decoder, QObject* parent = nullptr);

    // Ends the download before the next record, keeping what arrived.
    void cancel() { cancelled_ = true; }
    // Valid once finished() was emitted.
    const tk::DownloadResult& result() const { return result_; }

signals:
    void pageCountKnown(int pages);
    void progressed(int recordsAttempted);

protected:
    void run() override;

private:
    tk::LoggerConnector& connector_;
    tk::PageBuffer& buffer_;
    tk::TrackDecoder& decoder_;
    std::atomic<bool> cancelled_{false};
    tk::DownloadResult result_;
};
