#pragma once

#include <QColor>
#include <cstdint>

class QWidget;

// Colours are held as 24-bit values with red in the low byte; these turn them
// into Qt colours and paint them on widgets.
inline QColor VbColour(std::uint32_t c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

inline std::uint32_t VbFromQColor(const QColor& c) {
    return static_cast<std::uint32_t>(c.red()) | (static_cast<std::uint32_t>(c.green()) << 8) |
           (static_cast<std::uint32_t>(c.blue()) << 16);
}

// Text colour of a label, box, check box or frame caption.
void SetForeColour(QWidget* widget, std::uint32_t colour);
// Face colour of a button or check box; background of a box or picture.
void SetBackColour(QWidget* widget, std::uint32_t colour);
std::uint32_t ForeColour(const QWidget* widget);
std::uint32_t BackColour(const QWidget* widget);
