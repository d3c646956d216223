// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration dialog against trailkeep-sim on a pseudo-terminal: what it shows for the
// logger's reply, the bytes each button sends, its messages, and that it stays responsive while
// an exchange runs.
#include "device/ConfigDialogFixture.h"

namespace {

TEST_F(ConfigDialog, ShowsTheFirmwareAndZoneAndOffersTheCommandsTheLetterAllows) {
    struct Case {
        std::vector<std::string> options;
        QString firmware;
        QString zone;
        bool upgrade;
    };
    const std::vector<Case> cases = {
        {{"--firmware", "g", "--zone", "188"}, kEnterUpgradeMode, "(Not set time zone)", true},
        {{"--firmware", "h", "--zone", "188"}, "Firmware version 1.2", "(UTC+08:00)", false},
        {{"--firmware", "i", "--zone", "175"}, "Firmware version 1.3", "(UTC-5:00)", false},
        {{"--firmware", "i", "--zone", "170"}, "Firmware version 1.3", "(UTC-10:00)", false},
        {{"--firmware", "i", "--zone", "0"}, "Firmware version 1.3", "(Not set time zone)", false},
        {{"--firmware", "j", "--zone", "180"}, "", "(UTC+00:00)", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options[1] + " " + c.options[3]);
        Logger logger(c.options);
        CConfigDlg dialog(language, logger.connector(), images.path().string());
        ModalAnswer answer;
        runDialog(dialog, [&] {
            EXPECT_EQ(text(dialog, "firmwareLabel"), c.firmware);
            EXPECT_EQ(text(dialog, "zoneLabel"), c.zone);
            EXPECT_EQ(enabled(dialog, "upgradeButton"), c.upgrade);
            EXPECT_EQ(enabled(dialog, "syncButton"), !c.upgrade);
        });
        EXPECT_TRUE(answer.texts().isEmpty()) << answer.texts().join("|").toStdString();
        EXPECT_EQ(logger.received(), kOpening);
    }
}

TEST_F(ConfigDialog, CaptionsComeFromTheLanguageAndTheStepRadiosSetTheLoggingTime) {
    Logger logger({"--step", "3", "--unit", "1"});
    CConfigDlg dialog(language, logger.connector(), images.path().string());
    runDialog(dialog, [&] {
        EXPECT_EQ(dialog.windowTitle(), "Configuration");
        EXPECT_EQ(child<QAbstractButton>(dialog, "upgradeButton")->text(), "Upgrade");
        EXPECT_EQ(child<QAbstractButton>(dialog, "step10Radio")->text(), "10S");
        EXPECT_EQ(checkedRadios(dialog), (std::vector<std::string>{"mphRadio", "step3Radio"}));
        EXPECT_EQ(text(dialog, "logTimeLabel"), "18Hour46Min24Sec");
        const std::vector<std::pair<const char*, QString>> steps = {
            {"step1Radio", "6Hour15Min28Sec"},
            {"step3Radio", "18Hour46Min24Sec"},
            {"step5Radio", "31Hour17Min20Sec"},
            {"step10Radio", "62Hour34Min40Sec"}};
        for (const auto& [radio, time] : steps) {
            click(dialog, radio);
            EXPECT_EQ(text(dialog, "logTimeLabel"), time) << radio;
        }
    });
    EXPECT_EQ(logger.received(), kOpening) << "a step radio sends nothing";
}

TEST_F(ConfigDialog, SaveSendsTheChosenStepAndUnitAndReportsEachEcho) {
    {
        Logger logger({"--step", "5", "--unit", "0"});
        CConfigDlg dialog(language, logger.connector(), images.path().string());
        ModalAnswer answer;
        runDialog(dialog, [&] {
            click(dialog, "step10Radio");
            click(dialog, "mphRadio");
            click(dialog, "saveButton");
            waitUntilIdle(dialog);
            EXPECT_TRUE(dialog.isVisible()) << "Save keeps the dialog open";
        });
        EXPECT_EQ(answer.texts(), QStringList{"Config Successful"});
        EXPECT_EQ(answer.titles(), QStringList{"Trailkeep"});
        EXPECT_EQ(logger.received(), kOpening + bytes({'A', 4, 12}));
        // Opened again, the dialog reads what the logger now holds.
        runDialog(dialog);
        EXPECT_EQ(checkedRadios(dialog), (std::vector<std::string>{"mphRadio", "step10Radio"}));
    }
    for (const char* wrong : {"step", "unit"}) {
        Logger logger({"--wrong-echo=" + std::string(wrong)});
        CConfigDlg dialog(language, logger.connector(), images.path().string());
        ModalAnswer answer;
        runDialog(dialog, [&] { click(dialog, "saveButton"); });
        const QString expected =
            wrong == std::string("step") ? "Config Step Failed" : "Config Unit Failed";
        EXPECT_EQ(answer.texts(), QStringList{expected});
        EXPECT_EQ(logger.received(), kOpening + bytes({'A', 3, 11})) << "both are sent";
    }
}

// Bytes the radios have no place for: 0 and 2 are taken as radio indexes; 7 and 2 select none,
// the logging time is the 1-second one, and Save sends step 0 and unit 10.
TEST_F(ConfigDialog, OddStepAndUnitBytesAreTakenAsTheyCome) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"0", {"kphRadio", "step1Radio"}}, {"2", {"kphRadio", "step5Radio"}}};
    for (const auto& [step, radios] : cases) {
        Logger logger({"--step", step});
        CConfigDlg dialog(language, logger.connector(), images.path().string());
        runDialog(dialog, [&] { EXPECT_EQ(checkedRadios(dialog), radios) << step; });
    }
    Logger logger({"--step", "7", "--unit", "2"});
    CConfigDlg dialog(language, logger.connector(), images.path().string());
    ModalAnswer answer;
    runDialog(dialog, [&] {
        EXPECT_TRUE(checkedRadios(dialog).empty());
        EXPECT_EQ(text(dialog, "logTimeLabel"), "6Hour15Min28Sec");
        click(dialog, "saveButton");
    });
    EXPECT_EQ(answer.texts(), (QStringList{"Config Step Failed", "Config Unit Failed"}));
    EXPECT_EQ(logger.received(), kOpening + bytes({'A', 0, 10}));
}

