#include "CatalogFixture.h"

#include "storage/modDBOperations.h"

#include <QtTest>

using modDBOperations::QueryCount;
using modDBOperations::QueryValue;

// A new catalog's layout, field by field, as every later part of the program expects to find it.
class TestCreation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void newCatalogHoldsExactlyTheStartingContent();
    void tablesHaveTheirFieldsInOrder_data();
    void tablesHaveTheirFieldsInOrder();
    void createCategoryMakesRowAndTable();
    void createCategoryTitleColumnDefaultsToTitle();
    void createColumnsTableLeavesAnExistingOneAlone();
    void createCatalogFileRefusesAnExistingPath();
    void newCatalogIsStampedWithItsCompaction();
};

void TestCreation::newCatalogHoldsExactlyTheStartingContent()
{
    CatalogFixture fx;
    const QString file = fx.NewCatalog();
    QVERIFY(!file.isEmpty());
    Result<std::unique_ptr<Database>> opened = Database::Open(file);
    QVERIFY(opened);
    Database* db = opened.value().get();

    QCOMPARE(db->TableNames(), (QStringList{"Catalog", "Categories", "Tree", "ktbl1", "ktbl2", "Columns"}));
    QCOMPARE(QueryCount("SELECT COUNT(*) FROM [Catalog]", db), 1);
    QCOMPARE(QueryValue(db, "SELECT [DataVersion] FROM [Catalog]"), QString("12"));
    QCOMPARE(QueryCount("SELECT COUNT(*) FROM [Categories]", db), 2);
    QCOMPARE(QueryValue(db, "SELECT [Name] FROM [Categories] WHERE [ID] = 1"), QString("Relational"));
    QCOMPARE(QueryValue(db, "SELECT [Type] FROM [Categories] WHERE [ID] = 1"), QString("2"));
    QCOMPARE(QueryValue(db, "SELECT [TitleColumn] FROM [Categories] WHERE [ID] = 1"), QString("Title"));
    QCOMPARE(QueryValue(db, "SELECT [Name] FROM [Categories] WHERE [ID] = 2"), QString("People"));
    QCOMPARE(QueryValue(db, "SELECT [Type] FROM [Categories] WHERE [ID] = 2"), QString("1"));
    QCOMPARE(QueryValue(db, "SELECT [TitleColumn] FROM [Categories] WHERE [ID] = 2"), QString("Name"));
    QCOMPARE(QueryCount("SELECT COUNT(*) FROM [Tree]", db), 0);
    QCOMPARE(QueryCount("SELECT COUNT(*) FROM [ktbl1]", db), 0);
    QCOMPARE(QueryCount("SELECT COUNT(*) FROM [ktbl2]", db), 0);

    // The six People columns whose type the field alone cannot tell.
    Result<std::unique_ptr<Recordset>> rows =
        db->OpenRecordset("SELECT [CID],[Name],[Type] FROM [Columns] ORDER BY [ID]", RecordsetType::Snapshot);
    QVERIFY(rows);
    QStringList columns;
    for (Recordset& rs = *rows.value(); !rs.Eof(); rs.MoveNext())
        columns << QString("%1 %2 %3").arg(rs.Value(0).toInt()).arg(rs.Value(1).toString()).arg(rs.Value(2).toInt());
    QCOMPARE(columns, (QStringList{"2 Category 3", "2 Nationality 3", "2 State/Province 3", "2 Country 3",
                                   "2 E-Mail 8", "2 URL 8"}));
}

