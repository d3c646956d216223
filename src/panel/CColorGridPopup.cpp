// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/CColorGridPopup.h"

#include "panel/LineColourQt.h"

#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QGridLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace tk {

namespace {

constexpr int kMargin = 2;
constexpr int kBoxSize = 18;
constexpr int kSwatchSize = kBoxSize - 2 * (kMargin + 1);

// The hot entry is highlighted as in a menu; the chosen one stands out light and framed.
constexpr char kEntryStyle[] = R"(
QToolButton { border: 1px solid transparent; border-radius: 2px; padding: 0px;
              background: transparent; }
QToolButton[chosen="true"] { border-color: palette(dark); background: palette(light); }
QToolButton[hot="true"] { border-color: palette(highlight); background: palette(highlight);
                          color: palette(highlighted-text); }
)";

QString toText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

CColorGridPopup::CColorGridPopup(QWidget* owner, std::uint32_t colour, const QString& defaultText,
                                 const QString& customText)
    : QFrame(owner, Qt::Popup | Qt::FramelessWindowHint), initial_(colour), current_(colour) {
    setObjectName("colorGridPopup");
    setAccessibleName("Colors");
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setMouseTracking(true);
    setStyleSheet(kEntryStyle);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->setSpacing(kMargin);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    if (!defaultText.isEmpty()) {
        automaticBox_ = addEntry(kAutomaticBox, defaultText, "automaticBox");
        layout->addWidget(automaticBox_);
    }
    auto* grid = new QGridLayout;
    grid->setSpacing(0);
    for (int i = 0; i < kGridCells; ++i) {
        cells_[i] = addEntry(i, QString(), QString("colorCell%1").arg(i));
        grid->addWidget(cells_[i], i / kGridColumns, i % kGridColumns);
    }
    layout->addLayout(grid);
    if (!customText.isEmpty()) {
        auto* separator = new QFrame(this);
        separator->setObjectName("customBoxSeparator");
        separator->setFrameStyle(QFrame::HLine | QFrame::Sunken);
        layout->addWidget(separator);
        customBox_ = addEntry(kCustomBox, customText, "moreColorsBox");
        layout->addWidget(customBox_);
    }

    chosen_ = chosenGridEntry(colour, boxes());
    if (QToolButton* button = entryButton(chosen_))
        button->setProperty("chosen", true);
    // Switching to another application cancels the choice.
    qApp->installEventFilter(this);
}

QToolButton* CColorGridPopup::addEntry(int entry, const QString& text, const QString& name) {
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setFocusPolicy(Qt::NoFocus);
    // Moves over an entry reach the popup, which decides what is hot.
    button->setMouseTracking(true);
    if (entry >= 0) {
        const NamedColour& named = kGridColours[entry];
        button->setFixedSize(kBoxSize, kBoxSize);
        button->setIconSize(QSize(kSwatchSize, kSwatchSize));
        button->setIcon(swatchIcon(toQColor(named.colour), palette().color(QPalette::Dark),
                                   button->iconSize(), devicePixelRatio()));
        button->setToolTip(toText(named.name));
        button->setAccessibleName(toText(named.name));
    } else {
        button->setText(text);
        button->setAccessibleName(text);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        button->setFixedHeight(fontMetrics().height() + 5 * kMargin + 2);
    }
    // A press through the accessibility interface: take that entry.
    connect(button, &QToolButton::clicked, this, [this, entry] {
        if (hot_ != entry)
            setHot(entry);
        end(true);
    });
    return button;
}

QToolButton* CColorGridPopup::entryButton(int entry) const {
    if (entry >= 0 && entry < kGridCells)
        return cells_[entry];
    if (entry == kAutomaticBox)
        return automaticBox_;
    if (entry == kCustomBox)
        return customBox_;
    return nullptr;
}

GridBoxes CColorGridPopup::boxes() const {
    return {automaticBox_ != nullptr, customBox_ != nullptr};
}

QRect CColorGridPopup::fitToScreen(QRect popup, const QRect& screen, int anchorHeight) {
    if (popup.right() > screen.right())
        popup.moveRight(screen.right());
    if (popup.left() < screen.left())
        popup.moveLeft(screen.left());
    if (popup.bottom() > screen.bottom()) {
        popup.translate(0, -(popup.height() + anchorHeight));
        if (popup.top() < screen.top())
            popup.moveTop(screen.top());
    }
    return popup;
}

