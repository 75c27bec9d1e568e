#include "EngineTestHelpers.h"
#include "platform/Database.h"
#include "platform/SqliteValues.h"

#include <QTemporaryDir>
#include <QtTest>

// The type rules of catalog fields, checked on both ways a value can be written: SQL text run by Execute
// (INSERT and UPDATE) and a result set (SetValue then Update). A refused write must leave nothing behind.
class TestFieldRules : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void sqlWrites_data();
    void sqlWrites();
    void resultSetWrites_data();
    void resultSetWrites();
    void requiredFieldsRefuseNull_data();
    void requiredFieldsRefuseNull();
    void defaultsFillNewRows();
    void newIdIsKnownAtAddNew();
    void idsAreNeverReused_data();
    void idsAreNeverReused();
    void pendingNewRowsGetDistinctIds();

private:
    Database& db() { return *m_db; }
    // The stored value as SQLite holds it, without the engine's typing.
    QVariant raw(const QString& sql) { return EngineTest::Raw(db(), sql); }
    int rowCount(const QString& table) { return raw(QStringLiteral("SELECT count(*) FROM \"%1\"").arg(table)).toInt(); }

    QTemporaryDir m_templateDir;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Database> m_db;
};

namespace {
using EngineTest::Field;
using EngineTest::Id;

TableDef RulesTable()
{
    TableDef t;
    t.name = "T";
    t.fields = {Id(),
                Field("Txt", FieldType::Text, 255, true),
                Field("NoZero", FieldType::Text, 255, false),
                Field("Memo", FieldType::Memo, 0, true),
                Field("Int", FieldType::Integer),
                Field("Lng", FieldType::Long),
                Field("Dbl", FieldType::Double),
                Field("Cur", FieldType::Currency),
                Field("Yes", FieldType::Boolean),
                Field("Dt", FieldType::DateTime),
                Field("Bin", FieldType::LongBinary)};
    return t;
}

TableDef DefaultsTable()
{
    TableDef t;
    t.name = "R";
    t.fields = {Id(),
                Field("Req", FieldType::Text, 50, true, true),
                Field("ReqInt", FieldType::Integer, 0, false, true, "0"),
                Field("DefTxt", FieldType::Text, 50, true, false, "\"it's\""),
                Field("DefInt", FieldType::Integer, 0, false, false, "7"),
                Field("DefYes", FieldType::Boolean, 0, false, false, "True"),
                Field("DefCur", FieldType::Currency, 0, false, false, "1.23456"),
                Field("DefDate", FieldType::DateTime, 0, false, false, "#1/2/2000#")};
    return t;
}

const QDateTime Jan2 = QDateTime(QDate(2000, 1, 2), QTime(0, 0));
} // namespace

// The tables are made once; each test works on a fresh copy of the file.
void TestFieldRules::initTestCase()
{
    QVERIFY(m_templateDir.isValid());
    auto created = Database::Create(m_templateDir.filePath("template.kst"));
    QVERIFY2(created, qPrintable(created.error().message));
    for (const TableDef& t : {RulesTable(), DefaultsTable()}) {
        const DbError error = created.value()->CreateTable(t);
        QVERIFY2(!error, qPrintable(error.message));
    }
}

void TestFieldRules::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QFile::copy(m_templateDir.filePath("template.kst"), m_dir->filePath("rules.kst")));
    auto opened = Database::Open(m_dir->filePath("rules.kst"));
    QVERIFY2(opened, qPrintable(opened.error().message));
    m_db = std::move(opened.value());
}

void TestFieldRules::cleanup()
{
    m_db.reset();
    m_dir.reset();
}

