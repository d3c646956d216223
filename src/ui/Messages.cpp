// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Messages.h"

#include <QMessageBox>

namespace {

constexpr char kTitle[] = "Trailkeep";

} // namespace

void tellUser(QWidget* window, bool warning, const QString& text) {
    QMessageBox box(warning ? QMessageBox::Warning : QMessageBox::Information,
                    QString::fromLatin1(kTitle), text, QMessageBox::Ok, window);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool askUser(QWidget* window, const QString& question, DefaultAnswer byDefault) {
    QMessageBox box(QMessageBox::Question, QString::fromLatin1(kTitle), question,
                    QMessageBox::Yes | QMessageBox::No, window);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(byDefault == DefaultAnswer::Yes ? QMessageBox::Yes : QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}
