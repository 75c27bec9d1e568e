#include "ModelFixture.h"

#include "model/clsColumns.h"
#include "platform/FieldDef.h"

#include <QtTest>

// A category's columns: binding to fields and to [Columns] rows, the types, the settings and their
// stored forms, renaming, default values and deleting.
class TestColumns : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void collectionFollowsTheFieldOrder();
    void columnTypeFromFieldAndStoredType_data();
    void columnTypeFromFieldAndStoredType();
    void kindsFollowTheColumnType_data();
    void kindsFollowTheColumnType();
    void missingRowIsMadeWithTheLegacyType_data();
    void missingRowIsMadeWithTheLegacyType();
    void settingsAreStoredAndCached();
    void widthDefaultGrowsWithTheName();
    void titleColumnNeverHides();
    void renameKeepsTheRow();
    void renameRefusedLeavesEverything();
    void renameThatCannotBeRecordedChangesNothing();
    void renamingTheTitleColumnRenamesTheCategorysRecord();
    void defaultValueLosesEveryIs();
    void refusedDefaultValueIsReported();
    void deleteTakesFieldDataAndRow();
    void requiredColumnsCannotBeDeleted();
    void editableColumnsLeaveOutFixedFields();
    void addFieldRecordsTextLikeTypes();
    void namesWithApostrophes();

private:
    int Row(const QString& name, const QString& setting)
    {
        return m_fx->Value(QString("SELECT [%1] FROM [Columns] WHERE [Name] = '%2' AND [CID] = %3")
                               .arg(setting, QString(name).replace("'", "''"))
                               .arg(m_fx->books->ID()))
            .toInt();
    }
    qint64 Rows(const QString& name)
    {
        return m_fx->Count(QString("SELECT COUNT(*) FROM [Columns] WHERE [Name] = '%1' AND [CID] = %2")
                               .arg(QString(name).replace("'", "''"))
                               .arg(m_fx->books->ID()));
    }

    std::unique_ptr<ModelFixture> m_fx;
};

void TestColumns::init()
{
    m_fx = std::make_unique<ModelFixture>();
    QVERIFY(m_fx->Setup());
}

void TestColumns::cleanup() { m_fx.reset(); }

void TestColumns::collectionFollowsTheFieldOrder()
{
    clsColumns& columns = m_fx->books->Columns();
    QStringList names;
    for (const auto& column : columns)
        names << column->Name();
    QCOMPARE(names, (QStringList{"ID", "TreeID", "ParentID", "Created", "Modified", "Flag", "Title", "Author", "Year",
                                 "Price", "Bought", "Read", "Ratio", "Pages", "Notes", "Genre", "Cover"}));
    QCOMPARE(columns.Item(1)->Name(), QString("ID"));
    QCOMPARE(columns.Item("author")->Name(), QString("Author"));
    QVERIFY(columns.ColumnExists("GENRE"));
    QVERIFY(!columns.Item("Nothing"));
    QVERIFY(!columns.Item(18));
    // Loading described every column in [Columns].
    QCOMPARE(m_fx->Count(QString("SELECT COUNT(*) FROM [Columns] WHERE [CID] = %1").arg(m_fx->books->ID())), 17);
}

void TestColumns::columnTypeFromFieldAndStoredType_data()
{
    QTest::addColumn<int>("code");   // the field is made as this column type
    QTest::addColumn<int>("stored"); // [Columns].[Type] then says this
    QTest::addColumn<int>("type");
    QTest::newRow("text, nothing stored") << 1 << 0 << 1;
    QTest::newRow("text stored 5 is plain text") << 1 << 5 << 1;
    QTest::newRow("text stored 2") << 1 << 2 << 2;
    QTest::newRow("text stored 3") << 1 << 3 << 3;
    QTest::newRow("text stored 8") << 1 << 8 << 8;
    QTest::newRow("text stored 13") << 1 << 13 << 13;
    QTest::newRow("memo stored 2 stays memo") << 7 << 2 << 7;
    QTest::newRow("date") << 4 << 1 << 4;
    QTest::newRow("currency") << 5 << 0 << 5;
    QTest::newRow("media") << 6 << 0 << 6;
    QTest::newRow("integer") << 9 << 3 << 9;
    QTest::newRow("long") << 10 << 0 << 10;
    QTest::newRow("double") << 11 << 0 << 11;
    QTest::newRow("yes/no") << 12 << 0 << 12;
}

