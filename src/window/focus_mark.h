#pragma once

#include <QPointer>
#include <QWidget>

// A clearly visible frame around the control that has the keyboard focus.
// It shows once the focus has moved by keyboard (Tab, the arrow keys, an
// access key) and goes when the mouse moves it, so the window looks exactly
// as before to a mouse user. It lies above the form's widgets and never
// takes the mouse or the focus itself.
class FocusMark : public QWidget {
    Q_OBJECT
public:
    explicit FocusMark(QWidget* form);

    // The control framed now; null while the mark is hidden.
    QWidget* target() const { return isVisible() ? target_.data() : nullptr; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void follow(QWidget* widget);
    void place();

    QWidget* form_;
    QPointer<QWidget> target_;
};
