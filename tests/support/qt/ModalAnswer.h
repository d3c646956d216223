// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>

// Answers the message boxes a command shows while the test waits: every box that appears is
// recorded (its text) and answered with the given button, as a user would click it.
class ModalAnswer {
public:
    explicit ModalAnswer(QMessageBox::StandardButton answer = QMessageBox::Ok) : answer_(answer) {
        timer_ = std::make_unique<QTimer>();
        timer_->setInterval(20);
        QObject::connect(timer_.get(), &QTimer::timeout, [this] { poll(); });
        timer_->start();
    }

    const QStringList& texts() const { return texts_; }
    const QStringList& titles() const { return titles_; }
    void setAnswer(QMessageBox::StandardButton answer) { answer_ = answer; }

private:
    void poll() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box || !box->isVisible())
                continue;
            texts_ << box->text();
            titles_ << box->windowTitle();
            QAbstractButton* button = box->button(answer_);
            if (!button && !box->buttons().isEmpty())
                button = box->buttons().first();
            if (button)
                button->click();
        }
    }

    QMessageBox::StandardButton answer_;
    std::unique_ptr<QTimer> timer_;
    QStringList texts_;
    QStringList titles_;
};