void CColorGridPopup::popUp() {
    adjustSize();
    QWidget* owner = parentWidget();
    QRect place(owner->mapToGlobal(QPoint(0, owner->height())), size());
    if (QScreen* screen = owner->screen())
        place = fitToScreen(place, screen->availableGeometry(), owner->height());
    move(place.topLeft());
    show();
    setFocus(Qt::PopupFocusReason);
}

int CColorGridPopup::entryAt(const QPoint& position) const {
    const QWidget* child = childAt(position);
    for (int entry = kAutomaticBox; entry < kGridCells; ++entry) {
        if (child && entryButton(entry) == child)
            return entry;
    }
    return kNoEntry;
}

void CColorGridPopup::markHot(int entry, bool hot) {
    QToolButton* button = entryButton(entry);
    if (!button)
        return;
    button->setProperty("hot", hot);
    button->style()->unpolish(button);
    button->style()->polish(button);
    button->update();
    // The hot entry holds the focus so that screen readers announce it while the user browses.
    if (hot && isVisible())
        button->setFocus(Qt::OtherFocusReason);
}

void CColorGridPopup::setHot(int entry) {
    markHot(hot_, false);
    hot_ = entry;
    markHot(hot_, true);
    if (entry >= 0) {
        current_ = kGridColours[entry].colour;
        emit pickerChanged(current_);
    } else if (entry == kAutomaticBox) {
        current_ = kAutomaticColour;
        emit pickerChanged(current_);
    } else if (entry == kCustomBox) {
        emit pickerChanged(initial_);
    }
}

void CColorGridPopup::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        end(true);
        return;
    case Qt::Key_Escape:
        end(false);
        return;
    case Qt::Key_Up:
        setHot(gridMove(hot_, GridMove::Up, boxes()));
        return;
    case Qt::Key_Down:
        setHot(gridMove(hot_, GridMove::Down, boxes()));
        return;
    case Qt::Key_Left:
        setHot(gridMove(hot_, GridMove::Left, boxes()));
        return;
    case Qt::Key_Right:
        setHot(gridMove(hot_, GridMove::Right, boxes()));
        return;
    default:
        QFrame::keyPressEvent(event);
    }
}

void CColorGridPopup::mouseMoveEvent(QMouseEvent* event) {
    const int entry = entryAt(event->position().toPoint());
    if (entry != kNoEntry && entry != hot_)
        setHot(entry);
}

void CColorGridPopup::mousePressEvent(QMouseEvent* event) {
    // Taken here, so a press outside does not close the popup: the release decides.
    event->accept();
}

void CColorGridPopup::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    end(rect().contains(event->position().toPoint()));
}

void CColorGridPopup::closeEvent(QCloseEvent* event) {
    // Closed from outside (the window system, another popup): the choice is cancelled.
    if (!ended_)
        finish(false);
    QFrame::closeEvent(event);
}

bool CColorGridPopup::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qApp && event->type() == QEvent::ApplicationDeactivate) {
        end(false);
        return false;
    }
    // Keys reach the hot entry, which holds the focus; the grid's keys are the popup's.
    if (event->type() == QEvent::KeyPress && watched != qApp && watched->parent() == this) {
        keyPressEvent(static_cast<QKeyEvent*>(event));
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

void CColorGridPopup::end(bool accept) {
    if (ended_)
        return;
    finish(accept);
    close();
}

void CColorGridPopup::finish(bool accept) {
    ended_ = true;
    if (accept && hot_ == kCustomBox)
        accept = pickCustomColour();
    if (!accept)
        current_ = initial_;
    if (accept)
        emit pickerAccepted(current_);
    else
        emit pickerCancelled(current_);
}

bool CColorGridPopup::pickCustomColour() {
    // The popup holds the mouse and keyboard while it is shown; the dialog needs them.
    hide();
    QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    QColorDialog dialog(toQColor(initial_), owner);
    dialog.setObjectName("colorDialog");
    if (dialog.exec() != QDialog::Accepted)
        return false;
    current_ = toColourRef(dialog.selectedColor());
    return true;
}

} // namespace tk
