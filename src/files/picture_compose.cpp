#include "files/picture_compose.h"

#include "common/decimal_text.h"

namespace {

QString Caption(QString text) {
    // Access keys are marks of the window, not of the picture.
    return text.replace(QLatin1String("&&"), QStringLiteral("\x01"))
        .remove(QLatin1Char('&'))
        .replace(QLatin1Char('\x01'), QLatin1Char('&'));
}

QString MHz(float hz) {
    return QString::fromStdString(ShortestDecimal(static_cast<double>(hz) / 1000000.0));
}

}  // namespace

QStringList CaptionBlockLines(const CaptionBlock& block) {
    QStringList what = {QStringLiteral("%1 to %2 MHz").arg(MHz(block.FMin), MHz(block.FMax)),
                        Caption(block.pointsCaption) + QLatin1Char(' ') + block.points,
                        Caption(block.mode)};
    for (const QString& mark : block.marks) {
        if (!mark.isEmpty()) {
            what << mark;
        }
    }
    if (!block.fileName.isEmpty()) {
        what << block.fileName;
    }
    QStringList lines = {block.when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                         what.join(QLatin1String("   "))};
    for (const CaptionRow& row : block.rows) {
        QStringList cells;
        for (const QStringList& parts : row.cells) {
            QStringList shown;
            for (const QString& part : parts) {
                if (!part.isEmpty()) {
                    shown << part;
                }
            }
            cells << shown.join(QLatin1Char(' '));
        }
        if (!cells.isEmpty()) {
            lines << Caption(row.title) + QLatin1String(":   ") + cells.join(QLatin1String("   "));
        }
    }
    return lines;
}

PictureContent ComposePicture(PictureParts parts) {
    PictureContent content;
    const GraphCaptionLook& look = parts.captions;
    const auto scales = ScaleCaptionPlaces(parts.graphSize, parts.textScale, parts.ohm);
    for (std::size_t i = 0; i < kScaleCaptions; ++i) {
        if (look.scaleShown[i] && !look.scaleTexts[i].isEmpty()) {
            content.captions.push_back({look.scaleTexts[i], scales[i],
                                        ScaleCaptionAlignment(static_cast<ScaleCaption>(i)),
                                        look.font, look.scaleColours[i]});
        }
    }
    const auto axis = FrequencyAxisPlaces(parts.graphSize, parts.textScale);
    for (std::size_t k = 0; k < kFrequencyAxisLabels; ++k) {
        if (!look.axisTexts[k].isEmpty()) {
            content.captions.push_back({look.axisTexts[k], axis[k], FrequencyAxisAlignment(k),
                                        look.font, look.axisColours[k]});
        }
    }
    content.graph = std::move(parts.graph);
    content.graphSize = parts.graphSize;
    content.lines = CaptionBlockLines(parts.block);
    content.font = parts.font;
    content.background = parts.background;
    content.text = parts.text;
    return content;
}
