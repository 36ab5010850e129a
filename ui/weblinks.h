// The web pages the program sends the user to, and the draw that picks the promotional label
// shown at start-up.
#pragma once

#include <QString>

class Platform;
class QRandomGenerator;

// The six web pages the program knows.
enum class WebPage { ProductHelp, ProductUpdate, MakerHome, FullBranding, CoBranding, Donation };

// The fixed address of a page.
QString webAddress(WebPage page);

// Hands the address to the desktop's browser; whether that worked is not reported.
void OpenWebPage(Platform& platform, const QString& address);
void openWebPage(Platform& platform, WebPage page);

// A whole number from 1 to 6, each equally likely.
int drawPromotionNumber(QRandomGenerator& random);
