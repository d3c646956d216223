// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

#include <cstdint>

class QComboBox;

namespace tk {

class CColorButton;
class Language;

struct LineProperties {
    std::uint32_t colour;
    std::uint8_t weight;
};

// The line colour and weight of one track. It opens with the track's colour and the weight
// "Normal", whatever the track's weight is; OK hands both back, closing the window or Esc
// hands back nothing.
class CLinePropertiesDlg : public QDialog {
    Q_OBJECT
public:
    CLinePropertiesDlg(const Language& language, std::uint32_t colour, QWidget* parent = nullptr);

    // The values taken at OK; valid after exec() returned Accepted.
    LineProperties properties() const { return properties_; }

    // Entries of the weight list are weights 2, 3 and 4.
    static constexpr std::uint8_t kWeightOfFirstEntry = 2;
    static constexpr int kNormalEntry = 1;

public slots:
    void accept() override;

private:
    CColorButton* colourButton_ = nullptr;
    QComboBox* weightList_ = nullptr;
    LineProperties properties_;
};

} // namespace tk
