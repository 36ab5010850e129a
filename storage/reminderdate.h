// When the update reminder was last given: key "Duration" in group "Settings", the date in the
// user's short date format, key and value scrambled like everything the program stores.
#pragma once

#include <QDate>

class QSettings;

struct StoredReminderDate {
    enum State { Missing, Unreadable, StoreFailed, Valid };
    State state = Missing;
    QDate date; // set when Valid
};

StoredReminderDate readReminderDate(QSettings& settings);
// False when the store could not keep it.
bool writeReminderDate(QSettings& settings, const QDate& date);
