#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <vector>

#include "measure/graph_captions.h"

class IndicatorStyle;
class QWidget;
struct Chart1Widgets;

// Lets the window grow: the graph takes all the width and height beyond the
// form's design size; the panels below it keep their design sizes and
// arrangement and move down with its bottom edge; the captions right of it
// and the file name move with its right edge; the frequency axis lies under
// it, one label at each tenth.
//
// It also scales the whole design by one factor, the View menu's text size:
// every widget's designed place and size, the fonts and the form's smallest
// size together, so that the design's proportions hold at any size. At 1 the
// design is exact.
class FormLayout : public QObject {
    Q_OBJECT
public:
    FormLayout(QWidget* form, Chart1Widgets& ui);

    // Takes every widget's place, size and own font as the design, at scale
    // 1. Once, when the window's controllers have made their widgets and
    // before anything is scaled.
    void recordDesign();
    void setScale(double scale);
    double scale() const { return scale_; }

signals:
    // A new scale is in place: what others place (the rows of the INFO
    // frame, the captions beside the graph) follows.
    void scaled();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Placed {
        QWidget* widget;
        QPoint design;
    };
    struct Designed {
        QPointer<QWidget> widget;
        QRect rect;
    };
    struct DesignFont {
        QPointer<QWidget> widget;
        int pixelSize;
    };

    void layOut();

    QWidget* form_;
    Chart1Widgets& ui_;
    QSize designForm_;
    QRect designGraph_;
    QPoint designFileName_;
    QSize designIcons_;
    int grown_ = 0;  // how far the panels below the graph have moved down
    double scale_ = 1.0;
    std::vector<Placed> below_;
    std::vector<Placed> right_;
    std::vector<Designed> designed_;
    std::vector<DesignFont> fonts_;
    IndicatorStyle* indicators_;  // the boxes' style at other sizes than the design's
};

FormLayout* FollowFormSize(QWidget* form, Chart1Widgets& ui);
