// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/CColorButton.h"
#include "panel/CColorGridPopup.h"
#include "panel/ColourGrid.h"
#include "panel/LineColourQt.h"

#include <QAccessible>
#include <QApplication>
#include <QColorDialog>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tk {
namespace {

constexpr std::uint32_t kBlue = 0x00FF0000;
constexpr std::uint32_t kRed = 0x000000FF;

std::string event(const char* name, std::uint32_t colour) {
    char text[32];
    std::snprintf(text, sizeof text, "%s %08X", name, colour);
    return text;
}

// Answers the system colour dialog when it appears: OK with a colour, or cancel.
class ColourDialogAnswer {
public:
    explicit ColourDialogAnswer(std::optional<QColor> colour) : colour_(colour) {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }
    bool answered() const { return answered_; }

private:
    void poll() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QColorDialog*>(widget);
            if (!dialog || !dialog->isVisible())
                continue;
            answered_ = true;
            if (colour_) {
                dialog->setCurrentColor(*colour_);
                dialog->accept();
            } else {
                dialog->reject();
            }
        }
    }

    std::optional<QColor> colour_;
    QTimer timer_;
    bool answered_ = false;
};

class ColorPickerTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = std::make_unique<QWidget>();
        window_->setObjectName("pickerTestWindow");
        window_->resize(200, 100);
        button_ = new CColorButton(window_.get());
        button_->move(20, 20);
        const QRect screen = window_->screen()->availableGeometry();
        window_->move(screen.topLeft() + QPoint(100, 100));
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        record(&CColorButton::pickerOpened, "opened");
        record(&CColorButton::pickerChanged, "changed");
        record(&CColorButton::pickerClosed, "closed");
        record(&CColorButton::pickerAccepted, "accepted");
        record(&CColorButton::pickerCancelled, "cancelled");
    }

    void TearDown() override {
        if (CColorGridPopup* popup = button_->popup())
            popup->close();
        window_.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void record(void (CColorButton::*signal)(std::uint32_t), const char* name) {
        QObject::connect(button_, signal, [this, name](std::uint32_t colour) {
            events_.push_back(event(name, colour));
        });
    }

    // Clicks the button showing colour and answers the grid that drops down.
    CColorGridPopup* open(std::uint32_t colour) {
        // The pointer rests beside the button, away from where the grid will be.
        QTest::mouseMove(window_->windowHandle(), QPoint(5, 5));
        button_->setColour(colour);
        QTest::mouseClick(button_, Qt::LeftButton);
        events_.clear();
        return button_->popup();
    }

    // A key as the keyboard delivers it: to the open popup's focus.
    static void key(Qt::Key key) { QTest::keyClick(static_cast<QWidget*>(nullptr), key); }

    static void hover(CColorGridPopup* popup, int entry) {
        QToolButton* button = popup->entryButton(entry);
        QTest::mouseMove(popup->windowHandle(), button->mapTo(popup, button->rect().center()));
    }

    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    std::unique_ptr<QWidget> window_;
    CColorButton* button_ = nullptr;
    std::vector<std::string> events_;
};

TEST_F(ColorPickerTest, ChosenEntryHoldsTheOpeningColour) {
    struct Case {
        std::uint32_t colour;
        bool automaticBox;
        bool customBox;
        int chosen;
    };
    const Case cases[] = {
        {kAutomaticColour, true, true, kAutomaticBox}, {kBlue, true, true, 13},
        {0x00123456, true, true, kCustomBox},          {0x00123456, true, false, kNoEntry},
        {kAutomaticColour, false, true, kCustomBox},
    };
    for (const Case& c : cases) {
        button_->setDefaultText(c.automaticBox ? "Automatic" : "");
        button_->setCustomText(c.customBox ? "More Colors..." : "");
        CColorGridPopup* popup = open(c.colour);
        ASSERT_NE(popup, nullptr);
        EXPECT_EQ(popup->chosenEntry(), c.chosen) << std::hex << c.colour;
        for (int entry = kAutomaticBox; entry < kGridCells; ++entry) {
            if (QToolButton* box = popup->entryButton(entry))
                EXPECT_EQ(box->property("chosen").toBool(), entry == c.chosen) << entry;
        }
        EXPECT_EQ(popup->entryButton(kAutomaticBox) != nullptr, c.automaticBox);
        EXPECT_EQ(popup->entryButton(kCustomBox) != nullptr, c.customBox);
        key(Qt::Key_Escape);
        settle();
    }
}

