// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/CColorButton.h"
#include "panel/CColorGridPopup.h"
#include "panel/CLinePropertiesDlg.h"
#include "panel/ColourGrid.h"
#include "ui/Language.h"

#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace tk {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kBlue = 0x00FF0000;
constexpr std::uint32_t kRed = 0x000000FF;

class LinePropertiesDlgTest : public ::testing::Test {
protected:
    void TearDown() override {
        dialog_.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (!dir_.empty())
            fs::remove_all(dir_);
    }

    Language chineseLanguage() {
        dir_ = fs::temp_directory_path() / "tk_line_properties_test";
        fs::create_directories(dir_);
        const fs::path file = dir_ / "language.ini";
        std::ofstream(file, std::ios::binary)
            << "[App]\r\nLanguage=1\r\n[LangCh]\r\nRaceProperty=轨迹属性\r\nProperty=属性\r\n"
               "Ok=确定&A\r\nThin=细\r\nNormal=中\r\nWide=粗\r\nColor=颜色\r\nWeight=线宽\r\n";
        return Language(file.string());
    }

    void show(const Language& language, std::uint32_t colour) {
        dialog_ = std::make_unique<CLinePropertiesDlg>(language, colour);
        dialog_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog_.get()));
        colourButton_ = dialog_->findChild<CColorButton*>("colorButton");
        weightList_ = dialog_->findChild<QComboBox*>("weightList");
        okButton_ = dialog_->findChild<QPushButton*>("okButton");
        ASSERT_TRUE(colourButton_ && weightList_ && okButton_);
    }

    static void key(Qt::Key key) { QTest::keyClick(static_cast<QWidget*>(nullptr), key); }

    // Picks a cell of the grid with the keyboard: into the grid from the automatic box.
    void pickWithKeys(int cell) {
        colourButton_->setFocus();
        QTest::keyClick(colourButton_, Qt::Key_Return);
        ASSERT_NE(colourButton_->popup(), nullptr);
        key(Qt::Key_Up);
        for (int i = 0; i <= cell; ++i)
            key(Qt::Key_Right);
        key(Qt::Key_Return);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    fs::path dir_;
    std::unique_ptr<CLinePropertiesDlg> dialog_;
    CColorButton* colourButton_ = nullptr;
    QComboBox* weightList_ = nullptr;
    QPushButton* okButton_ = nullptr;
};

TEST_F(LinePropertiesDlgTest, CaptionsComeFromTheLanguageFile) {
    show(chineseLanguage(), kBlue);
    EXPECT_EQ(dialog_->windowTitle(), "轨迹属性");
    EXPECT_EQ(dialog_->findChild<QGroupBox*>("propertyGroup")->title(), "属性");
    // An ampersand in the file is shown as it stands, not taken as a shortcut marker.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(okButton_)->text(QAccessible::Name), "确定&A");
    ASSERT_EQ(weightList_->count(), 3);
    EXPECT_EQ(weightList_->itemText(0), "细");
    EXPECT_EQ(weightList_->itemText(1), "中");
    EXPECT_EQ(weightList_->itemText(2), "粗");
    EXPECT_EQ(weightList_->currentIndex(), 1);
    EXPECT_EQ(colourButton_->accessibleName(), "颜色");
    EXPECT_EQ(weightList_->accessibleName(), "线宽");
    // The picker's own captions are the same in every language.
    pickWithKeys(0);
    colourButton_->click();
    ASSERT_NE(colourButton_->popup(), nullptr);
    EXPECT_EQ(colourButton_->popup()->entryButton(kAutomaticBox)->text(), "Automatic");
    key(Qt::Key_Escape);
}

TEST_F(LinePropertiesDlgTest, WithoutALanguageFileTheKeysAreTheCaptions) {
    show(Language(), kBlue);
    EXPECT_EQ(dialog_->windowTitle(), "RaceProperty");
    EXPECT_EQ(okButton_->text(), "Ok");
    EXPECT_EQ(weightList_->currentText(), "Normal");
    EXPECT_EQ(colourButton_->colour(), kBlue);
}

TEST_F(LinePropertiesDlgTest, OkStoresTheChosenColourAndWeight) {
    show(Language(), kBlue);
    weightList_->setFocus();
    QTest::keyClick(weightList_, Qt::Key_Down);
    EXPECT_EQ(weightList_->currentIndex(), 2);
    pickWithKeys(16);
    EXPECT_EQ(colourButton_->colour(), kRed);
    QTest::mouseClick(okButton_, Qt::LeftButton);
    EXPECT_EQ(dialog_->result(), QDialog::Accepted);
    EXPECT_EQ(dialog_->properties().colour, kRed);
    EXPECT_EQ(dialog_->properties().weight, 4);
}

TEST_F(LinePropertiesDlgTest, OkUntouchedKeepsTheColourAndGivesNormalWeight) {
    show(Language(), kAutomaticColour);
    QTest::mouseClick(okButton_, Qt::LeftButton);
    EXPECT_EQ(dialog_->result(), QDialog::Accepted);
    EXPECT_EQ(dialog_->properties().colour, kAutomaticColour);
    EXPECT_EQ(dialog_->properties().weight, 3);
}

TEST_F(LinePropertiesDlgTest, EscapeClosesThePickerFirstAndThenCancelsTheDialog) {
    show(Language(), kBlue);
    EXPECT_EQ(dialog_->focusWidget(), colourButton_);
    QTest::keyClick(colourButton_, Qt::Key_Return);
    ASSERT_NE(colourButton_->popup(), nullptr);
    key(Qt::Key_Down);
    key(Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog_->isVisible());
    EXPECT_EQ(colourButton_->colour(), kBlue);

    pickWithKeys(16);
    weightList_->setCurrentIndex(0);
    QTest::keyClick(dialog_.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog_->isVisible());
    EXPECT_EQ(dialog_->result(), QDialog::Rejected);
    EXPECT_EQ(dialog_->properties().colour, kBlue);
}

TEST_F(LinePropertiesDlgTest, ClosingTheWindowCancels) {
    show(Language(), kBlue);
    weightList_->setCurrentIndex(2);
    dialog_->close();
    EXPECT_EQ(dialog_->result(), QDialog::Rejected);
}

} // namespace
} // namespace tk
