// The differences between Qt 5.15 and Qt 6 that the program meets, in one place, so that the
// code elsewhere reads the same for both.
#pragma once

#include <QtGlobal>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QIconEngine>
#include <QList>
#include <QSize>
#include <QStringList>
#include <QStyle>
#include <QStyleOption>

namespace compat {

// The installed font families (Qt 5 asks an instance of the database).
inline QStringList fontFamilies()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return QFontDatabase::families();
#else
    return QFontDatabase().families();
#endif
}

// The name a style is created by (Qt 5 keeps it as the object name).
inline QString styleName(const QStyle* style)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 1, 0)
    return style->name();
#else
    return style->objectName();
#endif
}

// Windows follow the screen's scale factor, fractions such as 150 % kept; Qt 6 always scales,
// Qt 5 only when asked. Only before QGuiApplication is constructed.
inline void enableHighDpiScaling()
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
#endif
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
}

// The newest version of the tab and header options: Qt 5 draws tabs with a fourth version, Qt 6
// headers with a second; code that copies options by their type must know these too.
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
using NewestTabOption = QStyleOptionTab;
using NewestHeaderOption = QStyleOptionHeaderV2;
#else
using NewestTabOption = QStyleOptionTabV4;
using NewestHeaderOption = QStyleOptionHeader;
#endif

// An icon engine that names its sizes: Qt 6 asks a virtual function, Qt 5 a hook.
class SizedIconEngine : public QIconEngine {
public:
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return sizes(); }
#else
    void virtual_hook(int id, void* data) override
    {
        if (id == QIconEngine::AvailableSizesHook) {
            static_cast<QIconEngine::AvailableSizesArgument*>(data)->sizes = sizes();
            return;
        }
        QIconEngine::virtual_hook(id, data);
    }
#endif

protected:
    virtual QList<QSize> sizes() const = 0;
};

} // namespace compat
