// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tracks/LineColour.h"

#include <QPointer>
#include <QPushButton>
#include <QString>

#include <cstdint>

namespace tk {

class CColorGridPopup;

// A push button that shows a line colour and, when clicked (or pressed with Space or Enter),
// drops down the colour grid under itself. It keeps the colour the user accepts and tells its
// surroundings about each step: opened, then browse steps (changed), then closed followed by
// accepted or cancelled; changed also follows an accept that changed the colour.
class CColorButton : public QPushButton {
    Q_OBJECT
public:
    explicit CColorButton(QWidget* parent = nullptr);

    std::uint32_t colour() const { return colour_; }
    void setColour(std::uint32_t colour);

    // What the button shows while its colour is automatic.
    std::uint32_t defaultColour() const { return defaultColour_; }
    void setDefaultColour(std::uint32_t colour);

    // Captions of the grid's two boxes; an empty caption leaves its box out.
    QString defaultText() const { return defaultText_; }
    void setDefaultText(const QString& text) { defaultText_ = text; }
    QString customText() const { return customText_; }
    void setCustomText(const QString& text) { customText_ = text; }

    // When set, the button takes each colour the user browses over, not only the accepted one.
    bool trackSelection() const { return trackSelection_; }
    void setTrackSelection(bool on) { trackSelection_ = on; }

    bool isPopupActive() const { return popupActive_; }
    // The open grid, or nullptr.
    CColorGridPopup* popup() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void pickerChanged(std::uint32_t colour);
    void pickerOpened(std::uint32_t colour);
    void pickerClosed(std::uint32_t colour);
    void pickerAccepted(std::uint32_t colour);
    void pickerCancelled(std::uint32_t colour);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void openPopup();
    void onPopupChanged(std::uint32_t colour);
    void onPopupAccepted(std::uint32_t colour);
    void onPopupCancelled(std::uint32_t colour);
    void refreshSwatch();

    std::uint32_t colour_ = kAutomaticColour;
    std::uint32_t defaultColour_ = kAutomaticDrawColour;
    QString defaultText_ = "Automatic";
    QString customText_ = "More Colors...";
    bool popupActive_ = false;
    bool trackSelection_ = false;
    QPointer<CColorGridPopup> popup_;
};

} // namespace tk
