#include "EngineTestHelpers.h"
#include "platform/Database.h"
#include "platform/SqliteValues.h"

#include <QTemporaryDir>
#include <QtTest>

// Result sets: the kinds and what each allows, moving, bookmarks, adding and editing rows, rows changed
// behind the result set's back, long values in chunks, and statements shared through the cache.
class TestRecordset : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void kinds_data();
    void kinds();
    void openRefusals_data();
    void openRefusals();
    void movingThroughRows();
    void emptyResult_data();
    void emptyResult();
    void moveNextAfterDelete();
    void deleteEveryRowInALoop();
    void bookmarks();
    void addNewAppendsAndKeepsThePosition();
    void cancelUpdateDiscards();
    void editOfARowChangedMeanwhile();
    void rowDeletedMeanwhile();
    void snapshotKeepsTheRowsAsTheyWere();
    void readOnlyRefusals_data();
    void readOnlyRefusals();
    void fieldsByNameIgnoreCase();
    void chunks_data();
    void chunks();
    void chunksAfterEditReplaceTheValue();
    void forwardOnlyMovesForwardOnly();
    void twoStreamsOnTheSameStatement();
    void rowsKeepTheirPlaceThroughATableRebuild_data();
    void rowsKeepTheirPlaceThroughATableRebuild();
    void resultSetOutlivesItsDatabase_data();
    void resultSetOutlivesItsDatabase();

private:
    Database& db() { return *m_db; }
    QVariant raw(const QString& sql) { return EngineTest::Raw(db(), sql); }
    QString titles(Recordset& rs); // all rows from the current one on, as "a,b,c"

    QTemporaryDir m_templateDir;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Database> m_db;
};

namespace {
FieldDef Field(const char* name, FieldType type, int size = 0)
{
    return EngineTest::Field(name, type, size, true);
}

std::unique_ptr<Recordset> Take(Result<std::unique_ptr<Recordset>> opened)
{
    if (!opened) {
        qWarning("result set not opened: %s", qPrintable(opened.error().message));
        return nullptr;
    }
    return std::move(opened.value());
}
} // namespace

QString TestRecordset::titles(Recordset& rs)
{
    QStringList found;
    for (; !rs.Eof(); rs.MoveNext())
        found << rs.Value("Title").toString();
    return found.join(',');
}

// Items: ID, Title, Big, Image (Long Binary), Notes (Memo); rows a..e with Big 1..5. Tags: a second table.
// Made once; each test works on a fresh copy.
void TestRecordset::initTestCase()
{
    QVERIFY(m_templateDir.isValid());
    auto created = Database::Create(m_templateDir.filePath("template.kst"));
    QVERIFY(created);
    Database& db = *created.value();
    FieldDef id = Field("ID", FieldType::Long);
    id.attributes = FieldAttribute::FixedSize | FieldAttribute::AutoIncrement;
    TableDef items;
    items.name = "Items";
    items.fields = {id, Field("Title", FieldType::Text, 50), Field("Big", FieldType::Long),
                    Field("Image", FieldType::LongBinary), Field("Notes", FieldType::Memo)};
    QVERIFY(!db.CreateTable(items));
    TableDef tags;
    tags.name = "Tags";
    tags.fields = {Field("ItemID", FieldType::Long), Field("Tag", FieldType::Text, 20)};
    QVERIFY(!db.CreateTable(tags));
    QVERIFY(!db.BeginTrans());
    for (int i = 0; i < 5; ++i) {
        QVERIFY(db.Execute(QStringLiteral("INSERT INTO [Items] ([Title], [Big]) VALUES ('%1', %2)")
                               .arg(QChar('a' + i))
                               .arg(i + 1)));
        QVERIFY(db.Execute(QStringLiteral("INSERT INTO [Tags] ([ItemID], [Tag]) VALUES (%1, 't%1')").arg(i + 1)));
    }
    QVERIFY(!db.CommitTrans());
}

void TestRecordset::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QFile::copy(m_templateDir.filePath("template.kst"), m_dir->filePath("test.kst")));
    auto opened = Database::Open(m_dir->filePath("test.kst"));
    QVERIFY(opened);
    m_db = std::move(opened.value());
}