// Each row: the field, the literal as SQL text writes it, the expected error (0 for none), then the value
// read back through the engine and the value SQLite holds.
void TestFieldRules::sqlWrites_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("literal");
    QTest::addColumn<int>("error");
    QTest::addColumn<QVariant>("read");
    QTest::addColumn<QVariant>("stored");

    const QString t255(255, 'x');
    QTest::newRow("text 255") << "Txt" << "'" + t255 + "'" << 0 << QVariant(t255) << QVariant(t255);
    QTest::newRow("text 256") << "Txt" << "'" + t255 + "y'" << 3163 << QVariant() << QVariant();
    QTest::newRow("text quote doubled") << "Txt" << "'it''s'" << 0 << QVariant("it's") << QVariant("it's");
    QTest::newRow("text number") << "Txt" << "12" << 0 << QVariant("12") << QVariant("12");
    QTest::newRow("zero length allowed") << "Txt" << "''" << 0 << QVariant("") << QVariant("");
    QTest::newRow("zero length refused") << "NoZero" << "''" << 3315 << QVariant() << QVariant();
    QTest::newRow("memo long") << "Memo" << "'" + QString(5000, 'm') + "'" << 0 << QVariant(QString(5000, 'm'))
                               << QVariant(QString(5000, 'm'));
    QTest::newRow("integer max") << "Int" << "32767" << 0 << QVariant(32767) << QVariant(qint64(32767));
    QTest::newRow("integer min") << "Int" << "-32768" << 0 << QVariant(-32768) << QVariant(qint64(-32768));
    QTest::newRow("integer over") << "Int" << "32768" << 3421 << QVariant() << QVariant();
    QTest::newRow("integer under") << "Int" << "-32769" << 3421 << QVariant() << QVariant();
    QTest::newRow("integer text") << "Int" << "'abc'" << 3421 << QVariant() << QVariant();
    QTest::newRow("integer digits") << "Int" << "'123'" << 0 << QVariant(123) << QVariant(qint64(123));
    QTest::newRow("long max") << "Lng" << "2147483647" << 0 << QVariant(2147483647) << QVariant(qint64(2147483647));
    QTest::newRow("long over") << "Lng" << "2147483648" << 3421 << QVariant() << QVariant();
    QTest::newRow("long under") << "Lng" << "-2147483649" << 3421 << QVariant() << QVariant();
    QTest::newRow("double") << "Dbl" << "1.5e3" << 0 << QVariant(1500.0) << QVariant(1500.0);
    QTest::newRow("double text") << "Dbl" << "'abc'" << 3421 << QVariant() << QVariant();
    QTest::newRow("currency rounds") << "Cur" << "1.23456" << 0 << QVariant(1.2346) << QVariant(1.2346);
    QTest::newRow("currency negative rounds") << "Cur" << "-2.00005" << 0 << QVariant(-2.0001) << QVariant(-2.0001);
    QTest::newRow("currency text") << "Cur" << "'cheap'" << 3421 << QVariant() << QVariant();
    QTest::newRow("yes/no True") << "Yes" << "True" << 0 << QVariant(true) << QVariant(qint64(-1));
    QTest::newRow("yes/no False") << "Yes" << "False" << 0 << QVariant(false) << QVariant(qint64(0));
    QTest::newRow("yes/no 1") << "Yes" << "1" << 0 << QVariant(true) << QVariant(qint64(-1));
    QTest::newRow("yes/no text") << "Yes" << "'maybe'" << 3421 << QVariant() << QVariant();
    QTest::newRow("date m/d/y") << "Dt" << "#1/2/2000#" << 0 << QVariant(Jan2) << QVariant("2000-01-02 00:00:00");
    QTest::newRow("date y-m-d time") << "Dt" << "#2000-01-02 13:45:10#" << 0
                                     << QVariant(QDateTime(QDate(2000, 1, 2), QTime(13, 45, 10)))
                                     << QVariant("2000-01-02 13:45:10");
    QTest::newRow("date stored form") << "Dt" << "'2000-01-02 00:00:00'" << 0 << QVariant(Jan2)
                                      << QVariant("2000-01-02 00:00:00");
    QTest::newRow("date 2/30/2000") << "Dt" << "#2/30/2000#" << 3075 << QVariant() << QVariant();
    QTest::newRow("date impossible text") << "Dt" << "'2000-02-30 00:00:00'" << 3421 << QVariant() << QVariant();
    QTest::newRow("date words") << "Dt" << "'hello'" << 3421 << QVariant() << QVariant();
    QTest::newRow("date number") << "Dt" << "36527" << 3421 << QVariant() << QVariant();
    QTest::newRow("binary text") << "Bin" << "'bytes'" << 3421 << QVariant() << QVariant();
    QTest::newRow("binary number") << "Bin" << "5" << 3421 << QVariant() << QVariant();
}

