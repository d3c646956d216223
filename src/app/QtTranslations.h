// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Qt's own texts (the OK, Yes, No and Cancel buttons, the file dialog) in the interface language:
// Chinese for the setting 1, Qt's English otherwise.
void useQtTranslations(int languageSetting);