void TestRecordset::cleanup()
{
    m_db.reset();
    m_dir.reset();
}

void TestRecordset::kinds_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("updatable");
    QTest::addColumn<QString>("rows");
    const int table = int(RecordsetType::Table), dynaset = int(RecordsetType::Dynaset),
              snapshot = int(RecordsetType::Snapshot), forward = int(RecordsetType::ForwardOnly);
    QTest::newRow("table") << "Items" << table << false << true << "a,b,c,d,e";
    QTest::newRow("table, name in other case") << "iTEMS" << table << false << true << "a,b,c,d,e";
    QTest::newRow("table read-only") << "Items" << table << true << false << "a,b,c,d,e";
    QTest::newRow("dynaset on a table") << "Items" << dynaset << false << true << "a,b,c,d,e";
    QTest::newRow("dynaset on a statement")
        << "SELECT [ID], [Title] FROM [Items] WHERE [Big] > 2 ORDER BY [Big] DESC" << dynaset << false << true
        << "e,d,c";
    QTest::newRow("dynaset with a date and text literal")
        << "SELECT * FROM [Items] WHERE [Title] <> 'b' AND ([Notes] IS NULL OR [Notes] > #1/1/2000#)" << dynaset
        << false << true << "a,c,d,e";
    QTest::newRow("dynaset read-only") << "SELECT * FROM [Items]" << dynaset << true << false << "a,b,c,d,e";
    QTest::newRow("snapshot") << "SELECT * FROM [Items] WHERE [Big] < 3" << snapshot << false << false << "a,b";
    QTest::newRow("snapshot of a table") << "Items" << snapshot << false << false << "a,b,c,d,e";
    QTest::newRow("forward-only") << "SELECT * FROM [Items] ORDER BY [Title] DESC" << forward << false << false
                                  << "e,d,c,b,a";
    QTest::newRow("forward-only table") << "Items" << forward << false << false << "a,b,c,d,e";
    QTest::newRow("join") << "SELECT [Items].[Title], [Tag] FROM [Items] INNER JOIN [Tags] ON [Items].[ID] = "
                             "[Tags].[ItemID] WHERE [Tag] <> 't2'"
                          << dynaset << false << false << "a,c,d,e";
    QTest::newRow("distinct") << "SELECT DISTINCT [Title] FROM [Items] WHERE [Big] <= 2" << dynaset << false << false
                              << "a,b";
    QTest::newRow("grouped") << "SELECT [Title], COUNT(*) AS [N] FROM [Items] GROUP BY [Title] HAVING [Title] < 'c'"
                             << dynaset << false << false << "a,b";
}

void TestRecordset::kinds()
{
    QFETCH(QString, source);
    QFETCH(int, type);
    QFETCH(bool, readOnly);
    QFETCH(bool, updatable);
    QFETCH(QString, rows);
    auto rs = Take(db().OpenRecordset(source, RecordsetType(type), readOnly));
    QVERIFY(rs);
    QCOMPARE(rs->updatable(), updatable);
    QCOMPARE(titles(*rs), rows);
    QVERIFY(rs->Eof());
    if (!updatable) {
        QCOMPARE(rs->AddNew().number, 3027);
        return;
    }
    // An updatable result set writes through to its table.
    QVERIFY(!rs->MoveFirst());
    const QString first = rs->Value("Title").toString();
    QVERIFY(!rs->Edit());
    QVERIFY(!rs->SetValue("Title", first + "!"));
    QVERIFY(!rs->Update());
    QCOMPARE(rs->Value("Title"), QVariant(first + "!"));
    QCOMPARE(raw("SELECT count(*) FROM Items WHERE Title = '" + first + "!'"), QVariant(qint64(1)));
}

