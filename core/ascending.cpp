// The ascending-sign table: 144 entries keyed by "<sun sign>-<birth-time window>".
#include "core/zodiac.h"

#include <array>
#include <cstddef>

namespace {

constexpr std::size_t kAscendingEntryCount = 144;

// Entry 12 * p + (n - 1) belongs to the window at list position p and sun sign number n.
// The table is kept as written data rather than computed, so that a change to the window
// order or to the step rule cannot silently alter a reading.
const std::array<const char*, kAscendingEntryCount> kAscendingKeys = {
    // 4am-6am
    "Aries-4am-6am", "Taurus-4am-6am", "Gemini-4am-6am", "Cancer-4am-6am",
    "Leo-4am-6am", "Virgo-4am-6am", "Libra-4am-6am", "Scorpio-4am-6am",
    "Sagittarius-4am-6am", "Capricorn-4am-6am", "Aquarius-4am-6am", "Pisces-4am-6am",
    // 2am-4am
    "Aries-2am-4am", "Taurus-2am-4am", "Gemini-2am-4am", "Cancer-2am-4am",
    "Leo-2am-4am", "Virgo-2am-4am", "Libra-2am-4am", "Scorpio-2am-4am",
    "Sagittarius-2am-4am", "Capricorn-2am-4am", "Aquarius-2am-4am", "Pisces-2am-4am",
    // midnight-2am
    "Aries-midnight-2am", "Taurus-midnight-2am", "Gemini-midnight-2am", "Cancer-midnight-2am",
    "Leo-midnight-2am", "Virgo-midnight-2am", "Libra-midnight-2am", "Scorpio-midnight-2am",
    "Sagittarius-midnight-2am", "Capricorn-midnight-2am", "Aquarius-midnight-2am", "Pisces-midnight-2am",
    // 10pm-midnight
    "Aries-10pm-midnight", "Taurus-10pm-midnight", "Gemini-10pm-midnight", "Cancer-10pm-midnight",
    "Leo-10pm-midnight", "Virgo-10pm-midnight", "Libra-10pm-midnight", "Scorpio-10pm-midnight",
    "Sagittarius-10pm-midnight", "Capricorn-10pm-midnight", "Aquarius-10pm-midnight", "Pisces-10pm-midnight",
    // 8pm-10pm
    "Aries-8pm-10pm", "Taurus-8pm-10pm", "Gemini-8pm-10pm", "Cancer-8pm-10pm",
    "Leo-8pm-10pm", "Virgo-8pm-10pm", "Libra-8pm-10pm", "Scorpio-8pm-10pm",
    "Sagittarius-8pm-10pm", "Capricorn-8pm-10pm", "Aquarius-8pm-10pm", "Pisces-8pm-10pm",
    // 6pm-8pm
    "Aries-6pm-8pm", "Taurus-6pm-8pm", "Gemini-6pm-8pm", "Cancer-6pm-8pm",
    "Leo-6pm-8pm", "Virgo-6pm-8pm", "Libra-6pm-8pm", "Scorpio-6pm-8pm",
    "Sagittarius-6pm-8pm", "Capricorn-6pm-8pm", "Aquarius-6pm-8pm", "Pisces-6pm-8pm",
    // 4pm-6pm
    "Aries-4pm-6pm", "Taurus-4pm-6pm", "Gemini-4pm-6pm", "Cancer-4pm-6pm",
    "Leo-4pm-6pm", "Virgo-4pm-6pm", "Libra-4pm-6pm", "Scorpio-4pm-6pm",
    "Sagittarius-4pm-6pm", "Capricorn-4pm-6pm", "Aquarius-4pm-6pm", "Pisces-4pm-6pm",
    // 2pm-4pm
    "Aries-2pm-4pm", "Taurus-2pm-4pm", "Gemini-2pm-4pm", "Cancer-2pm-4pm",
    "Leo-2pm-4pm", "Virgo-2pm-4pm", "Libra-2pm-4pm", "Scorpio-2pm-4pm",
    "Sagittarius-2pm-4pm", "Capricorn-2pm-4pm", "Aquarius-2pm-4pm", "Pisces-2pm-4pm",
    // noon-2pm
    "Aries-noon-2pm", "Taurus-noon-2pm", "Gemini-noon-2pm", "Cancer-noon-2pm",
    "Leo-noon-2pm", "Virgo-noon-2pm", "Libra-noon-2pm", "Scorpio-noon-2pm",
    "Sagittarius-noon-2pm", "Capricorn-noon-2pm", "Aquarius-noon-2pm", "Pisces-noon-2pm",
    // 10am-noon
    "Aries-10am-noon", "Taurus-10am-noon", "Gemini-10am-noon", "Cancer-10am-noon",
    "Leo-10am-noon", "Virgo-10am-noon", "Libra-10am-noon", "Scorpio-10am-noon",
    "Sagittarius-10am-noon", "Capricorn-10am-noon", "Aquarius-10am-noon", "Pisces-10am-noon",
    // 8am-10am
    "Aries-8am-10am", "Taurus-8am-10am", "Gemini-8am-10am", "Cancer-8am-10am",
    "Leo-8am-10am", "Virgo-8am-10am", "Libra-8am-10am", "Scorpio-8am-10am",
    "Sagittarius-8am-10am", "Capricorn-8am-10am", "Aquarius-8am-10am", "Pisces-8am-10am",
    // 6am-8am
    "Aries-6am-8am", "Taurus-6am-8am", "Gemini-6am-8am", "Cancer-6am-8am",
    "Leo-6am-8am", "Virgo-6am-8am", "Libra-6am-8am", "Scorpio-6am-8am",
    "Sagittarius-6am-8am", "Capricorn-6am-8am", "Aquarius-6am-8am", "Pisces-6am-8am",
};

const std::array<const char*, kAscendingEntryCount> kAscendingValues = {
    // 4am-6am
    "Aries", "Taurus", "Gemini", "Cancer", "Leo", "Virgo",
    "Libra", "Scorpio", "Sagittarius", "Capricorn", "Aquarius", "Pisces",
    // 2am-4am
    "Pisces", "Aries", "Taurus", "Gemini", "Cancer", "Leo",
    "Virgo", "Libra", "Scorpio", "Sagittarius", "Capricorn", "Aquarius",
    // midnight-2am
    "Aquarius", "Pisces", "Aries", "Taurus", "Gemini", "Cancer",
    "Leo", "Virgo", "Libra", "Scorpio", "Sagittarius", "Capricorn",
    // 10pm-midnight
    "Capricorn", "Aquarius", "Pisces", "Aries", "Taurus", "Gemini",
    "Cancer", "Leo", "Virgo", "Libra", "Scorpio", "Sagittarius",
    // 8pm-10pm
    "Sagittarius", "Capricorn", "Aquarius", "Pisces", "Aries", "Taurus",
    "Gemini", "Cancer", "Leo", "Virgo", "Libra", "Scorpio",
    // 6pm-8pm
    "Scorpio", "Sagittarius", "Capricorn", "Aquarius", "Pisces", "Aries",
    "Taurus", "Gemini", "Cancer", "Leo", "Virgo", "Libra",
    // 4pm-6pm
    "Libra", "Scorpio", "Sagittarius", "Capricorn", "Aquarius", "Pisces",
    "Aries", "Taurus", "Gemini", "Cancer", "Leo", "Virgo",
    // 2pm-4pm
    "Virgo", "Libra", "Scorpio", "Sagittarius", "Capricorn", "Aquarius",
    "Pisces", "Aries", "Taurus", "Gemini", "Cancer", "Leo",
    // noon-2pm
    "Leo", "Virgo", "Libra", "Scorpio", "Sagittarius", "Capricorn",
    "Aquarius", "Pisces", "Aries", "Taurus", "Gemini", "Cancer",
    // 10am-noon
    "Cancer", "Leo", "Virgo", "Libra", "Scorpio", "Sagittarius",
    "Capricorn", "Aquarius", "Pisces", "Aries", "Taurus", "Gemini",
    // 8am-10am
    "Gemini", "Cancer", "Leo", "Virgo", "Libra", "Scorpio",
    "Sagittarius", "Capricorn", "Aquarius", "Pisces", "Aries", "Taurus",
    // 6am-8am
    "Taurus", "Gemini", "Cancer", "Leo", "Virgo", "Libra",
    "Scorpio", "Sagittarius", "Capricorn", "Aquarius", "Pisces", "Aries",
};

} // namespace

void FindAscendingSign(SignResults& results)
{
    // Every entry is compared; the keys are distinct, so at most one can match. No match
    // leaves the previous reading's ascending sign in place.
    for (std::size_t i = 0; i < kAscendingEntryCount; ++i) {
        if (results.AscendingKey == kAscendingKeys[i])
            results.Ascending = kAscendingValues[i];
    }
}