TEST_F(ColorPickerTest, CellsAreNamedAndReportTheirColoursInGridOrder) {
    CColorGridPopup* popup = open(kBlue);
    std::set<QString> names;
    for (int i = 0; i < kGridCells; ++i) {
        QToolButton* cell = popup->entryButton(i);
        EXPECT_EQ(cell->toolTip(), cell->accessibleName());
        names.insert(cell->toolTip());
        hover(popup, i);
        EXPECT_EQ(popup->hotEntry(), i);
        EXPECT_EQ(events_.back(), event("changed", kGridColours[i].colour));
    }
    EXPECT_EQ(names.size(), 40u);
    EXPECT_EQ(popup->entryButton(0)->toolTip(), "Black");
    EXPECT_EQ(popup->entryButton(9)->toolTip(), "Orange");
    EXPECT_EQ(kGridColours[9].colour, 0x002068FFu);
    EXPECT_EQ(popup->entryButton(13)->toolTip(), "Blue");
    EXPECT_EQ(popup->entryButton(35)->toolTip(), "Pale green ");
    EXPECT_EQ(popup->entryButton(39)->toolTip(), "White");
    EXPECT_EQ(popup->entryButton(kAutomaticBox)->accessibleName(), "Automatic");
    EXPECT_EQ(popup->entryButton(kCustomBox)->accessibleName(), "More Colors...");
}

TEST_F(ColorPickerTest, AccessibilityToolsSeeNamedCellsAndCanPressThem) {
    CColorGridPopup* popup = open(kBlue);
    QAccessibleInterface* cell = QAccessible::queryAccessibleInterface(popup->entryButton(16));
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->role(), QAccessible::Button);
    EXPECT_EQ(cell->text(QAccessible::Name), "Red");
    ASSERT_NE(cell->actionInterface(), nullptr);
    cell->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(QTest::qWaitFor([this] { return !button_->isPopupActive(); }));
    EXPECT_EQ(button_->colour(), kRed);
    EXPECT_EQ(events_.back(), event("changed", kRed));
}

TEST_F(ColorPickerTest, ArrowKeysFollowTheGridRules) {
    enum Boxes { Both, AutomaticOnly, CustomOnly, Neither };
    struct Case {
        Boxes boxes;
        int from;
        Qt::Key key;
        int to;
    };
    const int A = kAutomaticBox, C = kCustomBox, none = kNoEntry;
    const Case cases[] = {
        // Nothing hot yet.
        {Both, none, Qt::Key_Down, C},
        {Both, none, Qt::Key_Right, C},
        {Both, none, Qt::Key_Up, A},
        {Both, none, Qt::Key_Left, A},
        // On the boxes.
        {Both, A, Qt::Key_Down, 0},
        {Both, A, Qt::Key_Right, 0},
        {Both, A, Qt::Key_Up, C},
        {Both, A, Qt::Key_Left, C},
        {Both, C, Qt::Key_Down, A},
        {Both, C, Qt::Key_Right, A},
        {Both, C, Qt::Key_Up, 39},
        {Both, C, Qt::Key_Left, 39},
        // Inside the grid, at its rows' ends and at its edges.
        {Both, 10, Qt::Key_Down, 18},
        {Both, 10, Qt::Key_Up, 2},
        {Both, 10, Qt::Key_Left, 9},
        {Both, 10, Qt::Key_Right, 11},
        {Both, 7, Qt::Key_Right, 8},
        {Both, 8, Qt::Key_Left, 7},
        {Both, 3, Qt::Key_Up, A},
        {Both, 0, Qt::Key_Left, A},
        {Both, 35, Qt::Key_Down, C},
        {Both, 39, Qt::Key_Right, C},
        // Without the custom box.
        {AutomaticOnly, none, Qt::Key_Down, A},
        {AutomaticOnly, none, Qt::Key_Left, A},
        {AutomaticOnly, A, Qt::Key_Up, 39},
        {AutomaticOnly, A, Qt::Key_Left, 39},
        {AutomaticOnly, 39, Qt::Key_Right, A},
        {AutomaticOnly, 36, Qt::Key_Down, A},
        // Without the automatic box.
        {CustomOnly, none, Qt::Key_Up, C},
        {CustomOnly, none, Qt::Key_Right, C},
        {CustomOnly, C, Qt::Key_Down, 0},
        {CustomOnly, C, Qt::Key_Right, 0},
        {CustomOnly, 0, Qt::Key_Left, C},
        {CustomOnly, 4, Qt::Key_Up, C},
        // Without either box the grid wraps around.
        {Neither, none, Qt::Key_Down, 0},
        {Neither, none, Qt::Key_Right, 0},
        {Neither, none, Qt::Key_Up, 39},
        {Neither, none, Qt::Key_Left, 39},
        {Neither, 39, Qt::Key_Right, 0},
        {Neither, 0, Qt::Key_Up, 39},
    };
    for (const Case& c : cases) {
        button_->setDefaultText(c.boxes == Both || c.boxes == AutomaticOnly ? "Automatic" : "");
        button_->setCustomText(c.boxes == Both || c.boxes == CustomOnly ? "More Colors..." : "");
        CColorGridPopup* popup = open(kBlue);
        ASSERT_NE(popup, nullptr);
        if (c.from != kNoEntry)
            hover(popup, c.from);
        ASSERT_EQ(popup->hotEntry(), c.from);
        key(c.key);
        EXPECT_EQ(popup->hotEntry(), c.to)
            << "boxes " << c.boxes << ", from " << c.from << ", key " << std::hex << c.key;
        key(Qt::Key_Escape);
        settle();
    }
}