void TestColumns::columnTypeFromFieldAndStoredType()
{
    QFETCH(int, code);
    QFETCH(int, stored);
    QFETCH(int, type);
    QVERIFY(modDBOperations::AddField(m_fx->db(), m_fx->books->DBName(), "Probe", code, false, false, false, 0));
    QVERIFY(m_fx->db().Execute(QString("INSERT INTO [Columns] ([CID],[Name],[Type]) VALUES (%1,'Probe',%2)")
                                   .arg(m_fx->books->ID())
                                   .arg(stored)));
    QVERIFY(!m_fx->books->ResetColumns());
    QCOMPARE(m_fx->books->Columns().Item("Probe")->ColumnType(), type);
}

void TestColumns::kindsFollowTheColumnType_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<int>("edit");
    QTest::addColumn<int>("sort");
    QTest::addColumn<QString>("format");
    QTest::addColumn<bool>("viewable");
    QTest::newRow("plain text") << "Author" << 1 << 1 << "" << true;
    QTest::newRow("auto-complete") << "Genre" << 1 << 1 << "" << true;
    QTest::newRow("date") << "Bought" << 4 << 3 << "Short Date" << true;
    QTest::newRow("currency") << "Price" << 1 << 2 << "Currency" << true;
    QTest::newRow("media") << "Cover" << 1 << 1 << "" << false;
    QTest::newRow("memo") << "Notes" << 1 << 1 << "" << false;
    QTest::newRow("integer") << "Year" << 1 << 2 << "" << true;
    QTest::newRow("long") << "Pages" << 1 << 2 << "" << true;
    QTest::newRow("double") << "Ratio" << 1 << 2 << "" << true;
    QTest::newRow("checkbox") << "Read" << 2 << 2 << "" << true;
}

void TestColumns::kindsFollowTheColumnType()
{
    QFETCH(QString, column);
    QFETCH(int, edit);
    QFETCH(int, sort);
    QFETCH(QString, format);
    QFETCH(bool, viewable);
    const clsColumn* c = m_fx->books->Columns().Item(column);
    QVERIFY(c);
    QCOMPARE(c->EditType(), edit);
    QCOMPARE(c->SortType(), sort);
    QCOMPARE(c->Format(), format);
    QCOMPARE(c->IsViewable(), viewable);

    // Date Selection: a text field entered with the calendar.
    clsColumn* author = m_fx->books->Columns().Item("Author");
    QVERIFY(!author->SetColumnType(13));
    QCOMPARE(author->EditType(), 4);
    QCOMPARE(author->SortType(), 1);
}

void TestColumns::missingRowIsMadeWithTheLegacyType_data()
{
    QTest::addColumn<int>("property");
    QTest::addColumn<QString>("storedType"); // empty: Null
    QTest::addColumn<int>("type");
    QTest::newRow("no property") << -1 << "" << 1;
    QTest::newRow("people") << 2 << "2" << 2;
    QTest::newRow("auto-complete") << 3 << "3" << 3;
    QTest::newRow("internet") << 8 << "8" << 8;
    QTest::newRow("media property is not a text type") << 6 << "" << 1;
}

void TestColumns::missingRowIsMadeWithTheLegacyType()
{
    QFETCH(int, property);
    QFETCH(QString, storedType);
    QFETCH(int, type);
    QVERIFY(modDBOperations::AddField(m_fx->db(), m_fx->books->DBName(), "Old", 1, false, false, false, 0));
    if (property >= 0)
        QVERIFY(!m_fx->db().SetProperty({m_fx->books->DBName(), "Old"}, "ColumnType", property, PropertyType::Integer));
    QCOMPARE(Rows("Old"), 0);
    QVERIFY(!m_fx->books->ResetColumns());
    QCOMPARE(Rows("Old"), 1);
    QCOMPARE(m_fx->Value(QString("SELECT [Type] FROM [Columns] WHERE [Name] = 'Old' AND [CID] = %1").arg(m_fx->books->ID())),
             storedType);
    QCOMPARE(m_fx->books->Columns().Item("Old")->ColumnType(), type);
}

