#include "CatalogFixture.h"

#include "app/General.h"
#include "storage/modDBOperations.h"

#include <QtTest>

using modDBOperations::QueryCount;
using modDBOperations::QueryValue;

// The catalog object: its settings, the open and close sequences and the helpers that need no window.
class TestCatalog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void settingDefaults_data();
    void settingDefaults();
    void settingReadAddsTheRowOnce();
    void settingWriteRoundTrips();
    void settingWriteOfAValueTheFieldCannotHoldChangesNothing();
    void editorSizeDefaultsFollowTheMainWindow();
    void openIgnoresFilesThatAreNotCatalogs();
    void openRenamesTheLegacyExtension();
    void openRefusesDamagedFiles_data();
    void openRefusesDamagedFiles();
    void openWithoutSettingsTableRunsTheUpgradeAndCloses();
    void openShowsProgressPerCategory();
    void openAndCloseDriveTheWindowSteps();
    void protectedCatalogClosesWhenThePasswordIsRefused();
    void isIdFieldIgnoresCase();
    void userSettingsHaveTheirDefaults();
    void addPeopleNamesAddsEachPersonOnce();

private:
    static void MakeRaw(const QString& path, const QByteArray& bytes);
};

void TestCatalog::MakeRaw(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void TestCatalog::settingDefaults_data()
{
    QTest::addColumn<int>("setting");
    QTest::addColumn<QString>("expected");
    QTest::newRow("AutoComplete") << 1 << "True";
    QTest::newRow("AutoAddName") << 2 << "True";
    QTest::newRow("GridLines") << 3 << "False";
    QTest::newRow("ItemEditorWidth") << 5 << "6000";
    QTest::newRow("ItemEditorHeight") << 6 << "4500";
    QTest::newRow("ItemEditorWindowState") << 7 << "0";
    QTest::newRow("Name") << 9 << "";
    QTest::newRow("Description") << 10 << "";
    QTest::newRow("LastCompact") << 16 << "Unknown";
    QTest::newRow("PasswordProtected") << 19 << "False";
    QTest::newRow("ProtectName") << 20 << "";
    QTest::newRow("ProtectPassword") << 21 << "";
    QTest::newRow("DataVersion") << 22 << "0";
    QTest::newRow("not a setting") << 4 << "";
}

void TestCatalog::settingDefaults()
{
    QFETCH(int, setting);
    QFETCH(QString, expected);
    CatalogFixture fx;
    QVERIFY(fx.OpenNew());
    QVERIFY(fx.db().Execute("DELETE * FROM [Catalog]"));
    QCOMPARE(Catalog().Setting(setting), expected);
}

void TestCatalog::settingReadAddsTheRowOnce()
{
    CatalogFixture fx;
    QVERIFY(fx.OpenNew());
    QVERIFY(fx.db().Execute("DELETE * FROM [Catalog]"));
    QCOMPARE(QueryCount("SELECT COUNT(*) FROM [Catalog]", &fx.db()), 0);
    Catalog().Setting(clsCatalog::GridLines);
    Catalog().Setting(clsCatalog::DataVersion);
    QCOMPARE(QueryCount("SELECT COUNT(*) FROM [Catalog]", &fx.db()), 1);
}

void TestCatalog::settingWriteRoundTrips()
{
    CatalogFixture fx;
    QVERIFY(fx.OpenNew());
    clsCatalog& catalog = Catalog();
    QVERIFY(!catalog.SetSetting(clsCatalog::DataVersion, 12));
    QCOMPARE(catalog.Setting(clsCatalog::DataVersion), QString("12"));
    QVERIFY(!catalog.SetSetting(clsCatalog::PasswordProtected, true));
    QCOMPARE(catalog.Setting(clsCatalog::PasswordProtected), QString("True"));
    QVERIFY(!catalog.SetSetting(clsCatalog::ProtectName, "O'Neil"));
    QCOMPARE(catalog.Setting(clsCatalog::ProtectName), QString("O'Neil"));
    QVERIFY(!catalog.SetSetting(clsCatalog::LastCompact, QDateTime(QDate(2024, 2, 29), QTime(0, 0))));
    QCOMPARE(fx.db().LookupValue("SELECT [LastCompact] FROM [Catalog]")->toDate(), QDate(2024, 2, 29));
    QVERIFY(catalog.SetSetting(4, 1)); // numbers that are not settings are refused
}

void TestCatalog::settingWriteOfAValueTheFieldCannotHoldChangesNothing()
{
    CatalogFixture fx;
    QVERIFY(fx.OpenNew());
    const QString before = Catalog().Setting(clsCatalog::LastCompact);
    const DbError error = Catalog().SetSetting(clsCatalog::LastCompact, "not a date");
    QCOMPARE(error.number, DbErrorNumber::DataTypeMismatch);
    QCOMPARE(Catalog().Setting(clsCatalog::LastCompact), before);
    QCOMPARE(Catalog().SetSetting(clsCatalog::DataVersion, 70000).number, DbErrorNumber::DataTypeMismatch);
    QCOMPARE(Catalog().Setting(clsCatalog::DataVersion), QString("12"));
}

void TestCatalog::editorSizeDefaultsFollowTheMainWindow()
{
    CatalogFixture fx;
    QVERIFY(fx.OpenNew());
    fx.ui.mainWidth = 10000;
    QCOMPARE(Catalog().Setting(clsCatalog::ItemEditorWidth), QString("5000"));
    fx.ui.mainWidth = 8000;
    QCOMPARE(Catalog().Setting(clsCatalog::ItemEditorWidth), QString("4000"));
    QVERIFY(!Catalog().SetSetting(clsCatalog::ItemEditorWidth, 7777));
    QCOMPARE(Catalog().Setting(clsCatalog::ItemEditorWidth), QString("7777"));
}

void TestCatalog::openIgnoresFilesThatAreNotCatalogs()
{
    CatalogFixture fx;
    QVERIFY(fx.OpenNew());
    const QString open = Catalog().File.Path();
    MakeRaw(fx.path("notes.txt"), "hello");
    Catalog().OpenCatalog(clsFile(fx.path("notes.txt")));
    QVERIFY(Catalog().Loaded());
    QCOMPARE(Catalog().File.Path(), open);
    Catalog().OpenCatalog(clsFile("Cancel"));
    QVERIFY(Catalog().Loaded());
    QVERIFY(fx.ui.messages.isEmpty());
}

void TestCatalog::openRenamesTheLegacyExtension()
{
    CatalogFixture fx;
    const QString file = fx.NewCatalog("Old.kst");
    QVERIFY(QFile::rename(file, fx.path("Old.kxo")));
    Catalog().OpenCatalog(clsFile(fx.path("Old.kxo")));
    QVERIFY(Catalog().Loaded());
    QVERIFY(QFile::exists(fx.path("Old.kst")));
    QVERIFY(!QFile::exists(fx.path("Old.kxo")));
    QCOMPARE(Catalog().File.Path(), fx.path("Old.kst"));
    QCOMPARE(Catalog().LastDirectory(), fx.dir.path() + "/");
}

void TestCatalog::openRefusesDamagedFiles_data()
{
    QTest::addColumn<QByteArray>("content"); // "@catalog" and "@truncated" stand for a real catalog file
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("text") << QByteArray("This is not a catalog at all.\n").repeated(200);
    QTest::newRow("random") << QByteArray::fromHex("deadbeef0102030405060708090a0b0c").repeated(500);
    QTest::newRow("truncated") << QByteArray("@truncated");
    QTest::newRow("foreign sqlite") << QByteArray("@foreign");
}

void TestCatalog::openRefusesDamagedFiles()
{
    QFETCH(QByteArray, content);
    CatalogFixture fx;
    const QString file = fx.path("damaged.kst");
    if (content == "@truncated") {
        QFile whole(fx.NewCatalog("whole.kst"));
        QVERIFY(whole.open(QIODevice::ReadOnly));
        content = whole.readAll().left(1500);
    } else if (content == "@foreign") {
        sqlite3* raw = nullptr;
        sqlite3_open(QFile::encodeName(fx.path("foreign.db")).constData(), &raw);
        sqlite3_exec(raw, "CREATE TABLE notes(a); INSERT INTO notes VALUES (1);", nullptr, nullptr, nullptr);
        sqlite3_close(raw);
        QFile foreign(fx.path("foreign.db"));
        QVERIFY(foreign.open(QIODevice::ReadOnly));
        content = foreign.readAll();
    }
    MakeRaw(file, content);
    Catalog().OpenCatalog(clsFile(file));
    QVERIFY(!Catalog().Loaded());
    QVERIFY(!Catalog().database());
    QVERIFY(Catalog().lastOpenError());
    QCOMPARE(fx.ui.messages.size(), 1);
    QVERIFY(fx.ui.messages.first().contains(file));
    QFile after(file);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), content);
    QCOMPARE(fx.ui.busyDepth, 0);
}

