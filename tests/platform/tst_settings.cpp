// The per-user settings store: values come back as saved, any text is one section or key,
// and a missing value gives the caller's default.

#include "common/testsupport.h"
#include "platform/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace settings = varo::settings;

static const QString app = QStringLiteral("PelReportCenter");

class TestSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void testsNeverUseTheUsersFile();
    void roundTrip_data();
    void roundTrip();
    void namesStayOneLevel_data();
    void namesStayOneLevel();
    void defaultWhenMissing_data();
    void defaultWhenMissing();
    void laterSaveReplaces();
    void fileCanBeSwitched();
};

void TestSettings::testsNeverUseTheUsersFile()
{
    // VARO_TEST_MAIN points the store at a temporary file, and even the per-user default lies
    // in QStandardPaths' test area, never in the real user's configuration.
    const QString own = settings::file();
    QVERIFY2(own.startsWith(QDir::tempPath() + u'/'), qPrintable(own));
    settings::setFile(QString());
    const QString perUser = settings::file();
    settings::setFile(own);
    QCOMPARE(settings::file(), own);
    QVERIFY(perUser != own);
    QVERIFY2(perUser.contains(QLatin1String("/.qttest/")), qPrintable(perUser));
}

void TestSettings::roundTrip_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("plain") << "2024-01-31";
    QTest::newRow("empty") << "";
    QTest::newRow("Chinese") << QStringLiteral("沐岩提示");
    QTest::newRow("comma") << "a,b";
    QTest::newRow("comma and blank") << "a, b";
    QTest::newRow("equals and semicolon") << "x=1;y=2";
    QTest::newRow("leading and trailing blanks") << "  padded  ";
    QTest::newRow("line break") << "line 1\nline 2";
    QTest::newRow("quotes") << "say \"hi\" and 'bye'";
    QTest::newRow("backslash") << "C:\\reports\\new";
    QTest::newRow("looks like a variant") << "@Variant(x)";
    QTest::newRow("filter string") << "FDate1|2024-01-01&FDate2|2024-01-31&FName|bolt";
    QTest::newRow("percent") << "100%";
}

void TestSettings::roundTrip()
{
    QFETCH(QString, value);
    varo::test::TemporarySettingsFile file;
    settings::save(app, QStringLiteral("frmSQLFilter"), QStringLiteral("FValue"), value);
    QVERIFY(QFile::exists(file.path()));
    QCOMPARE(settings::get(app, QStringLiteral("frmSQLFilter"), QStringLiteral("FValue"),
                           QStringLiteral("default")),
             value);
}

void TestSettings::namesStayOneLevel_data()
{
    // Each row saves two settings whose names differ only in how the text is cut into
    // levels; both must keep their own value.
    QTest::addColumn<QString>("section1");
    QTest::addColumn<QString>("key1");
    QTest::addColumn<QString>("section2");
    QTest::addColumn<QString>("key2");
    QTest::newRow("slash in section") << "rep/1"
                                      << "k"
                                      << "rep"
                                      << "1/k";
    QTest::newRow("backslash in section") << "rep\\1"
                                          << "k"
                                          << "rep"
                                          << "1\\k";
    QTest::newRow("slash vs backslash") << "a/b"
                                        << "k"
                                        << "a\\b"
                                        << "k";
    QTest::newRow("escaped-looking percent") << "a%2Fb"
                                             << "k"
                                             << "a/b"
                                             << "k";
    QTest::newRow("escaped-looking backslash") << "a%5Cb"
                                               << "k"
                                               << "a\\b"
                                               << "k";
    QTest::newRow("percent itself") << "a%25"
                                    << "k"
                                    << "a%"
                                    << "k";
    QTest::newRow("slash in key") << "s"
                                  << "x/y"
                                  << "s/x"
                                  << "y";
    QTest::newRow("leading slash") << "/s"
                                   << "k"
                                   << "s"
                                   << "k";
    QTest::newRow("doubled slash") << "a//b"
                                   << "k"
                                   << "a/b"
                                   << "k";
}

void TestSettings::namesStayOneLevel()
{
    QFETCH(QString, section1);
    QFETCH(QString, key1);
    QFETCH(QString, section2);
    QFETCH(QString, key2);
    varo::test::TemporarySettingsFile file;
    settings::save(app, section1, key1, QStringLiteral("first"));
    settings::save(app, section2, key2, QStringLiteral("second"));
    QCOMPARE(settings::get(app, section1, key1), QStringLiteral("first"));
    QCOMPARE(settings::get(app, section2, key2), QStringLiteral("second"));
}

void TestSettings::defaultWhenMissing_data()
{
    QTest::addColumn<QString>("defaultValue");
    QTest::newRow("given") << "0";
    QTest::newRow("none") << QString();
}

void TestSettings::defaultWhenMissing()
{
    QFETCH(QString, defaultValue);
    varo::test::TemporarySettingsFile file;
    settings::save(app, QStringLiteral("present"), QStringLiteral("k"), QStringLiteral("v"));
    QCOMPARE(settings::get(app, QStringLiteral("present"), QStringLiteral("other"), defaultValue),
             defaultValue);
    QCOMPARE(settings::get(app, QStringLiteral("absent"), QStringLiteral("k"), defaultValue),
             defaultValue);
    QCOMPARE(settings::get(QStringLiteral("OtherApp"), QStringLiteral("present"),
                           QStringLiteral("k"), defaultValue),
             defaultValue);
}

void TestSettings::laterSaveReplaces()
{
    varo::test::TemporarySettingsFile file;
    settings::save(app, QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("old"));
    settings::save(app, QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("new"));
    QCOMPARE(settings::get(app, QStringLiteral("s"), QStringLiteral("k")), QStringLiteral("new"));
}

void TestSettings::fileCanBeSwitched()
{
    QString firstPath;
    {
        varo::test::TemporarySettingsFile first;
        firstPath = first.path();
        settings::save(app, QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("in first"));
        {
            varo::test::TemporarySettingsFile second;
            QCOMPARE(settings::file(), second.path());
            QCOMPARE(settings::get(app, QStringLiteral("s"), QStringLiteral("k"),
                                   QStringLiteral("missing")),
                     QStringLiteral("missing"));
        }
        QCOMPARE(settings::file(), firstPath);
        QCOMPARE(settings::get(app, QStringLiteral("s"), QStringLiteral("k")),
                 QStringLiteral("in first"));
    }
    QVERIFY(settings::file() != firstPath);
}

VARO_TEST_MAIN(TestSettings)
#include "tst_settings.moc"