void TestColumns::settingsAreStoredAndCached()
{
    clsColumn* year = m_fx->books->Columns().Item("Year");
    QVERIFY(!year->SetWidth(1500));
    QVERIFY(!year->SetPosition(3));
    QVERIFY(!year->SetHidden(true));
    QCOMPARE(year->Width(), 1500);
    QCOMPARE(year->Position(), 3);
    QVERIFY(year->Hidden());
    QCOMPARE(Row("Year", "Width"), 1500);
    QCOMPARE(Row("Year", "Position"), 3);
    QCOMPARE(m_fx->Value(QString("SELECT [Hidden] FROM [Columns] WHERE [Name] = 'Year' AND [CID] = %1").arg(m_fx->books->ID())),
             QString("True"));
    QVERIFY(!m_fx->books->Columns().Item("Genre")->SetColumnType(2));
    QCOMPARE(Row("Genre", "Type"), 2);

    // Another load reads the same settings back.
    QVERIFY(!m_fx->books->ResetColumns());
    year = m_fx->books->Columns().Item("Year");
    QCOMPARE(year->Width(), 1500);
    QCOMPARE(year->Position(), 3);
    QVERIFY(year->Hidden());
    QCOMPARE(m_fx->books->Columns().Item("Genre")->ColumnType(), 2);
    QVERIFY(!year->SetHidden(false));
    QCOMPARE(Row("Year", "Hidden"), 0);
}

void TestColumns::widthDefaultGrowsWithTheName()
{
    clsColumn* author = m_fx->books->Columns().Item("Author");
    clsColumn* year = m_fx->books->Columns().Item("Year");
    QCOMPARE(author->Width(), 810); // 6 letters x 90 twips x 1.5
    QVERIFY(author->Width() > year->Width());
    QVERIFY(!author->SetWidth(14));
    QCOMPARE(author->Width(), 810);
    QVERIFY(!author->SetWidth(15));
    QCOMPARE(author->Width(), 15);
    QVERIFY(!author->SetWidth(100000));
    QCOMPARE(author->Width(), 32767);
}

void TestColumns::titleColumnNeverHides()
{
    clsColumn* title = m_fx->books->Columns().Item("Title");
    QVERIFY(!title->SetHidden(true));
    QVERIFY(!title->Hidden());
    QCOMPARE(Row("Title", "Hidden"), 0);
    QCOMPARE(m_fx->Value(QString("SELECT [Hidden] FROM [Columns] WHERE [Name] = 'Title' AND [CID] = %1").arg(m_fx->books->ID())),
             QString());
}

void TestColumns::renameKeepsTheRow()
{
    clsColumn* author = m_fx->books->Columns().Item("Author");
    QVERIFY(!author->SetWidth(2000));
    QVERIFY(!author->SetPosition(2));
    QVERIFY(!author->SetHidden(true));
    QVERIFY(!author->SetColumnType(2));
    m_fx->AddItem(m_fx->books, "[Title],[Author]", "'Book', 'Someone'");
    QVERIFY(author->SetName("Writer"));
    QCOMPARE(author->Name(), QString("Writer"));
    QVERIFY(m_fx->books->Columns().Item("Writer") == author);
    QCOMPARE(Rows("Author"), 0);
    QCOMPARE(Rows("Writer"), 1);
    QCOMPARE(m_fx->Value("SELECT [Writer] FROM [" + m_fx->books->DBName() + "]"), QString("Someone"));

    QVERIFY(!m_fx->books->ResetColumns());
    const clsColumn* writer = m_fx->books->Columns().Item("Writer");
    QCOMPARE(writer->Width(), 2000);
    QCOMPARE(writer->Position(), 2);
    QVERIFY(writer->Hidden());
    QCOMPARE(writer->ColumnType(), 2);
    QCOMPARE(m_fx->ui.messages, QStringList());
}

void TestColumns::renameRefusedLeavesEverything()
{
    clsColumn* author = m_fx->books->Columns().Item("Author");
    QVERIFY(!author->SetWidth(2000));
    QVERIFY(!author->SetName("Year"));
    QCOMPARE(m_fx->ui.messages, QStringList{"An error occurred while attempting to change the name of a column."});
    QCOMPARE(author->Name(), QString("Author"));
    QCOMPARE(Row("Author", "Width"), 2000);
    QCOMPARE(Rows("Year"), 1);
    QVERIFY(m_fx->db().Table(m_fx->books->DBName())->field("Author"));
}