void TestCreation::tablesHaveTheirFieldsInOrder_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("fields"); // name:type:size, "*" marks an index, "!" the primary key
    QTest::newRow("Catalog") << "Catalog"
                             << QStringList{"Name:Text:255", "Description:Text:255", "FontName:Text:255",
                                            "GridLines:Yes/No:0", "AutoAddName:Yes/No:0", "AutoComplete:Yes/No:0",
                                            "ItemEditorWindowState:Integer:0", "ItemEditorWidth:Long:0",
                                            "ItemEditorHeight:Long:0", "ItemEditorVisible:Yes/No:0",
                                            "LastCompact:Date/Time:0", "PasswordProtected:Yes/No:0",
                                            "ProtectName:Text:255", "ProtectPassword:Text:255", "DataVersion:Integer:0"};
    QTest::newRow("Categories") << "Categories"
                                << QStringList{"ID:Long:0!", "Name:Text:255*", "Description:Text:255", "Parent:Long:0",
                                               "Hidden:Yes/No:0", "SingleDisplay:Text:255", "DrawFromParent:Yes/No:0",
                                               "DefaultMedia:Text:255", "DefaultMemo:Text:255", "Type:Integer:0*",
                                               "TitleColumn:Text:255", "BinImageMain:Long Binary:0",
                                               "BinImageSelected:Long Binary:0", "BinImageRoot:Long Binary:0",
                                               "Flags:Memo:0", "Groups:Text:255", "Criteria:Memo:0"};
    QTest::newRow("Tree") << "Tree"
                          << QStringList{"ID:Long:0!", "CID:Long:0*", "ParentID:Long:0", "Notes:Memo:0",
                                         "Subject:Text:255", "Criteria:Memo:0", "Type:Long:0", "Groups:Text:255"};
    QTest::newRow("Columns") << "Columns"
                             << QStringList{"ID:Long:0!", "CID:Long:0*", "Name:Text:255*", "Display:Text:255",
                                            "Hidden:Yes/No:0", "Type:Integer:0", "Position:Integer:0", "Width:Long:0",
                                            "Sorting:Integer:0", "Format:Text:255"};
    QTest::newRow("Relational") << "ktbl1"
                                << QStringList{"ID:Long:0!", "TreeID:Long:0*", "RecordID:Long:0*", "Created:Date/Time:0",
                                               "Modified:Date/Time:0", "RecordTreeID:Long:0*", "Flag:Long:0*",
                                               "Title:Text:255*", "Category:Text:255*"};
    QTest::newRow("People") << "ktbl2"
                            << QStringList{"ID:Long:0!", "TreeID:Long:0*", "ParentID:Long:0*", "Created:Date/Time:0",
                                           "Modified:Date/Time:0", "Flag:Long:0*", "Name:Text:255*",
                                           "Company:Text:255", "Title:Text:255", "Category:Text:255",
                                           "Nationality:Text:255", "Birth Place:Text:255", "Birth Date:Date/Time:0",
                                           "Death Date:Date/Time:0", "Address:Text:255", "City:Text:255",
                                           "State/Province:Text:255", "Postal Code:Text:255", "Region:Text:255",
                                           "Country:Text:255", "Home Phone:Text:255", "Work Phone:Text:255",
                                           "Work Ext:Text:255", "Mobile Phone:Text:255", "Pager:Text:255",
                                           "Fax:Text:255", "E-Mail:Text:255", "Major Influences:Memo:0", "Notes:Memo:0",
                                           "Image:Long Binary:0", "URL:Text:255"};
}

void TestCreation::tablesHaveTheirFieldsInOrder()
{
    QFETCH(QString, table);
    QFETCH(QStringList, fields);
    CatalogFixture fx;
    Result<std::unique_ptr<Database>> opened = Database::Open(fx.NewCatalog());
    QVERIFY(opened);
    const Result<TableDef> def = opened.value()->Table(table);
    QVERIFY(def);
    QStringList actual;
    for (const FieldDef& field : def->fields) {
        QString mark;
        for (const IndexDef& index : def->indexes)
            if (index.fields == QStringList{field.name})
                mark = index.primary ? "!" : "*";
        actual << QString("%1:%2:%3%4").arg(field.name, FieldTypeName(field.type)).arg(field.type == FieldType::Text ? field.size : 0).arg(mark);
        // Nothing is required; text fields take the empty text; only the ID numbers itself.
        QVERIFY(!field.required);
        QCOMPARE(field.allowZeroLength, field.type == FieldType::Text || field.type == FieldType::Memo);
        QCOMPARE(field.isAutoIncrement(), field.name == "ID");
        if (field.isAutoIncrement())
            QCOMPARE(field.defaultValue, QString("GenUniqueID()"));
    }
    QCOMPARE(actual, fields);
}

