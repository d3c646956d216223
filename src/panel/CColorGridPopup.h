// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "panel/ColourGrid.h"

#include <QFrame>
#include <QRect>
#include <QString>

#include <array>
#include <cstdint>

class QToolButton;

namespace tk {

// The drop-down grid of a colour button: 40 named colour cells, an "Automatic" box above them
// and a "More Colors..." box below (each box left out when its caption is empty). The entry
// under the mouse or the keyboard cursor is hot; the entry that holds the opening colour is
// chosen. While the user browses, every new hot entry is reported; the popup
// ends with exactly one accept or cancel and then closes and deletes itself.
class CColorGridPopup : public QFrame {
    Q_OBJECT
public:
    // owner is the widget the grid drops from; it becomes the popup's parent.
    CColorGridPopup(QWidget* owner, std::uint32_t colour, const QString& defaultText,
                    const QString& customText);

    // Shows the popup under its owner, or above it where the owner's screen ends below.
    void popUp();

    int hotEntry() const { return hot_; }
    int chosenEntry() const { return chosen_; }
    std::uint32_t currentColour() const { return current_; }
    // The button that shows an entry, or nullptr for kNoEntry and for a box not shown.
    QToolButton* entryButton(int entry) const;

    // Moves a popup that opens below an anchor of anchorHeight into screen: left where it would
    // pass the right edge, right where it would pass the left, above the anchor where it would
    // pass the bottom.
    static QRect fitToScreen(QRect popup, const QRect& screen, int anchorHeight);

signals:
    // The hot entry changed: its colour, automatic for the automatic box, the opening colour
    // for the custom box.
    void pickerChanged(std::uint32_t colour);
    void pickerAccepted(std::uint32_t colour);
    // Always with the colour the popup opened with.
    void pickerCancelled(std::uint32_t colour);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QToolButton* addEntry(int entry, const QString& text, const QString& name);
    GridBoxes boxes() const;
    int entryAt(const QPoint& position) const;
    void setHot(int entry);
    void markHot(int entry, bool hot);
    void end(bool accept);
    void finish(bool accept);
    bool pickCustomColour();

    std::array<QToolButton*, kGridCells> cells_{};
    QToolButton* automaticBox_ = nullptr;
    QToolButton* customBox_ = nullptr;
    int hot_ = kNoEntry;
    int chosen_ = kNoEntry;
    std::uint32_t initial_;
    std::uint32_t current_;
    bool ended_ = false;
};

} // namespace tk