void TestColumns::renameThatCannotBeRecordedChangesNothing()
{
    // Without a [Columns] table the row cannot follow the field: the field keeps its name too.
    clsColumn* author = m_fx->books->Columns().Item("Author");
    m_fx->AddItem(m_fx->books, "[Title],[Author]", "'Book', 'Someone'");
    QVERIFY(!m_fx->db().DeleteTable("Columns"));
    QVERIFY(!author->SetName("Writer"));
    QCOMPARE(m_fx->ui.messages, QStringList{"An error occurred while attempting to change the name of a column."});
    QCOMPARE(author->Name(), QString("Author"));
    QVERIFY(m_fx->db().Table(m_fx->books->DBName())->field("Author"));
    QVERIFY(!m_fx->db().Table(m_fx->books->DBName())->field("Writer"));
    QCOMPARE(m_fx->Value("SELECT [Author] FROM [" + m_fx->books->DBName() + "]"), QString("Someone"));
}

void TestColumns::renamingTheTitleColumnRenamesTheCategorysRecord()
{
    QVERIFY(!m_fx->books->SetTitleColumn("Heading"));
    QCOMPARE(m_fx->books->TitleColumn(), QString("Heading"));
    QCOMPARE(m_fx->Value(QString("SELECT [TitleColumn] FROM [Categories] WHERE [ID] = %1").arg(m_fx->books->ID())),
             QString("Heading"));
    QVERIFY(m_fx->db().Table(m_fx->books->DBName())->field("Heading"));
    QCOMPARE(Rows("Heading"), 1);
    // Renaming the column itself keeps the category's record in step too.
    QVERIFY(m_fx->books->Columns().Item("Heading")->SetName("Name"));
    QCOMPARE(m_fx->books->TitleColumn(), QString("Name"));
    QCOMPARE(m_fx->Value(QString("SELECT [TitleColumn] FROM [Categories] WHERE [ID] = %1").arg(m_fx->books->ID())),
             QString("Name"));
    // A refused rename keeps the old title column.
    QVERIFY(m_fx->books->SetTitleColumn("Year"));
    QCOMPARE(m_fx->books->TitleColumn(), QString("Name"));
    QCOMPARE(m_fx->Value(QString("SELECT [TitleColumn] FROM [Categories] WHERE [ID] = %1").arg(m_fx->books->ID())),
             QString("Name"));
}

void TestColumns::defaultValueLosesEveryIs()
{
    clsColumn* author = m_fx->books->Columns().Item("Author");
    QVERIFY(author->SetDefaultValue("\"This is what is typed\""));
    QCOMPARE(author->DefaultValue(), QString("\"Thiswhattyped\""));
    QCOMPARE(m_fx->db().Table(m_fx->books->DBName())->field("Author")->defaultValue, QString("\"Thiswhattyped\""));
    QVERIFY(m_fx->books->Columns().Item("Year")->SetDefaultValue("0"));
    QVERIFY(!m_fx->books->ResetColumns());
    QCOMPARE(m_fx->books->Columns().Item("Year")->DefaultValue(), QString("0"));
    QCOMPARE(m_fx->ui.messages, QStringList());
}

void TestColumns::refusedDefaultValueIsReported()
{
    clsColumn* year = m_fx->books->Columns().Item("Year");
    QVERIFY(!year->SetDefaultValue("not a number"));
    QCOMPARE(m_fx->ui.messages, QStringList{"An error occurred while attempting to change the default value of a column."});
    QCOMPARE(year->DefaultValue(), QString());
}

void TestColumns::deleteTakesFieldDataAndRow()
{
    m_fx->AddItem(m_fx->books, "[Title],[Author]", "'Book', 'Someone'");
    clsColumns& columns = m_fx->books->Columns();
    const int before = columns.Count();
    QVERIFY(!columns.Delete("author"));
    QCOMPARE(columns.Count(), before - 1);
    QVERIFY(!columns.ColumnExists("Author"));
    QVERIFY(!m_fx->db().Table(m_fx->books->DBName())->field("Author"));
    QCOMPARE(Rows("Author"), 0);
    QCOMPARE(m_fx->Value("SELECT [Title] FROM [" + m_fx->books->DBName() + "]"), QString("Book"));
    // Nothing left to delete: the error reaches the caller.
    QVERIFY(columns.Delete("Author"));
}

