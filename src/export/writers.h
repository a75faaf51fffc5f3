// The writers behind exportReports, each writing the whole of its format to a file or device
// it is handed; replacing the user's file is the caller's part. Also the width of a text in
// character cells, which the XLSX and the PDF layout share.
#pragma once

#include "export/exporter.h"

class QIODevice;
class QPagedPaintDevice;

namespace varo::exporting
{

// "" on success, otherwise what went wrong.
QString writeXlsx(const QList<ReportTable> &reports, const QString &path);
QString writeCsv(const QList<ReportTable> &reports, QIODevice *device,
                 const ExportOptions &options);
// Paints the reports on the device's pages, each from a new page, turning the pages to landscape
// for a report whose columns need it; the painting begins and ends here.
void paintReports(const QList<ReportTable> &reports, QPagedPaintDevice *device);

// Sheet names for the reports: Excel's rules (at most 31 characters, none of []:*?/\, no
// apostrophe at either end), unique without regard to letter case.
QStringList sheetNames(const QList<ReportTable> &reports);

// Character cells a text takes in a fixed-width view: East Asian wide characters take two.
int textCells(QStringView text);

} // namespace varo::exporting
