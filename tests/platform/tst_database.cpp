#include "EngineTestHelpers.h"
#include "platform/Database.h"
#include "platform/SqliteValues.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

// The catalog engine's database object: table definitions, custom properties, transactions, the files it
// refuses to open, repair and compaction, and the catalog dialect run end to end on real tables.
class TestDatabase : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void tableDefinitionRoundTrip();
    void ordinalPositionsOrderTheFields();
    void renameFieldKeepsDataIndexAndProperties();
    void deleteFieldTakesItsIndexAndProperties();
    void renameTableKeepsDataIndexesRulesAndProperties_data();
    void renameTableKeepsDataIndexesRulesAndProperties();
    void setFieldDefaultKeepsRowsAndAppliesToNewOnes();
    void setFieldOrdinalsReordersTheColumns();
    void duplicateNamesAreRefused_data();
    void duplicateNamesAreRefused();
    void failedChangesLeaveTheTableAsItWas_data();
    void failedChangesLeaveTheTableAsItWas();
    void deleteTableTakesItsDefinitionAndProperties();

    void propertiesByOwnerAndKind_data();
    void propertiesByOwnerAndKind();
    void propertiesNeedAnExistingOwner();

    void nestedTransactions_data();
    void nestedTransactions();
    void transactionObjectRollsBackUnlessCommitted();
    void rolledBackTableDefinitionIsForgotten();

    void openRefusesFilesThatAreNotCatalogs_data();
    void openRefusesFilesThatAreNotCatalogs();
    void openRefusesAFileLockedByAnotherProgram();
    void createRefusesAnExistingFile();
    void repairReportsDamage();
    void compactMakesADenseCopy();
    void stockSqliteToolReadsEveryTable();

    void dialectEndToEnd_data();
    void dialectEndToEnd();
    void dialectChangesRows_data();
    void dialectChangesRows();
    void lookupThroughTheCacheStaysCorrect();

private:
    Database& db() { return *m_db; }
    QString path(const QString& name) const { return m_dir->filePath(name); }
    QVariant raw(const QString& sql) { return EngineTest::Raw(db(), sql); }
    // Everything about a table that a failed change must leave alone.
    QString fingerprint(const QString& table);
    void makeItems();
    void makePeople();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Database> m_db;
};

namespace {
using EngineTest::Field;
using EngineTest::Id;
using EngineTest::Index;

QString YesNo(bool flag) { return flag ? QStringLiteral("true") : QStringLiteral("false"); }

QString Describe(const FieldDef& f)
{
    return QStringLiteral("%1 type=%2 size=%3 attr=%4 req=%5 zl=%6 default=%7")
        .arg(f.name)
        .arg(int(f.type))
        .arg(f.size)
        .arg(f.attributes)
        .arg(YesNo(f.required), YesNo(f.allowZeroLength), f.defaultValue);
}

QString Describe(const IndexDef& i)
{
    return QStringLiteral("%1 on %2 primary=%3 unique=%4")
        .arg(i.name, i.fields.join(','), YesNo(i.primary), YesNo(i.unique));
}

QStringList FieldNames(const TableDef& t)
{
    QStringList names;
    for (const FieldDef& f : t.fields)
        names << f.name;
    return names;
}

QByteArray ReadAll(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}

bool WriteAll(const QString& file, const QByteArray& bytes)
{
    QFile f(file);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// A plain SQLite database, made without the engine.
bool MakeForeignDatabase(const QString& file, bool wal)
{
    sqlite3* raw = nullptr;
    if (sqlite3_open(QFile::encodeName(file).constData(), &raw) != SQLITE_OK)
        return false;
    SqlitePtr handle(raw);
    const char* sql = wal ? "PRAGMA journal_mode=WAL; CREATE TABLE notes (a TEXT); INSERT INTO notes VALUES ('x');"
                          : "CREATE TABLE kst_fields (a); CREATE TABLE kst_properties (b); INSERT INTO kst_fields "
                            "VALUES (1);";
    return sqlite3_exec(handle.get(), sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}
} // namespace

QString TestDatabase::fingerprint(const QString& table)
{
    QStringList lines;
    const Result<TableDef> def = db().Table(table);
    if (!def)
        return QStringLiteral("no table %1").arg(table);
    for (const FieldDef& f : def->fields) {
        lines << Describe(f) + QStringLiteral(" ord=%1").arg(f.ordinalPosition);
        for (const Property& p : db().Properties({def->name, f.name}))
            lines << QStringLiteral("  property %1=%2").arg(p.name, p.value.toString());
    }
    for (const IndexDef& i : def->indexes)
        lines << Describe(i);
    for (const Property& p : db().Properties({def->name, {}}))
        lines << QStringLiteral("property %1=%2").arg(p.name, p.value.toString());
    sqlite3_stmt* stmt = nullptr;
    const QString schema = QStringLiteral("SELECT type || ' ' || name || ': ' || ifnull(sql, '') FROM sqlite_schema "
                                          "WHERE tbl_name = '%1' UNION ALL SELECT 'sequence ' || seq FROM "
                                          "sqlite_sequence WHERE name = '%1' ORDER BY 1")
                               .arg(def->name);
    sqlite3_prepare_v2(db().handle(), schema.toUtf8().constData(), -1, &stmt, nullptr);
    while (sqlite3_step(stmt) == SQLITE_ROW)
        lines << SqliteValues::Column(stmt, 0).toString();
    sqlite3_finalize(stmt);
    const QString rows = QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(def->name);
    sqlite3_prepare_v2(db().handle(), rows.toUtf8().constData(), -1, &stmt, nullptr);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        QStringList values;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
            const QVariant v = SqliteValues::Column(stmt, i);
            values << QString::fromLatin1(v.typeName()) + ':' + v.toString();
        }
        lines << values.join('|');
    }
    sqlite3_finalize(stmt);
    return lines.join('\n');
}

void TestDatabase::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    auto created = Database::Create(path("test.kst"));
    QVERIFY2(created, qPrintable(created.error().message));
    m_db = std::move(created.value());
}

void TestDatabase::cleanup()
{
    m_db.reset();
    m_dir.reset();
}

// Items: every field type, with sizes, rules, defaults and three kinds of index.
void TestDatabase::makeItems()
{
    TableDef t;
    t.name = "Items";
    t.fields = {Id(),
                Field("Title", FieldType::Text, 100, true, true),
                Field("Notes", FieldType::Memo, 0, true),
                Field("Count", FieldType::Integer, 0, false, false, "0"),
                Field("Big", FieldType::Long),
                Field("Price", FieldType::Currency, 0, false, false, "1.5"),
                Field("Ratio", FieldType::Double),
                Field("Done", FieldType::Boolean, 0, false, false, "False"),
                Field("When", FieldType::DateTime, 0, false, false, "Now()"),
                Field("Image", FieldType::LongBinary),
                Field("Code", FieldType::Text)};
    IndexDef primary = Index("ID", {"ID"}, true);
    primary.primary = primary.required = true;
    t.indexes = {primary, Index("Title", {"Title"}), Index("CodeKey", {"Code"}, true)};
    const DbError error = db().CreateTable(t);
    QVERIFY2(!error, qPrintable(error.message));
}