void TestColumns::requiredColumnsCannotBeDeleted()
{
    for (const char* name : {"Title", "ID", "TreeID", "flag"})
        QVERIFY2(m_fx->books->Columns().Delete(name), name);
    QVERIFY(m_fx->db().Table(m_fx->books->DBName())->field("Title"));
    Category* people = Catalog().categories().PeopleCategory();
    Category* relational = Catalog().categories().RelationalCategory();
    QVERIFY(people && relational);
    QVERIFY(people->Columns().Item("Category")->IsRequired());
    QVERIFY(!people->Columns().Item("Company")->IsRequired());
    QVERIFY(relational->Columns().Item("Category")->IsRequired());
    QVERIFY(relational->Columns().Item("Title")->IsRequired());
    QVERIFY(people->Columns().Delete("Category"));
    QVERIFY(relational->Columns().Delete("Category"));
    QVERIFY(m_fx->db().Table(people->DBName())->field("Category"));
    QVERIFY(!people->Columns().Delete("Company"));
}

void TestColumns::editableColumnsLeaveOutFixedFields()
{
    QVERIFY(m_fx->books->Columns().Item("id")->IsIDField());
    QVERIFY(m_fx->books->Columns().Item("Modified")->IsIDField());
    QVERIFY(!m_fx->books->Columns().Item("Title")->IsIDField());
    const clsColumns editable = m_fx->books->EditableColumns();
    QStringList names;
    for (const auto& column : editable)
        names << column->Name();
    QCOMPARE(names, (QStringList{"Title", "Author", "Year", "Price", "Bought", "Read", "Ratio", "Pages", "Notes",
                                 "Genre", "Cover"}));
    // The same column objects: a change through one is seen through the other.
    QVERIFY(editable.Item("Year") == m_fx->books->Columns().Item("Year"));
    QVERIFY(editable.category() == m_fx->books);
}

void TestColumns::addFieldRecordsTextLikeTypes()
{
    clsColumns& columns = m_fx->books->Columns();
    QVERIFY(columns.Count() > 0);
    QVERIFY(modDBOperations::AddField(m_fx->db(), m_fx->books->DBName(), "Link", 8, false, false, false, 0, m_fx->books));
    QCOMPARE(Row("Link", "Type"), 8);
    QCOMPARE(columns.Count(), 0); // emptied, read again on next use
    QCOMPARE(m_fx->books->Columns().Item("Link")->ColumnType(), 8);

    const int before = m_fx->books->Columns().Count();
    QVERIFY(modDBOperations::AddField(m_fx->db(), m_fx->books->DBName(), "Plain", 1, false, false, false, 0, m_fx->books));
    QCOMPARE(Rows("Plain"), 0); // made the next time the columns are read
    QCOMPARE(m_fx->books->Columns().Count(), before);
    QVERIFY(!m_fx->books->ResetColumns());
    QCOMPARE(Rows("Plain"), 1);

    // A table definition still being built: the row is written for the category.
    TableDef pending;
    QVERIFY(modDBOperations::AddField(pending, "When", 13, false, false, true, 0, m_fx->books));
    QCOMPARE(Row("When", "Type"), 13);
}

void TestColumns::namesWithApostrophes()
{
    const QString name = "Owner's Note";
    QVERIFY(modDBOperations::AddField(m_fx->db(), m_fx->books->DBName(), name, 3, false, false, false, 0, m_fx->books));
    QCOMPARE(Row(name, "Type"), 3);
    clsColumn* column = m_fx->books->Columns().Item(name);
    QVERIFY(column);
    QCOMPARE(column->ColumnType(), 3);
    QVERIFY(!column->SetWidth(1234));
    QVERIFY(!column->SetHidden(true));
    QCOMPARE(Row(name, "Width"), 1234);
    QVERIFY(column->SetName("Reader's Note"));
    QCOMPARE(Row("Reader's Note", "Width"), 1234);
    QCOMPARE(Rows(name), 0);
    QVERIFY(!m_fx->books->ResetColumns());
    QVERIFY(m_fx->books->Columns().Item("Reader's Note")->Hidden());
    QVERIFY(!m_fx->books->Columns().Delete("Reader's Note"));
    QCOMPARE(Rows("Reader's Note"), 0);
    QCOMPARE(m_fx->ui.messages, QStringList());
}

QTEST_GUILESS_MAIN(TestColumns)
#include "tst_columns.moc"
