#include "core/zodiac.h"

namespace zodiac {

const std::array<const char*, kSignCount> kSignNames = {
    "Aries", "Taurus", "Gemini", "Cancer", "Leo", "Virgo",
    "Libra", "Scorpio", "Sagittarius", "Capricorn", "Aquarius", "Pisces"};

const std::array<const char*, 12> kMonthNames = {
    "January", "February", "March", "April", "May", "June",
    "July", "August", "September", "October", "November", "December"};

const std::array<const char*, kTimeWindowCount> kTimeWindowLabels = {
    "4am-6am", "2am-4am", "midnight-2am", "10pm-midnight", "8pm-10pm", "6pm-8pm",
    "4pm-6pm", "2pm-4pm", "noon-2pm", "10am-noon", "8am-10am", "6am-8am"};

int signNumber(const std::string& name)
{
    for (int i = 0; i < kSignCount; ++i) {
        if (name == kSignNames[static_cast<std::size_t>(i)])
            return i + 1;
    }
    return 0;
}

std::string signName(int number)
{
    if (number < 1 || number > kSignCount)
        return {};
    return kSignNames[static_cast<std::size_t>(number - 1)];
}

} // namespace zodiac

std::string OppositeSign(const std::string& sign)
{
    const int n = zodiac::signNumber(sign);
    if (n == 0)
        return {};
    // Five places on, not six: this is the program's own rule and its readings depend on it.
    return zodiac::signName((n + 4) % 12 + 1);
}

namespace {

struct SunSignRow {
    const char* early; // days 1 .. boundary
    int boundary;
    const char* late;  // days boundary + 1 .. 31
};

const SunSignRow kSunSignRows[12] = {
    {"Capricorn", 19, "Aquarius"},   {"Aquarius", 18, "Pisces"},     {"Pisces", 20, "Aries"},
    {"Aries", 20, "Taurus"},         {"Taurus", 20, "Gemini"},       {"Gemini", 20, "Cancer"},
    {"Cancer", 20, "Leo"},           {"Leo", 20, "Virgo"},           {"Virgo", 20, "Libra"},
    {"Libra", 20, "Scorpio"},        {"Scorpio", 20, "Sagittarius"}, {"Sagittarius", 20, "Capricorn"}};

} // namespace

void FindSunSign(SignResults& results, int day, int month)
{
    if (month < 1 || month > 12)
        return;
    const SunSignRow& row = kSunSignRows[month - 1];
    // The day is deliberately not checked against the month's length; the input window does that.
    if (day >= 1 && day <= row.boundary)
        results.Sun = row.early;
    else if (day > row.boundary && day <= 31)
        results.Sun = row.late;
}
