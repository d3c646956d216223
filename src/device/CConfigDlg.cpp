// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/CConfigDlg.h"

#include "device/Firmware.h"
#include "device/LoggerSettings.h"
#include "device/TimeZone.h"
#include "link/MessageKeys.h"
#include "link/SerialConnector.h"
#include "ui/JobRunner.h"
#include "ui/Language.h"
#include "ui/Messages.h"

#include <QButtonGroup>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeZone>
#include <QVBoxLayout>

#include <array>
#include <filesystem>

namespace {

constexpr std::string_view kClearQuestion =
    "Clearing erases every track on the logger. Clear the logger's memory now?";
constexpr const char* kNoZoneLabel = "(Not set time zone)";

QString fromText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QLabel* plainLabel(const char* objectName, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setTextFormat(Qt::PlainText); // texts from language.ini are never markup
    return label;
}

QPushButton* plainButton(const char* objectName, QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    return button;
}

// Selects the button with the index, or none when no button has it.
void selectButton(QButtonGroup* group, int index) {
    if (QAbstractButton* button = group->button(index)) {
        button->setChecked(true);
        return;
    }
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons())
        button->setChecked(false);
    group->setExclusive(true);
}

bool reportsSuccess(std::string_view key) {
    return key == tk::keys::kConfigSuccessful || key == tk::keys::kClearData ||
           key == tk::keys::kUpgradeFinished;
}

} // namespace

CConfigDlg::CConfigDlg(tk::Language& language, tk::SerialConnector& connector,
                       std::string imagesDir, QWidget* parent)
    : QDialog(parent), language_(language), connector_(connector), imagesDir_(std::move(imagesDir)),
      worker_(new JobRunner(this)) {
    setObjectName("configDialog");
    buildControls();
    retranslate();
    connect(worker_, &JobRunner::progressed, this, &CConfigDlg::showUpgradeProgress);
}

CConfigDlg::~CConfigDlg() = default;

void CConfigDlg::buildControls() {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildSettingsFrame());
    layout->addWidget(buildFirmwareGroup());
    layout->addWidget(buildZoneGroup());
    auto* buttons = new QHBoxLayout;
    clearButton_ = plainButton("clearButton", this);
    saveButton_ = plainButton("saveButton", this);
    saveButton_->setDefault(true); // the dialog's OK: Enter saves
    buttons->addStretch();
    buttons->addWidget(clearButton_);
    buttons->addWidget(saveButton_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(saveButton_, &QPushButton::clicked, this, &CConfigDlg::save);
    connect(clearButton_, &QPushButton::clicked, this, &CConfigDlg::clear);
}

QGroupBox* CConfigDlg::buildSettingsFrame() {
    auto* frame = new QGroupBox(this);
    frame->setObjectName("settingsFrame");
    unitGroup_ = new QGroupBox(frame);
    unitGroup_->setObjectName("unitGroup");
    unitButtons_ = new QButtonGroup(this);
    auto* unitLayout = new QVBoxLayout(unitGroup_);
    for (const char* name : {"kphRadio", "mphRadio"}) {
        auto* radio = new QRadioButton(unitGroup_);
        radio->setObjectName(name);
        unitButtons_->addButton(radio, static_cast<int>(unitButtons_->buttons().size()));
        unitLayout->addWidget(radio);
    }
    stepGroup_ = new QGroupBox(frame);
    stepGroup_->setObjectName("stepGroup");
    stepButtons_ = new QButtonGroup(this);
    auto* stepLayout = new QGridLayout(stepGroup_);
    const std::array<std::pair<const char*, const char*>, 4> steps = {
        {{"step1Radio", "1S"}, {"step3Radio", "3S"}, {"step5Radio", "5S"}, {"step10Radio", "10S"}}};
    for (int i = 0; i < static_cast<int>(steps.size()); ++i) {
        auto* radio = new QRadioButton(steps[i].second, stepGroup_);
        radio->setObjectName(steps[i].first);
        stepButtons_->addButton(radio, i);
        stepLayout->addWidget(radio, i / 2, i % 2);
    }
    connect(stepButtons_, &QButtonGroup::idClicked, this, &CConfigDlg::updateLogTime);
    logTimeCaption_ = plainLabel("logTimeCaption", frame);
    logTimeLabel_ = plainLabel("logTimeLabel", frame);
    auto* layout = new QGridLayout(frame);
    layout->addWidget(unitGroup_, 0, 0);
    layout->addWidget(stepGroup_, 0, 1);
    auto* logTime = new QHBoxLayout;
    logTime->addWidget(logTimeCaption_);
    logTime->addWidget(logTimeLabel_, 1);
    layout->addLayout(logTime, 1, 0, 1, 2);
    return frame;
}