void TestRecordset::openRefusals_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("error");
    QTest::newRow("missing table") << "Nothing" << int(RecordsetType::Table) << 3078;
    QTest::newRow("statement as table") << "SELECT * FROM [Items]" << int(RecordsetType::Table) << 3078;
    QTest::newRow("statement on a missing table") << "SELECT * FROM [Nothing]" << int(RecordsetType::Dynaset) << 3078;
    QTest::newRow("missing field") << "SELECT [Nothing] FROM [Items]" << int(RecordsetType::Dynaset) << 3061;
    QTest::newRow("missing field, forward-only") << "SELECT [Nothing] FROM [Items]" << int(RecordsetType::ForwardOnly)
                                                 << 3061;
    QTest::newRow("syntax") << "SELECT FROM WHERE" << int(RecordsetType::Dynaset) << 3075;
    QTest::newRow("unterminated text") << "SELECT * FROM [Items] WHERE [Title] = 'a" << int(RecordsetType::Snapshot)
                                       << 3075;
    QTest::newRow("not a SELECT") << "DELETE * FROM [Items]" << int(RecordsetType::Dynaset) << 3065;
    QTest::newRow("not a SELECT, forward-only") << "DELETE * FROM [Items]" << int(RecordsetType::ForwardOnly) << 3065;
    QTest::newRow("not a SELECT, snapshot") << "UPDATE [Items] SET [Big] = 0" << int(RecordsetType::Snapshot) << 3065;
}

void TestRecordset::openRefusals()
{
    QFETCH(QString, source);
    QFETCH(int, type);
    QFETCH(int, error);
    const Result<std::unique_ptr<Recordset>> rs = db().OpenRecordset(source, RecordsetType(type));
    QVERIFY(!rs);
    QCOMPARE(rs.error().number, error);
    QCOMPARE(raw("SELECT count(*) FROM Items"), QVariant(qint64(5)));
}

void TestRecordset::movingThroughRows()
{
    auto rs = Take(db().OpenRecordset("SELECT * FROM [Items] ORDER BY [Big]"));
    QVERIFY(rs);
    QCOMPARE(rs->RecordCount(), 5);
    QVERIFY(!rs->Bof() && !rs->Eof());
    QCOMPARE(rs->Value("Title"), QVariant("a"));
    QVERIFY(!rs->MoveLast());
    QCOMPARE(rs->Value("Title"), QVariant("e"));
    QVERIFY(!rs->MovePrevious());
    QCOMPARE(rs->Value("Title"), QVariant("d"));
    QVERIFY(!rs->MoveNext());
    QVERIFY(!rs->MoveNext());
    QVERIFY(rs->Eof());
    QCOMPARE(rs->Value("Title"), QVariant());
    QCOMPARE(rs->lastError().number, 3021);
    QCOMPARE(rs->MoveNext().number, 3021);
    QCOMPARE(rs->Edit().number, 3021);
    QVERIFY(!rs->MoveFirst());
    QVERIFY(!rs->MovePrevious());
    QVERIFY(rs->Bof());
    QCOMPARE(rs->MovePrevious().number, 3021);
    QVERIFY(!rs->MoveNext());
    QCOMPARE(rs->Value("Title"), QVariant("a"));
    QCOMPARE(rs->Value(2), QVariant(1));
    QCOMPARE(rs->Value(99), QVariant());
    QCOMPARE(rs->lastError().number, 3265);
}

void TestRecordset::emptyResult_data()
{
    QTest::addColumn<int>("type");
    QTest::newRow("dynaset") << int(RecordsetType::Dynaset);
    QTest::newRow("snapshot") << int(RecordsetType::Snapshot);
    QTest::newRow("forward-only") << int(RecordsetType::ForwardOnly);
}

void TestRecordset::emptyResult()
{
    QFETCH(int, type);
    auto rs = Take(db().OpenRecordset("SELECT * FROM [Items] WHERE [Big] > 100", RecordsetType(type)));
    QVERIFY(rs);
    QVERIFY(rs->Eof());
    QVERIFY(rs->Bof());
    QCOMPARE(rs->RecordCount(), 0);
    QCOMPARE(rs->FieldCount(), 5);
    QCOMPARE(rs->FieldName(1), QString("Title"));
    QCOMPARE(rs->Value("Title"), QVariant());
    QCOMPARE(rs->lastError().number, 3021);
    QCOMPARE(rs->MoveNext().number, 3021);
    QVERIFY(!rs->MoveFirst());
    QVERIFY(rs->Eof());
}