void TestDatabase::tableDefinitionRoundTrip()
{
    makeItems();
    if (QTest::currentTestFailed())
        return;
    const QStringList expectedFields{
        "ID type=4 size=0 attr=17 req=false zl=false default=GenUniqueID()",
        "Title type=10 size=100 attr=0 req=true zl=true default=",
        "Notes type=12 size=0 attr=0 req=false zl=true default=",
        "Count type=3 size=0 attr=0 req=false zl=false default=0",
        "Big type=4 size=0 attr=0 req=false zl=false default=",
        "Price type=5 size=0 attr=0 req=false zl=false default=1.5",
        "Ratio type=7 size=0 attr=0 req=false zl=false default=",
        "Done type=1 size=0 attr=0 req=false zl=false default=False",
        "When type=8 size=0 attr=0 req=false zl=false default=Now()",
        "Image type=11 size=0 attr=0 req=false zl=false default=",
        "Code type=10 size=50 attr=0 req=false zl=false default=",
    };
    const QStringList expectedIndexes{"ID on ID primary=true unique=true", "Title on Title primary=false unique=false",
                                      "CodeKey on Code primary=false unique=true"};
    // Read back while open, and again from the file after reopening.
    for (int round = 0; round < 2; ++round) {
        const Result<TableDef> def = db().Table("items");
        QVERIFY(def);
        QCOMPARE(def->name, QString("Items"));
        QStringList fields, indexes;
        for (int i = 0; i < def->fields.size(); ++i) {
            fields << Describe(def->fields[i]);
            QCOMPARE(def->fields[i].ordinalPosition, i);
        }
        for (const IndexDef& index : def->indexes)
            indexes << Describe(index);
        QCOMPARE(fields, expectedFields);
        indexes.sort();
        QStringList sortedExpected = expectedIndexes;
        sortedExpected.sort();
        QCOMPARE(indexes, sortedExpected);
        QCOMPARE(db().TableNames(), QStringList{"Items"});

        db().Close();
        auto reopened = Database::Open(path("test.kst"));
        QVERIFY2(reopened, qPrintable(reopened.error().message));
        m_db = std::move(reopened.value());
    }
    QVERIFY(!db().Table("Nothing"));
    QCOMPARE(db().Table("Nothing").error().number, 3265);
}

void TestDatabase::ordinalPositionsOrderTheFields()
{
    TableDef t;
    t.name = "Ordered";
    t.fields = {Field("C", FieldType::Long), Field("A", FieldType::Long), Field("B", FieldType::Long)};
    t.fields[0].ordinalPosition = 3;
    t.fields[1].ordinalPosition = 1;
    t.fields[2].ordinalPosition = 2;
    QVERIFY(!db().CreateTable(t));
    QCOMPARE(FieldNames(*db().Table("Ordered")), (QStringList{"A", "B", "C"}));
    auto rs = db().OpenRecordset("SELECT * FROM [Ordered]");
    QVERIFY(rs);
    QCOMPARE((*rs)->FieldName(0), QString("A"));
    QCOMPARE((*rs)->FieldName(2), QString("C"));
}

void TestDatabase::renameFieldKeepsDataIndexAndProperties()
{
    makeItems();
    QVERIFY(db().Execute("INSERT INTO [Items] ([Title], [Code], [Done]) VALUES ('one', 'A', True)"));
    QVERIFY(!db().SetProperty({"Items", "Code"}, "Caption", "Code text"));
    QVERIFY(!db().SetProperty({"Items", "Done"}, "Format", "Yes/No"));

    QVERIFY(!db().RenameField("Items", "code", "Key"));
    QVERIFY(!db().RenameField("Items", "Done", "Finished"));
    const Result<TableDef> def = db().Table("Items");
    QVERIFY(!def->field("Code"));
    QVERIFY(def->field("Key"));
    QCOMPARE(def->fieldIndex("Key"), 10);
    QCOMPARE(def->index("CodeKey")->fields, QStringList{"Key"});
    QCOMPARE(db().LookupValue("SELECT [Key] FROM [Items]").valueOr(QVariant()), QVariant("A"));
    QCOMPARE(db().GetProperty({"Items", "Key"}, "Caption")->value, QVariant("Code text"));
    QCOMPARE(db().GetProperty({"Items", "Code"}, "Caption").error().number, 3270);
    // The unique index still holds, and the renamed Yes/No field still keeps -1/0.
    QCOMPARE(db().Execute("INSERT INTO [Items] ([Title], [Key]) VALUES ('two', 'a')").error().number, 3022);
    QVERIFY(db().Execute("UPDATE [Items] SET [Finished] = 5"));
    QCOMPARE(raw("SELECT Finished FROM Items"), QVariant(qint64(-1)));
    QCOMPARE(db().GetProperty({"Items", "Finished"}, "Format")->value, QVariant("Yes/No"));
    // A change of letter case only.
    QVERIFY(!db().RenameField("Items", "Finished", "FINISHED"));
    QCOMPARE(db().Table("Items")->fields[7].name, QString("FINISHED"));
    QVERIFY(db().Execute("UPDATE [Items] SET [finished] = 7"));
    QCOMPARE(raw("SELECT FINISHED FROM Items"), QVariant(qint64(-1)));
}

void TestDatabase::deleteFieldTakesItsIndexAndProperties()
{
    makeItems();
    QVERIFY(db().Execute("INSERT INTO [Items] ([Title], [Code], [Done]) VALUES ('one', 'A', True)"));
    QVERIFY(!db().SetProperty({"Items", "Title"}, "Caption", "Name"));
    QVERIFY(!db().SetProperty({"Items", "Code"}, "Caption", "Code"));

    QVERIFY(!db().DeleteField("Items", "Title"));
    QVERIFY(!db().DeleteField("Items", "Done"));
    const Result<TableDef> def = db().Table("Items");
    QVERIFY(!def->field("Title"));
    QVERIFY(!def->index("Title"));
    QVERIFY(def->index("CodeKey"));
    QCOMPARE(def->fields.size(), 9);
    QVERIFY(db().Properties({"Items", "Title"}).isEmpty());
    QCOMPARE(db().Properties({"Items", "Code"}).size(), 1);
    QCOMPARE(db().LookupValue("SELECT [Code] FROM [Items]").valueOr(QVariant()), QVariant("A"));
    QCOMPARE(db().Execute("SELECT [Title] FROM [Items]").error().number, 3061);

    // A field of the same name added later starts clean.
    QVERIFY(!db().AppendField("Items", Field("Title", FieldType::Long)));
    QVERIFY(db().Properties({"Items", "Title"}).isEmpty());
    QVERIFY(!db().Table("Items")->index("Title"));
    QVERIFY(db().Execute("UPDATE [Items] SET [Title] = 5"));
    QCOMPARE(db().DeleteField("Items", "ID").number, 3280);
    QCOMPARE(db().DeleteField("Items", "Nothing").number, 3265);
}

