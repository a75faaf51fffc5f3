#include "definitionchecker.h"

#include "check/templatescan.h"
#include "check/trialquery.h"
#include "dialogs/condition/conditionfilter.h"
#include "engine/filtersteps.h"
#include "engine/reportstate.h"
#include "engine/templateexpansion.h"
#include "platform/automation.h"
#include "platform/error.h"
#include "platform/variant.h"
#include "shared/modglobal.h"
#include "shared/sqlvalues.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <optional>

namespace varo::check
{

bool ReportCheck::hasError() const
{
    for (const Problem &p : problems) {
        if (p.severity() == Severity::Error)
            return true;
    }
    return false;
}

namespace
{

// The way a request goes, tested in the engine's order.
enum class Way { FilterPlugin, Keywords, ConditionTemplate, ConditionPlugin };

QString wayName(Way way)
{
    switch (way) {
    case Way::FilterPlugin:
        return QStringLiteral("filter plug-in");
    case Way::Keywords:
        return QStringLiteral("keyword");
    case Way::ConditionTemplate:
        return QStringLiteral("condition template");
    case Way::ConditionPlugin:
        break;
    }
    return QStringLiteral("report plug-in");
}

QString fieldText(Recordset &rs, const char *name, const QString &null = QString())
{
    return toText(NullToValue(rs.Fields(QString::fromLatin1(name)).Value(), null));
}

struct FilterLine {
    QString index; // FIndex as text
    dialogs::FilterRow row;
};

struct HeaderLine {
    QString name;
    bool visible = false;
    bool summed = false;
    std::optional<QString> serial; // none for Null
};

// A value that stands for "any" where a keyword outside braces must have one.
QString neutralLiteral(const QVariant &valueType)
{
    switch (keywordLiteralKind(valueType)) {
    case LiteralKind::Date:
        return QStringLiteral("2000-01-01");
    case LiteralKind::Number:
        return QStringLiteral("0");
    case LiteralKind::ColumnList:
    case LiteralKind::NumberOrColumnList:
        break;
    }
    return QStringLiteral("1");
}

class ReportChecker
{
public:
    ReportChecker(Connection &data, const QString &key, bool lookupInstalled)
        : m_data(data), m_key(key), m_lookupInstalled(lookupInstalled)
    {
    }

    ReportCheck run(int catalogueRows)
    {
        ReportCheck result{m_key, QString(), {}};
        if (catalogueRows == 0) {
            add(Code::NoSuchReport, catalogueWhere(), {m_key});
            result.problems = m_problems;
            return result;
        }
        if (catalogueRows > 1)
            add(Code::DuplicateKey, catalogueWhere(), {m_key, QString::number(catalogueRows)});
        readRoute();
        result.route = wayName(m_way);
        checkPlugins();

        const QList<FilterLine> filters = readFilterRows();
        if (m_way == Way::ConditionTemplate || m_way == Way::ConditionPlugin)
            checkConditionRows(filters);
        std::optional<QStringList> columns;
        if (m_way == Way::ConditionTemplate || m_way == Way::Keywords) {
            if (const std::optional<QString> sql = readTemplate())
                columns = checkTemplate(*sql, filters);
        }
        checkHeader(columns);
        result.problems = m_problems;
        return result;
    }

private:
    void add(Code code, const QString &where, const QStringList &args)
    {
        m_problems.append(problem(code, where, args));
    }
    QString catalogueWhere() const { return QStringLiteral("T_RepList ") + m_key; }
    QString templateWhere() const { return QStringLiteral("T_RepSql ") + m_key; }
    QString filterWhere(const QString &index) const
    {
        return QStringLiteral("T_RepFilter %1 FIndex %2").arg(m_key, index);
    }
    QString headerWhere(const QString &column = QString()) const
    {
        return QStringLiteral("T_RepHeadCaption ") + m_key +
               (column.isNull() ? QString() : QStringLiteral(" FRepColName ") + column);
    }

    // The catalogue row as the request reads it, with the engine's own reading of its route.
    void readRoute()
    {
        Recordset catalogue = OpenCatalogueRow(m_key);
        const RouteCode route = ReadRouteFields(catalogue, m_state);
        const QString code = fieldText(catalogue, "FRepSub", QStringLiteral("0"));
        if (m_state.m_DefaultFilter == 1)
            m_way = Way::FilterPlugin;
        else if (route == RouteCode::Keywords)
            m_way = Way::Keywords;
        else if (route == RouteCode::Template)
            m_way = Way::ConditionTemplate;
        else
            m_way = Way::ConditionPlugin;
        // Other whole numbers are the report plug-in's route by design; anything else is a slip.
        static const QRegularExpression wholeNumber(QStringLiteral("^[0-9]+$"));
        if (m_way == Way::ConditionPlugin && !wholeNumber.match(code).hasMatch())
            add(Code::UnknownRoute, catalogueWhere(), {m_key, code});
    }

