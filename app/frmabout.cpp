// Placeholder until the About box is built.
#include "session.h"
void Session::showAbout(QWidget*) {}