void TestRecordset::moveNextAfterDelete()
{
    auto rs = Take(db().OpenRecordset("SELECT * FROM [Items] ORDER BY [Big]"));
    QVERIFY(rs);
    QVERIFY(!rs->MoveNext()); // b
    QVERIFY(!rs->Delete());
    // The deleted row is current but gone; the next move goes to the row after it.
    QCOMPARE(rs->Value("Title"), QVariant());
    QCOMPARE(rs->lastError().number, 3167);
    QCOMPARE(rs->Edit().number, 3167);
    QVERIFY(!rs->MoveNext());
    QCOMPARE(rs->Value("Title"), QVariant("c"));
    QVERIFY(!rs->MoveLast());
    QVERIFY(!rs->Delete());
    QVERIFY(!rs->MoveNext());
    QVERIFY(rs->Eof());
    QVERIFY(!rs->MoveFirst());
    QCOMPARE(titles(*rs), QString("a,c,d"));
    QCOMPARE(rs->RecordCount(), 3);
    QCOMPARE(raw("SELECT group_concat(Title, ',') FROM (SELECT Title FROM Items ORDER BY Big)"), QVariant("a,c,d"));
    // MovePrevious after a delete goes to the row before it.
    QVERIFY(!rs->MoveFirst());
    QVERIFY(!rs->MoveNext());
    QVERIFY(!rs->Delete());
    QVERIFY(!rs->MovePrevious());
    QCOMPARE(rs->Value("Title"), QVariant("a"));
}

void TestRecordset::deleteEveryRowInALoop()
{
    auto rs = Take(db().OpenRecordset("SELECT * FROM [Items] WHERE [Big] <> 3"));
    QVERIFY(rs);
    int deleted = 0;
    for (; !rs->Eof(); rs->MoveNext()) {
        QVERIFY(!rs->Delete());
        ++deleted;
    }
    QCOMPARE(deleted, 4);
    QCOMPARE(raw("SELECT group_concat(Title) FROM Items"), QVariant("c"));
}

void TestRecordset::bookmarks()
{
    auto rs = Take(db().OpenRecordset("Items", RecordsetType::Dynaset));
    QVERIFY(rs);
    QVERIFY(!rs->MoveNext());
    QVERIFY(!rs->MoveNext());
    const QVariant c = rs->Bookmark();
    QVERIFY(c.isValid());
    QVERIFY(!rs->MoveLast());
    const QVariant e = rs->Bookmark();
    QVERIFY(e != c);
    QVERIFY(!rs->SetBookmark(c));
    QCOMPARE(rs->Value("Title"), QVariant("c"));
    QVERIFY(!rs->MoveNext());
    QCOMPARE(rs->Value("Title"), QVariant("d"));
    // A bookmark of a deleted row is no longer valid; the others are.
    QVERIFY(!rs->SetBookmark(e));
    QVERIFY(!rs->Delete());
    QCOMPARE(rs->SetBookmark(e).number, 3159);
    QVERIFY(!rs->SetBookmark(c));
    QCOMPARE(rs->Value("Title"), QVariant("c"));
    // LastModified is the bookmark of the row last saved.
    QVERIFY(!rs->AddNew());
    QVERIFY(!rs->SetValue("Title", "new"));
    QVERIFY(!rs->Update());
    QVERIFY(!rs->SetBookmark(rs->LastModified()));
    QCOMPARE(rs->Value("Title"), QVariant("new"));

    // Read-only result sets have bookmarks too.
    auto snap = Take(db().OpenRecordset("SELECT [Title] FROM [Items] ORDER BY [Title] DESC", RecordsetType::Snapshot));
    QVERIFY(snap);
    QVERIFY(!snap->MoveNext());
    const QVariant second = snap->Bookmark();
    QVERIFY(!snap->MoveLast());
    QVERIFY(!snap->SetBookmark(second));
    QCOMPARE(snap->Value("Title"), QVariant("d"));
}