    void requirePlugin(const char *column, const QString &progId)
    {
        const QString name = QString::fromLatin1(column);
        if (trimBlanks(progId).isEmpty())
            add(Code::PluginNotNamed, catalogueWhere(), {m_key, name});
        else if (!componentExists(progId))
            add(Code::PluginNotFound, catalogueWhere(), {m_key, name, progId});
    }

    void checkPlugins()
    {
        if (m_way == Way::FilterPlugin)
            requirePlugin("FFilterPlugName", m_state.m_FilterPlugName);
        if (m_way == Way::FilterPlugin || m_way == Way::ConditionPlugin)
            requirePlugin("FRepPluginSvr", m_state.m_RepPluginSvr);
    }

    std::optional<QString> readTemplate()
    {
        Recordset rs = OpenLocalRecordset(
            QStringLiteral("Select FRepKey,FRepSql From T_RepSql Where FRepKey=") +
            QuoteSql(m_key));
        std::optional<QString> first;
        int rows = 0;
        for (; !rs.atEOF(); rs.MoveNext(), ++rows) {
            const QVariant sql = rs.Fields(QStringLiteral("FRepSql")).Value();
            if (rows == 0 && !isNull(sql) && !trimBlanks(toText(sql)).isEmpty())
                first = toText(sql);
        }
        if (rows > 1)
            add(Code::DuplicateTemplate, templateWhere(), {m_key, QString::number(rows)});
        if (!first)
            add(Code::TemplateMissing, templateWhere(), {m_key});
        return first;
    }

    // The rows as the condition dialog reads them; the group column, which the engine adds
    // when it is missing, is not asked for, since a check writes nothing.
    QList<FilterLine> readFilterRows()
    {
        Recordset rs = OpenLocalRecordset(
            QStringLiteral("Select FRepKey,FIndex,FCaption,FMarkNameFrom,FMarkNameTo,FFilterFrom,"
                           "FFilterTo,FTo,FCtrlType,FCtrlSel,'' as FGroupStr From T_RepFilter "
                           "Where FRepKey=") +
            QuoteSql(m_key) + QStringLiteral(" Order By FIndex"));
        QList<FilterLine> lines;
        for (; !rs.atEOF(); rs.MoveNext())
            lines.append({fieldText(rs, "FIndex"), dialogs::FilterRow::read(rs)});
        return lines;
    }

    void checkConditionRows(const QList<FilterLine> &filters)
    {
        if (filters.isEmpty())
            add(Code::NoFilterRows, QStringLiteral("T_RepFilter ") + m_key, {m_key});
        int choices = 0;
        for (const FilterLine &f : filters) {
            const QString where = filterWhere(f.index);
            if (!dialogs::isKnownControlType(f.row.ctrlType))
                add(Code::UnknownControlType, where, {m_key, f.index, f.row.ctrlType});
            if (f.row.ctrlType == dialogs::ControlType::Choice && ++choices > 4)
                add(Code::ExtraChoice, where, {m_key, f.index});
            if (f.row.ctrlType == dialogs::ControlType::Text &&
                !trimBlanks(f.row.ctrlSel).isEmpty() && !m_lookupInstalled)
                add(Code::LookupMissing, where,
                    {m_key, QStringLiteral("T_RepFilter FIndex ") + f.index, f.row.ctrlSel,
                     itemLookupProgId()});
        }
    }

    // Braces, then what the report's route expands; the neutral SQL's columns when it ran.
    std::optional<QStringList> checkTemplate(const QString &sqlTemplate,
                                             const QList<FilterLine> &filters)
    {
        const TemplateBraces braces = scanBraces(sqlTemplate);
        for (const qsizetype at : braces.unmatched)
            add(Code::UnbalancedBraces, templateWhere(),
                {m_key, QString::number(at + 1), sqlTemplate.at(at)});
        for (const qsizetype at : braces.nestedOpen)
            add(Code::NestedBraces, templateWhere(), {m_key, QString::number(at + 1)});
        QString sql;
        try {
            sql = m_way == Way::Keywords ? keywordSql(sqlTemplate, braces, filters)
                                         : conditionSql(sqlTemplate, braces, filters);
        } catch (const std::exception &e) {
            add(Code::SqlFails, templateWhere(), {m_key, toError(e).description()});
            return std::nullopt;
        }
        const TrialResult trial = runTrialQuery(m_data, sql);
        if (!trial.ran) {
            add(Code::SqlFails, templateWhere(), {m_key, trial.errors});
            return std::nullopt;
        }
        return trial.columns;
    }

