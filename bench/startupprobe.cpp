// Qt loads this into a start-up child itself (QT_QPA_GENERIC_PLUGINS, QT_PLUGIN_PATH), so the
// real program and the plain window program are timed the same way from outside with nothing
// added to either executable. At the first paint of a window it writes one line to standard
// output, "painted <window name> <peak resident KiB> <processor ms>", and ends the event loop, so the program
// tears down as it does when the user ends it and leaves no lock behind for the next start.
#include <QCoreApplication>
#include <QEvent>
#include <QGenericPlugin>
#include <QWidget>

#include <cstdio>

#ifdef __linux__
#include <sys/resource.h>
#endif

namespace {

// Peak resident size in KiB and processor time (user and system) in milliseconds so far, or -1
// where the system does not say. The processor time moves far less than the wall clock when
// other work shares the machine.
struct Usage {
    long peakKiB = -1;
    double cpuMs = -1;
};

Usage usageSoFar()
{
    Usage result;
#ifdef __linux__
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) == 0) {
        result.peakKiB = usage.ru_maxrss;
        result.cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
                       + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    }
#endif
    return result;
}

class PaintProbe : public QObject {
public:
    PaintProbe() { QCoreApplication::instance()->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint || m_seen || !watched->isWidgetType())
            return false;
        m_seen = true;
        m_window = static_cast<QWidget*>(watched)->window()->objectName();
        // The whole window is painted in the same pass as its first widget; the report comes
        // once that pass is over, ahead of anything the program posted for after its paint.
        QCoreApplication::postEvent(this, new QEvent(reportEvent()), Qt::HighEventPriority);
        return false;
    }

    bool event(QEvent* event) override
    {
        if (event->type() != reportEvent())
            return QObject::event(event);
        report();
        return true;
    }

private:
    static QEvent::Type reportEvent()
    {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }

    void report()
    {
        const Usage usage = usageSoFar();
        std::printf("painted %s %ld %.2f\n", m_window.isEmpty() ? "-" : qPrintable(m_window), usage.peakKiB,
                    usage.cpuMs);
        std::fflush(stdout);
        QCoreApplication::exit(0);
    }

    bool m_seen = false;
    QString m_window;
};

} // namespace

class StartupProbePlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "startupprobe.json")
public:
    QObject* create(const QString& key, const QString&) override
    {
        return key.compare(QLatin1String("bodyastro-startup-probe"), Qt::CaseInsensitive) == 0 ? new PaintProbe
                                                                                               : nullptr;
    }
};

#include "startupprobe.moc"
