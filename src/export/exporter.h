// Writing reports to files: XLSX (one sheet per report), CSV (one report after another) and PDF
// (one after another), and printing one report on a printer the caller set up (the viewer's
// print preview). A file is replaced only once the new one is complete.
#pragma once

#include "export/reporttable.h"

#include <QList>
#include <QString>

class QPrinter;

namespace varo::exporting
{

enum class ExportFormat { Xlsx, Csv, Pdf };

struct ExportOptions {
    bool csvTitles = false; // the title lines before the header line
    bool csvBom = false;    // a UTF-8 byte order mark first, for spreadsheet programs
};

// Writes the reports to the file; "" on success, otherwise what went wrong, for the user.
QString exportReports(const QList<ReportTable> &reports, ExportFormat format, const QString &path,
                      const ExportOptions &options = {});

// Lays the report out on the printer's pages: title lines first, both header levels on every
// page, the totals row at the end, page numbers; landscape when the columns need it.
void printReport(const ReportTable &report, QPrinter *printer);

} // namespace varo::exporting
