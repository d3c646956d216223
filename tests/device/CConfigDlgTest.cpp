// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration dialog against trailkeep-sim on a pseudo-terminal: what it shows for the
// logger's reply, the bytes each button sends, its messages, and that it stays responsive while
// an exchange runs.
#include "device/CConfigDlg.h"
#include "e2e/SimProcess.h"
#include "link/SerialConnector.h"
#include "support/qt/ModalAnswer.h"
#include "ui/Language.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>

// Failures print texts, not their UTF-16 units.
static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

using tk::e2e::Bytes;
using tk::e2e::TempDir;

const std::string kLanguageFile = std::string(TK_SOURCE_DIR) + "/res/language.ini";
const QString kEnterUpgradeMode = "Press and hold MODE to start and enter upgrading mode";
const QString kClearQuestion =
    "Clearing erases every track on the logger. Clear the logger's memory now?";
const Bytes kOpening = {'A', 'V'}; // probe and settings request when the dialog opens

Bytes bytes(std::initializer_list<int> values) {
    Bytes result;
    for (int v : values)
        result.push_back(static_cast<std::uint8_t>(v));
    return result;
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A simulated logger that records every byte it receives.
class Logger {
public:
    explicit Logger(std::vector<std::string> options)
        : sim_(withLog(std::move(options), dir_)), connector_(sim_.port()) {
        EXPECT_FALSE(sim_.port().empty()) << "trailkeep-sim did not start";
    }

    tk::SerialConnector& connector() { return connector_; }
    const std::string& port() const { return sim_.port(); }
    Bytes received() const { return tk::e2e::readBytes(dir_ / "received.bin"); }
    // The simulator writes the flashed image when it stops.
    Bytes flashed() {
        sim_.stop();
        return tk::e2e::readBytes(dir_ / "flashed.bin");
    }

private:
    static std::vector<std::string> withLog(std::vector<std::string> options, const TempDir& dir) {
        options.insert(options.end(), {"--log", (dir / "received.bin").string(), "--firmware-out",
                                       (dir / "flashed.bin").string()});
        return options;
    }

    TempDir dir_;
    tk::e2e::SimProcess sim_;
    tk::SerialConnector connector_;
};

template <class W> W* child(QWidget& dialog, const char* name) {
    W* widget = dialog.findChild<W*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

QString text(QWidget& dialog, const char* name) {
    return child<QLabel>(dialog, name)->text();
}

bool enabled(QWidget& dialog, const char* name) {
    return child<QWidget>(dialog, name)->isEnabled();
}

void click(QWidget& dialog, const char* name) {
    child<QAbstractButton>(dialog, name)->click();
}

void pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Save is offered whenever no exchange runs.
void waitUntilIdle(QWidget& dialog, int limitMs = 60000) {
    QElapsedTimer clock;
    clock.start();
    while (!enabled(dialog, "saveButton") && clock.elapsed() < limitMs)
        pause(10);
    EXPECT_TRUE(enabled(dialog, "saveButton")) << "an exchange did not end";
}

// Runs the dialog modally as the main window does; script runs inside its event loop once the
// opening exchange has ended, and the dialog is closed afterwards unless it closed itself.
int runDialog(CConfigDlg& dialog, const std::function<void()>& script = {}) {
    QTimer::singleShot(0, &dialog, [&] {
        waitUntilIdle(dialog);
        if (script)
            script();
        waitUntilIdle(dialog);
        if (dialog.isVisible())
            dialog.reject();
    });
    return dialog.exec();
}

std::vector<std::string> names(const QList<QRadioButton*>& radios) {
    std::vector<std::string> result;
    for (QRadioButton* radio : radios)
        if (radio->isChecked())
            result.push_back(radio->objectName().toStdString());
    return result;
}

std::vector<std::string> checkedRadios(QWidget& dialog) {
    return names(dialog.findChildren<QRadioButton*>());
}

Bytes randomImage(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    Bytes image(size);
    for (std::uint8_t& byte : image)
        byte = static_cast<std::uint8_t>(random());
    return image;
}

class ConfigDialog : public ::testing::Test {
protected:
    tk::Language language{kLanguageFile};
    TempDir images;
};

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
