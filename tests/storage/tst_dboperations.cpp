#include "CatalogFixture.h"

#include "storage/modDBOperations.h"

#include <QtTest>

using namespace modDBOperations;

// The shared helpers: lookups that never fail, the name check, properties by kind, and field adding.
class TestDbOperations : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void queryValueFallsBackToTheDefault_data();
    void queryValueFallsBackToTheDefault();
    void queryCountGivesZeroOnFailure();
    void itemExistsOnTheTableList();
    void readPropertyDefaultsByKind_data();
    void readPropertyDefaultsByKind();
    void isInvalidName_data();
    void isInvalidName();
    void addFieldMakesTheFieldOfEachColumnType_data();
    void addFieldMakesTheFieldOfEachColumnType();
    void addFieldOfAnExistingNameReportsOrStaysQuiet();
    void addFieldRecordsTextLikeTypesOnly();

private:
    std::unique_ptr<CatalogFixture> m_fx;
};

void TestDbOperations::init()
{
    m_fx = std::make_unique<CatalogFixture>();
    QVERIFY(m_fx->OpenNew());
    QVERIFY(m_fx->db().Execute("INSERT INTO [ktbl2] ([Name],[Company],[Category]) VALUES ('Nobody', '', '7')"));
}

void TestDbOperations::cleanup() { m_fx.reset(); }

void TestDbOperations::queryValueFallsBackToTheDefault_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("emptyIsDefault");
    QTest::addColumn<QString>("expected");
    QTest::newRow("value") << "SELECT [Name] FROM [ktbl2]" << false << "Nobody";
    QTest::newRow("null") << "SELECT [City] FROM [ktbl2]" << false << "dflt";
    QTest::newRow("empty kept") << "SELECT [Company] FROM [ktbl2]" << false << "";
    QTest::newRow("empty as default") << "SELECT [Company] FROM [ktbl2]" << true << "dflt";
    QTest::newRow("no row") << "SELECT [Name] FROM [ktbl2] WHERE [ID] = 999" << false << "dflt";
    QTest::newRow("bad statement") << "SELEC nothing" << false << "dflt";
    QTest::newRow("missing table") << "SELECT [X] FROM [Nowhere]" << false << "dflt";
    QTest::newRow("yes/no as word") << "SELECT [Hidden] FROM [Categories] WHERE [ID] = 1" << false << "dflt";
    QTest::newRow("number") << "SELECT [Type] FROM [Categories] WHERE [ID] = 1" << false << "2";
}

void TestDbOperations::queryValueFallsBackToTheDefault()
{
    QFETCH(QString, sql);
    QFETCH(bool, emptyIsDefault);
    QFETCH(QString, expected);
    QCOMPARE(QueryValue(&m_fx->db(), sql, "dflt", emptyIsDefault), expected);
    QVERIFY(m_fx->db().Execute("UPDATE [Categories] SET [Hidden] = True WHERE [ID] = 1"));
    if (QTest::currentDataTag() == QByteArray("yes/no as word"))
        QCOMPARE(QueryValue(&m_fx->db(), sql, "dflt"), QString("True"));
}

void TestDbOperations::queryCountGivesZeroOnFailure()
{
    QCOMPARE(QueryCount("SELECT COUNT(*) FROM [ktbl2]", &m_fx->db()), 1);
    QCOMPARE(QueryCount("SELECT COUNT(*) FROM [Missing]", &m_fx->db()), 0);
    QCOMPARE(QueryCount("SELECT [Name] FROM [ktbl2]", &m_fx->db()), 0); // not a number
    QCOMPARE(QueryCount("SELECT COUNT(*) FROM [ktbl2]", nullptr), 0);
}

void TestDbOperations::itemExistsOnTheTableList()
{
    QVERIFY(ItemExists(m_fx->db().TableNames(), "Catalog"));
    QVERIFY(ItemExists(m_fx->db().TableNames(), "catalog"));
    QVERIFY(!ItemExists(m_fx->db().TableNames(), "Query"));
    QVERIFY(!ItemExists(m_fx->db().TableNames(), "kst_fields")); // the engine's own tables are not listed
}

void TestDbOperations::readPropertyDefaultsByKind_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QVariant>("stored"); // invalid: no property
    QTest::addColumn<QVariant>("expected");
    QTest::newRow("missing boolean") << 1 << QVariant() << QVariant(false);
    QTest::newRow("missing integer") << 3 << QVariant() << QVariant(0);
    QTest::newRow("missing long") << 4 << QVariant() << QVariant(0);
    QTest::newRow("missing text") << 10 << QVariant() << QVariant(QString());
    QTest::newRow("novalue text") << 10 << QVariant("novalue") << QVariant(QString());
    QTest::newRow("text") << 10 << QVariant("abc") << QVariant("abc");
    QTest::newRow("integer") << 3 << QVariant(6) << QVariant(6);
    QTest::newRow("boolean") << 1 << QVariant(true) << QVariant(true);
}