void TestFieldRules::sqlWrites()
{
    QFETCH(QString, field);
    QFETCH(QString, literal);
    QFETCH(int, error);
    QFETCH(QVariant, read);
    QFETCH(QVariant, stored);

    // INSERT into the empty table.
    const Result<int> inserted = db().Execute(QStringLiteral("INSERT INTO [T] ([%1]) VALUES (%2)").arg(field, literal));
    QCOMPARE(inserted.ok() ? 0 : inserted.error().number, error);
    if (error) {
        QCOMPARE(rowCount("T"), 0);
    } else {
        QCOMPARE(inserted.value(), 1);
        QCOMPARE(db().LookupValue(QStringLiteral("SELECT [%1] FROM [T]").arg(field)).valueOr(QVariant()), read);
        QCOMPARE(raw(QStringLiteral("SELECT \"%1\" FROM T").arg(field)), stored);
    }

    // UPDATE of a row that holds Null in the field.
    QVERIFY(db().Execute("DELETE * FROM [T]"));
    QVERIFY(db().Execute("INSERT INTO [T] ([Txt]) VALUES ('row')"));
    const Result<int> updated = db().Execute(QStringLiteral("UPDATE [T] SET [%1] = %2").arg(field, literal));
    QCOMPARE(updated.ok() ? 0 : updated.error().number, error);
    if (error) {
        QCOMPARE(raw(QStringLiteral("SELECT count(*) FROM T WHERE \"%1\" IS NULL").arg(field)).toInt(),
                 field == "Txt" ? 0 : 1);
        QCOMPARE(raw("SELECT Txt FROM T"), QVariant("row"));
    } else {
        QCOMPARE(db().LookupValue(QStringLiteral("SELECT [%1] FROM [T]").arg(field)).valueOr(QVariant()), read);
        QCOMPARE(raw(QStringLiteral("SELECT \"%1\" FROM T").arg(field)), stored);
    }
}