    QString conditionSql(const QString &sqlTemplate, const TemplateBraces &braces,
                         const QList<FilterLine> &filters)
    {
        const QStringList names = placeholderNames(sqlTemplate, braces);
        QList<QPair<QString, QString>> marks; // FIndex, mark as the expansion compares it
        for (const FilterLine &f : filters) {
            const QString &type = f.row.ctrlType;
            if (type != dialogs::ControlType::Date && type != dialogs::ControlType::Text)
                continue; // a choice adds nothing to the filter string
            if (f.row.fromDefined())
                marks.append({f.index, f.row.markFrom.toUpper()});
            if (f.row.toDefined())
                marks.append({f.index, f.row.markTo.toUpper()});
        }
        QSet<QString> named;
        for (const auto &[index, mark] : std::as_const(marks))
            named.insert(mark);
        for (const QString &name : names) {
            if (!named.contains(name))
                add(Code::PlaceholderUnnamed, templateWhere(), {m_key, name});
        }
        for (const auto &[index, mark] : std::as_const(marks)) {
            if (!names.contains(mark))
                add(Code::MarkNotInTemplate, filterWhere(index), {m_key, index, mark});
        }
        return expandPlaceholders(sqlTemplate, neutralFilterString(names));
    }

    QString keywordSql(const QString &sqlTemplate, const TemplateBraces &braces,
                       const QList<FilterLine> &filters)
    {
        // The keywords FuncReport offers, found by the engine's own rule.
        Recordset catalogue = Recordset::create();
        catalogue.Open(QStringLiteral("Select FCaption,FInterID,FKeyword,FValueType,FSourceField "
                                      "from ICReportKeywords order by FInterID"),
                       gLocConn());
        const Vector offered = OfferedKeywords(catalogue, sqlTemplate);
        QSet<QString> known;
        for (catalogue.MoveFirst(); !catalogue.atEOF(); catalogue.MoveNext()) {
            const QVariant marker = catalogue.Fields(QStringLiteral("FKeyword")).Value();
            if (!isNull(marker))
                known.insert(toText(marker));
        }
        if (offered.Count() == 0)
            add(Code::NoMarkerInTemplate, templateWhere(), {m_key});

        QStringList markers;
        QHash<QString, QVariant> types;
        for (const QVariant &item : offered.items()) {
            const Dictionary record = item.value<Dictionary>();
            const QString marker = toText(record.value(QStringLiteral("FKeyword")));
            const QString caption = toText(NullToValue(record.value(QStringLiteral("FCaption"))));
            const QString where = QStringLiteral("ICReportKeywords FKeyword ") + marker;
            if (marker.isEmpty()) {
                add(Code::EmptyMarker, QStringLiteral("ICReportKeywords FCaption ") + caption,
                    {m_key, caption});
                continue;
            }
            const QString source =
                trimBlanks(toText(NullToValue(record.value(QStringLiteral("FSourceField")))));
            if (!source.isEmpty() && !m_lookupInstalled)
                add(Code::LookupMissing, where,
                    {m_key, QStringLiteral("The keyword ") + marker, source, itemLookupProgId()});
            if (!markers.contains(marker))
                markers.append(marker);
            types.insert(marker, record.value(QStringLiteral("FValueType")));
        }
        for (const auto &[inner, outer] : markersInsideMarkers(sqlTemplate, markers))
            add(Code::MarkerInsideMarker, templateWhere(), {m_key, inner, outer});
        const QStringList outside = markersOutsideBraces(sqlTemplate, braces, markers);
        for (const QString &marker : outside)
            add(Code::KeywordOutsideBraces, templateWhere(), {m_key, marker});

        // rptX offers the keywords that the report's filter rows name by caption.
        QSet<QString> captions;
        for (const FilterLine &f : filters) {
            captions.insert(f.row.caption);
            if (!known.contains(f.row.caption))
                add(Code::KeywordNotInCatalogue, filterWhere(f.index),
                    {m_key, f.index, f.row.caption});
        }
        for (const QString &marker : std::as_const(markers)) {
            if (!captions.contains(marker))
                add(Code::KeywordNotNamedForRptX, templateWhere(), {m_key, marker});
        }

        // Every keyword left empty, except those that cannot be: they get a neutral literal.
        Vector values = Vector::create();
        for (const QString &marker : std::as_const(markers)) {
            Dictionary value = Dictionary::create();
            value.set(QStringLiteral("FKeyword"), marker);
            value.set(QStringLiteral("FValue"),
                      outside.contains(marker) ? neutralLiteral(types.value(marker)) : QString());
            values.Add(QVariant::fromValue(value));
        }
        return expandKeywords(sqlTemplate, values, offered);
    }

