#pragma once

#include <QWidget>
#include <cstdint>

// picGraph1: the drawing surface of the traces. It works in twips with the
// origin at the top left, y growing downwards; a painter transform maps twips
// to pixels, so the graph stays sharp on high-DPI screens. Line objects and
// marker tags are child widgets lying over it.
class GraphWidget : public QWidget {
    Q_OBJECT
public:
    explicit GraphWidget(QWidget* parent);

    // Width and height in twips (the designed 8835 x 3795).
    float ScaleWidth() const;
    float ScaleHeight() const;

    std::uint32_t backColour() const { return backColour_; }
    void setBackColour(std::uint32_t colour);

signals:
    // Button as 1 left, 2 right, 4 middle; x and y in twips.
    void mouseUp(int button, int shift, float x, float y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::uint32_t backColour_;
};