void TestDatabase::renameTableKeepsDataIndexesRulesAndProperties_data()
{
    QTest::addColumn<QString>("newName");
    QTest::newRow("new name") << "Things";
    QTest::newRow("name with a space") << "Old Things";
    QTest::newRow("letter case only") << "ITEMS";
}

void TestDatabase::renameTableKeepsDataIndexesRulesAndProperties()
{
    QFETCH(QString, newName);
    makeItems();
    QVERIFY(db().Execute("INSERT INTO [Items] ([Title], [Code]) VALUES ('one', 'A')"));
    QVERIFY(db().Execute("DELETE * FROM [Items]"));
    QVERIFY(db().Execute("INSERT INTO [Items] ([Title], [Code]) VALUES ('two', 'B')"));
    QVERIFY(!db().SetProperty({"Items", {}}, "Description", "all items"));
    QVERIFY(!db().SetProperty({"Items", "Title"}, "Caption", "Name"));
    QString before = fingerprint("Items");

    const DbError error = db().RenameTable("Items", newName);
    QVERIFY2(!error, qPrintable(error.message));
    QCOMPARE(db().TableNames(), QStringList{newName});
    QVERIFY(newName == "ITEMS" || !db().TableExists("Items"));
    // The same table under its new name: fields, indexes, rows, properties and ID sequence.
    QString after = fingerprint(newName);
    // (Index names inside SQLite keep the old prefix; the catalog's index names are the part after the dot.)
    after.replace(QRegularExpression("\\bItems\\."), newName + ".");
    before.replace(QRegularExpression("\"?\\bItems\\b\"?"), "@");
    after.replace(QRegularExpression("\"?\\b" + QRegularExpression::escape(newName) + "\\b\"?"), "@");
    QCOMPARE(after, before);
    QCOMPARE(db().Table(newName)->name, newName);

    // Yes/No and Currency rules keep working through the triggers.
    const QString table = "[" + newName + "]";
    QVERIFY(db().Execute("INSERT INTO " + table + " ([Title], [Done], [Price]) VALUES ('three', 1, 1.23456)"));
    QCOMPARE(raw("SELECT Done || ' ' || Price || ' ' || ID FROM \"" + newName + "\" WHERE Title = 'three'"),
             QVariant("-1 1.2346 3"));
    QCOMPARE(db().Execute("INSERT INTO " + table + " ([Title], [Code]) VALUES ('four', 'b')").error().number, 3022);
}

void TestDatabase::setFieldDefaultKeepsRowsAndAppliesToNewOnes()
{
    makeItems();
    QVERIFY(db().Execute("INSERT INTO [Items] ([Title], [Code], [Big]) VALUES ('one', 'A', 9)"));
    QVERIFY(!db().SetProperty({"Items", "Big"}, "Caption", "Big one"));
    const QString before = fingerprint("Items");

    QVERIFY(!db().SetFieldDefault("Items", "Big", "42"));
    QVERIFY(!db().SetFieldDefault("Items", "Code", "'x'"));
    QCOMPARE(db().Table("Items")->field("Big")->defaultValue, QString("42"));
    QCOMPARE(db().Table("Items")->field("Code")->defaultValue, QString("'x'"));
    QVERIFY(db().Execute("INSERT INTO [Items] ([Title]) VALUES ('two')"));
    QCOMPARE(raw("SELECT Big || Code FROM Items WHERE Title = 'two'"), QVariant("42x"));
    QCOMPARE(db().Execute("INSERT INTO [Items] ([Title]) VALUES ('three')").error().number, 3022); // Code unique

    // Back to no default: the definition is as it was, apart from the row added meanwhile.
    QVERIFY(db().Execute("DELETE * FROM [Items] WHERE [Title] = 'two'"));
    QVERIFY(!db().SetFieldDefault("Items", "Big", ""));
    QVERIFY(!db().SetFieldDefault("Items", "Code", ""));
    QString after = fingerprint("Items");
    QCOMPARE(after.replace("sequence 2", "sequence 1"), before);
}

void TestDatabase::setFieldOrdinalsReordersTheColumns()
{
    makeItems();
    QVERIFY(db().Execute("INSERT INTO [Items] ([Title], [Code], [Big]) VALUES ('one', 'A', 9)"));
    QVERIFY(!db().SetFieldOrdinals("Items", {{"Code", 0}, {"ID", 1}, {"Title", 2}}));
    const QStringList order = FieldNames(*db().Table("Items"));
    QCOMPARE(order.mid(0, 4), (QStringList{"Code", "ID", "Title", "Notes"}));
    auto rs = db().OpenRecordset("SELECT * FROM [Items]");
    QVERIFY(rs);
    QStringList columns;
    for (int i = 0; i < (*rs)->FieldCount(); ++i)
        columns << (*rs)->FieldName(i);
    QCOMPARE(columns, order);
    QCOMPARE((*rs)->Value(0), QVariant("A"));
    QCOMPARE((*rs)->Value("big"), QVariant(9));
    rs->reset();
    QVERIFY(db().Table("Items")->index("Title"));
    QVERIFY(db().Table("Items")->index("CodeKey"));
    QCOMPARE(db().SetFieldOrdinals("Items", {{"Nothing", 1}}).number, 3265);
}

void TestDatabase::duplicateNamesAreRefused_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("error");
    QTest::newRow("table") << 0 << 3010;
    QTest::newRow("table, other case") << 1 << 3010;
    QTest::newRow("field twice in a new table") << 2 << 3191;
    QTest::newRow("appended field") << 3 << 3191;
    QTest::newRow("renamed field") << 4 << 3191;
    QTest::newRow("renamed table") << 5 << 3010;
    QTest::newRow("index") << 6 << 3284;
}