void TestCatalog::openWithoutSettingsTableRunsTheUpgradeAndCloses()
{
    CatalogFixture fx;
    const QString file = fx.NewCatalog();
    {
        Result<std::unique_ptr<Database>> db = Database::Open(file);
        QVERIFY(db);
        QVERIFY(!db.value()->DeleteTable("Catalog"));
    }
    Catalog().OpenCatalog(clsFile(file));
    QVERIFY(!Catalog().Loaded());
    QCOMPARE(fx.ui.messages,
             (QStringList{"This catalog needs to be upgraded to a newer version to support additional features of the "
                          "software.",
                          "This catalog is too old to be updated with this version.  Please visit our website for an "
                          "Upgrade Utility for converting your data."}));
    Result<std::unique_ptr<Database>> db = Database::Open(file);
    QVERIFY(db);
    QCOMPARE(QueryValue(db.value().get(), "SELECT [DataVersion] FROM [Catalog]"), QString("0"));
}

void TestCatalog::openShowsProgressPerCategory()
{
    CatalogFixture fx;
    QVERIFY(fx.OpenNew());
    QCOMPARE(fx.ui.progressCaption, QString("Opening Catalog..."));
    QCOMPARE(fx.ui.progressMax, 4);
    QCOMPARE(fx.ui.progressSteps, 4);
    QVERIFY(fx.ui.progressClosed);
    QCOMPARE(Catalog().categories().Count(), 2);
    QCOMPARE(Catalog().categories().Item(1)->Name(), QString("Relational"));
    QCOMPARE(Catalog().categories().Item(2)->TitleColumn(), QString("Name"));

    const QString file = Catalog().File.Path();
    QVERIFY(fx.db().Execute("DELETE * FROM [Categories]"));
    Catalog().OpenCatalog(clsFile(file));
    QVERIFY(Catalog().Loaded());
    QCOMPARE(fx.ui.progressMax, 2);
}

