#include "CatalogFixture.h"

#include "CliRunner.h"

#include <QtTest>

// kestrowan-cli's commands on files, schema and SQL, run in-process as a script would run them.
class TestCatalogCommands : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void createThenInfo();
    void createRefusesAnExistingFile();
    void schemaListsEveryFieldOfANewCatalog();
    void sqlFollowsTheCatalogDialect_data();
    void sqlFollowsTheCatalogDialect();
    void sqlRefusesAnOutOfRangeIntegerAndChangesNothing();
    void compactRepairsAndCompacts();
    void commandsOnFilesThatAreNotCatalogsFail_data();
    void commandsOnFilesThatAreNotCatalogsFail();
    void helpAndUnknownCommands();

private:
    using Run = CliRun;
    static Run Cli(const QStringList& args) { return RunCliCommand(args); }
};

void TestCatalogCommands::createThenInfo()
{
    CatalogFixture fx;
    const QString file = fx.path("Books.kst");
    const Run created = Cli({"create", file});
    QCOMPARE(created.code, 0);
    QVERIFY(created.err.isEmpty());
    const Run info = Cli({"info", file});
    QCOMPARE(info.code, 0);
    const QStringList lines = info.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.value(0), QString("Data version\t12"));
    QVERIFY(lines.value(1).startsWith("Last compaction\t"));
    QVERIFY(!lines.value(1).endsWith("Unknown"));
    QCOMPARE(lines.value(2), QString("Password protection\toff"));
    QCOMPARE(lines.mid(3), (QStringList{"ID\tType\tName\tTitle column\tItems", "1\t2\tRelational\tTitle\t0",
                                        "2\t1\tPeople\tName\t0"}));
}

