// Draws the setup's pictures from the program's own art: its icon inside the ring of the twelve
// sign pictures on the windows' brown, as the welcome and finish pages' side picture (164 x 314)
// and the other pages' header picture (150 x 57). make-setup-art.sh builds and runs it; the
// pictures it writes are kept in art/, so that every build of the setup holds the same bytes.
// Usage: setup-art ASSETS_FOLDER OUTPUT_FOLDER
#include <QtCore/QCoreApplication>
#include <QtCore/QtMath>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <QtSvg/QSvgRenderer>

#include <cstdio>

namespace {

const QColor kDarkBrown{0x43, 0x32, 0x12}; // ui/look.h's window colour

void drawSvg(QPainter& painter, const QString& file, const QRectF& where)
{
    QSvgRenderer renderer(file);
    renderer.render(&painter, where);
}

QImage canvas(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(kDarkBrown);
    return image;
}

// The icon in the middle, the signs around it from Aries at the top, clockwise.
void drawRing(QPainter& painter, const QString& assets, QPointF centre, qreal radius, qreal sign, qreal icon)
{
    for (int i = 0; i < 12; ++i) {
        const qreal angle = qDegreesToRadians(30.0 * i - 90.0);
        const QPointF at = centre + radius * QPointF(qCos(angle), qSin(angle));
        drawSvg(painter, QStringLiteral("%1/signs/sign-%2.svg").arg(assets).arg(i + 1),
                QRectF(at.x() - sign / 2, at.y() - sign / 2, sign, sign));
    }
    drawSvg(painter, assets + QStringLiteral("/icon/bodyastro.svg"),
            QRectF(centre.x() - icon / 2, centre.y() - icon / 2, icon, icon));
}

bool write(const QImage& image, const QString& file)
{
    if (image.save(file, "BMP"))
        return true;
    std::fprintf(stderr, "setup-art: could not write %s\n", qPrintable(file));
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: setup-art ASSETS_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    const QString assets = QString::fromLocal8Bit(argv[1]), output = QString::fromLocal8Bit(argv[2]);
    QImage side = canvas(164, 314), header = canvas(150, 57);
    {
        QPainter painter(&side);
        painter.setRenderHint(QPainter::Antialiasing);
        drawRing(painter, assets, QPointF(82, 157), 62, 30, 68);
    }
    {
        QPainter painter(&header);
        painter.setRenderHint(QPainter::Antialiasing);
        drawSvg(painter, assets + QStringLiteral("/icon/bodyastro.svg"), QRectF(6, 6, 45, 45));
        for (int i = 0; i < 3; ++i)
            drawSvg(painter, QStringLiteral("%1/signs/sign-%2.svg").arg(assets).arg(4 * i + 1),
                    QRectF(60 + 30 * i, 14, 28, 28));
    }
    return write(side, output + QStringLiteral("/side.bmp")) && write(header, output + QStringLiteral("/header.bmp")) ? 0 : 1;
}