void TestRecordset::addNewAppendsAndKeepsThePosition()
{
    auto rs = Take(db().OpenRecordset("SELECT * FROM [Items] WHERE [Big] <= 2"));
    QVERIFY(rs);
    QVERIFY(!rs->MoveNext()); // b
    QVERIFY(!rs->AddNew());
    QCOMPARE(rs->editMode(), Recordset::EditMode::Adding);
    QCOMPARE(rs->Value("ID"), QVariant(6));
    QVERIFY(!rs->SetValue("Title", "f"));
    QVERIFY(!rs->SetValue("Big", 60));
    QCOMPARE(rs->Value("Title"), QVariant("f"));
    QVERIFY(!rs->Update());
    // The row that was current before AddNew is current again; the new row is at the end of this result set
    // even though it does not meet the statement's condition.
    QCOMPARE(rs->Value("Title"), QVariant("b"));
    QCOMPARE(rs->RecordCount(), 3);
    QVERIFY(!rs->MoveLast());
    QCOMPARE(rs->Value("Big"), QVariant(60));
    QCOMPARE(raw("SELECT ID || Title || Big FROM Items WHERE Title = 'f'"), QVariant("6f60"));
    // A row with nothing set is still added.
    QVERIFY(!rs->AddNew());
    QVERIFY(!rs->Update());
    QCOMPARE(raw("SELECT count(*) FROM Items WHERE ID = 7 AND Title IS NULL"), QVariant(qint64(1)));
}

void TestRecordset::cancelUpdateDiscards()
{
    auto rs = Take(db().OpenRecordset("Items"));
    QVERIFY(rs);
    QVERIFY(!rs->MoveNext());
    QVERIFY(!rs->AddNew());
    QVERIFY(!rs->SetValue("Title", "never"));
    rs->CancelUpdate();
    QCOMPARE(rs->editMode(), Recordset::EditMode::None);
    QCOMPARE(rs->Value("Title"), QVariant("b"));
    QVERIFY(!rs->Edit());
    QVERIFY(!rs->SetValue("Title", "changed"));
    QCOMPARE(rs->Value("Title"), QVariant("changed"));
    rs->CancelUpdate();
    QCOMPARE(rs->Value("Title"), QVariant("b"));
    QCOMPARE(rs->Update().number, 3020);
    QCOMPARE(rs->SetValue("Title", "x").number, 3020);
    QCOMPARE(raw("SELECT count(*) || group_concat(Title, '') FROM Items"), QVariant("5abcde"));
    // Moving away from an edit discards it too.
    QVERIFY(!rs->Edit());
    QVERIFY(!rs->SetValue("Title", "changed"));
    QVERIFY(!rs->MoveNext());
    QVERIFY(!rs->MovePrevious());
    QCOMPARE(rs->Value("Title"), QVariant("b"));
    QCOMPARE(raw("SELECT Title FROM Items WHERE ID = 2"), QVariant("b"));
}

void TestRecordset::editOfARowChangedMeanwhile()
{
    auto rs = Take(db().OpenRecordset("Items"));
    QVERIFY(rs);
    QVERIFY(!rs->MoveNext());
    QCOMPARE(rs->Value("Big"), QVariant(2));
    QVERIFY(db().Execute("UPDATE [Items] SET [Big] = 20, [Notes] = 'by sql' WHERE [ID] = 2"));
    // Edit starts from the row as it is now, and saving writes only the fields that were set.
    QVERIFY(!rs->Edit());
    QCOMPARE(rs->Value("Big"), QVariant(20));
    QVERIFY(!rs->SetValue("Title", "B"));
    QVERIFY(db().Execute("UPDATE [Items] SET [Notes] = 'later' WHERE [ID] = 2"));
    QVERIFY(!rs->Update());
    QCOMPARE(raw("SELECT Title || Big || Notes FROM Items WHERE ID = 2"), QVariant("B20later"));
    QCOMPARE(rs->Value("Notes"), QVariant("later"));
}

void TestRecordset::rowDeletedMeanwhile()
{
    auto rs = Take(db().OpenRecordset("Items"));
    QVERIFY(rs);
    QVERIFY(!rs->MoveNext());
    QVERIFY(!rs->Edit());
    QVERIFY(!rs->SetValue("Title", "B"));
    QVERIFY(db().Execute("DELETE * FROM [Items] WHERE [ID] = 2"));
    QCOMPARE(rs->Update().number, 3167);
    rs->CancelUpdate();
    QCOMPARE(rs->Value("Title"), QVariant());
    QCOMPARE(rs->lastError().number, 3167);
    QCOMPARE(rs->Edit().number, 3167);
    QCOMPARE(rs->Delete().number, 3167);
    QVERIFY(!rs->MoveNext());
    QCOMPARE(rs->Value("Title"), QVariant("c"));
    QCOMPARE(raw("SELECT count(*) FROM Items WHERE Title = 'B'"), QVariant(qint64(0)));
}

