// The style of the program's own windows: flat controls in the window's colours.
#pragma once

#include <QProxyStyle>
#include <QStyleOption>
#include <QVector>

// Wraps the application's style. Inside the program's own windows (the working windows, which
// are WorkingWindows, and the About box, known by their types) it draws the
// buttons, lists, name box, check boxes and menu bar flat in the program's colours, where the
// usual style would shade them with gradients and bevels; everything else, and every other
// window (message boxes, file and print dialogs), keeps the usual look.
//
// A style sheet did the same, but every widget under one is polished and drawn through Qt's
// style-sheet machinery, which made each window noticeably slower to build.
//
// What it passes on to the wrapped style it draws with one shared palette per set of colours:
// styles cache drawings under the palette's cache key, and each widget with colours of its own
// gets a palette with a new key, so every new result window would add copies to the pixmap
// cache, whose evicted keys Qt never forgets.
class WindowStyle : public QProxyStyle {
    Q_OBJECT
public:
    WindowStyle();

    void polish(QWidget* widget) override;
    using QProxyStyle::polish;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl subControl,
                         const QWidget* widget) const override;
    QRect subElementRect(SubElement element, const QStyleOption* option, const QWidget* widget) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override;

private:
    friend void prepareProgramWindows();
    // Makes the application's style a WindowStyle around the current one (once).
    static void install();

    bool drawFlatControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                         const QWidget* widget) const;
    void drawFlatButton(bool withLabel, const QStyleOption* option, QPainter* painter, const QWidget* widget) const;
    bool drawFlatMenuBarItem(const QStyleOption* option, QPainter* painter, const QWidget* widget) const;
    void drawFlatCheckBox(const QStyleOption* option, QPainter* painter) const;

    class SharedPalette;
    // The shared palette with the same colours, or nullptr when the option's is the shared one.
    const QPalette* sharedPalette(const QPalette& palette) const;

    mutable QVector<QPalette> m_palettes;
};

// Registers the program's pictures (compiled into a static library, so registered by hand)
// and installs the WindowStyle; once per application, before the first window. The program
// calls it as it configures the application, the test fixture as it prepares its tests.
void prepareProgramWindows();