void TestCreation::createCategoryMakesRowAndTable()
{
    CatalogFixture fx;
    QVERIFY(fx.OpenNew());
    const Result<int> id = modDBCreation::CreateCategory(fx.db(), "Bo'oks", "Book Title", 0);
    QVERIFY(id);
    QCOMPARE(*id, 3);
    QCOMPARE(QueryValue(&fx.db(), "SELECT [Name] FROM [Categories] WHERE [ID] = 3"), QString("Bo'oks"));
    QCOMPARE(QueryValue(&fx.db(), "SELECT [TitleColumn] FROM [Categories] WHERE [ID] = 3"), QString("Book Title"));
    QCOMPARE(QueryValue(&fx.db(), "SELECT [Type] FROM [Categories] WHERE [ID] = 3"), QString("0"));
    const Result<TableDef> table = fx.db().Table("ktbl3");
    QVERIFY(table);
    QStringList names;
    for (const FieldDef& field : table->fields)
        names << field.name;
    QCOMPARE(names, (QStringList{"ID", "TreeID", "ParentID", "Created", "Modified", "Flag", "Book Title"}));
    QVERIFY(table->index("Book Title"));
    // A second category gets the next number, even after the first is gone.
    QVERIFY(!fx.db().DeleteTable("ktbl3"));
    QVERIFY(fx.db().Execute("DELETE * FROM [Categories] WHERE [ID] = 3"));
    QCOMPARE(modDBCreation::CreateCategory(fx.db(), "Films", "", 0).valueOr(0), 4);
}

void TestCreation::createCategoryTitleColumnDefaultsToTitle()
{
    CatalogFixture fx;
    QVERIFY(fx.OpenNew());
    const Result<int> id = modDBCreation::CreateCategory(fx.db(), "Films", QString(), 0);
    QVERIFY(id);
    QCOMPARE(QueryValue(&fx.db(), QString("SELECT [TitleColumn] FROM [Categories] WHERE [ID] = %1").arg(*id)), QString("Title"));
    QVERIFY(fx.db().Table(QString("ktbl%1").arg(*id))->field("Title"));
}

void TestCreation::createColumnsTableLeavesAnExistingOneAlone()
{
    CatalogFixture fx;
    QVERIFY(fx.OpenNew());
    const qint64 before = QueryCount("SELECT COUNT(*) FROM [Columns]", &fx.db());
    QVERIFY(!modDBCreation::CreateColumnsTable(fx.db()));
    QCOMPARE(QueryCount("SELECT COUNT(*) FROM [Columns]", &fx.db()), before);
    QVERIFY(before >= 6);
}

void TestCreation::createCatalogFileRefusesAnExistingPath()
{
    CatalogFixture fx;
    const QString file = fx.path("exists.kst");
    QFile existing(file);
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write("keep me");
    existing.close();
    const DbError error = modDBCreation::CreateCatalogFile(file);
    QCOMPARE(error.number, DbErrorNumber::FileExists);
    QVERIFY(existing.open(QIODevice::ReadOnly));
    QCOMPARE(existing.readAll(), QByteArray("keep me"));
}

void TestCreation::newCatalogIsStampedWithItsCompaction()
{
    CatalogFixture fx;
    const QString file = fx.NewCatalog();
    QVERIFY(!QFile::exists(fx.path("temp.kst")));
    Catalog().OpenCatalog(clsFile(file));
    QVERIFY(Catalog().Loaded());
    QCOMPARE(fx.db().LookupValue("SELECT [LastCompact] FROM [Catalog]")->toDateTime().date(), QDate::currentDate());
}

QTEST_GUILESS_MAIN(TestCreation)
#include "tst_creation.moc"
