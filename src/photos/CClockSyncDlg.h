// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

#include <functional>
#include <optional>

#include "photos/PhotoTime.h"
#include "ui/Language.h"

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;

// "From a photo of the GPS clock...": pick a photo of a GPS (or phone) clock, see it large, type
// the time the clock in it shows; the correction that follows is shown as it is typed.
class CClockSyncDlg : public QDialog {
    Q_OBJECT
public:
    // The correction (seconds) a shown time gives for the photo at an index; nothing when the
    // photo has no time.
    using Correction = std::function<std::optional<double>(int, const tk::photos::ZonedClockTime&)>;

    CClockSyncDlg(const tk::Language& language, const QStringList& photoPaths,
                  const QStringList& cameraTimes, int current, Correction correction,
                  QWidget* parent = nullptr);

    int photoIndex() const;
    // The time typed, when it is one.
    std::optional<tk::photos::ZonedClockTime> shownTime() const;

private:
    void showPhoto(int index);
    void updateCorrection();
    QString text(const char* key) const;

    const tk::Language& language_;
    QStringList paths_;
    QStringList cameraTimes_;
    Correction correction_;
    QComboBox* photoCombo_;
    QLabel* preview_;
    QLineEdit* timeEdit_;
    QLabel* correctionLabel_;
    QDialogButtonBox* buttons_;
};