void TestFieldRules::resultSetWrites_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("error");
    QTest::addColumn<QVariant>("read");
    QTest::addColumn<QVariant>("stored");

    const QString t255(255, 'x');
    const QByteArray bytes("\x00\x01\xfe\xff", 4);
    QTest::newRow("text 255") << "Txt" << QVariant(t255) << 0 << QVariant(t255) << QVariant(t255);
    QTest::newRow("text 256") << "Txt" << QVariant(t255 + "y") << 3163 << QVariant() << QVariant();
    QTest::newRow("text from number") << "Txt" << QVariant(12) << 0 << QVariant("12") << QVariant("12");
    QTest::newRow("text bytes") << "Txt" << QVariant(bytes) << 3421 << QVariant() << QVariant();
    QTest::newRow("zero length allowed") << "Txt" << QVariant("") << 0 << QVariant("") << QVariant("");
    QTest::newRow("zero length refused") << "NoZero" << QVariant("") << 3315 << QVariant() << QVariant();
    QTest::newRow("integer max") << "Int" << QVariant(32767) << 0 << QVariant(32767) << QVariant(qint64(32767));
    QTest::newRow("integer over") << "Int" << QVariant(32768) << 3421 << QVariant() << QVariant();
    QTest::newRow("integer text") << "Int" << QVariant("abc") << 3421 << QVariant() << QVariant();
    QTest::newRow("integer digits") << "Int" << QVariant("-12") << 0 << QVariant(-12) << QVariant(qint64(-12));
    QTest::newRow("long max") << "Lng" << QVariant(2147483647) << 0 << QVariant(2147483647)
                              << QVariant(qint64(2147483647));
    QTest::newRow("long over") << "Lng" << QVariant(qint64(2147483648LL)) << 3421 << QVariant() << QVariant();
    QTest::newRow("double") << "Dbl" << QVariant(0.1) << 0 << QVariant(0.1) << QVariant(0.1);
    QTest::newRow("double text") << "Dbl" << QVariant("abc") << 3421 << QVariant() << QVariant();
    QTest::newRow("currency rounds") << "Cur" << QVariant(1.23456) << 0 << QVariant(1.2346) << QVariant(1.2346);
    QTest::newRow("currency text") << "Cur" << QVariant("1.23456") << 0 << QVariant(1.2346) << QVariant(1.2346);
    QTest::newRow("yes/no true") << "Yes" << QVariant(true) << 0 << QVariant(true) << QVariant(qint64(-1));
    QTest::newRow("yes/no false") << "Yes" << QVariant(false) << 0 << QVariant(false) << QVariant(qint64(0));
    QTest::newRow("yes/no 1") << "Yes" << QVariant(1) << 0 << QVariant(true) << QVariant(qint64(-1));
    QTest::newRow("yes/no text") << "Yes" << QVariant("maybe") << 3421 << QVariant() << QVariant();
    QTest::newRow("date") << "Dt" << QVariant(Jan2) << 0 << QVariant(Jan2) << QVariant("2000-01-02 00:00:00");
    QTest::newRow("date text") << "Dt" << QVariant("1/2/2000") << 0 << QVariant(Jan2)
                               << QVariant("2000-01-02 00:00:00");
    QTest::newRow("date 2/30/2000") << "Dt" << QVariant("2/30/2000") << 3421 << QVariant() << QVariant();
    QTest::newRow("date words") << "Dt" << QVariant("hello") << 3421 << QVariant() << QVariant();
    QTest::newRow("binary bytes") << "Bin" << QVariant(bytes) << 0 << QVariant(bytes) << QVariant(bytes);
    QTest::newRow("binary text") << "Bin" << QVariant("bytes") << 3421 << QVariant() << QVariant();
}

void TestFieldRules::resultSetWrites()
{
    QFETCH(QString, field);
    QFETCH(QVariant, value);
    QFETCH(int, error);
    QFETCH(QVariant, read);
    QFETCH(QVariant, stored);

    auto rs = db().OpenRecordset("T", RecordsetType::Dynaset);
    QVERIFY(rs);
    // A new row.
    QVERIFY(!(*rs)->AddNew());
    QVERIFY(!(*rs)->SetValue("Txt", "row"));
    DbError failure = (*rs)->SetValue(field, value);
    if (!failure)
        failure = (*rs)->Update();
    QCOMPARE(failure.number, error);
    if (error) {
        (*rs)->CancelUpdate();
        QCOMPARE(rowCount("T"), 0);
        QVERIFY(db().Execute("INSERT INTO [T] ([Txt]) VALUES ('row')"));
    } else {
        QCOMPARE(db().LookupValue(QStringLiteral("SELECT [%1] FROM [T]").arg(field)).valueOr(QVariant()), read);
        QCOMPARE(raw(QStringLiteral("SELECT \"%1\" FROM T").arg(field)), stored);
        QVERIFY(db().Execute(QStringLiteral("UPDATE [T] SET [%1] = Null, [Txt] = 'row'").arg(field)));
    }

    // An existing row, edited.
    rs = db().OpenRecordset("T", RecordsetType::Dynaset);
    QVERIFY(rs);
    QVERIFY(!(*rs)->MoveFirst());
    QVERIFY(!(*rs)->Eof());
    QVERIFY(!(*rs)->Edit());
    failure = (*rs)->SetValue(field, value);
    if (!failure)
        failure = (*rs)->Update();
    QCOMPARE(failure.number, error);
    if (error) {
        (*rs)->CancelUpdate();
        QCOMPARE(raw(QStringLiteral("SELECT count(*) FROM T WHERE \"%1\" IS NULL").arg(field)).toInt(),
                 field == "Txt" ? 0 : 1);
        QCOMPARE(raw("SELECT Txt FROM T"), QVariant("row"));
    } else {
        QCOMPARE((*rs)->Value(field), read);
        QCOMPARE(raw(QStringLiteral("SELECT \"%1\" FROM T").arg(field)), stored);
    }
}

