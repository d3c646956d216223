// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ProgressDialog.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "link/MessageKeys.h"
#include "tracks/LogRecord.h"
#include "ui/JobRunner.h"
#include "ui/Language.h"
#include "ui/Messages.h"

ProgressDialog::ProgressDialog(const tk::Language& language, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      language_(language), runner_(new JobRunner(this)) {
    setObjectName(QStringLiteral("progressDialog"));
    setModal(true);
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("downloadProgress"));
    bar_->setMinimumWidth(320);
    bar_->setRange(0, 0);
    bar_->setFormat(QStringLiteral("%v / %m"));
    // A standard button, so it reads in the interface language like every Cancel.
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    cancel_ = buttons->button(QDialogButtonBox::Cancel);
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    cancel_->setAutoDefault(false);
    cancel_->setDefault(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(bar_);
    layout->addWidget(buttons);
    connect(cancel_, &QPushButton::clicked, this, [this] {
        runner_->cancel();
        cancel_->setEnabled(false);
    });
    connect(runner_, &JobRunner::progressed, this, &ProgressDialog::setProgress);
}

ProgressDialog::~ProgressDialog() = default;

tk::DownloadResult ProgressDialog::run(tk::LoggerConnector& connector, tk::PageBuffer& buffer,
                                       tk::TrackDecoder& decoder) {
    setWindowTitle(QString::fromStdString(language_.text("GetData")));
    bar_->setRange(0, 0);
    bar_->setValue(0);
    cancel_->setEnabled(true);
    finished_ = false;
    result_ = {};
    QTimer::singleShot(kStartDelayMs, this, [this, &connector, &buffer, &decoder] {
        startDownload(connector, buffer, decoder);
    });
    exec();
    return result_;
}

// The download runs on the runner's thread; the page count and the progress reach the bar
// through the runner, and the result when the download has ended.
void ProgressDialog::startDownload(tk::LoggerConnector& connector, tk::PageBuffer& buffer,
                                   tk::TrackDecoder& decoder) {
    runner_->run(
        [&connector, &buffer, &decoder, this](const JobControl& control) {
            tk::DownloadCallbacks callbacks;
            callbacks.onPageCount = [&control, this](int pages) {
                control.post([this, pages] { setPageCount(pages); });
            };
            callbacks.onProgress = [&control](int attempted) { control.progress(attempted, 0); };
            callbacks.shouldCancel = [&control] { return control.cancelled(); };
            return tk::downloadMemory(connector, buffer, decoder, callbacks);
        },
        [this](const tk::DownloadResult& result) { finishDownload(result); });
}

void ProgressDialog::setPageCount(int pages) {
    bar_->setRange(0, qMax(pages, 1));
}

void ProgressDialog::setProgress(int recordsAttempted) {
    bar_->setValue(recordsAttempted / static_cast<int>(tk::kRecordsPerPage));
}

void ProgressDialog::finishDownload(const tk::DownloadResult& result) {
    result_ = result;
    if (result_.outcome == tk::DownloadOutcome::NoLogger ||
        result_.outcome == tk::DownloadOutcome::CountFailed) {
        // "Connect Failed" is the one download message that is not looked up.
        const std::string_view key = result_.messageKey();
        const QString text = result_.outcome == tk::DownloadOutcome::CountFailed
                                 ? QString::fromLatin1(key.data(), static_cast<int>(key.size()))
                                 : QString::fromStdString(language_.text(key));
        tellUser(this, true, text);
    }
    finished_ = true;
    done(QDialog::Accepted);
}

void ProgressDialog::closeEvent(QCloseEvent* event) {
    if (finished_)
        QDialog::closeEvent(event);
    else
        event->ignore();
}

void ProgressDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
