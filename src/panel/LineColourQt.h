// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QIcon>
#include <QSize>

#include <cstdint>

namespace tk {

// The colour a line of this 0x00BBGGRR value is drawn in; automatic gives its fixed colour.
QColor toQColor(std::uint32_t colour);
// The 0x00BBGGRR value of an RGB colour.
std::uint32_t toColourRef(const QColor& colour);

// A flat swatch of fill inside a one-pixel frame, sharp at the given device pixel ratio.
QIcon swatchIcon(const QColor& fill, const QColor& frame, QSize size, qreal devicePixelRatio);

} // namespace tk
