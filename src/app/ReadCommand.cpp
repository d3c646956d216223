// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ReadCommand.h"

#include <QMessageBox>

#include "app/CTrailkeepApp.h"
#include "link/ProgressDialog.h"
#include "ui/TextFill.h"

namespace {

QString outcomeText(const tk::Language& language, const tk::DownloadResult& result) {
    std::string text = language.text(result.messageKey());
    if (result.outcome == tk::DownloadOutcome::Incomplete)
        text = tk::fillNumbers(text, {result.recordsReceived, result.recordsExpected});
    return QString::fromStdString(text);
}

} // namespace

void readLogger(CTrailkeepApp& app, ProgressDialog& dialog, QWidget* window) {
    // The download fills a memory of its own on its thread; the session takes it over here, on
    // the window's thread, once the thread has finished.
    tk::PageBuffer buffer;
    tk::TrackTable table;
    tk::TrackDecoder decoder(table);
    const tk::DownloadResult result = dialog.run(app.connector(), buffer, decoder);
    if (result.outcome == tk::DownloadOutcome::NoLogger)
        return;
    app.session().takeDownload(std::move(buffer), std::move(table));
    if (result.outcome == tk::DownloadOutcome::CountFailed)
        return;
    QMessageBox box(result.outcome == tk::DownloadOutcome::Complete ? QMessageBox::Information
                                                                    : QMessageBox::Warning,
                    QStringLiteral("Trailkeep"), outcomeText(app.language(), result),
                    QMessageBox::Ok, window);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
