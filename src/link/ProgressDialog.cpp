// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ProgressDialog.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/Language.h"
#include "link/DownloadThread.h"
#include "link/MessageKeys.h"
#include "tracks/LogRecord.h"

ProgressDialog::ProgressDialog(const tk::Language& language, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      language_(language) {
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
        if (thread_)
            thread_->cancel();
        cancel_->setEnabled(false);
    });
}

ProgressDialog::~ProgressDialog() {
    if (thread_) {
        thread_->cancel();
        thread_->wait();
    }
}

tk::DownloadResult ProgressDialog::run(tk::LoggerConnector& connector, tk::PageBuffer& buffer,
                                       tk::TrackDecoder& decoder) {
    setWindowTitle(QString::fromStdString(language_.text("GetData")));
    bar_->setRange(0, 0);
    bar_->setValue(0);
    cancel_->setEnabled(true);
    finished_ = false;
    result_ = {};
    thread_ = new DownloadThread(connector, buffer, decoder, this);
    connect(thread_, &DownloadThread::pageCountKnown, this, &ProgressDialog::setPageCount,
            Qt::BlockingQueuedConnection);
    connect(thread_, &DownloadThread::progressed, this, &ProgressDialog::setProgress,
            Qt::BlockingQueuedConnection);
    connect(thread_, &QThread::finished, this, &ProgressDialog::finishDownload);
    QTimer::singleShot(kStartDelayMs, this, &ProgressDialog::startDownload);
    exec();
    delete std::exchange(thread_, nullptr);
    return result_;
}

void ProgressDialog::startDownload() {
    thread_->start();
}

void ProgressDialog::setPageCount(int pages) {
    bar_->setRange(0, qMax(pages, 1));
}

void ProgressDialog::setProgress(int recordsAttempted) {
    bar_->setValue(recordsAttempted / static_cast<int>(tk::kRecordsPerPage));
}

void ProgressDialog::finishDownload() {
    thread_->wait();
    result_ = thread_->result();
    if (result_.outcome == tk::DownloadOutcome::NoLogger ||
        result_.outcome == tk::DownloadOutcome::CountFailed) {
        // "Connect Failed" is the one download message that is not looked up.
        const std::string_view key = result_.messageKey();
        const QString text = result_.outcome == tk::DownloadOutcome::CountFailed
                                 ? QString::fromLatin1(key.data(), static_cast<int>(key.size()))
                                 : QString::fromStdString(language_.text(key));
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Trailkeep"), text, QMessageBox::Ok,
                        this);
        box.setTextFormat(Qt::PlainText);
        box.exec();
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
