#include "display/mode_keys.h"

#include <QAction>
#include <QKeyEvent>
#include <QToolBar>
#include <QToolButton>

namespace {

// Space already clicks a focused button; Enter and Return click it too.
class EnterClicks : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
                (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
                if (auto* button = qobject_cast<QToolButton*>(watched)) {
                    button->click();
                    return true;
                }
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

void ReachByKeyboard(QToolBar* toolbar) {
    auto* enter = new EnterClicks(toolbar);
    for (QAction* action : toolbar->actions()) {
        if (QWidget* button = toolbar->widgetForAction(action)) {
            button->setFocusPolicy(Qt::TabFocus);
            button->installEventFilter(enter);
        }
    }
}
