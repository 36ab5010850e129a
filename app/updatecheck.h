// The start-up reminder to look for a newer version, at most once every two weeks.
#pragma once

class Platform;
class QDate;
class QSettings;

// Reads when the reminder was last given (key "Duration" in group "Settings", scrambled like
// everything the program stores), asks whether to look for an update when that was more than
// 14 days before or after today, and records today. On the first start, and when the value
// cannot be read as a date, it only records today. A failing store ends the check quietly.
void OfferUpdateCheck(Platform& platform, QSettings& settings, const QDate& today);
