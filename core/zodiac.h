// The zodiac vocabulary: signs, months, birth-time windows, and the sign rules.
#pragma once

#include "core/records.h"

#include <array>
#include <string>

namespace zodiac {

constexpr int kSignCount = 12;
constexpr int kTimeWindowCount = 12;

// Sign n (1 = Aries .. 12 = Pisces) is kSignNames[n - 1]; n is also its picture number.
extern const std::array<const char*, kSignCount> kSignNames;
// Month m (1 = January) is kMonthNames[m - 1].
extern const std::array<const char*, 12> kMonthNames;
// Birth-time windows in list order, from "4am-6am" backwards through the day.
extern const std::array<const char*, kTimeWindowCount> kTimeWindowLabels;

// 1..12, or 0 when the text is not exactly one of the sign names.
int signNumber(const std::string& name);
// The name of sign 1..12, or the empty text for any other number.
std::string signName(int number);

} // namespace zodiac

// The sign five places further on; empty for text that is not a sign name.
std::string OppositeSign(const std::string& sign);

// Writes the sun sign for day 1..31 and month 1..12 into results.Sun; writes nothing otherwise.
void FindSunSign(SignResults& results, int day, int month);

// Looks results.AscendingKey up in the 144-entry table and writes results.Ascending when found.
void FindAscendingSign(SignResults& results);

// Copies the entry of the named sign into fields; writes nothing for any other text.
void LookUpBodyAstrology(CatalogueFields& fields, const std::string& sign);
