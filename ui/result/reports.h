// The two ways a sign's catalogue entry is laid out as rich text.
#pragma once

#include "core/records.h"

#include <QString>

class QTextEdit;

// Appends one sign's reading at the insertion point of box: the planet heading, the planet,
// "Health Issues" and the five headed lists, each piece with its own bold/colour/underline.
void appendSignReport(QTextEdit& box, const QString& planetHeading, const CatalogueFields& fields);

// Fills box (empty on entry) with the three-sign printable report of the reading in records;
// looks each sign up again, so records.catalogueFields ends with the ascending sign's entry.
void appendPrintableReport(QTextEdit& box, Records& records);

// The planet headings of the three result boxes.
QString sunPlanetHeading();
QString oppositePlanetHeading();
QString ascendantPlanetHeading();
