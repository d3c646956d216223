// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/CLinePropertiesDlg.h"

#include "panel/CColorButton.h"
#include "ui/Language.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <string_view>

namespace tk {

namespace {

QString langText(const Language& language, std::string_view key) {
    return QString::fromStdString(language.text(key));
}

// A caption from the language file, shown as it stands: '&' is no mnemonic marker here.
QString plainCaption(const Language& language, std::string_view key) {
    return langText(language, key).replace('&', "&&");
}

} // namespace

CLinePropertiesDlg::CLinePropertiesDlg(const Language& language, std::uint32_t colour,
                                       QWidget* parent)
    : QDialog(parent), properties_{colour, kWeightOfFirstEntry + kNormalEntry} {
    setObjectName("linePropertiesDialog");
    setWindowTitle(langText(language, "RaceProperty"));

    auto* group = new QGroupBox(plainCaption(language, "Property"), this);
    group->setObjectName("propertyGroup");
    colourButton_ = new CColorButton(group);
    colourButton_->setAccessibleName(langText(language, "Color"));
    colourButton_->setColour(colour);
    weightList_ = new QComboBox(group);
    weightList_->setObjectName("weightList");
    weightList_->setAccessibleName(langText(language, "Weight"));
    for (std::string_view key : {"Thin", "Normal", "Wide"})
        weightList_->addItem(langText(language, key));
    weightList_->setCurrentIndex(kNormalEntry);
    weightList_->setMinimumContentsLength(10);

    auto* row = new QHBoxLayout(group);
    row->addWidget(colourButton_);
    row->addWidget(weightList_, 1);

    auto* okButton = new QPushButton(plainCaption(language, "Ok"), this);
    okButton->setObjectName("okButton");
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    colourButton_->setFocus();
}

void CLinePropertiesDlg::accept() {
    properties_.colour = colourButton_->colour();
    properties_.weight =
        static_cast<std::uint8_t>(kWeightOfFirstEntry + std::max(0, weightList_->currentIndex()));
    QDialog::accept();
}

} // namespace tk