void TestRecordset::snapshotKeepsTheRowsAsTheyWere()
{
    auto snap = Take(db().OpenRecordset("SELECT * FROM [Items]", RecordsetType::Snapshot));
    QVERIFY(snap);
    QVERIFY(db().Execute("UPDATE [Items] SET [Title] = 'changed' WHERE [ID] = 1"));
    QVERIFY(db().Execute("DELETE * FROM [Items] WHERE [ID] = 2"));
    QCOMPARE(titles(*snap), QString("a,b,c,d,e"));
}

void TestRecordset::readOnlyRefusals_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("read-only dynaset") << "Items" << int(RecordsetType::Dynaset) << true;
    QTest::newRow("snapshot") << "SELECT * FROM [Items]" << int(RecordsetType::Snapshot) << false;
    QTest::newRow("forward-only") << "SELECT * FROM [Items]" << int(RecordsetType::ForwardOnly) << false;
    QTest::newRow("join") << "SELECT * FROM [Items], [Tags] WHERE [ID] = [ItemID]" << int(RecordsetType::Dynaset)
                          << false;
}

void TestRecordset::readOnlyRefusals()
{
    QFETCH(QString, source);
    QFETCH(int, type);
    QFETCH(bool, readOnly);
    auto rs = Take(db().OpenRecordset(source, RecordsetType(type), readOnly));
    QVERIFY(rs);
    QVERIFY(!rs->Eof());
    QCOMPARE(rs->AddNew().number, 3027);
    QCOMPARE(rs->Edit().number, 3027);
    QCOMPARE(rs->Delete().number, 3027);
    QCOMPARE(rs->SetValue(0, "x").number, 3020);
    QCOMPARE(rs->AppendChunk(0, "x").number, 3020);
    QCOMPARE(rs->Update().number, 3020);
    QCOMPARE(raw("SELECT count(*) || group_concat(Title, '') FROM Items"), QVariant("5abcde"));
}

void TestRecordset::fieldsByNameIgnoreCase()
{
    auto rs = Take(db().OpenRecordset("SELECT [ID], [Title] AS [Heading], [Big] FROM [Items]"));
    QVERIFY(rs);
    QCOMPARE(rs->FieldIndex("heading"), 1);
    QCOMPARE(rs->FieldIndex("title"), -1);
    QCOMPARE(rs->Value("HEADING"), QVariant("a"));
    QCOMPARE(rs->Value("big"), QVariant(1));
    QCOMPARE(rs->Value("Nothing"), QVariant());
    QCOMPARE(rs->lastError().number, 3265);
    QVERIFY(!rs->Edit());
    QCOMPARE(rs->SetValue("Nothing", 1).number, 3265);
    QVERIFY(!rs->SetValue("hEADING", "A"));
    QVERIFY(!rs->SetValue("BIG", "10"));
    QVERIFY(!rs->Update());
    QCOMPARE(raw("SELECT Title || Big FROM Items WHERE ID = 1"), QVariant("A10"));
    QCOMPARE(rs->FieldInfo(1)->name, QString("Title"));
    QCOMPARE(rs->FieldInfo(1)->size, 50);
}

void TestRecordset::chunks_data()
{
    QTest::addColumn<bool>("adding");
    QTest::addColumn<QString>("field");
    QTest::newRow("long binary, new row") << true << "Image";
    QTest::newRow("long binary, edited row") << false << "Image";
    QTest::newRow("memo, new row") << true << "Notes";
}