void TestFieldRules::requiredFieldsRefuseNull_data()
{
    QTest::addColumn<QString>("sql");
    QTest::newRow("insert leaving it out") << "INSERT INTO [R] ([DefTxt]) VALUES ('x')";
    QTest::newRow("insert Null") << "INSERT INTO [R] ([Req]) VALUES (Null)";
    QTest::newRow("update to Null") << "UPDATE [R] SET [Req] = Null";
    QTest::newRow("update required number") << "UPDATE [R] SET [ReqInt] = Null";
}

void TestFieldRules::requiredFieldsRefuseNull()
{
    QFETCH(QString, sql);
    QVERIFY(db().Execute("INSERT INTO [R] ([Req]) VALUES ('kept')"));
    const Result<int> result = db().Execute(sql);
    QCOMPARE(result.ok() ? 0 : result.error().number, 3314);
    QCOMPARE(rowCount("R"), 1);
    QCOMPARE(raw("SELECT Req || ReqInt FROM R"), QVariant("kept0"));

    // The same through a result set, new row and edited row.
    auto rs = db().OpenRecordset("R");
    QVERIFY(rs);
    QVERIFY(!(*rs)->AddNew());
    QCOMPARE((*rs)->Update().number, 3314);
    (*rs)->CancelUpdate();
    QVERIFY(!(*rs)->MoveFirst());
    QVERIFY(!(*rs)->Edit());
    QVERIFY(!(*rs)->SetValue("Req", QVariant()));
    QCOMPARE((*rs)->Update().number, 3314);
    (*rs)->CancelUpdate();
    QCOMPARE(rowCount("R"), 1);
    QCOMPARE(raw("SELECT Req FROM R"), QVariant("kept"));
}

void TestFieldRules::defaultsFillNewRows()
{
    QVERIFY(db().Execute("INSERT INTO [R] ([Req]) VALUES ('by sql')"));
    auto rs = db().OpenRecordset("R");
    QVERIFY(rs);
    QVERIFY(!(*rs)->AddNew());
    // The defaults show in the new row before it is saved, as they will be stored.
    QCOMPARE((*rs)->Value("DefTxt"), QVariant("it's"));
    QCOMPARE((*rs)->Value("DefInt"), QVariant(7));
    QCOMPARE((*rs)->Value("DefYes"), QVariant(true));
    QCOMPARE((*rs)->Value("DefCur"), QVariant(1.2346));
    QCOMPARE((*rs)->Value("DefDate"), QVariant(Jan2));
    QVERIFY(!(*rs)->SetValue("Req", "by result set"));
    QVERIFY(!(*rs)->Update());

    QCOMPARE(rowCount("R"), 2);
    // Both ways store the same defaults, in the stored forms.
    QCOMPARE(raw("SELECT count(DISTINCT DefTxt || '|' || DefInt || '|' || DefYes || '|' || DefCur || '|' || DefDate "
                 "|| '|' || ReqInt) FROM R"),
             QVariant(qint64(1)));
    QCOMPARE(raw("SELECT DefTxt || '|' || DefInt || '|' || DefYes || '|' || DefCur || '|' || DefDate FROM R"),
             QVariant("it's|7|-1|1.2346|2000-01-02 00:00:00"));
}