void TestCatalog::openAndCloseDriveTheWindowSteps()
{
    CatalogFixture fx;
    QVERIFY(fx.OpenNew());
    QCOMPARE(fx.ui.steps, QStringList{"commands on"});
    QVERIFY(fx.ui.closeEnabled);
    QVERIFY(!fx.ui.repairEnabled);
    QCOMPARE(fx.ui.passwordCaption, QString("Set &Password"));
    QCOMPARE(fx.ui.passwordTag, QString("2"));
    fx.ui.steps.clear();
    Catalog().SetLoaded(false);
    QCOMPARE(fx.ui.steps, (QStringList{"commands off", "unload forms", "reset views", "clear texts", "tree off"}));
    QVERIFY(!fx.ui.closeEnabled);
    QVERIFY(fx.ui.repairEnabled);
    QVERIFY(!Catalog().database());
    QCOMPARE(Catalog().categories().Count(), 0);
    Catalog().SetLoaded(false); // closing twice is harmless
    QVERIFY(!Catalog().Loaded());
    QCOMPARE(fx.ui.busyDepth, 0);
}

void TestCatalog::protectedCatalogClosesWhenThePasswordIsRefused()
{
    CatalogFixture fx;
    QVERIFY(fx.OpenNew());
    QVERIFY(!Catalog().SetSetting(clsCatalog::PasswordProtected, true));
    const QString file = Catalog().File.Path();
    fx.ui.passwordAccepted = false;
    Catalog().OpenCatalog(clsFile(file));
    QCOMPARE(fx.ui.passwordAsked, 1);
    QVERIFY(!Catalog().Loaded());
    fx.ui.passwordAccepted = true;
    Catalog().OpenCatalog(clsFile(file));
    QVERIFY(Catalog().Loaded());
    QCOMPARE(fx.ui.passwordCaption, QString("Unset &Password"));
    QCOMPARE(fx.ui.passwordTag, QString("3"));
}

void TestCatalog::isIdFieldIgnoresCase()
{
    for (const char* name : {"ID", "id", "Modified", "created", "FLAG", "TreeID", "parentid", "RecordID", "recordtreeid"})
        QVERIFY2(Catalog().IsIDField(name), name);
    for (const char* name : {"Title", "IDs", "", "Tree"})
        QVERIFY2(!Catalog().IsIDField(name), name);
}

void TestCatalog::userSettingsHaveTheirDefaults()
{
    CatalogFixture fx;
    QCOMPARE(Catalog().FontName(), QString("Tahoma"));
    Catalog().SetFontName("DejaVu Sans");
    QCOMPARE(Catalog().FontName(), QString("DejaVu Sans"));
    QCOMPARE(Catalog().LastDirectory(), QCoreApplication::applicationDirPath() + "/");
    QCOMPARE(Catalog().PlugInPath(), QCoreApplication::applicationDirPath() + "/Categories");
}

void TestCatalog::addPeopleNamesAddsEachPersonOnce()
{
    CatalogFixture fx;
    QVERIFY(fx.OpenNew());
    AddPeopleNames("Smith; O'Hara;Smith;", 7);
    QCOMPARE(QueryCount("SELECT COUNT(*) FROM [ktbl2]", &fx.db()), 2);
    QCOMPARE(QueryCount("SELECT COUNT(*) FROM [ktbl2] WHERE [Category] = '7'", &fx.db()), 2);
    QCOMPARE(QueryCount("SELECT COUNT(*) FROM [ktbl2] WHERE [Name] = 'O''Hara'", &fx.db()), 1);
    AddPeopleNames("smith;O'Hara", 7); // letter case does not make another person
    QCOMPARE(QueryCount("SELECT COUNT(*) FROM [ktbl2]", &fx.db()), 2);
    AddPeopleNames("Smith", 8); // the same name for another category is another person
    QCOMPARE(QueryCount("SELECT COUNT(*) FROM [ktbl2]", &fx.db()), 3);
    AddPeopleNames("", 7);
    AddPeopleNames(QString(300, 'x'), 7); // cut to the field's size
    QCOMPARE(QueryValue(&fx.db(), "SELECT [Name] FROM [ktbl2] WHERE [ID] = 4").size(), 255);
}

QTEST_GUILESS_MAIN(TestCatalog)
#include "tst_catalog.moc"
