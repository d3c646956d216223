// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/DownloadThread.h"

DownloadThread::DownloadThread(tk::LoggerConnector& connector, tk::PageBuffer& buffer,
                               tk::TrackDecoder& decoder, QObject* parent)
    : QThread(parent), connector_(connector), buffer_(buffer), decoder_(decoder) {}

void DownloadThread::run() {
    tk::DownloadCallbacks callbacks;
    callbacks.onPageCount = [this](int pages) { emit pageCountKnown(pages); };
    callbacks.onProgress = [this](int attempted) { emit progressed(attempted); };
    callbacks.shouldCancel = [this] { return cancelled_.load(); };
    result_ = tk::downloadMemory(connector_, buffer_, decoder_, callbacks);
}