// The computer's standard offset is sent (UTC-5 for New York), and the settings read again
// replace the radio chosen but not saved.
TEST_F(ConfigDialog, SyncSendsTheComputersZoneAndShowsTheReloadedSettings) {
    const QByteArray previousZone = qgetenv("TZ");
    qputenv("TZ", "America/New_York");
    {
        Logger logger({"--firmware", "i", "--zone", "188", "--step", "5"});
        CConfigDlg dialog(language, logger.connector(), images.path().string());
        ModalAnswer answer;
        runDialog(dialog, [&] {
            click(dialog, "step1Radio");
            click(dialog, "syncButton");
            waitUntilIdle(dialog);
            EXPECT_EQ(text(dialog, "zoneLabel"), "(UTC-5:00)");
            EXPECT_EQ(checkedRadios(dialog), (std::vector<std::string>{"kphRadio", "step5Radio"}));
            EXPECT_TRUE(dialog.isVisible());
        });
        EXPECT_EQ(answer.texts(), QStringList{"Config Successful"});
        EXPECT_EQ(logger.received(), kOpening + bytes({'A', 175}) + kOpening);
    }
    {
        Logger logger({"--firmware", "i", "--wrong-echo=zone"});
        CConfigDlg dialog(language, logger.connector(), images.path().string());
        ModalAnswer answer;
        runDialog(dialog, [&] {
            click(dialog, "syncButton");
            waitUntilIdle(dialog);
            EXPECT_FALSE(dialog.isVisible()) << "a failed sync closes the dialog";
        });
        EXPECT_EQ(answer.texts(), QStringList{"Config time zone failed"});
    }
    if (previousZone.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", previousZone);
}

TEST_F(ConfigDialog, ClearAsksFirstAndSendsNothingWhenDeclined) {
    {
        Logger logger({});
        CConfigDlg dialog(language, logger.connector(), images.path().string());
        ModalAnswer answer(QMessageBox::No);
        runDialog(dialog, [&] { click(dialog, "clearButton"); });
        EXPECT_EQ(answer.texts(), QStringList{kClearQuestion});
        EXPECT_EQ(logger.received(), kOpening);
    }
    const std::vector<std::pair<std::vector<std::string>, QString>> cases = {
        {{}, "Clear Data..."}, {{"--wrong-echo=clear"}, "ClearFailed"}};
    for (const auto& [options, reply] : cases) {
        Logger logger(options);
        CConfigDlg dialog(language, logger.connector(), images.path().string());
        ModalAnswer answer(QMessageBox::Yes);
        runDialog(dialog, [&] {
            click(dialog, "clearButton");
            waitUntilIdle(dialog);
            EXPECT_TRUE(dialog.isVisible());
        });
        EXPECT_EQ(answer.texts(), (QStringList{kClearQuestion, reply}));
        EXPECT_EQ(logger.received(), kOpening + bytes({'A', 'C'}));
    }
}

TEST_F(ConfigDialog, KeepsTheLastRunsSettingsWhenNoLoggerAnswers) {
    auto logger = std::make_unique<Logger>(std::vector<std::string>{"--step", "3", "--unit", "1"});
    // The dialog reaches the logger through a name of this test's own: once it is gone, no
    // simulator of another test running at the same time can answer in its place (a freed
    // pseudo-terminal number is soon handed out again).
    TempDir plug;
    const std::filesystem::path socket = plug / "logger";
    std::filesystem::create_symlink(logger->port(), socket);
    tk::SerialConnector connector(socket.string());
    CConfigDlg dialog(language, connector, images.path().string());
    runDialog(dialog);
    std::filesystem::remove(socket); // the logger is unplugged
    logger.reset();
    runDialog(dialog, [&] {
        EXPECT_EQ(checkedRadios(dialog), (std::vector<std::string>{"mphRadio", "step3Radio"}));
        EXPECT_EQ(text(dialog, "logTimeLabel"), "18Hour46Min24Sec");
        EXPECT_EQ(text(dialog, "firmwareLabel"), "");
    });
}

} // namespace

