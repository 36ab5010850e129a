#include "app/updatecheck.h"

#include "storage/reminderdate.h"
#include "ui/platform.h"
#include "ui/weblinks.h"

#include <QDate>
#include <QSettings>

namespace {

constexpr qint64 kQuietDays = 14;

} // namespace

void OfferUpdateCheck(Platform& platform, QSettings& settings, const QDate& today)
{
    const StoredReminderDate stored = readReminderDate(settings);
    if (stored.state == StoredReminderDate::Missing) {
        writeReminderDate(settings, today);
        return;
    }
    if (stored.state == StoredReminderDate::Unreadable) {
        // Most likely written under another date format before the locale changed. Counting
        // starts again from today; left as it is, it would silence the reminder for good.
        writeReminderDate(settings, today);
        return;
    }
    if (stored.state != StoredReminderDate::Valid)
        return;
    const qint64 days = today.daysTo(stored.date);
    if (days >= -kQuietDays && days <= kQuietDays)
        return;

    const QMessageBox::StandardButton answer = platform.showMessage(
        nullptr, QMessageBox::Information,
        QStringLiteral("There maybe an update to this software available\rDo you want to check for an update?"),
        QMessageBox::Yes | QMessageBox::No);
    if (!writeReminderDate(settings, today))
        return;
    if (answer == QMessageBox::Yes)
        openWebPage(platform, WebPage::ProductUpdate);
}
