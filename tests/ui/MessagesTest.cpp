// SPDX-License-Identifier: GPL-3.0-or-later
// Questions to the user: Enter takes the answer the caller made the default, and the text is
// shown as it stands.
#include "ui/Messages.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

namespace {

struct Asked {
    bool yes = false;
    QString shownText;
    Qt::TextFormat format = Qt::AutoText;
};

// Asks the question and presses Enter on the box once it shows.
Asked answerWithEnter(const QString& question, DefaultAnswer byDefault) {
    Asked asked;
    QTimer presser;
    QObject::connect(&presser, &QTimer::timeout, [&] {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible()) {
                asked.shownText = box->text();
                asked.format = box->textFormat();
                QTest::keyClick(box, Qt::Key_Return);
            }
    });
    presser.start(20);
    asked.yes = askUser(nullptr, question, byDefault);
    return asked;
}

TEST(Messages, EnterTakesTheDefaultAnswerAndTheTextIsPlain) {
    const QString question = QStringLiteral("Replace <b>a.kml</b>?");
    const Asked no = answerWithEnter(question, DefaultAnswer::No);
    EXPECT_FALSE(no.yes);
    EXPECT_EQ(no.shownText, question);
    EXPECT_EQ(no.format, Qt::PlainText);
    EXPECT_TRUE(answerWithEnter(question, DefaultAnswer::Yes).yes);
}

} // namespace
