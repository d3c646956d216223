// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/CColorButton.h"

#include "panel/CColorGridPopup.h"
#include "panel/ColourGrid.h"
#include "panel/LineColourQt.h"

#include <QKeyEvent>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>

namespace tk {

CColorButton::CColorButton(QWidget* parent) : QPushButton(parent) {
    setObjectName("colorButton");
    connect(this, &QPushButton::clicked, this, &CColorButton::openPopup);
    refreshSwatch();
}

void CColorButton::setColour(std::uint32_t colour) {
    colour_ = colour;
    refreshSwatch();
    repaint();
}

void CColorButton::setDefaultColour(std::uint32_t colour) {
    defaultColour_ = colour;
    refreshSwatch();
    update();
}

CColorGridPopup* CColorButton::popup() const {
    return popup_;
}

QSize CColorButton::sizeHint() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    option.features |= QStyleOptionButton::HasMenu;
    const int height = fontMetrics().height();
    const QSize contents(
        3 * height + style()->pixelMetric(QStyle::PM_MenuButtonIndicator, &option, this), height);
    return style()->sizeFromContents(QStyle::CT_PushButton, &option, contents, this);
}

QSize CColorButton::minimumSizeHint() const {
    return sizeHint();
}

void CColorButton::keyPressEvent(QKeyEvent* event) {
    // Enter opens the grid wherever the button sits, not only where it is a dialog's default.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void CColorButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    // The drop arrow says that the button opens a grid; while it is open the button stays down.
    option.features |= QStyleOptionButton::HasMenu;
    if (popupActive_)
        option.state |= QStyle::State_Sunken | QStyle::State_HasFocus;
    painter.drawControl(QStyle::CE_PushButton, option);
}

void CColorButton::resizeEvent(QResizeEvent* event) {
    QPushButton::resizeEvent(event);
    refreshSwatch();
}

void CColorButton::refreshSwatch() {
    QStyleOptionButton option;
    initStyleOption(&option);
    option.features |= QStyleOptionButton::HasMenu;
    const QRect contents = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    const int arrow = style()->pixelMetric(QStyle::PM_MenuButtonIndicator, &option, this);
    const QSize swatch(std::max(4, contents.width() - arrow - 8),
                       std::max(4, contents.height() - 4));
    setIconSize(swatch);
    const std::uint32_t shown = colour_ == kAutomaticColour ? defaultColour_ : colour_;
    setIcon(swatchIcon(toQColor(shown), Qt::black, swatch, devicePixelRatio()));
    const QString name = QString::fromStdString(colourName(colour_));
    setToolTip(name);
    setAccessibleDescription(name);
}

void CColorButton::openPopup() {
    if (popup_)
        return;
    popupActive_ = true;
    auto* popup = new CColorGridPopup(this, colour_, defaultText_, customText_);
    connect(popup, &CColorGridPopup::pickerChanged, this, &CColorButton::onPopupChanged);
    connect(popup, &CColorGridPopup::pickerAccepted, this, &CColorButton::onPopupAccepted);
    connect(popup, &CColorGridPopup::pickerCancelled, this, &CColorButton::onPopupCancelled);
    popup_ = popup;
    popup->popUp();
    update();
    emit pickerOpened(colour_);
}

void CColorButton::onPopupChanged(std::uint32_t colour) {
    if (trackSelection_)
        setColour(colour);
    emit pickerChanged(colour);
}

void CColorButton::onPopupAccepted(std::uint32_t colour) {
    const std::uint32_t old = colour_;
    popupActive_ = false;
    popup_ = nullptr;
    setColour(colour);
    emit pickerClosed(colour);
    emit pickerAccepted(colour);
    if (colour != old)
        emit pickerChanged(colour);
}

void CColorButton::onPopupCancelled(std::uint32_t colour) {
    popupActive_ = false;
    popup_ = nullptr;
    setColour(colour);
    emit pickerClosed(colour);
    emit pickerCancelled(colour);
}

} // namespace tk
