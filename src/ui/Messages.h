// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

// The program's one way to tell the user something or ask a yes-or-no question: a modal message
// box titled with the program's name, its text shown as plain text (texts from files and the
// language file are never markup).

// A message with an OK button: a warning, or else an information.
void tellUser(QWidget* window, bool warning, const QString& text);

// The button of a question that Enter presses.
enum class DefaultAnswer { No, Yes };

// A question with Yes and No buttons; answers whether the user chose Yes.
bool askUser(QWidget* window, const QString& question, DefaultAnswer byDefault = DefaultAnswer::No);