QGroupBox* CConfigDlg::buildFirmwareGroup() {
    auto* group = new QGroupBox(this);
    group->setObjectName("firmwareGroup");
    firmwareLabel_ = plainLabel("firmwareLabel", group);
    upgradeProgress_ = new QProgressBar(group);
    upgradeProgress_->setObjectName("upgradeProgress");
    upgradeButton_ = plainButton("upgradeButton", group);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(firmwareLabel_);
    auto* row = new QHBoxLayout;
    row->addWidget(upgradeProgress_, 1);
    row->addWidget(upgradeButton_);
    layout->addLayout(row);
    connect(upgradeButton_, &QPushButton::clicked, this, &CConfigDlg::upgrade);
    return group;
}

QGroupBox* CConfigDlg::buildZoneGroup() {
    zoneGroup_ = new QGroupBox(this);
    zoneGroup_->setObjectName("zoneGroup");
    zoneLabel_ = plainLabel("zoneLabel", zoneGroup_);
    syncButton_ = plainButton("syncButton", zoneGroup_);
    auto* layout = new QHBoxLayout(zoneGroup_);
    layout->addWidget(zoneLabel_, 1);
    layout->addWidget(syncButton_);
    connect(syncButton_, &QPushButton::clicked, this, &CConfigDlg::syncTimeZone);
    return zoneGroup_;
}

void CConfigDlg::retranslate() {
    unitButtons_->button(0)->setText(say("Metric(KPH)"));
    unitButtons_->button(1)->setText(say("Imperial(MPH)"));
    unitGroup_->setTitle(say("Unit"));
    clearButton_->setText(say("ClearFlash"));
    stepGroup_->setTitle(say("Step"));
    upgradeButton_->setText(say("Updata"));
    upgradeProgress_->setAccessibleName(say("Updata")); // a bar has no caption of its own
    logTimeCaption_->setText(say("LogTime"));
    saveButton_->setText(say("Save"));
    setWindowTitle(say("Configuration"));
    zoneGroup_->setTitle(say("Time zone"));
    syncButton_->setText(say("Change time zone"));
    // Room for the longest firmware caption, so the dialog does not grow once the logger answers.
    firmwareLabel_->setMinimumSize(0, 0);
    firmwareLabel_->setText(say(tk::keys::kEnterUpgradeMode));
    firmwareLabel_->setMinimumSize(firmwareLabel_->sizeHint());
    firmwareLabel_->clear();
}

int CConfigDlg::exec() {
    retranslate();
    firmwareLabel_->clear();
    zoneLabel_->setText(kNoZoneLabel);
    // Until the logger has answered, both commands are offered.
    upgradeAllowed_ = true;
    syncAllowed_ = true;
    upgradeProgress_->setRange(0, 100);
    upgradeProgress_->setValue(0);
    writeControls();
    loadLoggerSettings();
    return QDialog::exec();
}

void CConfigDlg::reject() {
    if (busy_)
        return; // the exchange cannot be left half done
    QDialog::reject();
}

void CConfigDlg::readControls() {
    stepIndex_ = stepButtons_->checkedId();
    unitIndex_ = unitButtons_->checkedId();
    logTimeText_ = logTimeLabel_->text();
}

void CConfigDlg::writeControls() {
    selectButton(stepButtons_, stepIndex_);
    selectButton(unitButtons_, unitIndex_);
    logTimeLabel_->setText(logTimeText_);
}

