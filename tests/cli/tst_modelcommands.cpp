#include "CatalogFixture.h"

#include "CliRunner.h"

#include <QtTest>

// kestrowan-cli's commands on categories, columns, subjects and criteria, run in-process as a script
// would run them.
class TestModelCommands : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void scriptedCatalogListsTheRightItems();
    void addCategoryChecksNames_data();
    void addCategoryChecksNames();
    void addColumnActsLikeTheNewColumnDialog_data();
    void addColumnActsLikeTheNewColumnDialog();
    void columnTypesByName_data();
    void columnTypesByName();
    void addSubjectChecksNameAndParent();
    void setCriteriaChecksItsArguments_data();
    void setCriteriaChecksItsArguments();
    void criteriaOffMakesAPlainSubjectAgain();
    void valuesThatAreNoDateOrNumberStillList();
    void invalidQueryIsReported();
    void unknownKeysAndCategories_data();
    void unknownKeysAndCategories();

private:
    struct Run : CliRun {
        QStringList lines() const { return out.split('\n', Qt::SkipEmptyParts); }
    };
    static Run Cli(const QStringList& args) { return Run{RunCliCommand(args)}; }
    // A catalog with the category "Children's Books" (Author, Year, Bought, Read) and five items.
    void MakeLibrary();

    std::unique_ptr<CatalogFixture> m_fx;
    QString m_file;
    QString m_category;
};

void TestModelCommands::init()
{
    m_fx = std::make_unique<CatalogFixture>();
    m_file = m_fx->path("library.kst");
    QCOMPARE(Cli({"create", m_file}).code, 0);
}

void TestModelCommands::cleanup() { m_fx.reset(); }

void TestModelCommands::MakeLibrary()
{
    const Run added = Cli({"add-category", m_file, "Children's Books"});
    QCOMPARE(added.code, 0);
    m_category = added.out.trimmed();
    QCOMPARE(m_category, QString("3"));
    // By name, in other letter case, and by ID.
    QCOMPARE(Cli({"add-column", m_file, "children's books", "Author", "Text"}).code, 0);
    QCOMPARE(Cli({"add-column", m_file, m_category, "Year", "Integer"}).code, 0);
    QCOMPARE(Cli({"add-column", m_file, m_category, "Bought", "4"}).code, 0);
    QCOMPARE(Cli({"add-column", m_file, m_category, "Read", "Checkbox"}).code, 0);
    const QString table = "[ktbl" + m_category + "]";
    const QString fields = " ([TreeID],[ParentID],[Flag],[Title],[Author],[Year],[Bought],[Read]) VALUES ";
    for (const QString& values : {QString("(0,0,0,'zebra tales','O''Brien',1985,#3/4/1999#,True)"),
                                  QString("(0,0,0,'Apple Pie','smith',2001,#2001-05-06#,False)"),
                                  QString("(0,0,0,'middle march','Jones',1970,#1/1/1980#,False)"),
                                  QString("(0,0,0,'Brief','o''brien',1999,#2/2/2002#,True)"),
                                  QString("(0,0,0,'Unread','Nobody',1990,#7/7/1977#,False)")})
        QCOMPARE(Cli({"sql", m_file, "INSERT INTO " + table + fields + values}).code, 0);
}

