#include "ModelFixture.h"

#include "model/clsColumns.h"
#include "model/clsQuery.h"

#include <QtTest>

// Criteria: the SQL each condition gives for each kind of column, the stored text, and the FROM clause.
class TestQueries : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void comparisonKindComesFromTheField_data();
    void comparisonKindComesFromTheField();
    void entryForEachConditionAndKind_data();
    void entryForEachConditionAndKind();
    void storedFormIsExact();
    void apostropheSurvivesAnyNumberOfRoundTrips();
    void separatorsInAValueCannotTearTheRecord();
    void fromClauseForEachKindOfSubject();
    void criteriaAreJoinedWithOr();
    void comparisonsIgnoreLetterCase_data();
    void comparisonsIgnoreLetterCase();
    void criterionOfADeletedColumnIsDroppedAndTheTextRewritten();
    void staleRecordFoundOnReadingIsRewrittenToo();
    void shortOrDamagedStoredTextReadsSafely();
    void queryFlagOffClearsTheCriteria();
    void validFollowsTheStatement();
    void collectionAccess();

private:
    QString Criteria(const QString& subject) { return m_fx->Value("SELECT [Criteria] FROM [Tree] WHERE [ID] = " + subject); }
    QString MakeQuerySubject(const QList<std::tuple<QString, int, QString>>& criteria);

    std::unique_ptr<ModelFixture> m_fx;
};

void TestQueries::init()
{
    m_fx = std::make_unique<ModelFixture>();
    QVERIFY(m_fx->Setup());
}

void TestQueries::cleanup() { m_fx.reset(); }

QString TestQueries::MakeQuerySubject(const QList<std::tuple<QString, int, QString>>& criteria)
{
    const QString id = m_fx->NewSubject(m_fx->books, "Query");
    clsQuery query = Subject(id).Query();
    if (query.SetDefinable(true))
        return QString();
    for (const auto& [column, condition, value] : criteria)
        query.Add(column, condition, value);
    return query.WriteData() ? QString() : id;
}

void TestQueries::comparisonKindComesFromTheField_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<int>("kind");
    QTest::newRow("text") << "Author" << 0;
    QTest::newRow("title") << "Title" << 0;
    QTest::newRow("auto-complete") << "Genre" << 0;
    QTest::newRow("memo") << "Notes" << 0;
    QTest::newRow("date") << "Bought" << 1;
    QTest::newRow("integer") << "Year" << 2;
    QTest::newRow("long") << "Pages" << 2;
    QTest::newRow("double") << "Ratio" << 2;
    QTest::newRow("currency") << "Price" << 2;
    QTest::newRow("yes/no") << "Read" << 2;
    QTest::newRow("ID") << "id" << 2;
    QTest::newRow("missing column") << "Nowhere" << 0;
}

void TestQueries::comparisonKindComesFromTheField()
{
    QFETCH(QString, column);
    QFETCH(int, kind);
    clsQuery query(m_fx->books->RootSubject());
    QCOMPARE(query.Add(column, 4, "1")->QueryColumnType(), kind);
}

