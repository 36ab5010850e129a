#include "ui/clicklabel.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

namespace {

const char kLinkProperty[] = "clickableLink";

bool isActivationKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
}

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
        // Not a label any more while it is being destroyed (a focused label still hears of it).
        auto* label = qobject_cast<QLabel*>(watched);
        if (!label)
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            m_pressed = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
            break;
        case QEvent::MouseButtonRelease:
            released(label, static_cast<QMouseEvent*>(event));
            break;
        case QEvent::KeyPress:
            // Return, Enter and Space open the link, and go no further (a dialog's default
            // button would otherwise take Return as well).
            if (isActivationKey(static_cast<QKeyEvent*>(event)->key())) {
                m_action();
                return true;
            }
            break;
        case QEvent::Paint:
            if (label->hasFocus() && !m_painting) {
                paintWithFocusFrame(label, event);
                return true;
            }
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void released(QLabel* label, QMouseEvent* mouse)
    {
        if (!m_pressed)
            return;
        m_pressed = false;
        // Like a button: releasing outside the label cancels the click.
        if (mouse->button() == Qt::LeftButton && label->rect().contains(mouse->pos()))
            m_action();
    }

    // The label paints itself first; the dotted focus frame goes on top, in the label's own
    // text colour so that it shows on the dark background.
    void paintWithFocusFrame(QLabel* label, QEvent* event)
    {
        m_painting = true;
        QCoreApplication::sendEvent(label, event);
        m_painting = false;
        QPainter painter(label);
        painter.setPen(QPen(label->palette().color(QPalette::WindowText), 1, Qt::DotLine));
        painter.drawRect(label->rect().adjusted(0, 0, -1, -1));
    }

    std::function<void()> m_action;
    bool m_pressed = false;
    bool m_painting = false;
};

// What a screen reader learns about a clickable label: a link, named by its caption, that can
// be pressed.
class LinkAccessible : public QAccessibleWidget {
public:
    explicit LinkAccessible(QLabel* label)
        : QAccessibleWidget(label, QAccessible::Link)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return static_cast<QLabel*>(widget())->text();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.linked = true;
        return s;
    }

    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& actionName) override
    {
        if (actionName != pressAction()) {
            QAccessibleWidget::doAction(actionName);
            return;
        }
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
        QCoreApplication::sendEvent(widget(), &press);
    }
};

QAccessibleInterface* linkAccessibleFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("QLabel") && object && object->property(kLinkProperty).toBool())
        return new LinkAccessible(static_cast<QLabel*>(object));
    return nullptr;
}

} // namespace

void makeClickable(QLabel* label, std::function<void()> action, bool pointingHand)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(linkAccessibleFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled)
    label->setProperty(kLinkProperty, true);
    // An interface made while the form was built described a plain label; the next one asked
    // for is the link's.
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(QAccessible::queryAccessibleInterface(label)));
    label->installEventFilter(new ClickFilter(label, std::move(action)));
    // Reached with Tab and opened from the keyboard like any other control.
    label->setFocusPolicy(Qt::StrongFocus);
    if (pointingHand)
        label->setCursor(Qt::PointingHandCursor);
}
