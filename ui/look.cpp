#include "ui/look.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QWidget>

namespace look {

QIcon programIcon()
{
    QIcon icon;
    // Window icons are small; decoding the large renderings at start-up would cost more than
    // they are worth (the installed desktop icons carry them).
    for (int size : {16, 32, 48, 64})
        icon.addFile(QStringLiteral(":/icon/png/bodyastro-%1.png").arg(size), QSize(size, size));
    return icon;
}

void setUpWorkingWindow(QMainWindow* window, QSize clientArea, QMenu* helpMenu,
                        const QStringList& separatorNames)
{
    window->setWindowIcon(programIcon());
    int separatorIndex = 0;
    for (QAction* action : helpMenu->actions()) {
        if (action->isSeparator() && separatorIndex < separatorNames.size())
            action->setObjectName(separatorNames.at(separatorIndex++));
    }
    setBackground(window, kDarkBrown);
    QMenuBar* menuBar = window->menuBar();
    // Fixed size: the controls are positioned one by one.
    window->centralWidget()->setFixedSize(clientArea);
    window->setFixedSize(clientArea.width(), clientArea.height() + menuBar->sizeHint().height());
}

QFont verdana(qreal pointSize, bool bold)
{
    QFont font(QStringLiteral("Verdana"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

void setBackground(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    palette.setColor(QPalette::Base, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void setTextColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    palette.setColor(QPalette::ButtonText, colour);
    widget->setPalette(palette);
}

void setEntryColours(QWidget* widget)
{
    QPalette palette = widget->palette();
    for (QPalette::ColorRole role : {QPalette::Base, QPalette::Button, QPalette::Window})
        palette.setColor(role, kDarkBrown);
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText})
        palette.setColor(role, kLightGrey);
    widget->setPalette(palette);
}

void setButtonColours(QWidget* widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Button, kLightGrey);
    palette.setColor(QPalette::ButtonText, Qt::black);
    widget->setPalette(palette);
}

} // namespace look