void TestQueries::entryForEachConditionAndKind_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<int>("condition");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("entry");

    // Text columns.
    QTest::newRow("text 1 contains") << "Author" << 1 << "Rose" << "[Author] LIKE '*Rose*'";
    QTest::newRow("text 2 does not contain") << "Author" << 2 << "Rose" << "[Author] NOT LIKE '*Rose*'";
    QTest::newRow("text 3 begins with") << "Author" << 3 << "Rose" << "[Author] LIKE 'Rose*'";
    QTest::newRow("text 4 equals") << "Author" << 4 << "Rose" << "[Author] = 'Rose'";
    QTest::newRow("text 5 does not begin with") << "Author" << 5 << "Rose" << "[Author] NOT LIKE 'Rose*'";
    QTest::newRow("text 6 does not equal") << "Author" << 6 << "Ro*" << "[Author] NOT LIKE 'Ro*'";
    QTest::newRow("text 7 greater than") << "Author" << 7 << "Rose" << "[Author] > 'Rose'";
    QTest::newRow("text 8 less than") << "Author" << 8 << "Rose" << "[Author] < 'Rose'";
    QTest::newRow("text apostrophe") << "Author" << 1 << "O'Hara" << "[Author] LIKE '*O''Hara*'";
    QTest::newRow("text 7 apostrophe") << "Title" << 7 << "it's" << "[Title] > 'it''s'";
    QTest::newRow("memo") << "Notes" << 3 << "x" << "[Notes] LIKE 'x*'";
    QTest::newRow("missing column compares as text") << "Gone" << 4 << "x" << "[Gone] = 'x'";

    // Date columns: every condition but 7 and 8 compares with "=".
    QTest::newRow("date 1") << "Bought" << 1 << "1/2/2000" << "[Bought] = #1/2/2000#";
    QTest::newRow("date 2") << "Bought" << 2 << "1/2/2000" << "[Bought] = #1/2/2000#";
    QTest::newRow("date 3") << "Bought" << 3 << "1/2/2000" << "[Bought] = #1/2/2000#";
    QTest::newRow("date 4") << "Bought" << 4 << "1/2/2000" << "[Bought] = #1/2/2000#";
    QTest::newRow("date 5") << "Bought" << 5 << "2000-01-02" << "[Bought] = #2000-01-02#";
    QTest::newRow("date 6") << "Bought" << 6 << "1/2/2000" << "[Bought] = #1/2/2000#";
    QTest::newRow("date 7") << "Bought" << 7 << "1/2/2000" << "[Bought] > #1/2/2000#";
    QTest::newRow("date 8") << "Bought" << 8 << "1/2/2000 10:30 PM" << "[Bought] < #1/2/2000 10:30 PM#";
    QTest::newRow("date blanks trimmed") << "Bought" << 4 << " 1/2/2000 " << "[Bought] = #1/2/2000#";
    QTest::newRow("date ISO form rewritten") << "Bought" << 4 << "2000-01-02T10:30:00" << "[Bought] = #2000-01-02 10:30:00#";
    QTest::newRow("date not a date") << "Bought" << 4 << "soon" << "[Bought] = Null";
    QTest::newRow("date impossible") << "Bought" << 7 << "13/45/2000" << "[Bought] > Null";
    QTest::newRow("date empty") << "Bought" << 8 << "" << "[Bought] < Null";
    QTest::newRow("date with a hash") << "Bought" << 4 << "1/2/2000# OR 1=1 OR #1/1/2000" << "[Bought] = Null";

    // Number columns (Integer, Long, Double, Currency, Yes/No).
    QTest::newRow("number 1") << "Year" << 1 << "1990" << "[Year] = 1990";
    QTest::newRow("number 4") << "Year" << 4 << "1990" << "[Year] = 1990";
    QTest::newRow("number 6") << "Year" << 6 << "1990" << "[Year] = 1990";
    QTest::newRow("number 7") << "Year" << 7 << "1990" << "[Year] > 1990";
    QTest::newRow("number 8") << "Year" << 8 << "-12" << "[Year] < -12";
    QTest::newRow("number not numeric") << "Year" << 4 << "abc" << "[Year] = 0";
    QTest::newRow("number empty") << "Year" << 7 << "" << "[Year] > 0";
    QTest::newRow("number blanks trimmed") << "Pages" << 4 << " 12 " << "[Pages] = 12";
    QTest::newRow("number exponent") << "Ratio" << 7 << "1e3" << "[Ratio] > 1000";
    QTest::newRow("number plus sign") << "Ratio" << 7 << "+0.5" << "[Ratio] > 0.5";
    QTest::newRow("number group separator") << "Pages" << 4 << "1,000" << "[Pages] = 0";
    QTest::newRow("number injection") << "Pages" << 4 << "1 OR 1=1" << "[Pages] = 0";
    QTest::newRow("number overflow") << "Ratio" << 4 << "1e999" << "[Ratio] = 0";
    QTest::newRow("currency") << "Price" << 8 << "9.99" << "[Price] < 9.99";
    QTest::newRow("yes/no ticked") << "Read" << 4 << "-1" << "[Read] = -1";
    QTest::newRow("yes/no word yes") << "Read" << 4 << "Yes" << "[Read] = -1";
    QTest::newRow("yes/no word false") << "Read" << 4 << "false" << "[Read] = 0";

    // A condition outside the table gives the bare column for text.
    QTest::newRow("text unknown condition") << "Author" << 9 << "x" << "[Author] ";
    QTest::newRow("number unknown condition") << "Year" << 0 << "5" << "[Year] = 5";
}

