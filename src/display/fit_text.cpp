#include "display/fit_text.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

#include <cmath>

namespace {

// Condensed first, which keeps the digits' height; then smaller.
constexpr int StretchSteps[] = {90, 80, 70, 60};
constexpr double SmallestScale = 0.5;
constexpr double ScaleStep = 0.05;

// A line edit's room for text: its contents rectangle as the style gives it,
// less the text margins and the two pixels it keeps clear on either side.
double LineEditRoom(const QLineEdit* box) {
    QStyleOptionFrame panel;
    panel.initFrom(box);
    panel.rect = box->rect();
    panel.lineWidth =
        box->hasFrame() ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &panel, box) : 0;
    panel.midLineWidth = 0;
    panel.state |= QStyle::State_Sunken;
    if (box->isReadOnly()) {
        panel.state |= QStyle::State_ReadOnly;
    }
    panel.features = QStyleOptionFrame::None;
    const QRect contents = box->style()
                               ->subElementRect(QStyle::SE_LineEditContents, &panel, box)
                               .marginsRemoved(box->textMargins());
    constexpr int HorizontalMargin = 2;
    // A line edit scrolls once the text's rounded width and the cursor's
    // pixel exceed the room.
    return contents.width() - 2 * HorizontalMargin - 1;
}

QFont Scaled(const QFont& base, double scale) {
    QFont f = base;
    if (base.pixelSize() > 0) {
        f.setPixelSize(std::max(1, static_cast<int>(std::floor(base.pixelSize() * scale))));
    } else {
        f.setPointSizeF(base.pointSizeF() * scale);
    }
    return f;
}

// The widest font of the inherited one that lets text fit room.
QFont FittingFont(const QFont& base, const QString& text, double room, const QWidget* widget) {
    const auto fits = [&](const QFont& f) {
        return std::round(QFontMetricsF(f, widget).horizontalAdvance(text)) <= room;
    };
    if (fits(base)) {
        return base;
    }
    QFont f = base;
    for (const int stretch : StretchSteps) {
        f.setStretch(stretch);
        if (fits(f)) {
            return f;
        }
    }
    QFont smaller = f;
    for (double scale = 1.0 - ScaleStep; scale >= SmallestScale; scale -= ScaleStep) {
        smaller = Scaled(f, scale);
        if (fits(smaller)) {
            break;
        }
    }
    return smaller;
}

void Apply(QWidget* w, const QString& text, double room) {
    const QFont inherited = w->parentWidget() ? w->parentWidget()->font() : w->font();
    const QFont wanted = FittingFont(inherited, text, room, w);
    if (wanted == inherited) {
        if (w->testAttribute(Qt::WA_SetFont)) {
            w->setFont(QFont());  // back to the window's own
        }
    } else if (w->font() != wanted || !w->testAttribute(Qt::WA_SetFont)) {
        w->setFont(wanted);
    }
}

}  // namespace

void FitReadoutText(QLineEdit* box) {
    Apply(box, box->text(), LineEditRoom(box));
}

void FitReadoutText(QLabel* caption) {
    Apply(caption, caption->text(), caption->contentsRect().width() - 2 * caption->margin());
}

namespace {
constexpr char FitsTextProperty[] = "zezizavFitsText";
}  // namespace

void MarkFitsText(QWidget* w) {
    w->setProperty(FitsTextProperty, true);
}

bool FitsText(const QWidget* w) {
    return w->property(FitsTextProperty).toBool();
}

void RefitTexts(QWidget* root) {
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (!FitsText(w)) {
            continue;
        }
        if (auto* box = qobject_cast<QLineEdit*>(w)) {
            FitReadoutText(box);
        } else if (auto* caption = qobject_cast<QLabel*>(w)) {
            FitReadoutText(caption);
        }
    }
}
