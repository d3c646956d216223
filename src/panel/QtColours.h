#pragma once

#include <QColor>

#include <cstdint>

// Line colours are 0x00BBGGRR in the engine; QColor only at the widget edge.
inline QColor toQColor(std::uint32_t colour) {
    return QColor(static_cast<int>(colour & 0xff), static_cast<int>(colour >> 8 & 0xff),
                  static_cast<int>(colour >> 16 & 0xff));
}

inline std::uint32_t fromQColor(const QColor& colour) {
    return static_cast<std::uint32_t>(colour.red()) |
           static_cast<std::uint32_t>(colour.green()) << 8 |
           static_cast<std::uint32_t>(colour.blue()) << 16;
}
