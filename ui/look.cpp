#include "ui/look.h"

#include "ui/compat.h"

#include <QAction>
#include <QIconEngine>
#include <QPainter>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QLabel>
#include <QLayout>
#include <QPalette>
#include <QPushButton>
#include <QWidget>
#include <QtMath>

#include <iterator>

namespace look {

namespace {

// The pre-rendered icon sizes compiled into the program; 256 stays with the desktop files.
constexpr int kIconSizes[] = {16, 32, 48, 64, 128};
constexpr int kIconCount = int(std::size(kIconSizes));

QString iconFile(int size)
{
    return QStringLiteral(":/icon/png/bodyastro-%1.png").arg(size);
}

} // namespace

namespace {

// The pre-rendered sizes, each decoded only when something asks for it: QIcon::addFile
// decodes every file as it is added, which start-up would pay for sizes nobody shows.
class ProgramIconEngine : public compat::SizedIconEngine {
public:
    QIconEngine* clone() const override { return new ProgramIconEngine(*this); }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const int side = kIconSizes[bestIndex(size)];
        return QSize(side, side).boundedTo(size);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const int index = bestIndex(size);
        QPixmap& loaded = m_loaded[index];
        if (loaded.isNull())
            loaded.load(iconFile(kIconSizes[index]));
        // Scaled down, never up, as QIcon does with files.
        if (loaded.isNull() || (loaded.width() <= size.width() && loaded.height() <= size.height()))
            return loaded;
        return loaded.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }

protected:
    QList<QSize> sizes() const override
    {
        QList<QSize> all;
        for (int side : kIconSizes)
            all.append(QSize(side, side));
        return all;
    }
    // The smallest rendering at least as large as asked for, else the largest.
    static int bestIndex(const QSize& size)
    {
        const int wanted = qMax(size.width(), size.height());
        for (int i = 0; i < kIconCount; ++i) {
            if (kIconSizes[i] >= wanted)
                return i;
        }
        return kIconCount - 1;
    }

private:
    QPixmap m_loaded[kIconCount];
};

} // namespace

QIcon programIcon()
{
    // One icon for the whole run: every result window would otherwise load its own copy.
    static const QIcon icon(new ProgramIconEngine);
    return icon;
}

QPixmap programIconPixmap(int side, qreal devicePixelRatio)
{
    const int wanted = qCeil(side * devicePixelRatio);
    int chosen = kIconSizes[std::size(kIconSizes) - 1];
    for (int size : kIconSizes) {
        if (size >= wanted) {
            chosen = size;
            break;
        }
    }
    QPixmap pixmap(iconFile(chosen));
    if (pixmap.width() != wanted)
        pixmap = pixmap.scaled(wanted, wanted, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

qreal layoutScale(const QWidget* widget)
{
    return widget->logicalDpiY() / 96.0;
}

QSize scaled(QSize size, qreal scale)
{
    return QSize(qRound(size.width() * scale), qRound(size.height() * scale));
}

void scaleLayout(QWidget* root, qreal scale)
{
    if (qFuzzyCompare(scale, 1.0))
        return;
    for (QWidget* widget : root->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        // Unnamed and qt_ children are the inner parts of Qt's controls, which place them.
        const QString name = widget->objectName();
        const QLayout* layout = root->layout();
        const bool inLayout = layout && layout->indexOf(widget) >= 0;
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")) && !inLayout) {
            // Sizes round up: a caption that just fitted still fits.
            const QRect r = widget->geometry();
            widget->setGeometry(qRound(r.x() * scale), qRound(r.y() * scale), qCeil(r.width() * scale),
                                qCeil(r.height() * scale));
        }
        scaleLayout(widget, scale);
    }
}

void growToFitCaption(QLabel* label)
{
    const int needed = label->sizeHint().width();
    if (needed > label->width())
        label->resize(needed, label->height());
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
    // Buttons answer Return as well as Space (a main window has no default button to steal it).
    for (QPushButton* button : window->findChildren<QPushButton*>())
        button->setAutoDefault(true);
    QMenuBar* menuBar = window->menuBar();
    const qreal scale = layoutScale(window);
    scaleLayout(window->centralWidget(), scale);
    clientArea = scaled(clientArea, scale);
    // Fixed size: the controls are positioned one by one.
    window->centralWidget()->setFixedSize(clientArea);
    window->setFixedSize(clientArea.width(), clientArea.height() + menuBar->sizeHint().height());
}

namespace {

// Verdana where it is installed, else DejaVu Sans, decided once: asking for a missing family
// makes every new font look for a stand-in again.
QString faceFamily()
{
    static const QString family = [] {
        const QString verdana = QStringLiteral("Verdana");
        const QString dejaVu = QStringLiteral("DejaVu Sans");
        // The plain list: hasFamily() would look for aliases of the missing family too.
        const QStringList families = compat::fontFamilies();
        const bool useDejaVu =
            !families.contains(verdana, Qt::CaseInsensitive) && families.contains(dejaVu, Qt::CaseInsensitive);
        return useDejaVu ? dejaVu : verdana;
    }();
    return family;
}

} // namespace

QFont verdana(qreal pointSize, bool bold)
{
    QFont font(faceFamily());
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
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        // Disabled text keeps a colour of its own, or a disabled command would look enabled.
        palette.setColor(QPalette::Active, role, colour);
        palette.setColor(QPalette::Inactive, role, colour);
        palette.setColor(QPalette::Disabled, role, kDisabledGrey);
    }
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
