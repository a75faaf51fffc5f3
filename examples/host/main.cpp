// A host program: opens a report database, runs one report through VaroReportEngine.rptX by
// member name and prints its rows, a line of tab-separated values per record (the totals
// record last). Without a display every dialog of the engine is confirmed as it stands and its
// message boxes are printed.
//
//   varo-host-example DATABASE.db [REPORT_KEY]      (default SALES_SUMMARY)

#include <platform/ado.h>
#include <platform/automation.h>
#include <platform/containers.h>
#include <platform/error.h>
#include <platform/ui.h>
#include <server/classfactory.h>

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QPushButton>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        QTextStream(stderr) << "usage: varo-host-example DATABASE.db [REPORT_KEY]\n";
        return 2;
    }
    const QString key = args.value(2, QStringLiteral("SALES_SUMMARY"));

    varo::server::registerClasses();
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        varo::ui::setMessageSink([](const QString &text, varo::ui::MessageIcon, const QString &) {
            QTextStream(stderr) << text << '\n';
        });
        varo::ui::setModalDriver([](QDialog *dialog) {
            if (auto *ok = dialog->findChild<QPushButton *>(QStringLiteral("cmdOK")))
                ok->click();
            else
                dialog->accept();
        });
    }

    int status = 1;
    try {
        // The host opens the connections and owns them; one serves definitions and data here.
        QVariant conn = QVariant::fromValue(varo::Connection::open(
            QStringLiteral("sqlite://") + QFileInfo(args[1]).absoluteFilePath()));
        varo::Object report = varo::createObject(QStringLiteral("VaroReportEngine.rptX"));
        QVariantList request{key, conn, conn, -1};
        const bool confirmed = report.call(QStringLiteral("GetReportData"), request).toBool();
        const auto result = report.get(QStringLiteral("Result")).value<varo::Dictionary>();
        if (confirmed && result.value(QStringLiteral("OK")).toBool()) {
            QTextStream out(stdout);
            // No rows at all leave VectRs nothing rather than an empty Vector.
            const auto rows = report.get(QStringLiteral("VectRs")).value<varo::Vector>();
            for (const QVariant &row : rows.isNull() ? QVariantList() : rows.items()) {
                const auto record = row.value<varo::Dictionary>();
                QStringList cells;
                for (int i = 0; i < record.Count(); ++i)
                    cells.append(record.valueAt(i).toString());
                out << cells.join(u'\t') << '\n';
            }
            status = 0;
        }
    } catch (const varo::Error &e) {
        QTextStream(stderr) << "varo-host-example: " << e.description() << '\n';
    }
    varo::server::releaseConnections();
    return status;
}
