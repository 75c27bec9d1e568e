#include "platform/UserSettings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class tst_UserSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void absentKeyGivesDefault();
    void textComesBackAsSaved_data();
    void textComesBackAsSaved();
    void keysAreKeptApart();
    void storedInSettingsSectionOfIniFile();
    void handEditedValues_data();
    void handEditedValues();

private:
    QString StorePath() const { return m_dir->filePath(QStringLiteral("Kestrowan.ini")); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_UserSettings::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    UserSettings::SetStorePathForTesting(StorePath());
}

void tst_UserSettings::cleanup()
{
    UserSettings::SetStorePathForTesting(QString());
    m_dir.reset();
}

void tst_UserSettings::absentKeyGivesDefault()
{
    QCOMPARE(UserSettings::Get(QStringLiteral("Font"), QStringLiteral("Tahoma")), QStringLiteral("Tahoma"));
    QCOMPARE(UserSettings::Get(QStringLiteral("Font")), QString());
    QVERIFY(!QFile::exists(StorePath())); // reading creates nothing
}

void tst_UserSettings::textComesBackAsSaved_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");

    QTest::newRow("font") << "Font"
                          << "DejaVu Sans";
    QTest::newRow("key with a blank, folder value") << "Last Directory"
                                                    << "/home/u/My Books/";
    QTest::newRow("number as text") << "VerticalSplit"
                                    << "2400";
    QTest::newRow("empty text is not absent") << "Font"
                                              << "";
    QTest::newRow("commas") << "Font"
                            << "Times, Serif,x";
    QTest::newRow("surrounding blanks") << "Font"
                                        << "  padded  ";
    QTest::newRow("looks like a variant") << "Font"
                                          << "@Variant(abc)";
    QTest::newRow("quotes") << "Font"
                            << "say \"hi\" 'there'";
    QTest::newRow("comment and section marks") << "Font"
                                               << "; not [a] comment # really =";
    QTest::newRow("backslashes") << "Last Directory"
                                 << "C:\\Data\\";
    QTest::newRow("line break") << "Font"
                                << "line1\nline2";
    QTest::newRow("non-Latin") << "Font"
                               << "Ærøskøbing – 東京";
    QTest::newRow("true") << "Font"
                          << "true";
}

void tst_UserSettings::textComesBackAsSaved()
{
    QFETCH(QString, key);
    QFETCH(QString, value);

    UserSettings::Set(key, value);
    QCOMPARE(UserSettings::Get(key, QStringLiteral("default")), value);
}

void tst_UserSettings::keysAreKeptApart()
{
    UserSettings::Set(QStringLiteral("Font"), QStringLiteral("Arial"));
    UserSettings::Set(QStringLiteral("Last Directory"), QStringLiteral("/data/"));
    UserSettings::Set(QStringLiteral("Font"), QStringLiteral("Verdana"));
    QCOMPARE(UserSettings::Get(QStringLiteral("Font")), QStringLiteral("Verdana"));
    QCOMPARE(UserSettings::Get(QStringLiteral("Last Directory")), QStringLiteral("/data/"));
    QCOMPARE(UserSettings::Get(QStringLiteral("Last")), QString());
}

void tst_UserSettings::storedInSettingsSectionOfIniFile()
{
    UserSettings::Set(QStringLiteral("VerticalSplit"), QStringLiteral("2400"));
    // Written at once, not when the program ends.
    QFile file(StorePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY2(text.contains("[Settings]\nVerticalSplit=2400\n"), text.constData());
}

void tst_UserSettings::handEditedValues_data()
{
    QTest::addColumn<QByteArray>("iniText");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain") << QByteArray("[Settings]\nFont=Arial\n") << "Arial";
    QTest::newRow("unquoted comma") << QByteArray("[Settings]\nFont=Times,Serif\n") << "Times,Serif";
    QTest::newRow("other section") << QByteArray("[General]\nFont=Arial\n") << "default";
    QTest::newRow("blank key spelling") << QByteArray("[Settings]\nLast%20Directory=/x/\nFont=F\n") << "F";
}

void tst_UserSettings::handEditedValues()
{
    QFETCH(QByteArray, iniText);
    QFETCH(QString, expected);

    QFile file(StorePath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(iniText);
    file.close();
    QCOMPARE(UserSettings::Get(QStringLiteral("Font"), QStringLiteral("default")), expected);
}

QTEST_GUILESS_MAIN(tst_UserSettings)
#include "tst_usersettings.moc"