void TestModelCommands::scriptedCatalogListsTheRightItems()
{
    MakeLibrary();
    const Run columns = Cli({"columns", m_file, m_category});
    QCOMPARE(columns.code, 0);
    QCOMPARE(columns.lines(), (QStringList{"ID\t10\t270\t0\tvisible\tsystem\tGenUniqueID()",
                                           "TreeID\t10\t810\t0\tvisible\tsystem\t",
                                           "ParentID\t10\t1080\t0\tvisible\tsystem\t",
                                           "Created\t4\t945\t0\tvisible\tsystem\t",
                                           "Modified\t4\t1080\t0\tvisible\tsystem\t",
                                           "Flag\t10\t540\t0\tvisible\tsystem\t",
                                           "Title\t1\t675\t0\tvisible\teditable\t",
                                           "Author\t1\t810\t0\tvisible\teditable\t",
                                           "Year\t9\t540\t0\tvisible\teditable\t",
                                           "Bought\t4\t810\t0\tvisible\teditable\t",
                                           "Read\t12\t540\t0\tvisible\teditable\t"}));

    const Run shelf = Cli({"add-subject", m_file, m_category, "Shelf"});
    QCOMPARE(shelf.code, 0);
    const QString shelfId = shelf.out.trimmed();
    const Run picks = Cli({"add-subject", m_file, "Children's Books", "Picks", shelfId});
    QCOMPARE(picks.code, 0);
    const QString picksId = picks.out.trimmed();
    const QString table = "[ktbl" + m_category + "]";
    QCOMPARE(Cli({"sql", m_file, "UPDATE " + table + " SET [TreeID] = " + shelfId + " WHERE [Title] IN ('Apple Pie','Unread')"}).code, 0);

    // Author equals o'brien (any letter case) or Year before 1975.
    const Run set = Cli({"set-criteria", m_file, picksId, "author", "4", "o'brien", "Year", "8", "1975"});
    QCOMPARE(set.code, 0);
    QVERIFY(set.err.isEmpty());
    const Run stored = Cli({"sql", m_file, "SELECT [Type],[Criteria] FROM [Tree] WHERE [ID] = " + picksId});
    QCOMPARE(stored.lines().value(1),
             QString("1\tField\\nAuthor\\tCondition\\n4\\tValue\\no'brien\\rField\\nYear\\tCondition\\n8\\tValue\\n1975"));

    const QString header = "ID\tTreeID\tParentID\tCreated\tModified\tFlag\tTitle\tAuthor\tYear\tBought\tRead";
    const Run root = Cli({"list", m_file, "ktbl" + m_category});
    QCOMPARE(root.code, 0);
    QCOMPARE(root.lines(), (QStringList{header,
                                        "2\t" + shelfId + "\t0\t\t\t0\tApple Pie\tsmith\t2001\t2001-05-06 00:00:00\tFalse",
                                        "4\t0\t0\t\t\t0\tBrief\to'brien\t1999\t2002-02-02 00:00:00\tTrue",
                                        "3\t0\t0\t\t\t0\tmiddle march\tJones\t1970\t1980-01-01 00:00:00\tFalse",
                                        "5\t" + shelfId + "\t0\t\t\t0\tUnread\tNobody\t1990\t1977-07-07 00:00:00\tFalse",
                                        "1\t0\t0\t\t\t0\tzebra tales\tO'Brien\t1985\t1999-03-04 00:00:00\tTrue"}));
    const Run plain = Cli({"list", m_file, shelfId});
    QCOMPARE(plain.code, 0);
    QCOMPARE(plain.lines(), (QStringList{header,
                                         "2\t" + shelfId + "\t0\t\t\t0\tApple Pie\tsmith\t2001\t2001-05-06 00:00:00\tFalse",
                                         "5\t" + shelfId + "\t0\t\t\t0\tUnread\tNobody\t1990\t1977-07-07 00:00:00\tFalse"}));
    const Run query = Cli({"list", m_file, picksId});
    QCOMPARE(query.code, 0);
    QCOMPARE(query.lines(), (QStringList{header,
                                         "4\t0\t0\t\t\t0\tBrief\to'brien\t1999\t2002-02-02 00:00:00\tTrue",
                                         "3\t0\t0\t\t\t0\tmiddle march\tJones\t1970\t1980-01-01 00:00:00\tFalse",
                                         "1\t0\t0\t\t\t0\tzebra tales\tO'Brien\t1985\t1999-03-04 00:00:00\tTrue"}));

    // Yes/No and dates as criteria.
    QCOMPARE(Cli({"set-criteria", m_file, picksId, "Read", "4", "-1", "Bought", "8", "1/1/1978"}).code, 0);
    QStringList titles;
    for (const QString& line : Cli({"list", m_file, picksId}).lines().mid(1))
        titles << line.section('\t', 6, 6);
    QCOMPARE(titles, (QStringList{"Brief", "Unread", "zebra tales"}));
}

void TestModelCommands::addCategoryChecksNames_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty name") << QStringList{""} << "Please enter a value for the category's name.";
    QTest::newRow("taken name") << QStringList{"people"} << "A category with this name already exists.";
    QTest::newRow("empty title") << QStringList{"Films", ""} << "Please enter a value for the title column's name.";
    QTest::newRow("title with a quote") << QStringList{"Films", "Film's name"}
                                        << "A column name may hold only the letters a to z, the digits 0 to 9 and "
                                           "spaces, and at most 50 of them.";
    QTest::newRow("title a system field") << QStringList{"Films", "Modified"}
                                          << "'Modified' is the name of a field every category keeps for itself; please "
                                             "choose a different name for the title column.";
}

void TestModelCommands::addCategoryChecksNames()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    const Run run = Cli(QStringList{"add-category", m_file} + args);
    QCOMPARE(run.code, 1);
    QCOMPARE(run.err.trimmed(), message);
    QCOMPARE(Cli({"sql", m_file, "SELECT COUNT(*) FROM [Categories]"}).lines().value(1), QString("2"));

    const Run good = Cli({"add-category", m_file, "Films", "Film Title"});
    QCOMPARE(good.code, 0);
    QCOMPARE(good.out, QString("3\n"));
    QCOMPARE(Cli({"sql", m_file, "SELECT [TitleColumn] FROM [Categories] WHERE [ID] = 3"}).lines().value(1),
             QString("Film Title"));
}

