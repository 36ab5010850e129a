// Makes a label behave as a link: a click (press and release over it) runs the action.
#pragma once

#include <functional>

class QLabel;

// With pointingHand, the mouse pointer turns into a pointing hand over the label.
void makeClickable(QLabel* label, std::function<void()> action, bool pointingHand);
