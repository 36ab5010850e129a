// Makes a label behave as a link: a click (press and release over it) runs the action, and so do
// Return, Enter and Space when it has the focus, which Tab gives it (it then shows a dotted
// frame). Screen readers are told it is a link.
#pragma once

#include <functional>

class QLabel;

// With pointingHand, the mouse pointer turns into a pointing hand over the label.
void makeClickable(QLabel* label, std::function<void()> action, bool pointingHand);