void TestQueries::entryForEachConditionAndKind()
{
    QFETCH(QString, column);
    QFETCH(int, condition);
    QFETCH(QString, value);
    QFETCH(QString, entry);
    clsQuery query(m_fx->books->RootSubject());
    QCOMPARE(query.Add(column, condition, value)->SQLEntry(), entry);

    // Every entry the program makes for an existing column and a known condition runs.
    const bool runnable = column != "Gone" && condition >= 1 && condition <= 8;
    if (runnable)
        QVERIFY2(m_fx->db().LookupValue("SELECT COUNT(*) FROM [" + m_fx->books->DBName() + "] WHERE " + entry),
                 qPrintable(entry));
}

void TestQueries::storedFormIsExact()
{
    const QString id = MakeQuerySubject({{"Title", 1, "Rose"}});
    QCOMPARE(Criteria(id), QString("Field\nTitle\tCondition\n1\tValue\nRose"));

    const QString two = MakeQuerySubject({{"Title", 1, "Rose"}, {"Year", 7, "1990"}});
    QCOMPARE(Criteria(two), QString("Field\nTitle\tCondition\n1\tValue\nRose\rField\nYear\tCondition\n7\tValue\n1990"));

    clsQuery query = Subject(two).Query();
    QCOMPARE(query.Count(), 2);
    QCOMPARE(query.Item(2)->Column(), QString("Year"));
    QCOMPARE(query.Item(2)->Condition(), 7);
    QCOMPARE(query.Item(2)->Value().toString(), QString("1990"));
    QCOMPARE(query.Item(2)->QueryColumnType(), 2); // worked out again, not stored

    // No criteria store the empty text.
    query.Clear();
    QVERIFY(!query.WriteData());
    QCOMPARE(Criteria(two), QString(""));
}

void TestQueries::apostropheSurvivesAnyNumberOfRoundTrips()
{
    const QString id = MakeQuerySubject({{"Author", 1, "O'Hara"}});
    for (int i = 0; i < 3; ++i) {
        clsQuery query = Subject(id).Query();
        QCOMPARE(query.Count(), 1);
        QCOMPARE(query.Item(1)->Value().toString(), QString("O'Hara"));
        QVERIFY(!query.WriteData());
    }
    QCOMPARE(Criteria(id), QString("Field\nAuthor\tCondition\n1\tValue\nO'Hara"));
    clsQuery query = Subject(id).Query();
    QCOMPARE(query.SQLString(false), "[" + m_fx->books->DBName() + "] WHERE  [Author] LIKE '*O''Hara*'");
}

void TestQueries::separatorsInAValueCannotTearTheRecord()
{
    const QString id = MakeQuerySubject({{"Author", 4, "a\tb\rc\nd"}, {"Year", 4, "1"}});
    QCOMPARE(Criteria(id), QString("Field\nAuthor\tCondition\n4\tValue\na b c d\rField\nYear\tCondition\n4\tValue\n1"));
    QCOMPARE(Subject(id).Query().Count(), 2);
}

void TestQueries::fromClauseForEachKindOfSubject()
{
    const QString table = "[" + m_fx->books->DBName() + "]";
    const QString plain = m_fx->NewSubject(m_fx->books, "Plain");
    const Subject root = m_fx->books->RootSubject();

    QCOMPARE(Subject(plain).Query().SQLString(false), table + " WHERE [TreeID] = " + plain);
    QCOMPARE(root.Query().SQLString(false), table);
    // A soft query without criteria gives the whole category; with criteria, the criteria.
    QCOMPARE(root.Query().SQLString(true), table);
    clsQuery soft = root.Query();
    soft.Add("Author", 3, "Sm");
    QCOMPARE(soft.SQLString(true), table + " WHERE  [Author] LIKE 'Sm*'");
    // ... but only a soft one: the root is never a query subject.
    QCOMPARE(soft.SQLString(false), table);

    // Criteria of a plain subject are not used; a query subject without criteria shows its own items.
    clsQuery notDefinable = Subject(plain).Query();
    notDefinable.Add("Author", 1, "x");
    QCOMPARE(notDefinable.SQLString(false), table + " WHERE [TreeID] = " + plain);
    const QString empty = MakeQuerySubject({});
    QCOMPARE(Subject(empty).Query().SQLString(false), table + " WHERE [TreeID] = " + empty);

    // A subject whose row is gone has no category and no source.
    QCOMPARE(Subject("999999").Query().SQLString(false), QString());
}

