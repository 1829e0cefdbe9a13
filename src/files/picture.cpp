#include "files/picture.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QPainter>
#include <QSvgGenerator>
#include <algorithm>

#include "files/vec_file.h"


namespace {

constexpr int kMargin = 8;
constexpr int kGap = 10;  // between the graph's captions and the caption block

struct Layout {
    QPoint graphAt;  // the graph's top left in the picture
    int linesTop = 0;
    QSize size;
};

Layout LayOut(const PictureContent& c) {
    QRect area(QPoint(0, 0), c.graphSize);
    for (const PictureCaption& caption : c.captions) {
        area = area.united(caption.rect);
    }
    const QFontMetrics metrics(c.font);
    int linesWidth = 0;
    for (const QString& line : c.lines) {
        linesWidth = std::max(linesWidth, metrics.horizontalAdvance(line));
    }
    Layout l;
    l.graphAt = QPoint(kMargin, kMargin) - area.topLeft();
    l.linesTop = kMargin + area.height() + kGap;
    l.size = QSize(std::max(area.width(), linesWidth) + 2 * kMargin,
                   l.linesTop + static_cast<int>(c.lines.size()) * metrics.lineSpacing() + kMargin);
    return l;
}

}  // namespace

QSize PictureSize(const PictureContent& content) {
    return LayOut(content).size;
}

void PaintPicture(QPainter& painter, const PictureContent& content) {
    const Layout l = LayOut(content);
    painter.save();
    painter.fillRect(QRect(QPoint(0, 0), l.size), content.background);
    if (!content.graphSize.isEmpty()) {
        painter.save();
        painter.translate(l.graphAt);
        PaintGraph(painter, content.graph, content.graphSize,
                   painter.device()->devicePixelRatioF());
        painter.restore();
    }
    for (const PictureCaption& caption : content.captions) {
        painter.setFont(caption.font);
        painter.setPen(caption.colour);
        painter.drawText(caption.rect.translated(l.graphAt), static_cast<int>(caption.alignment),
                         caption.text);
    }
    painter.setFont(content.font);
    painter.setPen(content.text);
    const QFontMetrics metrics(content.font);
    int y = l.linesTop + metrics.ascent();
    for (const QString& line : content.lines) {
        painter.drawText(kMargin, y, line);
        y += metrics.lineSpacing();
    }
    painter.restore();
}

QImage PictureImage(const PictureContent& content) {
    QImage image(PictureSize(content), QImage::Format_RGB32);
    QPainter painter(&image);
    PaintPicture(painter, content);
    return image;
}

PictureFormat PictureFormatOf(const QString& path) {
    return path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive) ? PictureFormat::Svg
                                                                     : PictureFormat::Png;
}

QByteArray PaintedBytes(QSize size, PictureFormat format,
                        const std::function<void(QPainter&)>& paint) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (format == PictureFormat::Png) {
        QImage image(size, QImage::Format_RGB32);
        QPainter painter(&image);
        paint(painter);
        painter.end();
        if (!image.save(&buffer, "PNG")) {
            return {};
        }
        return bytes;
    }
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setResolution(96);  // one logical pixel, as on the screen
    QPainter painter;
    if (!painter.begin(&svg)) {
        return {};
    }
    paint(painter);
    painter.end();
    return bytes;
}

QByteArray PictureBytes(const PictureContent& content, PictureFormat format) {
    return PaintedBytes(PictureSize(content), format,
                        [&](QPainter& painter) { PaintPicture(painter, content); });
}

QString WritePictureFile(const QString& path, const QByteArray& bytes) {
    if (bytes.isEmpty()) {
        return PictureNotMade(path);
    }
    QString error;
    return WriteFileSafely(path, bytes, &error) ? QString() : error;
}

QString PictureNotMade(const QString& path) {
    return QStringLiteral("Cannot write %1: the picture could not be made").arg(path);
}