void TestDbOperations::readPropertyDefaultsByKind()
{
    QFETCH(int, kind);
    QFETCH(QVariant, stored);
    QFETCH(QVariant, expected);
    const PropertyOwner field{"ktbl2", "Notes"};
    if (stored.isValid())
        QVERIFY(!m_fx->db().SetProperty(field, "Probe", stored, PropertyType(kind)));
    QCOMPARE(ReadProperty(&m_fx->db(), field, kind, "Probe"), expected);
}

void TestDbOperations::isInvalidName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("invalid");
    QTest::newRow("empty") << "" << true;
    QTest::newRow("full stop") << "Vol. 2" << true;
    QTest::newRow("quote") << "O'Hara" << true;
    QTest::newRow("bang") << "Wow!" << true;
    QTest::newRow("plain") << "Science Fiction" << false;
    QTest::newRow("blank") << " " << false;
}

void TestDbOperations::isInvalidName()
{
    QFETCH(QString, name);
    QFETCH(bool, invalid);
    QCOMPARE(IsInvalidName(name), invalid);
}

void TestDbOperations::addFieldMakesTheFieldOfEachColumnType_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("zeroLength");
    QTest::newRow("1 plain text") << 1 << int(FieldType::Text) << 255 << true;
    QTest::newRow("2 people") << 2 << int(FieldType::Text) << 255 << true;
    QTest::newRow("4 date") << 4 << int(FieldType::DateTime) << 0 << false;
    QTest::newRow("5 currency") << 5 << int(FieldType::Currency) << 0 << false;
    QTest::newRow("6 media") << 6 << int(FieldType::LongBinary) << 0 << false;
    QTest::newRow("7 memo") << 7 << int(FieldType::Memo) << 0 << true;
    QTest::newRow("9 integer") << 9 << int(FieldType::Integer) << 0 << false;
    QTest::newRow("10 long") << 10 << int(FieldType::Long) << 0 << false;
    QTest::newRow("11 double") << 11 << int(FieldType::Double) << 0 << false;
    QTest::newRow("12 checkbox") << 12 << int(FieldType::Boolean) << 0 << false;
    QTest::newRow("13 date selection") << 13 << int(FieldType::Text) << 255 << true;
    QTest::newRow("0 other") << 0 << int(FieldType::Text) << 50 << false;
}

void TestDbOperations::addFieldMakesTheFieldOfEachColumnType()
{
    QFETCH(int, code);
    QFETCH(int, type);
    QFETCH(int, size);
    QFETCH(bool, zeroLength);
    QVERIFY(AddField(m_fx->db(), "ktbl2", "Probe", code, false, false, false, 0));
    const FieldDef field = *m_fx->db().Table("ktbl2")->field("Probe");
    QCOMPARE(int(field.type), type);
    if (field.type == FieldType::Text)
        QCOMPARE(field.size, size);
    QCOMPARE(field.allowZeroLength, zeroLength);
    QVERIFY(!field.required);
    // The empty text goes in exactly when the field allows it.
    const Result<int> stored = m_fx->db().Execute("UPDATE [ktbl2] SET [Probe] = ''");
    if (field.type == FieldType::Text || field.type == FieldType::Memo)
        QCOMPARE(stored.ok(), zeroLength);
}

void TestDbOperations::addFieldOfAnExistingNameReportsOrStaysQuiet()
{
    RecordingUserInterface& ui = m_fx->ui;
    QVERIFY(!AddField(m_fx->db(), "ktbl2", "Company", 1, false, false, false, 0));
    QCOMPARE(ui.messages.size(), 1);
    QCOMPARE(ui.messages.first(),
             QString("An error occurred while trying to add the column 'Company' to the catalog.  The error number "
                     "was: 3191.\n\nIt is recommended that you close the program and then restart it before trying "
                     "again.  You may also contact our customer support."));
    QVERIFY(!AddField(m_fx->db(), "ktbl2", "Company", 1, false, false, true, 0));
    QCOMPARE(ui.messages.size(), 1);
}

void TestDbOperations::addFieldRecordsTextLikeTypesOnly()
{
    const qint64 before = QueryCount("SELECT COUNT(*) FROM [Columns]", &m_fx->db());
    QVERIFY(AddField(m_fx->db(), "ktbl2", "Genre", 3, false, false, false, 0, 2));
    QCOMPARE(QueryValue(&m_fx->db(), "SELECT [Type] FROM [Columns] WHERE [Name] = 'Genre' AND [CID] = 2"), QString("3"));
    QVERIFY(AddField(m_fx->db(), "ktbl2", "Remark", 1, false, false, false, 0, 2));
    QCOMPARE(QueryCount("SELECT COUNT(*) FROM [Columns]", &m_fx->db()), before + 1);
    // A category that does not exist gets no record.
    QVERIFY(AddField(m_fx->db(), "ktbl2", "Link", 8, false, false, false, 0, 99));
    QCOMPARE(QueryCount("SELECT COUNT(*) FROM [Columns]", &m_fx->db()), before + 1);
}

QTEST_GUILESS_MAIN(TestDbOperations)
#include "tst_dboperations.moc"