void TestQueries::criteriaAreJoinedWithOr()
{
    const QString table = "[" + m_fx->books->DBName() + "]";
    const QString two = MakeQuerySubject({{"Title", 1, "Rose"}, {"Year", 7, "1990"}});
    QCOMPARE(Subject(two).Query().SQLString(false), table + " WHERE  [Title] LIKE '*Rose*' OR [Year] > 1990");
    const QString three = MakeQuerySubject({{"Title", 1, "Rose"}, {"Year", 7, "1990"}, {"Bought", 8, "2000-01-01"}});
    QCOMPARE(Subject(three).Query().SQLString(false),
             table + " WHERE  [Title] LIKE '*Rose*' OR [Year] > 1990 OR [Bought] < #2000-01-01#");
}

void TestQueries::comparisonsIgnoreLetterCase_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<int>("condition");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("contains") << "Title" << 1 << "rose" << QStringList{"ROSE", "Rose garden"};
    QTest::newRow("equals") << "Title" << 4 << "rose" << QStringList{"ROSE"};
    QTest::newRow("begins with") << "Title" << 3 << "ROSE G" << QStringList{"Rose garden"};
    QTest::newRow("does not equal") << "Title" << 6 << "rose" << QStringList{"Rose garden", "tulip"};
    QTest::newRow("greater than, text") << "Title" << 7 << "S" << QStringList{"tulip"};
    QTest::newRow("less than, text") << "Title" << 8 << "s" << QStringList{"ROSE", "Rose garden"};
    QTest::newRow("yes/no ticked") << "Read" << 4 << "-1" << QStringList{"tulip"};
    QTest::newRow("year before") << "Year" << 8 << "1990" << QStringList{"ROSE"};
    QTest::newRow("bought after") << "Bought" << 7 << "1/1/2005" << QStringList{"Rose garden"};
    QTest::newRow("bad date matches none") << "Bought" << 7 << "later" << QStringList{};
}

void TestQueries::comparisonsIgnoreLetterCase()
{
    QFETCH(QString, column);
    QFETCH(int, condition);
    QFETCH(QString, value);
    QFETCH(QStringList, titles);
    m_fx->AddItem(m_fx->books, "[Title],[Year],[Bought],[Read]", "'ROSE', 1980, #3/4/1999#, False");
    m_fx->AddItem(m_fx->books, "[Title],[Year],[Bought],[Read]", "'Rose garden', 2001, #6/7/2010#, False");
    m_fx->AddItem(m_fx->books, "[Title],[Year],[Bought],[Read]", "'tulip', 1995, #1/1/2000#, True");
    const QString id = MakeQuerySubject({{column, condition, value}});
    clsQuery query = Subject(id).Query();
    QVERIFY(query.Valid());
    Result<std::unique_ptr<Recordset>> rows = m_fx->db().OpenRecordset(
        "SELECT [Title] FROM " + query.SQLString(false) + " ORDER BY [Title]", RecordsetType::ForwardOnly, true);
    QVERIFY(rows);
    QStringList found;
    for (Recordset& rs = *rows.value(); !rs.Eof(); rs.MoveNext())
        found << rs.Value(0).toString();
    QCOMPARE(found, titles);
}

void TestQueries::criterionOfADeletedColumnIsDroppedAndTheTextRewritten()
{
    const QString id = MakeQuerySubject({{"Author", 1, "Rose"}, {"Year", 7, "1990"}, {"Genre", 4, "Poetry"}});
    clsQuery query = Subject(id).Query();
    QCOMPARE(query.Count(), 3);
    QVERIFY(!m_fx->books->Columns().Delete("Year"));

    QCOMPARE(query.SQLString(false), "[" + m_fx->books->DBName() + "] WHERE  [Author] LIKE '*Rose*' OR [Genre] = 'Poetry'");
    QCOMPARE(query.Count(), 2);
    QCOMPARE(Criteria(id), QString("Field\nAuthor\tCondition\n1\tValue\nRose\rField\nGenre\tCondition\n4\tValue\nPoetry"));
}

void TestQueries::staleRecordFoundOnReadingIsRewrittenToo()
{
    const QString id = MakeQuerySubject({{"Author", 1, "Rose"}, {"Year", 7, "1990"}});
    QVERIFY(!m_fx->books->Columns().Delete("Author"));
    clsQuery query = Subject(id).Query();
    QCOMPARE(query.Count(), 1); // the record of the deleted column is not read
    QCOMPARE(Criteria(id).count("Field"), 2); // reading alone changes nothing
    QCOMPARE(query.SQLString(false), "[" + m_fx->books->DBName() + "] WHERE  [Year] > 1990");
    QCOMPARE(Criteria(id), QString("Field\nYear\tCondition\n7\tValue\n1990"));
}