void TestFieldRules::newIdIsKnownAtAddNew()
{
    QVERIFY(db().Execute("INSERT INTO [T] ([Txt]) VALUES ('one')"));
    auto rs = db().OpenRecordset("SELECT * FROM [T]");
    QVERIFY(rs);
    QVERIFY(!(*rs)->AddNew());
    const QVariant id = (*rs)->Value("ID");
    QCOMPARE(id, QVariant(2));
    QCOMPARE((*rs)->SetValue("ID", 99).number, 3164);
    QVERIFY(!(*rs)->SetValue("Txt", "two"));
    QVERIFY(!(*rs)->Update());
    QCOMPARE(db().LookupValue("SELECT [ID] FROM [T] WHERE [Txt] = 'two'").valueOr(QVariant()), id);
    QVERIFY(!(*rs)->SetBookmark((*rs)->LastModified()));
    QCOMPARE((*rs)->Value("ID"), id);
}

// After the last rows are deleted, new rows still get numbers above every number ever given, however the row
// is added and even after the table was rebuilt to change a default.
void TestFieldRules::idsAreNeverReused_data()
{
    QTest::addColumn<bool>("rebuild");
    QTest::addColumn<bool>("byResultSet");
    QTest::newRow("sql") << false << false;
    QTest::newRow("result set") << false << true;
    QTest::newRow("sql after rebuild") << true << false;
    QTest::newRow("result set after rebuild") << true << true;
}

void TestFieldRules::idsAreNeverReused()
{
    QFETCH(bool, rebuild);
    QFETCH(bool, byResultSet);
    for (int i = 0; i < 3; ++i)
        QVERIFY(db().Execute("INSERT INTO [T] ([Txt]) VALUES ('x')"));
    QVERIFY(db().Execute("DELETE * FROM [T]"));
    if (rebuild) {
        const DbError error = db().SetFieldDefault("T", "Int", "5");
        QVERIFY2(!error, qPrintable(error.message));
    }
    if (byResultSet) {
        auto rs = db().OpenRecordset("T");
        QVERIFY(rs);
        QVERIFY(!(*rs)->AddNew());
        QCOMPARE((*rs)->Value("ID"), QVariant(4));
        QVERIFY(!(*rs)->Update());
    } else {
        QVERIFY(db().Execute("INSERT INTO [T] ([Txt]) VALUES ('x')"));
    }
    QCOMPARE(raw("SELECT ID FROM T"), QVariant(qint64(4)));
    if (rebuild)
        QCOMPARE(raw("SELECT Int FROM T"), QVariant(qint64(5)));
}

void TestFieldRules::pendingNewRowsGetDistinctIds()
{
    auto a = db().OpenRecordset("T");
    auto b = db().OpenRecordset("T");
    auto c = db().OpenRecordset("T");
    QVERIFY(a && b && c);
    QVERIFY(!(*a)->AddNew());
    QVERIFY(!(*b)->AddNew());
    QVERIFY((*a)->Value("ID") != (*b)->Value("ID"));
    (*a)->CancelUpdate();
    // A row added by SQL meanwhile, and a third pending row, must not collide with b's number.
    QVERIFY(db().Execute("INSERT INTO [T] ([Txt]) VALUES ('sql')"));
    QVERIFY(!(*c)->AddNew());
    QVERIFY((*c)->Value("ID") != (*b)->Value("ID"));
    QVERIFY(!(*b)->Update());
    QVERIFY(!(*c)->Update());
    QCOMPARE(rowCount("T"), 3);
    QCOMPARE(raw("SELECT count(DISTINCT ID) FROM T"), QVariant(qint64(3)));
}

QTEST_GUILESS_MAIN(TestFieldRules)
#include "tst_fieldrules.moc"
