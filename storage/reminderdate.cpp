#include "storage/reminderdate.h"

#include "storage/scramble.h"

#include <QLocale>
#include <QSettings>

namespace {

QString scrambled(const QString& text)
{
    return fromWindows1252(ScrambleText(toWindows1252(text)));
}

QString unscrambled(const QString& text)
{
    return fromWindows1252(UnscrambleText(toWindows1252(text)));
}

QString settingKey()
{
    return QStringLiteral("Settings/") + scrambled(QStringLiteral("Duration"));
}

// The user's short date format, except that a two-digit year becomes four digits: "26" would
// read back as 1926 and bring the question up at every start.
QString storedDateFormat()
{
    const QString format = QLocale().dateFormat(QLocale::ShortFormat);
    QString widened;
    bool quoted = false;
    for (int i = 0; i < format.size();) {
        const QChar ch = format.at(i);
        if (ch == QLatin1Char('\'')) {
            quoted = !quoted;
            widened.append(ch);
            ++i;
            continue;
        }
        if (quoted || ch != QLatin1Char('y')) {
            widened.append(ch);
            ++i;
            continue;
        }
        int run = 0;
        while (i + run < format.size() && format.at(i + run) == QLatin1Char('y'))
            ++run;
        widened.append(run == 2 || run == 3 ? QStringLiteral("yyyy") : QString(run, QLatin1Char('y')));
        i += run;
    }
    return widened;
}

} // namespace

StoredReminderDate readReminderDate(QSettings& settings)
{
    StoredReminderDate result;
    const QString stored = unscrambled(settings.value(settingKey()).toString());
    if (settings.status() != QSettings::NoError) {
        result.state = StoredReminderDate::StoreFailed;
    } else if (stored.isEmpty()) {
        result.state = StoredReminderDate::Missing;
    } else {
        result.date = QLocale().toDate(stored, storedDateFormat());
        result.state = result.date.isValid() ? StoredReminderDate::Valid : StoredReminderDate::Unreadable;
    }
    return result;
}

bool writeReminderDate(QSettings& settings, const QDate& date)
{
    settings.setValue(settingKey(), scrambled(QLocale().toString(date, storedDateFormat())));
    settings.sync();
    return settings.status() == QSettings::NoError;
}