void TestRecordset::chunks()
{
    QFETCH(bool, adding);
    QFETCH(QString, field);
    QByteArray data(100000, '\0');
    for (int i = 0; i < data.size(); ++i)
        data[i] = field == "Notes" ? "aé€😀"[i % 10] : char((i * 131 + i / 256) & 0xff); // UTF-8 split anywhere
    auto rs = Take(db().OpenRecordset("Items"));
    QVERIFY(rs);
    const int index = rs->FieldIndex(field);
    QVERIFY(!(adding ? rs->AddNew() : rs->Edit()));
    for (qint64 offset = 0; offset < data.size(); offset += 32768)
        QVERIFY(!rs->AppendChunk(index, data.mid(offset, 32768)));
    QVERIFY(!rs->SetValue("Title", "chunked"));
    QVERIFY(!rs->Update());
    if (adding)
        QVERIFY(!rs->SetBookmark(rs->LastModified()));
    QCOMPARE(rs->Value("Title"), QVariant("chunked"));

    QCOMPARE(rs->FieldSize(index), qint64(data.size()));
    QByteArray back;
    for (qint64 offset = 0; offset < rs->FieldSize(index); offset += 7000)
        back += rs->GetChunk(index, offset, 7000);
    QCOMPARE(back.size(), data.size());
    QVERIFY(back == data);
    QCOMPARE(rs->GetChunk(index, data.size() - 3, 100), data.right(3));
    QVERIFY(rs->GetChunk(index, data.size(), 100).isEmpty());
    // Stored whole, in the field's own form.
    if (field == "Image")
        QVERIFY(raw("SELECT Image FROM Items WHERE Title = 'chunked'").toByteArray() == data);
    else
        QCOMPARE(raw("SELECT Notes FROM Items WHERE Title = 'chunked'").toString(), QString::fromUtf8(data));
    QCOMPARE(rs->AppendChunk(rs->FieldIndex("Title"), "x").number, 3020);
    QVERIFY(!rs->Edit());
    QCOMPARE(rs->AppendChunk(rs->FieldIndex("Title"), "x").number, 3259);
}

// The first chunk after AddNew or Edit replaces what the field held; later ones add to it.
void TestRecordset::chunksAfterEditReplaceTheValue()
{
    QVERIFY(db().Execute("UPDATE [Items] SET [Notes] = 'old notes' WHERE [ID] = 1"));
    auto rs = Take(db().OpenRecordset("Items"));
    QVERIFY(rs);
    QVERIFY(!rs->Edit());
    QVERIFY(!rs->SetValue("Image", QByteArray("old picture")));
    QVERIFY(!rs->Update());
    QVERIFY(!rs->Edit());
    QVERIFY(!rs->AppendChunk(rs->FieldIndex("Image"), "new "));
    QVERIFY(!rs->AppendChunk(rs->FieldIndex("Image"), "picture"));
    QVERIFY(!rs->AppendChunk(rs->FieldIndex("Notes"), "new notes"));
    QVERIFY(!rs->Update());
    QCOMPARE(rs->Value("Image"), QVariant(QByteArray("new picture")));
    QCOMPARE(raw("SELECT Notes FROM Items WHERE ID = 1"), QVariant("new notes"));
}

void TestRecordset::forwardOnlyMovesForwardOnly()
{
    auto rs = Take(db().OpenRecordset("SELECT [Title] FROM [Items] WHERE [Big] > 1", RecordsetType::ForwardOnly));
    QVERIFY(rs);
    QCOMPARE(rs->Value(0), QVariant("b"));
    QVERIFY(!rs->MoveFirst()); // still on the first row: allowed
    QVERIFY(!rs->MoveNext());
    QCOMPARE(rs->Value("title"), QVariant("c"));
    QCOMPARE(rs->MovePrevious().number, 3219);
    QCOMPARE(rs->MoveFirst().number, 3219);
    QCOMPARE(rs->SetBookmark(1).number, 3219);
    QCOMPARE(rs->Value("Title"), QVariant("c"));
    QVERIFY(!rs->MoveLast());
    QVERIFY(rs->Eof());
    QCOMPARE(rs->RecordCount(), 4);
}