void TestDatabase::duplicateNamesAreRefused()
{
    QFETCH(int, step);
    QFETCH(int, error);
    makeItems();
    TableDef other;
    other.name = "Other";
    other.fields = {Field("A", FieldType::Long)};
    QVERIFY(!db().CreateTable(other));
    const QString items = fingerprint("Items");
    const QString others = fingerprint("Other");

    TableDef t;
    DbError result;
    switch (step) {
    case 0: t.name = "Items", t.fields = {Field("X", FieldType::Long)}, result = db().CreateTable(t); break;
    case 1: t.name = "iTEMS", t.fields = {Field("X", FieldType::Long)}, result = db().CreateTable(t); break;
    case 2:
        t.name = "New", t.fields = {Field("X", FieldType::Long), Field("x", FieldType::Text)};
        result = db().CreateTable(t);
        break;
    case 3: result = db().AppendField("Items", Field("title", FieldType::Long)); break;
    case 4: result = db().RenameField("Items", "Code", "TITLE"); break;
    case 5: result = db().RenameTable("Other", "items"); break;
    case 6: result = db().CreateIndex("Items", Index("codekey", {"Big"})); break;
    }
    QCOMPARE(result.number, error);
    QCOMPARE(fingerprint("Items"), items);
    QCOMPARE(fingerprint("Other"), others);
    QCOMPARE(db().TableNames(), (QStringList{"Items", "Other"}));
}

void TestDatabase::failedChangesLeaveTheTableAsItWas_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("error");
    QTest::newRow("default that does not fit") << 0 << 3421;
    QTest::newRow("delete a missing field") << 1 << 3265;
    QTest::newRow("required field added to filled table") << 2 << 3314;
    QTest::newRow("required field placed first") << 3 << 3314;
    QTest::newRow("unique index over duplicates") << 4 << 3022;
    QTest::newRow("order naming a missing field") << 5 << 3265;
    QTest::newRow("rename to an invalid name") << 6 << 3125;
    QTest::newRow("default too long for the field") << 7 << 3163;
    QTest::newRow("index on a missing field") << 8 << 3265;
}

void TestDatabase::failedChangesLeaveTheTableAsItWas()
{
    QFETCH(int, step);
    QFETCH(int, error);
    makeItems();
    QVERIFY(db().Execute("INSERT INTO [Items] ([Title], [Code], [Big]) VALUES ('one', 'A', 1)"));
    QVERIFY(db().Execute("INSERT INTO [Items] ([Title], [Code], [Big]) VALUES ('two', 'B', 1)"));
    QVERIFY(!db().SetProperty({"Items", "Big"}, "Caption", "Big one"));
    const QString before = fingerprint("Items");

    FieldDef required = Field("Must", FieldType::Text, 10, false, true);
    DbError result;
    switch (step) {
    case 0: result = db().SetFieldDefault("Items", "Count", "\"many\""); break;
    case 1: result = db().DeleteField("Items", "Nothing"); break;
    case 2: result = db().AppendField("Items", required); break;
    case 3:
        required.ordinalPosition = 1;
        result = db().AppendField("Items", required);
        break;
    case 4: result = db().CreateIndex("Items", Index("BigKey", {"Big"}, true)); break;
    case 5: result = db().SetFieldOrdinals("Items", {{"Code", 0}, {"Nothing", 1}}); break;
    case 6: result = db().RenameField("Items", "Big", "Big.One"); break;
    case 7: result = db().SetFieldDefault("Items", "Code", "'" + QString(51, 'x') + "'"); break;
    case 8: {
        // A new table whose index cannot be made is not created at all.
        TableDef t;
        t.name = "Half";
        t.fields = {Id(), Field("A", FieldType::Long)};
        t.indexes = {Index("A", {"A"}), Index("B", {"B"})};
        result = db().CreateTable(t);
        QVERIFY(!db().TableExists("Half"));
        QCOMPARE(raw("SELECT count(*) FROM sqlite_schema WHERE tbl_name = 'Half'"), QVariant(qint64(0)));
        QCOMPARE(raw("SELECT count(*) FROM kst_fields WHERE table_name = 'Half'"), QVariant(qint64(0)));
        break;
    }
    }
    QCOMPARE(result.number, error);
    QCOMPARE(fingerprint("Items"), before);
    // The engine's own picture of the table agrees with the file.
    db().Close();
    auto reopened = Database::Open(path("test.kst"));
    QVERIFY(reopened);
    m_db = std::move(reopened.value());
    QCOMPARE(fingerprint("Items"), before);
}

void TestDatabase::deleteTableTakesItsDefinitionAndProperties()
{
    makeItems();
    QVERIFY(!db().SetProperty({"Items", {}}, "Description", "all"));
    QVERIFY(!db().SetProperty({"Items", "Title"}, "Caption", "Name"));
    QVERIFY(!db().DeleteTable("items"));
    QVERIFY(!db().TableExists("Items"));
    QCOMPARE(raw("SELECT (SELECT count(*) FROM kst_fields) + (SELECT count(*) FROM kst_properties)"),
             QVariant(qint64(0)));
    QCOMPARE(db().DeleteTable("Items").number, 3265);
    makeItems();
    QVERIFY(db().Properties({"Items", {}}).isEmpty());
    QVERIFY(db().Properties({"Items", "Title"}).isEmpty());
    QVERIFY(db().Execute("INSERT INTO [Items] ([Title]) VALUES ('again')"));
    QCOMPARE(raw("SELECT ID FROM Items"), QVariant(qint64(1)));
}

void TestDatabase::propertiesByOwnerAndKind_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("read");
    QTest::addColumn<int>("error");

    const struct {
        const char* name;
        const char* table;
        const char* field;
    } owners[] = {{"database", "", ""}, {"table", "Items", ""}, {"field", "Items", "Title"}};
    for (const auto& o : owners) {
        auto row = [&](const char* what) -> QTestData& {
            return QTest::addRow("%s %s", o.name, what) << QString(o.table) << QString(o.field);
        };
        row("boolean true") << int(PropertyType::Boolean) << QVariant(true) << QVariant(true) << 0;
        row("boolean from -1") << int(PropertyType::Boolean) << QVariant(-1) << QVariant(true) << 0;
        row("boolean false") << int(PropertyType::Boolean) << QVariant(false) << QVariant(false) << 0;
        row("integer") << int(PropertyType::Integer) << QVariant(-32768) << QVariant(-32768) << 0;
        row("integer too big") << int(PropertyType::Integer) << QVariant(40000) << QVariant() << 3421;
        row("long") << int(PropertyType::Long) << QVariant(2147483647) << QVariant(2147483647) << 0;
        row("long from text") << int(PropertyType::Long) << QVariant("12") << QVariant(12) << 0;
        row("long not a number") << int(PropertyType::Long) << QVariant("twelve") << QVariant() << 3421;
        row("text") << int(PropertyType::Text) << QVariant("it's a text") << QVariant("it's a text") << 0;
        row("text novalue") << int(PropertyType::Text) << QVariant("novalue") << QVariant("novalue") << 0;
        row("long text") << int(PropertyType::Text) << QVariant(QString(1000, 't')) << QVariant(QString(1000, 't'))
                         << 0;
        row("empty text") << int(PropertyType::Text) << QVariant("") << QVariant("") << 0;
    }
}