void CConfigDlg::setBusy(bool busy) {
    busy_ = busy;
    unitGroup_->setEnabled(!busy);
    stepGroup_->setEnabled(!busy);
    saveButton_->setEnabled(!busy);
    clearButton_->setEnabled(!busy);
    upgradeButton_->setEnabled(!busy && upgradeAllowed_);
    syncButton_->setEnabled(!busy && syncAllowed_);
    if (busy)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

QString CConfigDlg::say(std::string_view key) const {
    return QString::fromStdString(tk::LangText(language_, key));
}

void CConfigDlg::message(std::string_view key) {
    tellUser(this, !reportsSuccess(key), say(key));
}

void CConfigDlg::loadLoggerSettings() {
    setBusy(true);
    firmwareVersion_ = 0;
    worker_->run([&connector = connector_] { return tk::readSettings(connector); },
                 [this](const tk::LoggerSettings& settings) {
                     applySettings(settings);
                     setBusy(false);
                 });
}

// Without a complete reply (no logger, or one that fell silent) the controls keep what they
// show, and no message is given.
void CConfigDlg::applySettings(const tk::LoggerSettings& settings) {
    writeControls();
    firmwareVersion_ = 0;
    if (!settings.replied || !settings.complete)
        return;
    firmwareVersion_ = settings.firmwareVersion;
    unitIndex_ = settings.unitByte;
    zoneCode_ = 0;
    if (tk::canUpgradeFirmware(firmwareVersion_)) {
        upgradeAllowed_ = true;
        syncAllowed_ = false;
        firmwareLabel_->setText(say(tk::keys::kEnterUpgradeMode));
    } else {
        const std::string_view version = tk::firmwareVersionText(firmwareVersion_);
        if (!version.empty())
            firmwareLabel_->setText(fromText(version));
        zoneCode_ = settings.zoneCode;
        upgradeAllowed_ = false;
        syncAllowed_ = true;
        if (zoneCode_ != 0)
            zoneLabel_->setText(QString::fromStdString(tk::zoneLabel(zoneCode_)));
    }
    // A step the radios have no place for stays as it came: 0 and 2 select 1S and 5S.
    stepIndex_ = tk::stepIndexFromSeconds(settings.stepSeconds);
    writeControls();
    updateLogTime();
}

void CConfigDlg::updateLogTime() {
    readControls();
    logTimeText_ = QString::fromStdString(
        tk::logTimeText(stepIndex_, tk::LangText(language_, "Hour"), tk::LangText(language_, "Min"),
                        tk::LangText(language_, "Sec")));
    writeControls();
}

void CConfigDlg::save() {
    readControls();
    setBusy(true);
    worker_->run([&connector = connector_, step = stepIndex_,
                  unit = unitIndex_] { return tk::saveSettings(connector, step, unit); },
                 [this](const tk::SaveResult& result) {
                     for (std::string_view key : result.messageKeys)
                         message(key);
                     setBusy(false);
                     if (!result.found)
                         reject();
                 });
}

void CConfigDlg::clear() {
    if (!askUser(this, say(kClearQuestion)))
        return;
    setBusy(true);
    worker_->run([&connector = connector_] { return tk::clearMemory(connector); },
                 [this](const tk::ClearResult& result) {
                     message(result.messageKey);
                     setBusy(false);
                 });
}

// The logger keeps standard time: the computer's daylight saving is never added.
void CConfigDlg::syncTimeZone() {
    const int offsetSeconds =
        QTimeZone::systemTimeZone().standardTimeOffset(QDateTime::currentDateTime());
    setBusy(true);
    worker_->run([&connector = connector_,
                  offsetSeconds] { return tk::syncTimeZone(connector, offsetSeconds); },
                 [this](const tk::ZoneSyncResult& result) {
                     if (result.echoed)
                         applySettings(result.settings); // shows the logger's new zone
                     message(result.messageKey);
                     setBusy(false);
                     if (!result.echoed)
                         reject();
                 });
}

void CConfigDlg::upgrade() {
    readControls();
    setBusy(true);
    const std::filesystem::path dir = imagesDir_;
    worker_->run(
        [&connector = connector_, dir](const JobControl& control) {
            const tk::FirmwareImages images = tk::loadFirmwareImages(dir);
            return tk::upgradeFirmware(connector, images, [&control](int block, int blocks) {
                control.progress(block, blocks);
            });
        },
        [this](const tk::UpgradeResult& result) {
            loaderVariant_ = result.loaderVariant;
            message(result.messageKey);
            setBusy(false);
        });
}

// Reports may come folded (the newest only), so the first one seen need not be block 0.
void CConfigDlg::showUpgradeProgress(int block, int blocks) {
    if (upgradeProgress_->maximum() != blocks)
        upgradeProgress_->setRange(0, blocks);
    upgradeProgress_->setValue(block);
}