    QList<HeaderLine> readHeader()
    {
        Recordset rs =
            OpenLocalRecordset(QStringLiteral("Select * From T_RepHeadCaption Where FRepKey=") +
                               QuoteSql(m_key) + QStringLiteral(" Order by Findex"));
        QList<HeaderLine> lines;
        for (; !rs.atEOF(); rs.MoveNext()) {
            HeaderLine line;
            line.name = fieldText(rs, "FRepColName");
            line.visible =
                toInt32(NullToValue(rs.Fields(QStringLiteral("FRepColVisible")).Value(), 0)) == 1;
            line.summed =
                trimBlanks(fieldText(rs, "FSumCol", QStringLiteral("0"))) == QLatin1String("1");
            const QVariant serial = rs.Fields(QStringLiteral("FRepSerial")).Value();
            if (!isNull(serial))
                line.serial = toText(serial);
            lines.append(line);
        }
        return lines;
    }

    // The header the engine would build: per layout when a filter plug-in's report picks one,
    // the rows of the empty layout when FMulti is 1 on another route, else all visible rows.
    void checkHeader(const std::optional<QStringList> &columns)
    {
        const QList<HeaderLine> lines = readHeader();
        QStringList layouts;
        for (const HeaderLine &l : lines) {
            if (l.serial && !l.serial->isEmpty() && !layouts.contains(*l.serial))
                layouts.append(*l.serial);
        }
        const bool multi = m_state.m_Multi == 1;
        if (multi && layouts.isEmpty())
            add(Code::MultiWithoutLayouts, catalogueWhere(), {m_key});
        const bool pickedByPlugin = multi && m_way == Way::FilterPlugin;
        const QStringList shown = pickedByPlugin ? layouts : QStringList{QString()};
        QSet<QString> returned;
        for (const QString &c : columns.value_or(QStringList()))
            returned.insert(c.toCaseFolded());
        QSet<QString> reported;
        for (const QString &layout : shown) {
            bool any = false;
            for (const HeaderLine &l : lines) {
                if (!l.visible || (multi && l.serial != layout))
                    continue;
                any = true;
                if (columns && !returned.contains(l.name.toCaseFolded()) &&
                    !reported.contains(l.name)) {
                    reported.insert(l.name);
                    add(Code::ColumnNotReturned, headerWhere(l.name),
                        {m_key, l.name, columns->join(QStringLiteral(", "))});
                }
            }
            if (any)
                continue;
            if (m_way == Way::ConditionPlugin && !multi) {
                add(Code::HeaderFromPluginOnly, headerWhere(), {m_key});
                continue;
            }
            QString inLayout;
            if (pickedByPlugin)
                inLayout = QStringLiteral(" in layout ") + layout;
            else if (multi)
                inLayout = QStringLiteral(" in the layout of an empty FRepSerial, which FMulti 1 "
                                          "picks without a filter plug-in");
            add(Code::HeaderMissing, headerWhere(), {m_key, inLayout});
        }
        for (const HeaderLine &l : lines) {
            if (columns && l.summed && !returned.contains(l.name.toCaseFolded()) &&
                !reported.contains(l.name)) {
                reported.insert(l.name);
                add(Code::SumColumnNotReturned, headerWhere(l.name),
                    {m_key, l.name, columns->join(QStringLiteral(", "))});
            }
        }
    }

    Connection &m_data;
    QString m_key;
    bool m_lookupInstalled;
    ReportState m_state;
    Way m_way = Way::ConditionPlugin;
    QList<Problem> m_problems;
};

// The engine's procedures read the shared connections; a check lends them its own.
class SharedConnections
{
public:
    SharedConnections(Connection &definitions, Connection &data)
        : m_definitions(gLocConn()), m_data(gSqlConn())
    {
        gLocConn() = definitions;
        gSqlConn() = data;
    }
    ~SharedConnections()
    {
        gLocConn() = m_definitions;
        gSqlConn() = m_data;
    }

private:
    Connection m_definitions;
    Connection m_data;
};

} // namespace

QList<ReportCheck> checkReports(Connection &definitions, Connection &data, const QStringList &keys)
{
    const SharedConnections shared(definitions, data);
    QStringList catalogue;
    QHash<QString, int> rows;
    Recordset rs = OpenLocalRecordset(
        QStringLiteral("select FRepKey from T_RepList order by FIndex, FRepKey"));
    for (; !rs.atEOF(); rs.MoveNext()) {
        const QString key = fieldText(rs, "FRepKey");
        if (rows[key]++ == 0)
            catalogue.append(key);
    }
    const bool lookupInstalled = componentExists(itemLookupProgId());
    QList<ReportCheck> checks;
    for (const QString &key : keys.isEmpty() ? catalogue : keys)
        checks.append(ReportChecker(data, key, lookupInstalled).run(rows.value(key)));
    return checks;
}

} // namespace varo::check