void TestDatabase::propertiesByOwnerAndKind()
{
    QFETCH(QString, table);
    QFETCH(QString, field);
    QFETCH(int, kind);
    QFETCH(QVariant, value);
    QFETCH(QVariant, read);
    QFETCH(int, error);
    makeItems();
    const PropertyOwner owner{table, field};
    const PropertyOwner otherOwner{table.isEmpty() ? "Items" : QString(), QString()};

    QCOMPARE(db().GetProperty(owner, "Prop").error().number, 3270);
    QCOMPARE(db().SetProperty(owner, "Prop", value, PropertyType(kind)).number, error);
    if (error) {
        QCOMPARE(db().GetProperty(owner, "Prop").error().number, 3270);
        QVERIFY(db().Properties(owner).isEmpty());
        return;
    }
    // Read back under any letter case, after reopening, and only from its own owner.
    db().Close();
    auto reopened = Database::Open(path("test.kst"));
    QVERIFY(reopened);
    m_db = std::move(reopened.value());
    const Result<Property> property = db().GetProperty({table.toUpper(), field.toLower()}, "pROP");
    QVERIFY(property);
    QCOMPARE(int(property->type), kind);
    QCOMPARE(property->value, read);
    QCOMPARE(property->value.typeId(), read.typeId());
    QCOMPARE(db().Properties(owner).size(), 1);
    QCOMPARE(db().GetProperty(otherOwner, "Prop").error().number, 3270);

    // Replaced, then deleted.
    QVERIFY(!db().SetProperty(owner, "Prop", "second", PropertyType::Text));
    QCOMPARE(db().GetProperty(owner, "Prop")->value, QVariant("second"));
    QCOMPARE(db().Properties(owner).size(), 1);
    QVERIFY(!db().DeleteProperty(owner, "PROP"));
    QCOMPARE(db().GetProperty(owner, "Prop").error().number, 3270);
    QCOMPARE(db().DeleteProperty(owner, "Prop").number, 3270);
}

void TestDatabase::propertiesNeedAnExistingOwner()
{
    makeItems();
    QCOMPARE(db().SetProperty({"Nothing", {}}, "P", 1, PropertyType::Long).number, 3265);
    QCOMPARE(db().SetProperty({"Items", "Nothing"}, "P", 1, PropertyType::Long).number, 3265);
    QCOMPARE(db().SetProperty({{}, "Title"}, "P", 1, PropertyType::Long).number, 3265);
    QCOMPARE(db().SetProperty({}, "", 1, PropertyType::Long).number, 3367);
    QCOMPARE(raw("SELECT count(*) FROM kst_properties"), QVariant(qint64(0)));
}

// Steps: begin/commit/rollback at two levels; rows 'a' and 'b' are inserted inside the outer and inner level.
void TestDatabase::nestedTransactions_data()
{
    QTest::addColumn<bool>("commitInner");
    QTest::addColumn<bool>("commitOuter");
    QTest::addColumn<QString>("kept");
    QTest::newRow("both committed") << true << true << "ab";
    QTest::newRow("inner rolled back") << false << true << "a";
    QTest::newRow("outer rollback undoes committed inner") << true << false << "";
    QTest::newRow("both rolled back") << false << false << "";
}

void TestDatabase::nestedTransactions()
{
    QFETCH(bool, commitInner);
    QFETCH(bool, commitOuter);
    QFETCH(QString, kept);
    makeItems();
    QVERIFY(!db().BeginTrans());
    QVERIFY(db().Execute("INSERT INTO [Items] ([Title]) VALUES ('a')"));
    QVERIFY(!db().BeginTrans());
    QCOMPARE(db().transactionDepth(), 2);
    QVERIFY(db().Execute("INSERT INTO [Items] ([Title], [Code]) VALUES ('b', 'x')"));
    QVERIFY(!(commitInner ? db().CommitTrans() : db().Rollback()));
    QVERIFY(!(commitOuter ? db().CommitTrans() : db().Rollback()));
    QCOMPARE(db().transactionDepth(), 0);
    QCOMPARE(db().CommitTrans().number, 3034);
    QCOMPARE(db().Rollback().number, 3034);
    QCOMPARE(raw("SELECT ifnull(group_concat(Title, ''), '') FROM (SELECT Title FROM Items ORDER BY ID)"),
             QVariant(kept));
    // Still usable, and the numbering goes on.
    QVERIFY(db().Execute("INSERT INTO [Items] ([Title]) VALUES ('c')"));
    db().Close();
    auto reopened = Database::Open(path("test.kst"));
    QVERIFY(reopened);
    m_db = std::move(reopened.value());
    QCOMPARE(raw("SELECT group_concat(Title, '') FROM (SELECT Title FROM Items ORDER BY ID)"), QVariant(kept + "c"));
}

void TestDatabase::transactionObjectRollsBackUnlessCommitted()
{
    makeItems();
    {
        Transaction t(db());
        QVERIFY(!t.error());
        QVERIFY(db().Execute("INSERT INTO [Items] ([Title]) VALUES ('gone')"));
    }
    QCOMPARE(db().transactionDepth(), 0);
    {
        Transaction t(db());
        QVERIFY(db().Execute("INSERT INTO [Items] ([Title]) VALUES ('kept')"));
        QVERIFY(!t.Commit());
        QCOMPARE(t.Commit().number, 3034);
    }
    QCOMPARE(raw("SELECT group_concat(Title) FROM Items"), QVariant("kept"));
}

void TestDatabase::rolledBackTableDefinitionIsForgotten()
{
    makeItems();
    QVERIFY(!db().BeginTrans());
    QVERIFY(!db().AppendField("Items", Field("Extra", FieldType::Long)));
    QVERIFY(!db().RenameField("Items", "Title", "Heading"));
    QVERIFY(!db().SetProperty({"Items", "Heading"}, "Caption", "x"));
    QVERIFY(db().Table("Items")->field("Extra"));
    QVERIFY(!db().Rollback());
    const Result<TableDef> def = db().Table("Items");
    QVERIFY(!def->field("Extra"));
    QVERIFY(def->field("Title"));
    QVERIFY(db().Properties({"Items", "Title"}).isEmpty());
    QVERIFY(db().Execute("INSERT INTO [Items] ([Title]) VALUES ('x')"));
}

