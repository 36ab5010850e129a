// Placeholder until the web links are built.
#include "session.h"
void Session::openPage(WebPage) {}
