// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/CClockSyncDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CClockSyncDlg::CClockSyncDlg(const tk::Language& language, const QStringList& photoPaths,
                             const QStringList& cameraTimes, int current, Correction correction,
                             QWidget* parent)
    : QDialog(parent), language_(language), paths_(photoPaths), cameraTimes_(cameraTimes),
      correction_(std::move(correction)) {
    setObjectName(QStringLiteral("clockSyncDialog"));
    setWindowTitle(text("Photo of the GPS clock"));
    photoCombo_ = new QComboBox(this);
    photoCombo_->setObjectName(QStringLiteral("photoCombo"));
    for (const QString& path : paths_)
        photoCombo_->addItem(QFileInfo(path).fileName());
    preview_ = new QLabel(this);
    preview_->setObjectName(QStringLiteral("photoPreview"));
    preview_->setAlignment(Qt::AlignCenter);
    preview_->setMinimumSize(480, 360);
    timeEdit_ = new QLineEdit(this);
    timeEdit_->setObjectName(QStringLiteral("clockTimeEdit"));
    timeEdit_->setPlaceholderText(QStringLiteral("YYYY-MM-DD HH:MM:SS"));
    timeEdit_->setToolTip(text("The time the clock in the photo shows: YYYY-MM-DD HH:MM:SS, with Z "
                               "or +HH:MM when the clock is not in the camera's zone"));
    timeEdit_->setAccessibleName(text("Time the clock shows"));
    correctionLabel_ = new QLabel(this);
    correctionLabel_->setObjectName(QStringLiteral("correctionLabel"));
    correctionLabel_->setTextFormat(Qt::PlainText);
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons_->button(QDialogButtonBox::Ok)->setText(text("Ok"));
    buttons_->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons_->button(QDialogButtonBox::Cancel)->setText(text("Cancel"));
    buttons_->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));

    auto* form = new QFormLayout;
    form->addRow(text("Photo"), photoCombo_);
    form->addRow(text("Time the clock shows"), timeEdit_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(preview_, 1);
    layout->addWidget(correctionLabel_);
    layout->addWidget(buttons_);
    connect(photoCombo_, &QComboBox::currentIndexChanged, this, &CClockSyncDlg::showPhoto);
    connect(timeEdit_, &QLineEdit::textChanged, this, &CClockSyncDlg::updateCorrection);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    photoCombo_->setCurrentIndex(std::max(0, current));
    showPhoto(photoCombo_->currentIndex());
}

QString CClockSyncDlg::text(const char* key) const {
    return QString::fromStdString(language_.text(key));
}

int CClockSyncDlg::photoIndex() const {
    return photoCombo_->currentIndex();
}

std::optional<tk::photos::ZonedClockTime> CClockSyncDlg::shownTime() const {
    return tk::photos::parseIsoTime(timeEdit_->text().trimmed().toStdString());
}

void CClockSyncDlg::showPhoto(int index) {
    if (index < 0 || index >= paths_.size())
        return;
    QImageReader reader(paths_[index]);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid())
        reader.setScaledSize(size.scaled(preview_->minimumSize() * 2, Qt::KeepAspectRatio));
    preview_->setPixmap(QPixmap::fromImage(reader.read()));
    // Start from the camera's own reading: usually only a few seconds differ.
    timeEdit_->setText(cameraTimes_.value(index));
    updateCorrection();
}

void CClockSyncDlg::updateCorrection() {
    const auto shown = shownTime();
    const auto seconds = shown ? correction_(photoIndex(), *shown) : std::nullopt;
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(seconds.has_value());
    correctionLabel_->setText(
        seconds ? text("Clock correction (s)") + QStringLiteral(": ") +
                      QString::fromStdString(tk::photos::secondsText(*seconds))
                : text("Type the time the clock shows, e.g. 2024-07-01 12:00:05"));
}
