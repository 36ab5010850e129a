#include "updatecheck.h"

#include "platform.h"
#include "scramble.h"
#include "weblinks.h"

#include <QDate>
#include <QLocale>
#include <QSettings>

namespace {

constexpr qint64 kQuietDays = 14;

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

// Records today; false when the store could not keep it.
bool writeToday(QSettings& settings, const QDate& today)
{
    settings.setValue(settingKey(), scrambled(QLocale().toString(today, storedDateFormat())));
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace

void OfferUpdateCheck(Platform& platform, QSettings& settings, const QDate& today)
{
    const QString stored = unscrambled(settings.value(settingKey()).toString());
    if (settings.status() != QSettings::NoError)
        return;
    if (stored.isEmpty()) {
        writeToday(settings, today);
        return;
    }
    const QDate last = QLocale().toDate(stored, storedDateFormat());
    if (!last.isValid()) {
        // Most likely written under another date format before the locale changed. Counting
        // starts again from today; left as it is, it would silence the reminder for good.
        writeToday(settings, today);
        return;
    }
    const qint64 days = today.daysTo(last);
    if (days >= -kQuietDays && days <= kQuietDays)
        return;

    const QMessageBox::StandardButton answer = platform.showMessage(
        nullptr, QMessageBox::Information,
        QStringLiteral("There maybe an update to this software available\rDo you want to check for an update?"),
        QMessageBox::Yes | QMessageBox::No);
    if (!writeToday(settings, today))
        return;
    if (answer == QMessageBox::Yes)
        openProductUpdatePage(platform);
}
