// Placeholder until the catalogue is written out.
#include "core/zodiac.h"
void LookUpBodyAstrology(CatalogueFields&, const std::string&) {}