TEST_F(ColorPickerTest, EnterAcceptsTheBrowsedColourAndReportsEachStep) {
    const std::uint32_t brown = kGridColours[1].colour;
    open(kBlue);
    key(Qt::Key_Right); // the custom box
    key(Qt::Key_Right); // the automatic box
    key(Qt::Key_Right); // cell 0
    key(Qt::Key_Right); // cell 1
    key(Qt::Key_Return);
    settle();
    const std::vector<std::string> expected = {
        event("changed", kBlue), event("changed", kAutomaticColour),
        event("changed", 0),     event("changed", brown),
        event("closed", brown),  event("accepted", brown),
        event("changed", brown),
    };
    EXPECT_EQ(events_, expected);
    EXPECT_EQ(button_->colour(), brown);
    EXPECT_EQ(button_->popup(), nullptr);
    EXPECT_FALSE(button_->isPopupActive());
}

TEST_F(ColorPickerTest, SpaceAcceptsAndTheSameColourSendsNoChange) {
    CColorGridPopup* popup = open(kBlue);
    hover(popup, 16);
    key(Qt::Key_Space);
    settle();
    EXPECT_EQ(button_->colour(), kRed);

    open(kRed);
    key(Qt::Key_Return);
    settle();
    const std::vector<std::string> expected = {event("closed", kRed), event("accepted", kRed)};
    EXPECT_EQ(events_, expected);
}

TEST_F(ColorPickerTest, EscapeRestoresTheOpeningColour) {
    button_->setTrackSelection(true);
    CColorGridPopup* popup = open(kBlue);
    hover(popup, 16);
    EXPECT_EQ(button_->colour(), kRed);
    key(Qt::Key_Down);
    EXPECT_EQ(button_->colour(), kGridColours[24].colour);
    key(Qt::Key_Escape);
    settle();
    EXPECT_EQ(button_->colour(), kBlue);
    ASSERT_GE(events_.size(), 2u);
    EXPECT_EQ(events_[events_.size() - 2], event("closed", kBlue));
    EXPECT_EQ(events_.back(), event("cancelled", kBlue));
}

TEST_F(ColorPickerTest, MouseReleaseInsideAcceptsAndOutsideCancels) {
    const std::uint32_t yellow = kGridColours[26].colour;
    const std::uint32_t green = kGridColours[11].colour;
    CColorGridPopup* popup = open(kBlue);
    QToolButton* cell = popup->entryButton(26);
    const QPoint onCell = cell->mapTo(popup, cell->rect().center());
    QTest::mouseMove(popup->windowHandle(), onCell);
    QTest::mouseClick(popup->windowHandle(), Qt::LeftButton, {}, onCell);
    settle();
    EXPECT_EQ(button_->colour(), yellow);

    // On the grid's margin: the hot colour is taken.
    popup = open(kBlue);
    hover(popup, 11);
    QTest::mouseClick(popup->windowHandle(), Qt::LeftButton, {}, QPoint(1, 1));
    settle();
    EXPECT_EQ(button_->colour(), green);

    // Anywhere else, the button itself included: cancelled.
    popup = open(kBlue);
    hover(popup, 11);
    QTest::mouseClick(window_->windowHandle(), Qt::LeftButton, {}, QPoint(5, 5));
    settle();
    EXPECT_EQ(button_->colour(), kBlue);
    EXPECT_EQ(events_.back(), event("cancelled", kBlue));
    popup = open(kBlue);
    QTest::mouseClick(window_->windowHandle(), Qt::LeftButton, {}, button_->geometry().center());
    settle();
    EXPECT_EQ(events_.back(), event("cancelled", kBlue));
    EXPECT_EQ(button_->popup(), nullptr);
}

