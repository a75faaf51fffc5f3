// Reads exported files back as a person's program would see them: an XLSX file's sheet names
// and a sheet's cells (text or number, bold or not), merges and frozen rows through unzip; a
// PDF's text and page size through poppler's tools.
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

namespace varo::test
{

struct SheetCell {
    QString text;
    bool number = false;
    bool bold = false;
};

struct Sheet {
    QStringList names;              // of every sheet of the file
    QMap<QString, SheetCell> cells; // by reference, "B3"
    QStringList merges;             // "A3:A4"
    int frozenRows = 0;
};

Sheet readSheet(const QString &xlsx, int number); // from 1
// The text of each page, laid out as on the page (runs of blanks may shrink to one or none).
QStringList pdfPages(const QString &pdf);
QString pdfInfo(const QString &pdf); // "Page size: 842 x 595 pts (A4)" among others

} // namespace varo::test