void TestDatabase::openRefusesFilesThatAreNotCatalogs_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("error");
    QTest::newRow("missing") << "missing" << 3024;
    QTest::newRow("zero length") << "empty" << 3049;
    QTest::newRow("text file") << "text" << 3049;
    QTest::newRow("random bytes") << "random" << 3049;
    QTest::newRow("sqlite header, garbage after") << "header" << 3049;
    QTest::newRow("sqlite database, not a catalog") << "foreign" << 3049;
    QTest::newRow("sqlite database in WAL mode") << "wal" << 3049;
    QTest::newRow("catalog cut in the middle of a page") << "cut" << 3049;
    QTest::newRow("catalog cut at a page boundary") << "pages" << 3049;
    QTest::newRow("a folder") << "folder" << 3049;
}

void TestDatabase::openRefusesFilesThatAreNotCatalogs()
{
    QFETCH(QString, kind);
    QFETCH(int, error);
    const QString file = path("subject.kst");
    QByteArray random(64 * 1024, '\0');
    QRandomGenerator generator(7);
    generator.fillRange(reinterpret_cast<quint32*>(random.data()), random.size() / 4);

    if (kind == "empty") {
        QVERIFY(WriteAll(file, {}));
    } else if (kind == "text") {
        QVERIFY(WriteAll(file, QByteArray("Name,Title\r\nSmith,A catalog? No.\r\n").repeated(200)));
    } else if (kind == "random") {
        QVERIFY(WriteAll(file, random));
    } else if (kind == "header") {
        QVERIFY(WriteAll(file, QByteArray("SQLite format 3", 16) + random));
    } else if (kind == "foreign" || kind == "wal") {
        QVERIFY(MakeForeignDatabase(file, kind == "wal"));
    } else if (kind == "cut" || kind == "pages") {
        makeItems();
        QVERIFY(!db().BeginTrans());
        for (int i = 0; i < 300; ++i)
            QVERIFY(db().Execute(QStringLiteral("INSERT INTO [Items] ([Title], [Notes]) VALUES ('%1', '%2')")
                                     .arg(i)
                                     .arg(QString(300, 'n'))));
        QVERIFY(!db().CommitTrans());
        db().Close();
        const QByteArray whole = ReadAll(path("test.kst"));
        const int pageSize = 4096;
        QVERIFY(whole.size() > 20 * pageSize);
        QVERIFY(WriteAll(file, whole.left(kind == "cut" ? whole.size() / 2 + 100 : 8 * pageSize)));
    } else if (kind == "folder") {
        QVERIFY(QDir(m_dir->path()).mkdir("subject.kst"));
    }
    const QByteArray before = ReadAll(file);
    const auto listing = [this] {
        return QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    };
    const QStringList filesBefore = listing();

    auto opened = Database::Open(file);
    QVERIFY(!opened);
    QCOMPARE(opened.error().number, error);
    QVERIFY(!opened.error().message.isEmpty());
    QVERIFY2(opened.error().message.contains(file), qPrintable(opened.error().message));
    QCOMPARE(ReadAll(file), before);
    QCOMPARE(listing(), filesBefore);
    // Repair and compaction refuse such files the same way and leave them alone.
    QCOMPARE(Database::Repair(file).number, error);
    QCOMPARE(Database::Compact(file, path("copy.kst")).number, error);
    QVERIFY(!QFileInfo::exists(path("copy.kst")));
    QCOMPARE(ReadAll(file), before);
}

