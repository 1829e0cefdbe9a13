#pragma once

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "measure/graph_paint.h"

class QPainter;

// A picture of the measurement: the graph painted from its scene, as the
// window paints it, the captions around it (scales and frequency axis) where they lie
// beside it, and below it a block of caption lines (when, what, and the
// readouts). Saving to a file and the clipboard, and the command line, all
// compose it here.

// A caption around the graph, placed relative to the graph's top left.
struct PictureCaption {
    QString text;
    QRect rect;
    Qt::Alignment alignment;
    QFont font;
    QColor colour;
};

struct PictureContent {
    // The scene refers to the traces it was taken from: they must outlive it.
    GraphScene graph;
    QSize graphSize;  // empty: no graph
    std::vector<PictureCaption> captions;
    QStringList lines;  // the caption block, one line each
    QFont font;         // of the caption block
    QColor background;
    QColor text;
};

// The whole picture's size in pixels.
QSize PictureSize(const PictureContent& content);
void PaintPicture(QPainter& painter, const PictureContent& content);
QImage PictureImage(const PictureContent& content);

enum class PictureFormat { Png, Svg };
// SVG for a name ending in .svg (any case), else PNG.
PictureFormat PictureFormatOf(const QString& path);
// The file's bytes; empty when the picture could not be encoded.
QByteArray PictureBytes(const PictureContent& content, PictureFormat format);
// The bytes of any painting of size: what paint draws, on a raster image
// for PNG or on an SVG generator at one logical pixel a unit.
QByteArray PaintedBytes(QSize size, PictureFormat format,
                        const std::function<void(QPainter&)>& paint);

// Writes a picture's bytes to path only whole; the reason in words when it
// could not (no bytes: PictureNotMade), else empty.
QString WritePictureFile(const QString& path, const QByteArray& bytes);

// The words for a picture bound for path that painted no bytes.
QString PictureNotMade(const QString& path);