void TestQueries::shortOrDamagedStoredTextReadsSafely()
{
    const QString id = MakeQuerySubject({});
    const auto store = [&](const QString& text) {
        Result<std::unique_ptr<Recordset>> row =
            m_fx->db().OpenRecordset("SELECT [Criteria] FROM [Tree] WHERE [ID] = " + id, RecordsetType::Dynaset);
        QVERIFY(row && !row.value()->Edit() && !row.value()->SetValue(0, text) && !row.value()->Update());
    };
    store("ab");
    QCOMPARE(Subject(id).Query().Count(), 0);
    store("   ");
    QCOMPARE(Subject(id).Query().Count(), 0);

    store("Field\nAuthor\tValue\nno condition\r"
          "Field\nAuthor\tCondition\nzz\tValue\nbad condition\r"
          "Condition\n1\tValue\nno field\r"
          "field\nAuthor\tCONDITION\n4\tvalue\nkept\nafter a second line feed\r"
          "Field\nYear\tCondition\n7\r"
          "Field\nTitle\tCondition\n1\tValue\nAB*");
    const clsQuery query = Subject(id).Query();
    QStringList read;
    for (const clsQueryItem& item : query)
        read << QString("%1 %2 %3").arg(item.Column()).arg(item.Condition()).arg(item.Value().toString());
    QCOMPARE(read, (QStringList{"Author 4 kept", "Year 7 ", "Title 1 AB*"}));
}

void TestQueries::queryFlagOffClearsTheCriteria()
{
    const QString id = MakeQuerySubject({{"Author", 1, "Rose"}});
    clsQuery query = Subject(id).Query();
    QVERIFY(query.IsDefinable());
    QCOMPARE(m_fx->Value("SELECT [Type] FROM [Tree] WHERE [ID] = " + id), QString("1"));

    QVERIFY(!query.SetDefinable(false));
    QVERIFY(!query.IsDefinable());
    QCOMPARE(m_fx->Value("SELECT [Type] FROM [Tree] WHERE [ID] = " + id), QString("0"));
    QCOMPARE(Criteria(id), QString(""));
    // The object holding them forgets them too, so storing it later cannot bring them back.
    QCOMPARE(query.Count(), 0);
    QVERIFY(!query.WriteData());
    QCOMPARE(Criteria(id), QString(""));

    QVERIFY(!query.SetDefinable(true));
    QCOMPARE(Subject(id).Query().Count(), 0);

    // The category root is never a query subject.
    clsQuery root = m_fx->books->RootSubject().Query();
    QVERIFY(!root.SetDefinable(true));
    QVERIFY(!root.IsDefinable());
}

void TestQueries::validFollowsTheStatement()
{
    const QString good = MakeQuerySubject({{"Author", 7, "M"}});
    QVERIFY(Subject(good).Query().Valid());
    QVERIFY(m_fx->books->RootSubject().Query().Valid());
    // No category, no statement.
    QVERIFY(!Subject("424242").Query().Valid());
    // A statement the database refuses: the category's table is gone.
    QVERIFY(!m_fx->db().DeleteTable(m_fx->books->DBName()));
    QVERIFY(!Subject(good).Query().Valid());
    QVERIFY(!m_fx->books->RootSubject().Query().Valid());
}

void TestQueries::collectionAccess()
{
    clsQuery query(m_fx->books->RootSubject());
    clsQueryItem* first = query.Add("Author", 1, "a");
    clsQueryItem* second = query.Add("Author", 1, "b");
    clsQueryItem* third = query.Add("Author", 1, "c");
    QVERIFY(first->Key() != second->Key() && second->Key() != third->Key() && first->Key() != third->Key());
    QCOMPARE(query.Item(second->Key())->Value().toString(), QString("b"));
    const QString thirdKey = third->Key();
    QVERIFY(query.Remove(2));
    QCOMPARE(query.Count(), 2);
    QCOMPARE(query.Item(2)->Value().toString(), QString("c"));
    QVERIFY(query.Item(thirdKey) == third); // the items Add returned stay valid
    QVERIFY(query.Remove(thirdKey));
    QVERIFY(!query.Remove(thirdKey));
    QVERIFY(!query.Item(5));
    QCOMPARE(query.Add("Author", 1, "d")->Key() == first->Key(), false);
}

QTEST_GUILESS_MAIN(TestQueries)
#include "tst_queries.moc"
