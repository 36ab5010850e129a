// Placeholder until the ascending table is written out.
#include "core/zodiac.h"
void FindAscendingSign(SignResults&) {}
