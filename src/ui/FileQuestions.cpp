// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/FileQuestions.h"

#include <QFileInfo>

#include "ui/Messages.h"

bool mayReplace(QWidget* window, const QString& chosen, const QString& path) {
    if (chosen == path || !QFileInfo::exists(path))
        return true;
    return askUser(window,
                   QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(path));
}
