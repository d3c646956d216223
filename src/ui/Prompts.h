// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The file dialogs of the program's commands, behind one small interface so tests can answer
// them without a dialog on screen. An empty answer means the user cancelled.
class Prompts {
public:
    virtual ~Prompts() = default;

    // An open-file dialog; filter is a Qt name filter such as "gpl files(*.gpl)".
    virtual QString openFileName(QWidget* parent, const QString& filter);
    // A save-file dialog that asks before replacing an existing file.
    virtual QString saveFileName(QWidget* parent, const QString& filter);
    // An open-files dialog for several files at once, and a folder dialog.
    virtual QStringList openFileNames(QWidget* parent, const QString& filter);
    virtual QString folderName(QWidget* parent);

    // The prompts in force; the program's own unless a test installed others.
    static Prompts& current();
    // Installs prompts (not owned); nullptr restores the program's own.
    static void install(Prompts* prompts);
};
