// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QScrollArea>
#include <QScrollBar>

// A scroll area that asks for the whole height of what it holds, so it only scrolls when the
// window is too short to show it all (QScrollArea's own hint is capped at a few dozen lines).
class FittingScrollArea : public QScrollArea {
public:
    explicit FittingScrollArea(QWidget* parent = nullptr) : QScrollArea(parent) {
        setFrameShape(QFrame::NoFrame);
        setWidgetResizable(true);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    }

    QSize sizeHint() const override {
        const QSize content = widget() ? widget()->sizeHint() : QSize();
        return {content.width() + verticalScrollBar()->sizeHint().width(),
                content.height() + 2 * frameWidth()};
    }
};
