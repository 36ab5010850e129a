// The three program-wide records through which the astrology core and the windows talk.
// The shell's Session owns the one Records of the running program and hands it to both
// windows; every core operation takes the record it writes as a parameter, so tests use their own.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// Sign names of the latest reading. Empty at start, overwritten by each reading, never cleared.
struct SignResults {
    std::string Sun;
    std::string Opposite;
    std::string AscendingKey;
    std::string Ascending;
};

// One sign's catalogue entry. The five list fields hold "->" items joined by CR LF.
struct BodyAstrologyEntry {
    std::string RulingPlanet;
    std::string BodyParts;
    std::string IllnessTendency;
    std::string DietTips;
    std::string HealthTips;
    std::string ErogenousZone;
};

// The shared instance that LookUpBodyAstrology fills has the same shape as an entry.
using CatalogueFields = BodyAstrologyEntry;

// The entries a reading was built from (texts are UTF-8).
struct BirthDetails {
    std::string Name;
    std::int16_t Day = 0;
    std::string Month;
    std::int16_t Year = 0;
    std::string Time;
};

struct Records {
    BirthDetails birthDetails;
    SignResults signResults;
    CatalogueFields catalogueFields;
};

// Which signs the user asked to see: sun, opposite, ascending (the result window's tab order).
using SignTicks = std::array<bool, 3>;
