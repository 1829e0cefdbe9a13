#pragma once

#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QSize>
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

#include "files/picture.h"
#include "measure/graph_captions.h"

// A picture of the measurement from plain values: the window hands in what
// it shows, the command line what the same sweep and choices give, and both
// get the same picture. The captions around the graph take their places from
// the caption rules; the caption block is written by one rule.

// One readout row of the caption block: its heading, then each readout shown
// as its parts (the column's caption, the value, a unit), those shown.
struct CaptionRow {
    QString title;
    std::vector<QStringList> cells;
};

struct CaptionBlock {
    QDateTime when;
    float FMin = 0.0f;  // Hz
    float FMax = 0.0f;
    QString pointsCaption;  // "Points"
    QString points;
    QString mode;       // the mode's button
    QStringList marks;  // the normalisation and averaging marks shown
    QString fileName;   // empty: none shown
    std::vector<CaptionRow> rows;
};

// When; the range, the points, the mode, the marks and the file; then a line
// per row with a readout shown. Access keys in a caption are not written.
QStringList CaptionBlockLines(const CaptionBlock& block);

// The captions around the graph as shown: each one's text and colour, and
// whether it is shown at all (an empty one is not).
struct GraphCaptionLook {
    std::array<QString, kScaleCaptions> scaleTexts;
    std::array<QColor, kScaleCaptions> scaleColours;
    std::array<bool, kScaleCaptions> scaleShown{};
    std::array<QString, kFrequencyAxisLabels> axisTexts;
    std::array<QColor, kFrequencyAxisLabels> axisColours;
    QFont font;
};

struct PictureParts {
    GraphScene graph;  // refers to the traces it was made from
    QSize graphSize;
    double textScale = 1.0;
    OhmScale ohm = OhmScale::To500;
    GraphCaptionLook captions;
    CaptionBlock block;
    QFont font;  // of the caption block
    QColor background;
    QColor text;
};

PictureContent ComposePicture(PictureParts parts);
