// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Prompts.h"

#include <QFileDialog>

namespace {

Prompts* installed = nullptr;

} // namespace

QString Prompts::openFileName(QWidget* parent, const QString& filter) {
    return QFileDialog::getOpenFileName(parent, QString(), QString(), filter);
}

QString Prompts::saveFileName(QWidget* parent, const QString& filter) {
    return QFileDialog::getSaveFileName(parent, QString(), QString(), filter);
}

QStringList Prompts::openFileNames(QWidget* parent, const QString& filter) {
    return QFileDialog::getOpenFileNames(parent, QString(), QString(), filter);
}

QString Prompts::folderName(QWidget* parent) {
    return QFileDialog::getExistingDirectory(parent);
}

Prompts& Prompts::current() {
    static Prompts builtIn;
    return installed ? *installed : builtIn;
}

void Prompts::install(Prompts* prompts) {
    installed = prompts;
}
