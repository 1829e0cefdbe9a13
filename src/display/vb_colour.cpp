#include "display/vb_colour.h"

#include <QPalette>
#include <QWidget>

void SetForeColour(QWidget* widget, std::uint32_t colour) {
    QPalette p = widget->palette();
    const QColor c = VbColour(colour);
    p.setColor(QPalette::WindowText, c);
    p.setColor(QPalette::Text, c);
    p.setColor(QPalette::ButtonText, c);
    widget->setPalette(p);
}

void SetBackColour(QWidget* widget, std::uint32_t colour) {
    QPalette p = widget->palette();
    const QColor c = VbColour(colour);
    p.setColor(QPalette::Button, c);
    p.setColor(QPalette::Base, c);
    p.setColor(QPalette::Window, c);
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
}

std::uint32_t ForeColour(const QWidget* widget) {
    return VbFromQColor(widget->palette().color(QPalette::WindowText));
}

std::uint32_t BackColour(const QWidget* widget) {
    return VbFromQColor(widget->palette().color(QPalette::Button));
}