void TestCatalogCommands::createRefusesAnExistingFile()
{
    CatalogFixture fx;
    const QString file = fx.path("Books.kst");
    QCOMPARE(Cli({"create", file}).code, 0);
    const QByteArray before = [&] { QFile f(file); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    const Run again = Cli({"create", file});
    QCOMPARE(again.code, 1);
    QVERIFY(again.err.contains("already exists"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
    QCOMPARE(Cli({"create", fx.path("Books.txt")}).code, 1);
    QVERIFY(!QFile::exists(fx.path("Books.txt")));
}

void TestCatalogCommands::schemaListsEveryFieldOfANewCatalog()
{
    CatalogFixture fx;
    const QString file = fx.path("Books.kst");
    QCOMPARE(Cli({"create", file}).code, 0);
    const Run schema = Cli({"schema", file});
    QCOMPARE(schema.code, 0);
    const QStringList lines = schema.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 15 + 17 + 8 + 9 + 31 + 10);
    QVERIFY(lines.contains("Catalog\tName\tText\t255\tzero-length\t-\t-\t-\t"));
    QVERIFY(lines.contains("Catalog\tDataVersion\tInteger\t0\t-\t-\t-\t-\t"));
    QVERIFY(lines.contains("Categories\tID\tLong\t0\t-\t-\tauto-increment\tprimary\tGenUniqueID()"));
    QVERIFY(lines.contains("Categories\tType\tInteger\t0\t-\t-\t-\tindexed\t"));
    QVERIFY(lines.contains("Tree\tCriteria\tMemo\t0\tzero-length\t-\t-\t-\t"));
    QVERIFY(lines.contains("ktbl1\tCategory\tText\t255\tzero-length\t-\t-\tindexed\t"));
    QVERIFY(lines.contains("ktbl2\tImage\tLong Binary\t0\t-\t-\t-\t-\t"));
    QVERIFY(lines.contains("Columns\tHidden\tYes/No\t0\t-\t-\t-\t-\t"));
    QCOMPARE(lines.indexOf("ktbl2\tName\tText\t255\tzero-length\t-\t-\tindexed\t") + 1,
             lines.indexOf("ktbl2\tCompany\tText\t255\tzero-length\t-\t-\t-\t"));
}

void TestCatalogCommands::sqlFollowsTheCatalogDialect_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("output");
    const QString header = "Name\tBirth Date\n";
    QTest::newRow("case-insensitive equals") << "SELECT [Name],[Birth Date] FROM [ktbl2] WHERE [Name] = 'SMITH'"
                                             << header + "Smith\t1950-01-02 00:00:00\n";
    QTest::newRow("accents ignore case") << "SELECT [Name],[Birth Date] FROM [ktbl2] WHERE [Name] = 'éMILE'"
                                         << header + "Émile\t\n";
    QTest::newRow("like with star") << "SELECT [Name],[Birth Date] FROM [ktbl2] WHERE [Name] LIKE 'o''h*'"
                                    << header + "O'Hara\t1961-07-04 10:30:00\n";
    QTest::newRow("date literal") << "SELECT [Name],[Birth Date] FROM [ktbl2] WHERE [Birth Date] > #1955-01-01#"
                                  << header + "O'Hara\t1961-07-04 10:30:00\n";
    QTest::newRow("order ignores case") << "SELECT [Name] FROM [ktbl2] ORDER BY [Name]"
                                        << "Name\nadams\nÉmile\nO'Hara\nSmith\n";
    QTest::newRow("count") << "SELECT COUNT(*) AS [N] FROM [ktbl2] WHERE [Birth Date] IS NULL" << "N\n2\n";
    QTest::newRow("yes/no") << "SELECT [Hidden] FROM [Categories] WHERE [ID] = 1" << "Hidden\nTrue\n";
    QTest::newRow("update") << "UPDATE [ktbl2] SET [City] = 'Paris' WHERE [Name] LIKE '*e'" << "1\n";
    QTest::newRow("delete star") << "DELETE * FROM [ktbl2] WHERE [Name] = 'ADAMS'" << "1\n";
}

void TestCatalogCommands::sqlFollowsTheCatalogDialect()
{
    QFETCH(QString, statement);
    QFETCH(QString, output);
    CatalogFixture fx;
    const QString file = fx.path("People.kst");
    QCOMPARE(Cli({"create", file}).code, 0);
    for (const char* insert :
         {"INSERT INTO [ktbl2] ([Name],[Birth Date]) VALUES ('Smith', #1/2/1950#)",
          "INSERT INTO [ktbl2] ([Name],[Birth Date]) VALUES ('O''Hara', #7/4/1961 10:30:00 AM#)",
          "INSERT INTO [ktbl2] ([Name]) VALUES ('Émile')", "INSERT INTO [ktbl2] ([Name]) VALUES ('adams')",
          "UPDATE [Categories] SET [Hidden] = True WHERE [ID] = 1"}) {
        const Run run = Cli({"sql", file, insert});
        QVERIFY2(run.code == 0, qPrintable(run.err));
    }
    const Run run = Cli({"sql", file, statement});
    QVERIFY2(run.code == 0, qPrintable(run.err));
    QCOMPARE(run.out, output);
}

void TestCatalogCommands::sqlRefusesAnOutOfRangeIntegerAndChangesNothing()
{
    CatalogFixture fx;
    const QString file = fx.path("Books.kst");
    QCOMPARE(Cli({"create", file}).code, 0);
    const Run refused = Cli({"sql", file, "UPDATE [Categories] SET [Type] = 32768 WHERE [ID] = 1"});
    QCOMPARE(refused.code, 1);
    QVERIFY(refused.err.contains("3421"));
    QCOMPARE(Cli({"sql", file, "SELECT [Type] FROM [Categories] WHERE [ID] = 1"}).out, QString("Type\n2\n"));
    QCOMPARE(Cli({"sql", file, "UPDATE [Categories] SET [Type] = -32768 WHERE [ID] = 1"}).out, QString("1\n"));
    const Run syntax = Cli({"sql", file, "SELEKT nothing"});
    QCOMPARE(syntax.code, 1);
    QVERIFY(!syntax.err.isEmpty());
}

void TestCatalogCommands::compactRepairsAndCompacts()
{
    CatalogFixture fx;
    const QString file = fx.path("Books.kst");
    QCOMPARE(Cli({"create", file}).code, 0);
    QCOMPARE(Cli({"sql", file, "UPDATE [Catalog] SET [LastCompact] = #2001-01-01#"}).code, 0);
    const Run run = Cli({"compact", file});
    QCOMPARE(run.code, 0);
    QVERIFY(!QFile::exists(fx.path("temp.kst")));
    QVERIFY(!Cli({"info", file}).out.contains("2001"));
}

void TestCatalogCommands::commandsOnFilesThatAreNotCatalogsFail_data()
{
    QTest::addColumn<QString>("command");
    for (const char* command : {"info", "schema", "compact"})
        QTest::newRow(command) << command;
}

void TestCatalogCommands::commandsOnFilesThatAreNotCatalogsFail()
{
    QFETCH(QString, command);
    CatalogFixture fx;
    QCOMPARE(Cli({command, fx.path("missing.kst")}).code, 1);
    QFile junk(fx.path("junk.kst"));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write("not a catalog");
    junk.close();
    const Run run = Cli({command, junk.fileName()});
    QCOMPARE(run.code, 1);
    QVERIFY(!run.err.isEmpty());
    QVERIFY(junk.open(QIODevice::ReadOnly));
    QCOMPARE(junk.readAll(), QByteArray("not a catalog"));
}

void TestCatalogCommands::helpAndUnknownCommands()
{
    const Run help = Cli({"--help"});
    QCOMPARE(help.code, 0);
    for (const char* command : {"create", "info", "schema", "sql", "compact"})
        QVERIFY(help.out.contains(QString("  %1 ").arg(command)));
    QCOMPARE(Cli({"frobnicate"}).code, 1);
    QCOMPARE(Cli({}).code, 1);
    QCOMPARE(Cli({"sql", "x.kst"}).code, 1);
}

QTEST_GUILESS_MAIN(TestCatalogCommands)
#include "tst_catalogcommands.moc"