void TestModelCommands::addColumnActsLikeTheNewColumnDialog_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("message");
    QTest::newRow("name taken, other case") << "COMPANY" << "1" << "A column with this name already exists.";
    QTest::newRow("empty name") << "" << "1" << "Please type a name for the new column.";
    QTest::newRow("punctuation") << "E.Mail" << "1"
                                 << "A column name may hold only the letters a to z, the digits 0 to 9 and spaces, and "
                                    "at most 50 of them.";
    QTest::newRow("too long") << QString(51, 'x') << "1"
                              << "A column name may hold only the letters a to z, the digits 0 to 9 and spaces, and "
                                 "at most 50 of them.";
    QTest::newRow("system field") << "RecordID" << "10"
                                  << "'RecordID' is the name of a field every category keeps for itself; please choose "
                                     "a different name.";
    QTest::newRow("no such type") << "Rating" << "14"
                                  << "'14' is not a column type: give a code from 1 to 13 or one of Text, Plain Text, "
                                     "Auto-complete, People, Internet/File, Memo/Rich Text, Date, Currency, Media, "
                                     "Checkbox, Number, Integer, Long Integer, Double Precision.";
}

void TestModelCommands::addColumnActsLikeTheNewColumnDialog()
{
    QFETCH(QString, name);
    QFETCH(QString, type);
    QFETCH(QString, message);
    const QString before = Cli({"columns", m_file, "People"}).out;
    const Run run = Cli({"add-column", m_file, "People", name, type});
    QCOMPARE(run.code, 1);
    QCOMPARE(run.err.trimmed(), message);
    QCOMPARE(Cli({"columns", m_file, "People"}).out, before);
}

void TestModelCommands::columnTypesByName_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("code");
    QTest::newRow("Text") << "Text" << 1;
    QTest::newRow("Plain Text") << "plain text" << 1;
    QTest::newRow("People") << "People" << 2;
    QTest::newRow("Auto-complete") << "Auto-complete" << 3;
    QTest::newRow("Date") << "Date" << 4;
    QTest::newRow("Currency") << "Currency" << 5;
    QTest::newRow("Media") << "Media" << 6;
    QTest::newRow("Memo") << "Memo/Rich Text" << 7;
    QTest::newRow("Internet") << "Internet/File" << 8;
    QTest::newRow("Number") << "Number" << 9;
    QTest::newRow("Long Integer") << "Long Integer" << 10;
    QTest::newRow("Double") << "Double Precision" << 11;
    QTest::newRow("Checkbox") << "Checkbox" << 12;
    QTest::newRow("Date Selection by code") << "13" << 13;
}

void TestModelCommands::columnTypesByName()
{
    QFETCH(QString, type);
    QFETCH(int, code);
    QCOMPARE(Cli({"add-column", m_file, "Relational", "Probe", type}).code, 0);
    const QStringList lines = Cli({"columns", m_file, "1"}).lines();
    QCOMPARE(lines.last().section('\t', 0, 1), "Probe\t" + QString::number(code));
}

void TestModelCommands::addSubjectChecksNameAndParent()
{
    const Run first = Cli({"add-subject", m_file, "People", "Friends & Family"});
    QCOMPARE(first.code, 0);
    const QString id = first.out.trimmed();
    const Run child = Cli({"add-subject", m_file, "2", "Close", id});
    QCOMPARE(child.code, 0);
    QCOMPARE(Cli({"sql", m_file, "SELECT [CID],[ParentID],[Subject] FROM [Tree] WHERE [ID] = " + child.out.trimmed()}).lines().value(1),
             "2\t" + id + "\tClose");

    const Run invalid = Cli({"add-subject", m_file, "People", "Tom's"});
    QCOMPARE(invalid.code, 1);
    QCOMPARE(invalid.err.trimmed(),
             QString("'Tom's' is an invalid subject because of either a single quote or exclamation mark in the name."));
    const Run crossed = Cli({"add-subject", m_file, "Relational", "Links", id});
    QCOMPARE(crossed.code, 1);
    QCOMPARE(crossed.err.trimmed(), "'" + id + "' is not a subject of the category 'Relational'.");
    QCOMPARE(Cli({"sql", m_file, "SELECT COUNT(*) FROM [Tree]"}).lines().value(1), QString("2"));
}

