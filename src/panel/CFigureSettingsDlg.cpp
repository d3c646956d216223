// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/CFigureSettingsDlg.h"

#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/Captions.h"

namespace {

QDoubleSpinBox* spinBox(const char* name, double most, double step, double value, QWidget* parent) {
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(0.0, most);
    box->setDecimals(1);
    box->setSingleStep(step);
    box->setValue(value);
    return box;
}

} // namespace

CFigureSettingsDlg::CFigureSettingsDlg(const tk::Language& language,
                                       const tk::FigureSettings& settings, QWidget* parent)
    : QDialog(parent),
      movingSpeed_(spinBox("movingSpeedBox", 50.0, 0.1, settings.movingSpeedKmh, this)),
      climbThreshold_(spinBox("climbThresholdBox", 100.0, 0.5, settings.climbThresholdM, this)) {
    setObjectName(QStringLiteral("figureSettingsDialog"));
    setWindowTitle(caption(language, "Figure thresholds"));
    auto* form = new QFormLayout;
    const auto addRow = [&](const char* key, QDoubleSpinBox* box) {
        auto* label = new QLabel(caption(language, key), this);
        label->setTextFormat(Qt::PlainText);
        label->setBuddy(box);
        box->setAccessibleName(label->text());
        form->addRow(label, box);
    };
    addRow("Moving speed (km/h)", movingSpeed_);
    addRow("Climb threshold (m)", climbThreshold_);
    auto* ok = new QPushButton(buttonCaption(language, "Ok"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(buttonCaption(language, "Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
}

tk::FigureSettings CFigureSettingsDlg::settings() const {
    return {movingSpeed_->value(), climbThreshold_->value()};
}
