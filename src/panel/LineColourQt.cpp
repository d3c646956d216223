// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/LineColourQt.h"

#include "tracks/LineColour.h"

#include <QPainter>
#include <QPixmap>

namespace tk {

QColor toQColor(std::uint32_t colour) {
    const std::uint32_t rgb = drawColour(colour);
    return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

std::uint32_t toColourRef(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return colourRef(static_cast<std::uint8_t>(rgb.red()), static_cast<std::uint8_t>(rgb.green()),
                     static_cast<std::uint8_t>(rgb.blue()));
}

QIcon swatchIcon(const QColor& fill, const QColor& frame, QSize size, qreal devicePixelRatio) {
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(frame);
    QPainter painter(&pixmap);
    painter.fillRect(QRect(QPoint(1, 1), size - QSize(2, 2)), fill);
    return QIcon(pixmap);
}

} // namespace tk
