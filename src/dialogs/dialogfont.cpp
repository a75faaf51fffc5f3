#include "dialogfont.h"

#include <QFontDatabase>
#include <QStringList>

namespace varo::dialogs
{

QFont dialogFont()
{
    static const QString family = [] {
        const QStringList installed = QFontDatabase::families();
        const QStringList wanted = {QStringLiteral("宋体"),
                                    QStringLiteral("SimSun"),
                                    QStringLiteral("Noto Serif CJK SC"),
                                    QStringLiteral("Noto Sans CJK SC"),
                                    QStringLiteral("WenQuanYi Zen Hei"),
                                    QStringLiteral("AR PL UMing CN")};
        for (const QString &name : wanted) {
            if (installed.contains(name, Qt::CaseInsensitive))
                return name;
        }
        // Whatever fontconfig substitutes for Chinese text.
        for (const QString &name : installed) {
            if (QFontDatabase::writingSystems(name).contains(QFontDatabase::SimplifiedChinese))
                return name;
        }
        return QString();
    }();
    QFont font;
    if (!family.isEmpty())
        font.setFamily(family);
    font.setPointSize(9);
    return font;
}

} // namespace varo::dialogs
