// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/FigureRows.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "map/FigureTexts.h"
#include "ui/Captions.h"

namespace {

constexpr const char* kKeys[] = {"Length",          "Moving time",    "Duration",
                                 "Average speed",   "Moving average", "Ascent / Descent",
                                 "Lowest / Highest"};
constexpr const char* kNames[] = {"length",      "movingTime", "duration",     "averageSpeed",
                                  "movingSpeed", "climb",      "altitudeRange"};
constexpr const char* kNoteKey = "moving above %1, climbs of %2 or more";

} // namespace

FigureRows::FigureRows(QFormLayout* form, QWidget* group) : QObject(group) {
    for (std::size_t i = 0; i < kRows; ++i) {
        captions_[i] = new QLabel(group);
        captions_[i]->setObjectName(QString::fromLatin1(kNames[i]) + "Label");
        captions_[i]->setTextFormat(Qt::PlainText);
        values_[i] = new QLabel(group);
        values_[i]->setObjectName(QString::fromLatin1(kNames[i]) + "Value");
        values_[i]->setTextFormat(Qt::PlainText);
        values_[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        captions_[i]->setBuddy(values_[i]);
        form->addRow(captions_[i], values_[i]);
    }
    note_ = new QLabel(group);
    note_->setObjectName(QStringLiteral("thresholdsNote"));
    note_->setTextFormat(Qt::PlainText);
    note_->setWordWrap(true);
    thresholds_ = new QPushButton(group);
    thresholds_->setObjectName(QStringLiteral("thresholdsButton"));
    auto* row = new QHBoxLayout;
    row->addWidget(note_, 1);
    row->addWidget(thresholds_);
    form->addRow(row);
    connect(thresholds_, &QPushButton::clicked, this, &FigureRows::thresholdsRequested);
}

void FigureRows::relabel(const tk::Language& language) {
    for (std::size_t i = 0; i < kRows; ++i) {
        captions_[i]->setText(caption(language, kKeys[i]));
        values_[i]->setAccessibleDescription(captions_[i]->text());
    }
    thresholds_->setText(buttonCaption(language, "Thresholds..."));
    thresholds_->setAccessibleName(thresholds_->text());
    noteFormat_ = caption(language, kNoteKey);
    if (!movingSpeed_.isEmpty())
        note_->setText(noteFormat_.arg(movingSpeed_, climbThreshold_));
}

void FigureRows::show(const tk::TripFigures& figures, bool imperial,
                      const tk::FigureSettings& settings) {
    const tk::FigureTexts t = tk::figureTexts(figures, imperial);
    const std::string* texts[kRows] = {&t.length,      &t.movingTime, &t.duration, &t.averageSpeed,
                                       &t.movingSpeed, &t.climb,      &t.altitudes};
    for (std::size_t i = 0; i < kRows; ++i)
        values_[i]->setText(QString::fromStdString(*texts[i]));
    movingSpeed_ = QString::fromStdString(tk::movingSpeedText(settings, imperial));
    climbThreshold_ = QString::fromStdString(tk::climbThresholdText(settings, imperial));
    note_->setText(noteFormat_.arg(movingSpeed_, climbThreshold_));
}

void FigureRows::clear() {
    for (QLabel* value : values_)
        value->clear();
    note_->clear();
    movingSpeed_.clear();
}
