// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration dialog's firmware upgrade against trailkeep-sim's boot loader: the image the
// loader asks for, the progress, and why an upgrade did not run.
#include "device/ConfigDialogFixture.h"

namespace {

class ConfigUpgrade : public ConfigDialog {
protected:
    void SetUp() override {
        tk::e2e::writeBytes(images / "firmware-158.bin", small);
        tk::e2e::writeBytes(images / "firmware-159.bin", large);
    }
    Bytes small = randomImage(16384, 158);
    Bytes large = randomImage(32768, 159);
};

Bytes prefix(const Bytes& image, std::size_t blocks) {
    return Bytes(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(blocks * 128));
}

TEST_F(ConfigUpgrade, SendsTheImageTheLoaderAsksForOneProgressStepPerBlock) {
    struct Case {
        std::vector<std::string> options;
        const Bytes& image;
        int blocks;
        int sent;
    };
    const std::vector<Case> cases = {
        {{"--boot-size", "0x16", "--loader", "f"}, small, 120, 120},
        {{"--boot-size", "0x32", "--loader", "g"}, large, 224, 224},
        {{"--boot-size", "0x16", "--loader", "g", "--z-after", "5"}, small, 120, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options[1] + " " + c.options[3]);
        std::vector<std::string> options = {"--firmware", "g"};
        options.insert(options.end(), c.options.begin(), c.options.end());
        Logger logger(options);
        CConfigDlg dialog(language, logger.connector(), images.path().string());
        ModalAnswer answer;
        QProgressBar* progress = child<QProgressBar>(dialog, "upgradeProgress");
        runDialog(dialog, [&] {
            click(dialog, "upgradeButton");
            waitUntilIdle(dialog);
            EXPECT_EQ(progress->maximum(), c.blocks);
            EXPECT_EQ(progress->value(), c.sent);
        });
        EXPECT_EQ(answer.texts(), QStringList{"Upgrading finished"});
        EXPECT_EQ(logger.flashed(), prefix(c.image, static_cast<std::size_t>(c.sent)));
    }
}

// Each stops where the logger's answer went wrong; a loader the program cannot speak to gets no
// chunk byte at all.
TEST_F(ConfigUpgrade, ReportsWhyAnUpgradeDidNotRun) {
    struct Case {
        std::vector<std::string> options;
        QString reply;
        Bytes sent;
    };
    const std::vector<Case> cases = {
        {{"--firmware", "g", "--no-boot"}, kEnterUpgradeMode, bytes({'A', 'T'})},
        {{"--firmware", "g", "--boot-size", "0x40"}, kEnterUpgradeMode, bytes({'A', 'T', 'V'})},
        {{"--firmware", "g", "--loader", "x"},
         "Firmware upgrading failed, please try again",
         bytes({'A', 'T', 'V', 'W'})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options[2]);
        Logger logger(c.options);
        CConfigDlg dialog(language, logger.connector(), images.path().string());
        ModalAnswer answer;
        runDialog(dialog, [&] { click(dialog, "upgradeButton"); });
        EXPECT_EQ(answer.texts(), QStringList{c.reply});
        EXPECT_EQ(logger.received(), kOpening + c.sent);
    }
    // Without images the logger is not put into upgrade mode at all.
    TempDir empty;
    Logger logger({"--firmware", "g"});
    CConfigDlg dialog(language, logger.connector(), empty.path().string());
    ModalAnswer answer;
    runDialog(dialog, [&] { click(dialog, "upgradeButton"); });
    EXPECT_EQ(answer.texts(), QStringList{"Firmware image not found"});
    EXPECT_EQ(logger.received(), kOpening);
}

TEST_F(ConfigUpgrade, StaysResponsiveWithItsControlsDisabledWhileAnExchangeRuns) {
    Logger logger(
        {"--pace", "--firmware", "g", "--boot-size", "0x16", "--loader", "g", "--z-after", "29"});
    CConfigDlg dialog(language, logger.connector(), images.path().string());
    ModalAnswer answer;
    QProgressBar* progress = child<QProgressBar>(dialog, "upgradeProgress");
    qint64 longestGap = 0;
    std::vector<int> values;
    runDialog(dialog, [&] {
        click(dialog, "upgradeButton");
        QElapsedTimer sinceTick;
        sinceTick.start();
        while (!enabled(dialog, "saveButton")) {
            pause(5);
            longestGap = std::max(longestGap, sinceTick.restart());
            if (!answer.texts().isEmpty())
                continue; // the closing message is up
            for (const char* name : {"saveButton", "clearButton", "upgradeButton", "syncButton",
                                     "step1Radio", "kphRadio"})
                EXPECT_FALSE(enabled(dialog, name)) << name;
            dialog.reject();
            EXPECT_TRUE(dialog.isVisible()) << "closing waits for the exchange";
            values.push_back(progress->value());
        }
    });
    EXPECT_EQ(answer.texts(), QStringList{"Upgrading finished"});
    EXPECT_LT(longestGap, 250) << "the event loop stalled";
    ASSERT_FALSE(values.empty());
    EXPECT_LT(values.front(), values.back()) << "the bar advances while the blocks go out";
    EXPECT_EQ(progress->value(), 30);
}

// Without a logger the dialog opens silently and shows what the previous run left; each command
// says "Get Uart Failed", and Save and Sync then close the dialog.
TEST_F(ConfigUpgrade, WithoutALoggerOpensSilentlyAndEachCommandSaysSo) {
    tk::SerialConnector nowhere("/nonexistent/tty");
    CConfigDlg dialog(language, nowhere, images.path().string());
    {
        ModalAnswer answer(QMessageBox::Yes);
        runDialog(dialog, [&] {
            EXPECT_EQ(checkedRadios(dialog), (std::vector<std::string>{"kphRadio", "step1Radio"}));
            EXPECT_EQ(text(dialog, "logTimeLabel"), "");
            EXPECT_TRUE(enabled(dialog, "upgradeButton"));
            EXPECT_TRUE(enabled(dialog, "syncButton"));
            EXPECT_TRUE(answer.texts().isEmpty());
            for (const char* button : {"clearButton", "upgradeButton"}) {
                click(dialog, button);
                waitUntilIdle(dialog);
                EXPECT_TRUE(dialog.isVisible()) << button;
            }
        });
        EXPECT_EQ(answer.texts(),
                  (QStringList{kClearQuestion, "Get Uart Failed", "Get Uart Failed"}));
    }
    for (const char* button : {"saveButton", "syncButton"}) {
        ModalAnswer closing;
        runDialog(dialog, [&] {
            click(dialog, button);
            waitUntilIdle(dialog);
            EXPECT_FALSE(dialog.isVisible()) << button;
        });
        EXPECT_EQ(closing.texts(), QStringList{"Get Uart Failed"});
    }
}

} // namespace
