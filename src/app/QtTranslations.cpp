// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

void useQtTranslations(int languageSetting) {
    static QTranslator* chinese = nullptr;
    if (chinese) {
        QCoreApplication::removeTranslator(chinese);
        delete chinese;
        chinese = nullptr;
    }
    if (languageSetting != 1)
        return;
    chinese = new QTranslator;
    if (chinese->load(QStringLiteral("qtbase_zh_CN"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(chinese);
}
