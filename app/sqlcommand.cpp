// `varo-report sql`: the filter step of a report, taken as `run` takes it, and then the SQL the
// engine would run (or what it would hand a report plug-in) printed instead of loaded.
#include "commands.h"

#include "console.h"
#include "dialogdriver.h"
#include "jsonwriter.h"
#include "messagerecorder.h"
#include "reporthost.h"
#include "tablewriter.h"
#include "textwidth.h"

#include "engine/reportobject.h"
#include "platform/error.h"
#include "server/classfactory.h"

#include <QLoggingCategory>

namespace varo::report
{

namespace
{

Q_LOGGING_CATEGORY(lcReport, "varo.report")

// The statement as it would run, line breaks and tabs included; other control characters are
// escaped so that a template cannot move the terminal's cursor.
QString shownStatement(const QString &sql)
{
    QString shown;
    for (const QChar c : sql) {
        const bool layout = c == u'\n' || c == u'\r' || c == u'\t';
        shown += layout ? QString(c) : visibleText(QString(c));
    }
    return shown;
}

// What a report plug-in is handed: a record as one NAME=value line per entry, else its text.
QString shownValues(const QVariant &values)
{
    const Dictionary record = values.metaType() == QMetaType::fromType<Dictionary>()
                                  ? values.value<Dictionary>()
                                  : Dictionary();
    if (record.isNull())
        return visibleText(cellText(values)) + u'\n';
    QString shown;
    for (const QString &name : record.keys())
        shown += visibleText(name + u'=' + cellText(record.value(name))) + u'\n';
    return shown;
}

void writeText(const LoadPlan &plan)
{
    if (!plan.ready)
        return;
    if (plan.plugin.isEmpty()) {
        const QString sql = shownStatement(plan.sql);
        writeOut(sql.endsWith(u'\n') ? sql : sql + u'\n');
        return;
    }
    writeOut(QStringLiteral("handed to %1:\n").arg(visibleText(plan.plugin)) +
             shownValues(plan.values));
}

void writeJson(const QString &key, const LoadPlan &plan, const QVariant &title,
               const QList<RecordedMessage> &messages)
{
    TextOut &out = standardOutput();
    auto member = [&out](QStringView name, const QVariant &value) {
        out.write(u",\"");
        out.write(name);
        out.write(u"\":");
        writeJsonValue(out, value);
    };
    out.write(u"{\"key\":");
    writeJsonString(out, key);
    member(u"sql", plan.ready && plan.plugin.isEmpty() ? QVariant(plan.sql) : QVariant());
    member(u"plugin", plan.plugin.isEmpty() ? QVariant() : QVariant(plan.plugin));
    member(u"values", plan.values);
    member(u"title", title);
    out.write(u",\"messages\":");
    writeMessagesJson(out, messages);
    out.write(u"}\n");
}

// Undoes, on every way out, whatever the filter step writes to the databases: the condition
// dialog adds the FGroupStr column to T_RepFilter the first time it opens, and a plug-in's
// dialog may write too. `sql` leaves both databases as it found them.
class HeldBack
{
public:
    explicit HeldBack(const ReportConnections &connections)
    {
        m_connections.append(connections.definitions);
        if (!(connections.data == connections.definitions))
            m_connections.append(connections.data);
    }
    ~HeldBack()
    {
        for (Connection &c : m_begun) {
            try {
                c.RollbackTrans();
            } catch (const std::exception &e) {
                // Closing the connection without a commit undoes the transaction all the same.
                qCWarning(lcReport) << maskedUrl(c.url()) << toError(e).description();
            }
        }
    }
    HeldBack(const HeldBack &) = delete;
    HeldBack &operator=(const HeldBack &) = delete;

    // False, after saying why, when a database cannot hold writes back.
    bool begin()
    {
        for (Connection &c : m_connections) {
            try {
                c.BeginTrans();
                m_begun.append(c);
            } catch (const std::exception &e) {
                complain(
                    QStringLiteral("%1: %2").arg(maskedUrl(c.url()), toError(e).description()));
                return false;
            }
        }
        return true;
    }

private:
    QList<Connection> m_connections;
    QList<Connection> m_begun;
};

int planReport(const RunOptions &o, OutputFormat format, bool headless,
               ReportConnections &connections)
{
    const Object report = createReportObject(o.object);
    if (report.isNull())
        return ExitStatus::HostFailure;
    auto *planned = qobject_cast<ReportObject *>(report.get());
    if (!planned) {
        complain(QStringLiteral("%1 cannot show its SQL").arg(o.object));
        return ExitStatus::HostFailure;
    }
    planned->setPlanning(true);

    MessageRecorder recorder(!headless);
    DialogDriver driver(o.answers, o.cancel, o.screenshot);
    if (headless)
        driver.install();

    const QString &key = o.steps.constFirst();
    std::optional<Error> raised;
    try {
        QVariantList args{key, QVariant::fromValue(connections.data),
                          QVariant::fromValue(connections.definitions), QVariant(o.repType)};
        report.call(QStringLiteral("GetReportData"), args);
    } catch (const std::exception &e) {
        raised = toError(e);
    }
    const LoadPlan plan = planned->plannedLoad();
    const QList<RecordedMessage> messages = recorder.take();
    if (format == OutputFormat::Json) {
        writeJson(key, plan, QVariant::fromValue(planned->Title()), messages);
    } else {
        for (const RecordedMessage &m : messages)
            complain(QStringLiteral("%1: message (%2) %3: %4")
                         .arg(key, iconName(m.icon), m.title, m.text));
        writeText(plan);
    }

    if (raised) {
        complain(QStringLiteral("%1: error %2: %3")
                     .arg(key)
                     .arg(raised->number())
                     .arg(raised->description()));
        return ExitStatus::HostFailure;
    }
    if (!driver.failures().isEmpty()) {
        for (const QString &failure : driver.failures())
            complain(failure);
        return ExitStatus::UsageError;
    }
    if (complainAboutUnusedAnswers(driver))
        return ExitStatus::UsageError;
    if (!plan.ready) {
        complain(QStringLiteral("%1: no SQL to show: the filter step did not finish").arg(key));
        return ExitStatus::StepFailed;
    }
    return ExitStatus::Ok;
}

} // namespace

int sqlCommand(const RunOptions &o, OutputFormat format, bool headless)
{
    prepareHost(o);
    std::optional<ReportConnections> connections = openReportConnections(o);
    if (!connections)
        return ExitStatus::HostFailure;
    int status = ExitStatus::HostFailure;
    {
        HeldBack heldBack(*connections);
        if (heldBack.begin())
            status = planReport(o, format, headless, *connections);
    }
    server::releaseConnections();
    return status;
}

} // namespace varo::report
