// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

#include "link/Download.h"

class JobRunner;
class QProgressBar;
class QPushButton;

namespace tk {
class Language;
class PageBuffer;
class TrackDecoder;
} // namespace tk

// The modal window of a Read: progress in pages and a Cancel button. The download starts one
// second after the window opens. Neither Enter, Esc nor the close box can close it: only the end
// of the download does, so the tables are never read while the download still writes them.
class ProgressDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kStartDelayMs = 1000;

    explicit ProgressDialog(const tk::Language& language, QWidget* parent = nullptr);
    ~ProgressDialog() override;

    // Runs the dialog over one download and answers how it ended. Failures to reach the logger
    // are reported here, while the dialog is still up; the caller reports the other outcomes.
    tk::DownloadResult run(tk::LoggerConnector& connector, tk::PageBuffer& buffer,
                           tk::TrackDecoder& decoder);

    QProgressBar* progressBar() const { return bar_; }
    QPushButton* cancelButton() const { return cancel_; }

protected:
    void reject() override {}
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void startDownload(tk::LoggerConnector& connector, tk::PageBuffer& buffer,
                       tk::TrackDecoder& decoder);
    void setPageCount(int pages);
    void setProgress(int recordsAttempted);
    void finishDownload(const tk::DownloadResult& result);

    const tk::Language& language_;
    QProgressBar* bar_;
    QPushButton* cancel_;
    JobRunner* runner_;
    tk::DownloadResult result_;
    bool finished_ = false;
};
