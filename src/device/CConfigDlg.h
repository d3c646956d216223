// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

#include <cstdint>
#include <string>
#include <string_view>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class JobRunner;

namespace tk {
class Language;
class SerialConnector;
struct LoggerSettings;
} // namespace tk

// The logger's configuration: speed unit and logging step, clearing its memory, its time zone
// from the computer's, and the firmware upgrade. Every action finds the logger, runs its exchange
// on a worker thread and closes the port again; meanwhile the dialog stays modal and responsive
// with its controls disabled. The object is reused from run to run, so the step, the unit and the
// logging-time text carry over.
class CConfigDlg : public QDialog {
    Q_OBJECT
public:
    CConfigDlg(tk::Language& language, tk::SerialConnector& connector, std::string imagesDir,
               QWidget* parent = nullptr);
    ~CConfigDlg() override;

    // Re-reads the captions in the current language, loads the logger's settings, runs modally.
    int exec() override;

public slots:
    // Closing (Esc, the close box) waits until the running exchange has ended.
    void reject() override;

private:
    void buildControls();
    QGroupBox* buildSettingsFrame();
    QGroupBox* buildFirmwareGroup();
    QGroupBox* buildZoneGroup();
    void retranslate();

    void readControls();
    void writeControls();
    void setBusy(bool busy);
    QString say(std::string_view key) const;
    void message(std::string_view key); // from the GUI thread, with an OK button

    void loadLoggerSettings();
    void applySettings(const tk::LoggerSettings& settings);
    void updateLogTime();
    void save();
    void clear();
    void syncTimeZone();
    void upgrade();
    void showUpgradeProgress(int block, int blocks);

    tk::Language& language_;
    tk::SerialConnector& connector_;
    std::string imagesDir_;
    JobRunner* worker_ = nullptr;

    // The dialog's fields, kept from one run to the next.
    std::uint8_t zoneCode_ = 0;
    std::uint8_t firmwareVersion_ = 0;
    std::uint8_t loaderVariant_ = 0;
    int stepIndex_ = 0;
    int unitIndex_ = 0;
    QString logTimeText_;

    bool busy_ = false;
    bool upgradeAllowed_ = true;
    bool syncAllowed_ = true;

    QGroupBox* unitGroup_ = nullptr;
    QGroupBox* stepGroup_ = nullptr;
    QButtonGroup* unitButtons_ = nullptr;
    QButtonGroup* stepButtons_ = nullptr;
    QLabel* logTimeCaption_ = nullptr;
    QLabel* logTimeLabel_ = nullptr;
    QLabel* firmwareLabel_ = nullptr;
    QProgressBar* upgradeProgress_ = nullptr;
    QPushButton* upgradeButton_ = nullptr;
    QGroupBox* zoneGroup_ = nullptr;
    QLabel* zoneLabel_ = nullptr;
    QPushButton* syncButton_ = nullptr;
    QPushButton* clearButton_ = nullptr;
    QPushButton* saveButton_ = nullptr;
};