TEST_F(ColorPickerTest, AutomaticIsKeptAndShownInTheDefaultColour) {
    CColorGridPopup* popup = open(kBlue);
    hover(popup, kAutomaticBox);
    key(Qt::Key_Return);
    settle();
    EXPECT_EQ(button_->colour(), kAutomaticColour);
    const QImage swatch = button_->icon().pixmap(button_->iconSize()).toImage();
    EXPECT_EQ(swatch.pixelColor(swatch.rect().center()), toQColor(kAutomaticDrawColour));
    EXPECT_EQ(toQColor(kAutomaticDrawColour), QColor(255, 0, 0));
}

TEST_F(ColorPickerTest, MoreColorsTakesTheDialogsColourOrCancelsWithIt) {
    CColorGridPopup* popup = open(kBlue);
    hover(popup, kCustomBox);
    {
        ColourDialogAnswer answer(QColor(0x12, 0x34, 0x56));
        key(Qt::Key_Return);
        EXPECT_TRUE(answer.answered());
    }
    settle();
    EXPECT_EQ(button_->colour(), 0x00563412u);
    EXPECT_EQ(events_.back(), event("changed", 0x00563412));

    popup = open(kBlue);
    hover(popup, kCustomBox);
    {
        ColourDialogAnswer answer(std::nullopt);
        key(Qt::Key_Return);
        EXPECT_TRUE(answer.answered());
    }
    settle();
    EXPECT_EQ(button_->colour(), kBlue);
    const std::vector<std::string> expected = {event("changed", kBlue), event("closed", kBlue),
                                               event("cancelled", kBlue)};
    EXPECT_EQ(events_, expected);
}

TEST_F(ColorPickerTest, SwitchingToAnotherApplicationCancels) {
    button_->setTrackSelection(true);
    CColorGridPopup* popup = open(kBlue);
    hover(popup, 5);
    QEvent deactivate(QEvent::ApplicationDeactivate);
    QCoreApplication::sendEvent(qApp, &deactivate);
    settle();
    EXPECT_EQ(button_->popup(), nullptr);
    EXPECT_EQ(button_->colour(), kBlue);
    EXPECT_EQ(events_.back(), event("cancelled", kBlue));
}

TEST_F(ColorPickerTest, SpaceOrEnterOnTheFocusedButtonOpensTheGrid) {
    for (Qt::Key opener : {Qt::Key_Space, Qt::Key_Return}) {
        button_->setFocus();
        QTest::keyClick(button_, opener);
        ASSERT_NE(button_->popup(), nullptr) << opener;
        EXPECT_TRUE(button_->popup()->isVisible());
        EXPECT_TRUE(button_->isPopupActive());
        key(Qt::Key_Escape);
        settle();
    }
}

TEST_F(ColorPickerTest, GridOpensUnderTheButtonAndStaysOnTheScreen) {
    const QRect screen = button_->screen()->availableGeometry();
    CColorGridPopup* popup = open(kBlue);
    const QPoint buttonCorner = button_->mapToGlobal(QPoint(0, button_->height()));
    EXPECT_EQ(popup->geometry().topLeft(), buttonCorner);
    key(Qt::Key_Escape);
    settle();

    // Near the bottom right corner: shifted left, and above the button.
    window_->move(screen.right() - 80, screen.bottom() - 50);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return window_->pos() == QPoint(screen.right() - 80, screen.bottom() - 50); }));
    popup = open(kBlue);
    const QRect buttonRect(button_->mapToGlobal(QPoint(0, 0)), button_->size());
    ASSERT_GT(buttonRect.left() + popup->width(), screen.right());
    EXPECT_EQ(popup->geometry().right(), screen.right());
    EXPECT_EQ(popup->geometry().bottom() + 1, buttonRect.top());
    key(Qt::Key_Escape);
    settle();

    // Past the left edge: moved right onto the screen.
    window_->move(screen.left() - 40, screen.top() + 50);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return window_->pos() == QPoint(screen.left() - 40, screen.top() + 50); }));
    popup = open(kBlue);
    EXPECT_EQ(popup->geometry().left(), screen.left());
    EXPECT_EQ(popup->geometry().top(), button_->mapToGlobal(QPoint(0, button_->height())).y());
}

} // namespace
} // namespace tk
