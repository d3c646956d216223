// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ReadCommand.h"

#include <QMessageBox>

#include "app/CTrailkeepApp.h"
#include "link/ProgressDialog.h"
#include "panel/TrackPanel.h"
#include "ui/TextFill.h"

namespace {

QString outcomeText(const tk::Language& language, const tk::DownloadResult& result) {
    std::string text = language.text(result.messageKey());
    if (result.outcome == tk::DownloadOutcome::Incomplete)
        text = tk::fillNumbers(text, {result.recordsReceived, result.recordsExpected});
    return QString::fromStdString(text);
}

} // namespace

void readLogger(CTrailkeepApp& app, ProgressDialog& dialog, TrackPanel& panel, QWidget* window) {
    const tk::DownloadResult result = dialog.run(app.connector(), app.pageBuffer, app.decoder);
    if (result.outcome == tk::DownloadOutcome::NoLogger)
        return;
    panel.refill();
    if (result.outcome == tk::DownloadOutcome::CountFailed)
        return;
    QMessageBox box(result.outcome == tk::DownloadOutcome::Complete ? QMessageBox::Information
                                                                    : QMessageBox::Warning,
                    QStringLiteral("Trailkeep"), outcomeText(app.language(), result),
                    QMessageBox::Ok, window);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
