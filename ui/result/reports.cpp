// Placeholder until the reports are built.
#include "reports.h"
#include <QTextEdit>
void appendSignReport(QTextEdit&, const QString&, const CatalogueFields&) {}
void appendPrintableReport(QTextEdit&, Records&) {}
QString sunPlanetHeading() { return QStringLiteral("Ruling Planet for your Sun Sign is :-"); }
QString oppositePlanetHeading() { return QStringLiteral("Ruling Planet for your Opposite Sign is :-"); }
QString ascendantPlanetHeading() { return QStringLiteral("Ruling Planet for your Ascendant Sign is :-"); }
