// What the two working windows (the input window and the result window) share, and the type by
// which the program's window style knows them.
#pragma once

#include <QMainWindow>
#include <QSize>
#include <QStringList>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class WindowContext;

class WorkingWindow : public QMainWindow {
    Q_OBJECT
public:
    ~WorkingWindow() override;

signals:
    // The window was closed other than by leaving it quietly: the program ends.
    void endRequested();

public slots:
    void cmdExit_Click();

protected:
    // The parts of a form that both windows carry, handed over once the form is set up.
    struct CommonParts {
        QSize clientArea;            // at 96 dpi
        QMenu* helpMenu;             // its separators get the names below
        QStringList separatorNames;  // a .ui form cannot name them
        QLabel* banner;              // the maker's address, on top
        QLabel* cobrand;             // the two promotional labels, sharing one rectangle;
        QLabel* fullBrand;           // the co-branding one lies in front until told otherwise
        QPushButton* exitButton;
        QAction* exitAction;
    };

    // Sets the window's font before the derived class sets up its form, so that the controls
    // inherit it instead of being re-laid out.
    explicit WorkingWindow(WindowContext& context, QWidget* parent = nullptr);

    WindowContext& context() const { return m_context; }

    // Sets up the derived window's form, then what every working window's form carries under
    // the same names: the caption, the icon, the colours of the window, banner and promotional
    // labels, the size, the Help menu's pages and the About box, and Exit.
    template <typename Form>
    void setUpForm(Form& form, QSize clientArea, const QStringList& separatorNames)
    {
        form.setupUi(this);
        setUpCommonParts({clientArea, form.mnuHelp, separatorNames, form.Label61, form.lblCobrand,
                          form.lblFullBrand, form.cmdExit, form.mnuExit});
    }
    // Makes a label open the full-branding offer, with the ordinary pointer.
    void leadToFullBranding(QLabel* label);
    // Closes the window without asking for the program to end (another window follows).
    void closeQuietly();

    void closeEvent(QCloseEvent* event) override;

private:
    void setUpCommonParts(const CommonParts& parts);
    void styleBannerAndPromotion(const CommonParts& parts);
    void connectHelpMenu();
    void connectPromotion(const CommonParts& parts);

    WindowContext& m_context;
    bool m_closingQuietly = false;
};
