#include "exportreading.h"

#include <QProcess>
#include <QXmlStreamReader>

namespace varo::test
{

namespace
{

QByteArray output(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return p.readAllStandardOutput();
}

// Calls visit with each start element of one file inside the XLSX file.
template <typename F> void eachElement(const QString &xlsx, const QString &member, F visit)
{
    QXmlStreamReader xml(output("unzip", {"-p", xlsx, member}));
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement)
            visit(xml, xml.attributes());
    }
}

} // namespace

Sheet readSheet(const QString &xlsx, int number)
{
    Sheet sheet;
    eachElement(xlsx, "xl/workbook.xml", [&](QXmlStreamReader &xml, const auto &a) {
        if (xml.name() == u"sheet")
            sheet.names.append(a.value("name").toString());
    });
    // Which cell formats are bold: those whose font has <b/>.
    QList<bool> boldFonts, bold;
    eachElement(xlsx, "xl/styles.xml", [&](QXmlStreamReader &xml, const auto &a) {
        if (xml.name() == u"font")
            boldFonts.append(false);
        else if (xml.name() == u"b")
            boldFonts.last() = true;
        else if (xml.name() == u"xf" && a.hasAttribute("xfId"))
            bold.append(boldFonts.value(a.value("fontId").toInt()));
    });
    SheetCell *cell = nullptr;
    eachElement(xlsx, QString("xl/worksheets/sheet%1.xml").arg(number),
                [&](QXmlStreamReader &xml, const auto &a) {
                    if (xml.name() == u"c") {
                        cell = &sheet.cells[a.value("r").toString()];
                        cell->number = a.value("t").isEmpty() || a.value("t") == u"n";
                        cell->bold = bold.value(a.value("s").toInt());
                    } else if ((xml.name() == u"v" || xml.name() == u"t") && cell) {
                        cell->text = xml.readElementText();
                    } else if (xml.name() == u"mergeCell") {
                        sheet.merges.append(a.value("ref").toString());
                    } else if (xml.name() == u"pane" && a.value("state") == u"frozen") {
                        sheet.frozenRows = a.value("ySplit").toInt();
                    }
                });
    return sheet;
}

QStringList pdfPages(const QString &pdf)
{
    QString text = QString::fromUtf8(output("pdftotext", {"-layout", pdf, "-"}));
    // Fonts that draw an ideograph and the radical of its shape with one glyph give the
    // radical back to the text extraction.
    for (QChar &ch : text) {
        if (ch.unicode() >= 0x2F00 && ch.unicode() <= 0x2FDF)
            ch = QString(ch).normalized(QString::NormalizationForm_KC).at(0);
    }
    return text.split(u'\f', Qt::SkipEmptyParts);
}

QString pdfInfo(const QString &pdf)
{
    return QString::fromUtf8(output("pdfinfo", {pdf})).simplified();
}

} // namespace varo::test