void TestRecordset::twoStreamsOnTheSameStatement()
{
    const QString sql = "SELECT [ID], [Title] FROM [Items] WHERE [Big] >= 1 ORDER BY [ID]";
    auto a = Take(db().OpenRecordset(sql, RecordsetType::ForwardOnly));
    auto b = Take(db().OpenRecordset(sql, RecordsetType::ForwardOnly));
    QVERIFY(a && b);
    QVERIFY(!a->MoveNext());
    QVERIFY(!a->MoveNext());
    QString seen;
    for (; !b->Eof(); b->MoveNext()) {
        seen += b->Value(1).toString();
        // A lookup of the same shape in between gets its own statement too.
        QCOMPARE(db().LookupValue(QStringLiteral("SELECT [Title] FROM [Items] WHERE [Big] >= %1 ORDER BY [ID]")
                                      .arg(b->Value(0).toInt()))
                     .valueOr(QVariant()),
                 b->Value(1));
    }
    QCOMPARE(seen, QString("abcde"));
    QCOMPARE(titles(*a), QString("c,d,e"));
    // Once both are done, the same text runs again from the start.
    auto c = Take(db().OpenRecordset(sql, RecordsetType::ForwardOnly));
    QVERIFY(c);
    QCOMPARE(titles(*c), QString("a,b,c,d,e"));
}

// Changing a default or the field order copies the table; a result set open on it still edits the rows it
// points at, with or without an ID field.
void TestRecordset::rowsKeepTheirPlaceThroughATableRebuild_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("field");
    QTest::newRow("with ID") << "Items" << "Big";
    QTest::newRow("without ID") << "Tags" << "ItemID";
}

void TestRecordset::rowsKeepTheirPlaceThroughATableRebuild()
{
    QFETCH(QString, table);
    QFETCH(QString, field);
    QVERIFY(db().Execute(QStringLiteral("DELETE * FROM [%1] WHERE [%2] = 2").arg(table, field)));
    auto rs = Take(db().OpenRecordset(table));
    QVERIFY(rs);
    QVERIFY(!rs->MoveNext()); // the third row of five
    const QVariant third = rs->Bookmark();
    QCOMPARE(rs->Value(field), QVariant(3));
    QVERIFY(!db().SetFieldDefault(table, field, "7"));
    QVERIFY(!db().SetFieldOrdinals(table, {{field, 9}}));
    QVERIFY(!rs->Edit());
    QCOMPARE(rs->Value(field), QVariant(3));
    QVERIFY(!rs->SetValue(field, 30));
    QVERIFY(!rs->Update());
    QVERIFY(!rs->MoveLast());
    QVERIFY(!rs->SetBookmark(third));
    QCOMPARE(rs->Value(field), QVariant(30));
    QCOMPARE(raw(QStringLiteral("SELECT group_concat(\"%1\") FROM \"%2\"").arg(field, table)), QVariant("1,30,4,5"));
}

void TestRecordset::resultSetOutlivesItsDatabase_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("destroy");
    for (const auto& [name, type] : {std::pair{"dynaset", RecordsetType::Dynaset},
                                     std::pair{"snapshot", RecordsetType::Snapshot},
                                     std::pair{"forward-only", RecordsetType::ForwardOnly}}) {
        QTest::addRow("%s, database closed", name) << int(type) << false;
        QTest::addRow("%s, database destroyed", name) << int(type) << true;
    }
}

void TestRecordset::resultSetOutlivesItsDatabase()
{
    QFETCH(int, type);
    QFETCH(bool, destroy);
    auto rs = Take(db().OpenRecordset("SELECT * FROM [Items]", RecordsetType(type)));
    QVERIFY(rs);
    QCOMPARE(rs->Value("Title"), QVariant("a"));
    if (type == int(RecordsetType::Dynaset)) {
        QVERIFY(!rs->Edit());
        QVERIFY(!rs->SetValue("Title", "x"));
    }
    if (destroy)
        m_db.reset();
    else
        db().Close();
    // Everything fails cleanly; nothing is written.
    QVERIFY(rs->Eof());
    QCOMPARE(rs->Value("Title"), QVariant());
    QCOMPARE(rs->lastError().number, 3420);
    QVERIFY(rs->MoveNext());
    QVERIFY(rs->Update());
    QVERIFY(rs->AddNew());
    rs.reset();
    auto reopened = Database::Open(m_dir->filePath("test.kst"));
    QVERIFY(reopened);
    m_db = std::move(reopened.value());
    QCOMPARE(raw("SELECT group_concat(Title, '') FROM Items"), QVariant("abcde"));
}

QTEST_GUILESS_MAIN(TestRecordset)
#include "tst_recordset.moc"