void TestModelCommands::setCriteriaChecksItsArguments_data()
{
    QTest::addColumn<QStringList>("criteria");
    QTest::addColumn<QString>("message");
    QTest::newRow("not in threes") << QStringList{"Name", "1"} << "Criteria come in threes: COLUMN CONDITION VALUE.";
    QTest::newRow("no such column") << QStringList{"Nope", "1", "x"} << "The category 'People' has no column 'Nope'.";
    QTest::newRow("condition 9") << QStringList{"Name", "9", "x"}
                                 << "'9' is not a condition: give 1 Contains, 2 Does Not Contain, 3 Begins With, 4 "
                                    "Equals, 5 Does Not Begin With, 6 Does Not Equal, 7 Is Greater Than or 8 Is Less "
                                    "Than.";
    QTest::newRow("tab in the value") << QStringList{"Name", "1", "a\tb"} << "A criterion's value cannot hold tabs or line breaks.";
}

void TestModelCommands::setCriteriaChecksItsArguments()
{
    QFETCH(QStringList, criteria);
    QFETCH(QString, message);
    const QString id = Cli({"add-subject", m_file, "People", "Query"}).out.trimmed();
    const Run run = Cli(QStringList{"set-criteria", m_file, id} + criteria);
    QCOMPARE(run.code, 1);
    QCOMPARE(run.err.trimmed(), message);
    QCOMPARE(Cli({"sql", m_file, "SELECT [Type] FROM [Tree] WHERE [ID] = " + id}).lines().value(1), QString("0"));
}

void TestModelCommands::criteriaOffMakesAPlainSubjectAgain()
{
    const QString id = Cli({"add-subject", m_file, "People", "Query"}).out.trimmed();
    QCOMPARE(Cli({"set-criteria", m_file, id, "Name", "3", "A"}).code, 0);
    QCOMPARE(Cli({"sql", m_file, "SELECT [Type] FROM [Tree] WHERE [ID] = " + id}).lines().value(1), QString("1"));
    QCOMPARE(Cli({"set-criteria", m_file, id}).code, 0);
    QCOMPARE(Cli({"sql", m_file, "SELECT [Type],[Criteria] FROM [Tree] WHERE [ID] = " + id}).lines().value(1),
             QString("0\t"));
}

void TestModelCommands::valuesThatAreNoDateOrNumberStillList()
{
    MakeLibrary();
    const QString id = Cli({"add-subject", m_file, m_category, "Odd"}).out.trimmed();
    QCOMPARE(Cli({"set-criteria", m_file, id, "Bought", "7", "someday", "Title", "3", "apple"}).code, 0);
    const Run run = Cli({"list", m_file, id});
    QCOMPARE(run.code, 0);
    QCOMPARE(run.lines().size(), 2);
    QCOMPARE(run.lines().value(1).section('\t', 6, 6), QString("Apple Pie"));
    // A number that is not one compares as 0.
    QCOMPARE(Cli({"set-criteria", m_file, id, "Year", "7", "lots"}).code, 0);
    QCOMPARE(Cli({"list", m_file, id}).lines().size(), 6);
}

void TestModelCommands::invalidQueryIsReported()
{
    MakeLibrary();
    const QString id = Cli({"add-subject", m_file, m_category, "Broken"}).out.trimmed();
    {
        // The category's table goes missing behind the program's back.
        Result<std::unique_ptr<Database>> db = Database::Open(m_file);
        QVERIFY(db);
        QVERIFY(!db.value()->DeleteTable("ktbl" + m_category));
    }
    for (const QString& key : {id, "ktbl" + m_category}) {
        const Run run = Cli({"list", m_file, key});
        QCOMPARE(run.code, 1);
        QCOMPARE(run.out, QString());
        QCOMPARE(run.err.trimmed(), QString("The query defined for this view is invalid. Please redefine the query in "
                                            "the subject's properties."));
    }
}

void TestModelCommands::unknownKeysAndCategories_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("list, no such subject") << QStringList{"list", "4242"} << "No subject has the key '4242'.";
    QTest::newRow("list, no such category") << QStringList{"list", "ktbl99"} << "No subject has the key 'ktbl99'.";
    QTest::newRow("list, not a key") << QStringList{"list", "Books"} << "No subject has the key 'Books'.";
    QTest::newRow("set-criteria, a root") << QStringList{"set-criteria", "ktbl2"} << "No subject has the ID 'ktbl2'.";
    QTest::newRow("columns, no such category") << QStringList{"columns", "Films"} << "No category has the ID or name 'Films'.";
    QTest::newRow("add-subject, no such category") << QStringList{"add-subject", "9", "X"}
                                                   << "No category has the ID or name '9'.";
}

void TestModelCommands::unknownKeysAndCategories()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    args.insert(1, m_file);
    const Run run = Cli(args);
    QCOMPARE(run.code, 1);
    QCOMPARE(run.err.trimmed(), message);
}

QTEST_GUILESS_MAIN(TestModelCommands)
#include "tst_modelcommands.moc"
