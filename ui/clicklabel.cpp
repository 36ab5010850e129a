#include "ui/clicklabel.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>

namespace {

class ClickFilter : public QObject {
public:
    ClickFilter(QLabel* label, std::function<void()> action)
        : QObject(label)
        , m_action(std::move(action))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* label = static_cast<QLabel*>(watched);
        if (event->type() == QEvent::MouseButtonPress) {
            m_pressed = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        } else if (event->type() == QEvent::MouseButtonRelease && m_pressed) {
            m_pressed = false;
            auto* mouse = static_cast<QMouseEvent*>(event);
            // Like a button: releasing outside the label cancels the click.
            if (mouse->button() == Qt::LeftButton && label->rect().contains(mouse->pos()))
                m_action();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_action;
    bool m_pressed = false;
};

} // namespace

void makeClickable(QLabel* label, std::function<void()> action, bool pointingHand)
{
    label->installEventFilter(new ClickFilter(label, std::move(action)));
    if (pointingHand)
        label->setCursor(Qt::PointingHandCursor);
}
