// What one step of a run produced: the method's result, the report object's properties read
// after it, and the message boxes raised meanwhile. Every output format is written from this.
#pragma once

#include "messagerecorder.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace varo::report
{

struct StepResult {
    QString step;
    QVariant returned; // Empty for a method without result or a call that raised an error
    QList<QPair<QString, QVariant>> properties; // in the order of reportPropertyNames()
    QList<RecordedMessage> messages;
    // The progress window's texts, for an object that has one (rptX).
    std::optional<QStringList> progress;

    QVariant property(const QString &name) const
    {
        for (const auto &[n, v] : properties) {
            if (n == name)
                return v;
        }
        return QVariant();
    }
};

// The properties read after every step, in the order the output lists them.
inline QStringList reportPropertyNames()
{
    return {QStringLiteral("RptKey"), QStringLiteral("RptID"),  QStringLiteral("Result"),
            QStringLiteral("Title"),  QStringLiteral("Header"), QStringLiteral("Property"),
            QStringLiteral("VectRs")};
}

} // namespace varo::report
