// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include "ui/Language.h"

// Captions from the language file, shown as plain text: QLabel and header texts take them as
// they are, and buttons and group boxes get every '&' doubled so none becomes a mnemonic.
inline QString caption(const tk::Language& language, const char* key) {
    return QString::fromStdString(language.text(key));
}

inline QString buttonCaption(const tk::Language& language, const char* key) {
    return caption(language, key).replace(QLatin1Char('&'), QStringLiteral("&&"));
}
