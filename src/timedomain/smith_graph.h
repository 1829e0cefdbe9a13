#pragma once

#include <QWidget>

#include "timedomain/smith_paint.h"

// The Smith view's chart: paints its scene, and moves its first marker to
// the point nearest a click; Left and Right step it a point, Page Up and
// Page Down a twentieth of the sweep, Home and End to either end.
class SmithGraph : public QWidget {
    Q_OBJECT
public:
    explicit SmithGraph(QWidget* parent = nullptr);

    const SmithScene& scene() const { return scene_; }
    void setScene(const SmithScene& scene);
    // The first marker's point, none without markers or points.
    std::optional<std::size_t> chosen() const;

signals:
    void pointChosen(std::size_t index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QSize sizeHint() const override { return {480, 480}; }

private:
    void moveTo(std::size_t index);

    SmithScene scene_;
};