// Every caption shows whole, in English and in Chinese; with TK_SCREENSHOT_DIR set, the dialog
// is also saved there as config-en.png and config-zh.png to be looked at.
TEST_F(ConfigDialog, EveryCaptionFitsInBothLanguages) {
    TempDir folder;
    std::filesystem::copy_file(kLanguageFile, folder / "language.ini");
    tk::Language chosen((folder / "language.ini").string());
    Logger logger({"--firmware", "g", "--step", "3"});
    CConfigDlg dialog(chosen, logger.connector(), images.path().string());
    for (const auto& [setting, name] : {std::pair{0, "en"}, std::pair{1, "zh"}}) {
        chosen.switchTo(setting);
        runDialog(dialog, [&, name = name] {
            if (const QByteArray dir = qgetenv("TK_SCREENSHOT_DIR"); !dir.isEmpty())
                dialog.grab().save(QString("%1/config-%2.png").arg(dir, name));
            for (QWidget* widget : dialog.findChildren<QWidget*>()) {
                const auto* label = qobject_cast<QLabel*>(widget);
                const QSize needed = label && label->wordWrap()
                                         ? QSize(0, label->heightForWidth(label->width()))
                                         : widget->minimumSizeHint();
                EXPECT_GE(widget->width(), needed.width())
                    << name << " " << widget->objectName().toStdString();
                EXPECT_GE(widget->height(), needed.height())
                    << name << " " << widget->objectName().toStdString();
            }
        });
    }
    EXPECT_EQ(dialog.windowTitle(), "参数设置");
    EXPECT_EQ(text(dialog, "firmwareLabel"), "请按住 MODE 键开机，进入升级模式");
    EXPECT_EQ(text(dialog, "logTimeLabel"), "18小时46分24秒");
    ModalAnswer answer(QMessageBox::No);
    runDialog(dialog, [&] { click(dialog, "clearButton"); });
    EXPECT_EQ(answer.texts(),
              QStringList{"清除会删除记录仪中的全部轨迹。现在清除记录仪的数据吗？"});
}