void TestDatabase::openRefusesAFileLockedByAnotherProgram()
{
    makeItems();
    db().Close();
    sqlite3* raw = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path("test.kst")).constData(), &raw), SQLITE_OK);
    SqlitePtr other(raw);
    QCOMPARE(sqlite3_exec(other.get(), "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    const QByteArray before = ReadAll(path("test.kst"));
    auto opened = Database::Open(path("test.kst"));
    QVERIFY(!opened);
    QCOMPARE(opened.error().number, 3045);
    QVERIFY2(opened.error().message.contains("in use"), qPrintable(opened.error().message));
    QCOMPARE(Database::Repair(path("test.kst")).number, 3045);
    QCOMPARE(ReadAll(path("test.kst")), before);
    QCOMPARE(sqlite3_exec(other.get(), "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    other.reset();
    auto again = Database::Open(path("test.kst"));
    QVERIFY(again);
    QVERIFY((*again)->TableExists("Items"));
}

void TestDatabase::createRefusesAnExistingFile()
{
    QVERIFY(WriteAll(path("there.kst"), "keep me"));
    auto created = Database::Create(path("there.kst"));
    QVERIFY(!created);
    QCOMPARE(created.error().number, 3204);
    QCOMPARE(ReadAll(path("there.kst")), QByteArray("keep me"));
    // A new catalog is one opens again, and is nothing but a catalog.
    db().Close();
    auto reopened = Database::Open(path("test.kst"));
    QVERIFY(reopened);
    QVERIFY((*reopened)->TableNames().isEmpty());
}

void TestDatabase::repairReportsDamage()
{
    makeItems();
    QVERIFY(!db().BeginTrans());
    for (int i = 0; i < 400; ++i)
        QVERIFY(db().Execute(QStringLiteral("INSERT INTO [Items] ([Title], [Code], [Notes]) VALUES ('%1', '%1', '%2')")
                                 .arg(i)
                                 .arg(QString(200, 'n'))));
    QVERIFY(!db().CommitTrans());
    db().Close();
    QVERIFY(!Database::Repair(path("test.kst")));

    QByteArray bytes = ReadAll(path("test.kst"));
    const int pageSize = 4096;
    const int pages = int(bytes.size() / pageSize);
    QVERIFY(pages > 20);
    for (int page = pages / 2; page < pages / 2 + 3; ++page)
        for (int i = 0; i < pageSize; ++i)
            bytes[page * pageSize + i] = char((i * 37 + page) & 0xff);
    QVERIFY(WriteAll(path("test.kst"), bytes));

    const DbError error = Database::Repair(path("test.kst"));
    QCOMPARE(error.number, 3049);
    QVERIFY2(error.message.contains("damaged"), qPrintable(error.message));
    QCOMPARE(ReadAll(path("test.kst")), bytes);
}

void TestDatabase::compactMakesADenseCopy()
{
    makeItems();
    QVERIFY(!db().BeginTrans());
    for (int i = 0; i < 500; ++i)
        QVERIFY(db().Execute(QStringLiteral("INSERT INTO [Items] ([Title], [Code], [Notes]) VALUES ('%1', '%1', '%2')")
                                 .arg(i)
                                 .arg(QString(200, 'n'))));
    QVERIFY(!db().CommitTrans());
    QVERIFY(db().Execute("DELETE * FROM [Items] WHERE [ID] > 10"));
    QVERIFY(!db().SetProperty({}, "Version", 12, PropertyType::Integer));
    QVERIFY(!db().SetProperty({"Items", "Title"}, "Caption", "Name"));
    const QString before = fingerprint("Items");
    db().Close();

    QCOMPARE(Database::Compact(path("test.kst"), path("test.kst")).number, 3204);
    QVERIFY(!Database::Compact(path("test.kst"), path("dense.kst")));
    QVERIFY(QFileInfo(path("dense.kst")).size() < QFileInfo(path("test.kst")).size() / 4);
    QCOMPARE(Database::Compact(path("test.kst"), path("dense.kst")).number, 3204);
    auto dense = Database::Open(path("dense.kst"));
    QVERIFY(dense);
    m_db = std::move(dense.value());
    QCOMPARE(fingerprint("Items"), before);
    QCOMPARE(db().GetProperty({}, "version")->value, QVariant(12));
    QVERIFY(!Database::Repair(path("dense.kst")));
    // The numbering goes on from the original's.
    QVERIFY(db().Execute("INSERT INTO [Items] ([Title]) VALUES ('new')"));
    QCOMPARE(raw("SELECT max(ID) FROM Items"), QVariant(qint64(501)));
}

void TestDatabase::stockSqliteToolReadsEveryTable()
{
    const QString tool = QStringLiteral("/usr/bin/sqlite3");
    if (!QFileInfo::exists(tool))
        QSKIP("the sqlite3 command-line tool is not installed");
    makeItems();
    makePeople();
    QVERIFY(db().Execute("INSERT INTO [Items] ([Title], [Done], [Price], [When]) VALUES ('a', True, 2.5, #1/2/2000#)"));
    QVERIFY(!db().SetProperty({"Items", {}}, "Description", "x"));
    QStringList tables = db().TableNames();
    tables << "kst_fields" << "kst_properties";
    db().Close();

    for (const QString& table : tables) {
        QProcess sqlite;
        sqlite.start(tool, {"-batch", "-bail", path("test.kst"), QStringLiteral("SELECT * FROM \"%1\";").arg(table)});
        QVERIFY(sqlite.waitForFinished(30000));
        const QString errors = QString::fromLocal8Bit(sqlite.readAllStandardError());
        QVERIFY2(sqlite.exitCode() == 0 && errors.isEmpty(), qPrintable(table + ": " + errors));
        if (table == "Items")
            QCOMPARE(QString::fromUtf8(sqlite.readAllStandardOutput()).trimmed(),
                     QString("1|a||0||2.5||-1|2000-01-02 00:00:00||"));
    }
    QProcess check;
    check.start(tool, {"-batch", path("test.kst"), "PRAGMA quick_check;"});
    QVERIFY(check.waitForFinished(30000));
    QCOMPARE(QString::fromUtf8(check.readAllStandardOutput()).trimmed(), QString("ok"));
    QVERIFY(Database::Open(path("test.kst")));
}

// People: names with letter case, accents and quotes; dates; Yes/No; a table and field named with spaces.
void TestDatabase::makePeople()
{
    TableDef t;
    t.name = "Item List";
    t.fields = {Id(),
                Field("First Name", FieldType::Text, 50, true),
                Field("Born", FieldType::DateTime),
                Field("Active", FieldType::Boolean),
                Field("Score", FieldType::Long)};
    t.indexes = {Index("First Name", {"First Name"})};
    QVERIFY(!db().CreateTable(t));
    const char* rows[] = {
        "'adam', #1/2/2000#, True, 10",        // 1
        "'Bob', #2000-06-15 10:30:00#, False, 20", // 2
        "'BOB', #12/31/1999#, True, 30",       // 3
        "'Émile', #3/4/2001#, False, 40",      // 4
        "'éloïse', Null, True, 50",            // 5
        "'O''Brien', #1/2/2000 8:00 PM#, False, 60", // 6
        "Null, Null, Null, Null",              // 7
        "'R2D2', #7/8/1977#, True, 70",        // 8
        "'zoë', #1/1/2020#, False, 80",        // 9
        "'a*b', Null, False, 90",              // 10
    };
    for (const char* values : rows) {
        const Result<int> r = db().Execute(
            QStringLiteral("INSERT INTO [Item List] ([First Name], [Born], [Active], [Score]) VALUES (%1)")
                .arg(QString::fromUtf8(values)));
        QVERIFY2(r, qPrintable(r.error().message + " " + values));
    }
}

void TestDatabase::dialectEndToEnd_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("ids"); // the [ID]s the statement gives, in order
    const QString from = "SELECT [ID] FROM [Item List] WHERE ";
    QTest::newRow("= ignores case") << from + "[First Name] = 'bob' ORDER BY [ID]" << "2,3";
    QTest::newRow("= ignores case of accented letters") << from + "[First Name] = 'ÉLOÏSE'" << "5";
    QTest::newRow("quote doubled") << from + "[First Name] = 'O''Brien'" << "6";
    QTest::newRow("<> leaves Null out") << from + "[First Name] <> 'bob' AND [ID] < 5" << "1,4";
    QTest::newRow("IS NULL") << from + "[First Name] IS NULL" << "7";
    QTest::newRow("IS NOT NULL count") << "SELECT COUNT(*) FROM [Item List] WHERE [Born] IS NOT NULL" << "7";
    QTest::newRow("LIKE *") << from + "[First Name] LIKE 'b*' ORDER BY [ID]" << "2,3";
    QTest::newRow("LIKE ?") << from + "[First Name] LIKE 'B?B' ORDER BY [ID]" << "2,3";
    QTest::newRow("LIKE #") << from + "[First Name] LIKE '*#*'" << "8";
    QTest::newRow("LIKE range") << from + "[First Name] LIKE '[a-b]*' ORDER BY [ID]" << "1,2,3,10";
    QTest::newRow("LIKE not in set") << from + "[ID] IN (1, 2, 6, 8) AND [First Name] LIKE '[!a-c]*' ORDER BY [ID]"
                                     << "6,8";
    QTest::newRow("LIKE literal star") << from + "[First Name] LIKE 'a[*]b'" << "10";
    QTest::newRow("LIKE accented, any case") << from + "[First Name] LIKE 'É*' ORDER BY [ID]" << "4,5";
    QTest::newRow("% is not a wildcard") << from + "[First Name] LIKE 'a%'" << "";
    QTest::newRow("NOT LIKE") << from + "[First Name] NOT LIKE '*o*' ORDER BY [ID]" << "1,4,8,10";
    QTest::newRow("date m/d/y") << from + "[Born] = #1/2/2000#" << "1";
    QTest::newRow("date y-m-d") << from + "[Born] = #2000-01-02#" << "1";
    QTest::newRow("date and time 12-hour") << from + "[Born] = #1/2/2000 20:00:00#" << "6";
    QTest::newRow("date range") << from + "[Born] >= #1/1/2000# AND [Born] < #2001-01-01# ORDER BY [Born]"
                                << "1,6,2";
    QTest::newRow("True") << from + "[Active] = True ORDER BY [ID]" << "1,3,5,8";
    QTest::newRow("False") << from + "[Active] = False AND [ID] < 5" << "2,4";
    QTest::newRow("-1 for True") << from + "[Active] = -1 AND [ID] < 4" << "1,3";
    QTest::newRow("ORDER BY ignores case")
        << "SELECT [ID] FROM [Item List] WHERE [ID] IN (1, 2, 3, 4, 5) ORDER BY [First Name], [ID]" << "1,2,3,5,4";
    QTest::newRow("ORDER BY DESC") << "SELECT [ID] FROM [Item List] WHERE [ID] IN (1, 2, 5) ORDER BY [First Name] DESC"
                                   << "5,2,1";
    QTest::newRow("COUNT(*)") << "SELECT COUNT(*) FROM [Item List] WHERE [Score] > 45" << "5";
    QTest::newRow("COUNT DISTINCT ignores case")
        << "SELECT COUNT(*) FROM (SELECT DISTINCT [First Name] FROM [Item List] WHERE [ID] < 4)" << "2";
    QTest::newRow("table!field") << "SELECT [Item List]![ID] FROM [Item List] WHERE [Item List]![Score] = 30" << "3";
    QTest::newRow("& joins text") << "SELECT [First Name] & '-' & [Score] FROM [Item List] WHERE [ID] = 2" << "Bob-20";
}

void TestDatabase::dialectEndToEnd()
{
    QFETCH(QString, sql);
    QFETCH(QString, ids);
    makePeople();
    // Through a result set of each kind...
    for (RecordsetType type : {RecordsetType::Dynaset, RecordsetType::Snapshot, RecordsetType::ForwardOnly}) {
        auto rs = db().OpenRecordset(sql, type);
        QVERIFY2(rs, qPrintable(rs.error().message));
        QStringList found;
        for (; !(*rs)->Eof(); (*rs)->MoveNext())
            found << (*rs)->Value(0).toString();
        QCOMPARE(found.join(','), ids);
    }
    // ... and as a lookup, which gives the first row's value.
    const Result<QVariant> first = db().LookupValue(sql);
    if (ids.isEmpty())
        QCOMPARE(first.error().number, 3021);
    else
        QCOMPARE(first.valueOr(QVariant()).toString(), ids.section(',', 0, 0));
}

void TestDatabase::dialectChangesRows_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("changed");
    QTest::addColumn<QString>("remaining"); // ids left, or the field values after an update
    QTest::newRow("DELETE * FROM") << "DELETE * FROM [Item List] WHERE [First Name] = 'BOB'" << 2
                                   << "1,4,5,6,7,8,9,10";
    QTest::newRow("DELETE [t].* FROM") << "DELETE [Item List].* FROM [Item List] WHERE [ID] > 3" << 7 << "1,2,3";
    QTest::newRow("DELETE by date") << "DELETE * FROM [Item List] WHERE [Born] < #1/1/2000#" << 2
                                    << "1,2,4,5,6,7,9,10";
    QTest::newRow("DELETE by LIKE") << "DELETE * FROM [Item List] WHERE [First Name] LIKE '*e*'" << 3
                                    << "1,2,3,7,8,9,10";
    QTest::newRow("DELETE everything") << "DELETE * FROM [Item List]" << 10 << "";
    QTest::newRow("UPDATE with True") << "UPDATE [Item List] SET [Active] = True WHERE [Score] <= 30" << 3
                                      << "1,2,3,5,8";
    QTest::newRow("UPDATE with date") << "UPDATE [Item List] SET [Born] = #5/6/2010#, [Active] = -1 WHERE [ID] = 7"
                                      << 1 << "1,3,5,7,8";
}

void TestDatabase::dialectChangesRows()
{
    QFETCH(QString, sql);
    QFETCH(int, changed);
    QFETCH(QString, remaining);
    makePeople();
    const Result<int> result = db().Execute(sql);
    QVERIFY2(result, qPrintable(result.error().message));
    QCOMPARE(result.value(), changed);
    const QString check = sql.startsWith("UPDATE")
                              ? "SELECT ifnull(group_concat(ID), '') FROM (SELECT ID FROM \"Item List\" "
                                "WHERE Active = -1 ORDER BY ID)"
                              : "SELECT ifnull(group_concat(ID), '') FROM (SELECT ID FROM \"Item List\" ORDER BY ID)";
    QCOMPARE(raw(check).toString(), remaining);
    if (sql.contains("2010"))
        QCOMPARE(db().LookupValue("SELECT [Born] FROM [Item List] WHERE [ID] = 7").valueOr(QVariant()),
                 QVariant(QDateTime(QDate(2010, 5, 6), QTime(0, 0))));
}

void TestDatabase::lookupThroughTheCacheStaysCorrect()
{
    makeItems();
    QVERIFY(!db().BeginTrans());
    for (int i = 1; i <= 250; ++i)
        QVERIFY(db().Execute(
            QStringLiteral("INSERT INTO [Items] ([Title], [Big]) VALUES ('item %1', %2)").arg(i).arg(i * 3)));
    QVERIFY(!db().CommitTrans());
    for (int n = 0; n < 10000; ++n) {
        const int id = n % 250 + 1;
        const Result<QVariant> title =
            db().LookupValue(QStringLiteral("SELECT [Title] FROM [Items] WHERE [ID] = %1").arg(id));
        if (!title || title.value() != QVariant(QStringLiteral("item %1").arg(id)))
            QFAIL(qPrintable(QStringLiteral("lookup %1 of ID %2 gave %3")
                                 .arg(n)
                                 .arg(id)
                                 .arg(title.valueOr("error").toString())));
        if (n % 1000 == 0) {
            // Lookups that fail and lookups of other shapes in between do not disturb the cached statement.
            QCOMPARE(db().LookupValue(QStringLiteral("SELECT [Title] FROM [Items] WHERE [ID] = %1").arg(1000 + n))
                         .error()
                         .number,
                     3021);
            QCOMPARE(db().LookupValue(QStringLiteral("SELECT [Big] FROM [Items] WHERE [Title] = 'item %1'").arg(id))
                         .valueOr(QVariant()),
                     QVariant(id * 3));
        }
    }
    // A schema change in between: the same text now reads the changed table.
    QVERIFY(!db().RenameField("Items", "Big", "Title2"));
    QVERIFY(!db().RenameField("Items", "Title", "Big"));
    QCOMPARE(db().LookupValue("SELECT [Title] FROM [Items] WHERE [ID] = 2").error().number, 3061);
    QCOMPARE(db().LookupValue("SELECT [Big] FROM [Items] WHERE [ID] = 2").valueOr(QVariant()), QVariant("item 2"));
}

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
