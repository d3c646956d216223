// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/FileQuestions.h"

#include <QFileInfo>
#include <QMessageBox>

bool mayReplace(QWidget* window, const QString& chosen, const QString& path) {
    if (chosen == path || !QFileInfo::exists(path))
        return true;
    const QString question =
        QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(path);
    QMessageBox box(QMessageBox::Question, QStringLiteral("Trailkeep"), question,
                    QMessageBox::Yes | QMessageBox::No, window);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void tellUser(QWidget* window, bool warning, const QString& text) {
    QMessageBox box(warning ? QMessageBox::Warning : QMessageBox::Information,
                    QStringLiteral("Trailkeep"), text, QMessageBox::Ok, window);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
