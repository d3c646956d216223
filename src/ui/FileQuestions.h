// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

// The save dialogs ask before replacing the name they return; a name that only got its
// extension afterwards may stand for another existing file, so this asks for that one.
bool mayReplace(QWidget* window, const QString& chosen, const QString& path);
