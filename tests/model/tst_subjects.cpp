#include "FakeViews.h"
#include "ModelFixture.h"

#include "model/clsQuery.h"

#include <QtTest>

// Subjects: keys, categories, renames, moves, children, notes, opening and the stored grouping.
class TestSubjects : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void keysTellSubjectsFromCategoryRoots_data();
    void keysTellSubjectsFromCategoryRoots();
    void renameRefusesInvalidNames_data();
    void renameRefusesInvalidNames();
    void renameWritesTheNameAndTheNode();
    void renamingARootRenamesTheCategory();
    void movingUnderAnotherSubject();
    void movesThatCannotBeShownAreRefused();
    void childSubjectsDepthFirst();
    void notesOfSubjectsAndRoots();
    void groupingIsStoredExactly();
    void groupingRestoresItsLevels();
    void groupingSkipsDeletedColumns();
    void missingGroupingLeavesTheGridAlone();
    void groupingKeepsAtMostFourLevels();
    void openingGivesTheViewTheSubjectAndItsType();
    void invalidQueryIsNotOpened();
    void createChecksNameAndParent();

private:
    std::unique_ptr<ModelFixture> m_fx;
    std::unique_ptr<FakeSubjectView> m_view;
};

void TestSubjects::init()
{
    m_fx = std::make_unique<ModelFixture>();
    QVERIFY(m_fx->Setup());
    m_view = std::make_unique<FakeSubjectView>();
}

void TestSubjects::cleanup()
{
    Catalog().Subjects = nullptr;
    m_view.reset();
    m_fx.reset();
}

void TestSubjects::keysTellSubjectsFromCategoryRoots_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("isCategory");
    QTest::addColumn<QString>("nodeKey");
    QTest::newRow("subject") << "57" << false << "57A";
    QTest::newRow("category root") << "ktbl57" << true << "ktbl57";
    QTest::newRow("node key is not a subject key") << "57A" << true << "57A";
    QTest::newRow("empty") << "" << true << "";
}

void TestSubjects::keysTellSubjectsFromCategoryRoots()
{
    QFETCH(QString, key);
    QFETCH(bool, isCategory);
    QFETCH(QString, nodeKey);
    const Subject subject(key);
    QCOMPARE(subject.IsCategory(), isCategory);
    QCOMPARE(subject.NodeKey(), nodeKey);
    QVERIFY(!subject.category()); // neither a loaded category 57 nor a [Tree] row 57
}

void TestSubjects::renameRefusesInvalidNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("spaces and ampersand") << "Rock & Roll Greats" << true;
    QTest::newRow("period") << "Vol. 2" << false;
    QTest::newRow("apostrophe") << "Tom's" << false;
    QTest::newRow("exclamation mark") << "Wow!" << false;
    QTest::newRow("empty") << "" << false;
}

void TestSubjects::renameRefusesInvalidNames()
{
    QFETCH(QString, name);
    QFETCH(bool, accepted);
    const QString id = m_fx->NewSubject(m_fx->books, "Before");
    QCOMPARE(Subject(id).Rename(name), accepted);
    QCOMPARE(m_fx->Value("SELECT [Subject] FROM [Tree] WHERE [ID] = " + id), accepted ? name : QString("Before"));
    if (accepted)
        QCOMPARE(m_fx->ui.messages, QStringList());
    else
        QCOMPARE(m_fx->ui.messages,
                 QStringList{"'" + name + "' is an invalid subject because of either a single quote or exclamation "
                                          "mark in the name."});
    // The same check holds for a category root.
    m_fx->ui.messages.clear();
    QCOMPARE(m_fx->books->RootSubject().Rename(name), accepted);
    QCOMPARE(m_fx->books->Name(), accepted ? name : QString("Books"));
}

void TestSubjects::renameWritesTheNameAndTheNode()
{
    Catalog().Subjects = m_view.get();
    const QString id = m_fx->NewSubject(m_fx->books, "Old");
    Catalog().BuildSubjects(m_view.get());
    const Subject subject = m_view->Item(id);
    QVERIFY(subject.HasNode());
    QVERIFY(subject.Rename("New"));
    QCOMPARE(m_view->NodeText(id + "A"), QString("New"));
    QCOMPARE(m_view->selected, QStringList{id});
    QCOMPARE(m_fx->Value("SELECT [Subject] FROM [Tree] WHERE [ID] = " + id), QString("New"));
}

void TestSubjects::renamingARootRenamesTheCategory()
{
    Catalog().Subjects = m_view.get();
    Catalog().BuildSubjects(m_view.get());
    const Subject root = m_fx->books->RootSubject();
    QVERIFY(root.IsCategory());
    QVERIFY(root.category() == m_fx->books);
    QVERIFY(root.Rename("Novels"));
    QCOMPARE(m_fx->books->Name(), QString("Novels"));
    QCOMPARE(m_fx->Value(QString("SELECT [Name] FROM [Categories] WHERE [ID] = %1").arg(m_fx->books->ID())), QString("Novels"));
    QCOMPARE(m_view->NodeText(m_fx->books->DBName()), QString("Novels"));
}

void TestSubjects::movingUnderAnotherSubject()
{
    Catalog().Subjects = m_view.get();
    const QString a = m_fx->NewSubject(m_fx->books, "A");
    const QString b = m_fx->NewSubject(m_fx->books, "B", a);
    Catalog().BuildSubjects(m_view.get());
    const QString c = m_fx->NewSubject(m_fx->books, "C"); // no node: the move goes by the database alone

    QVERIFY(m_view->Item(b).UpdateParent(m_fx->books->RootSubject()));
    QCOMPARE(m_fx->Value("SELECT [ParentID] FROM [Tree] WHERE [ID] = " + b), QString("0"));
    QCOMPARE(m_view->Path(b + "A"), m_fx->books->DBName() + "/" + b + "A");
    QVERIFY(m_view->Item(b).UpdateParent(m_view->Item(a)));
    QCOMPARE(m_fx->Value("SELECT [ParentID] FROM [Tree] WHERE [ID] = " + b), a);
    QCOMPARE(m_view->Path(b + "A"), m_fx->books->DBName() + "/" + a + "A/" + b + "A");
    QVERIFY(Subject(c).UpdateParent(Subject(b)));
    QCOMPARE(m_fx->Value("SELECT [ParentID] FROM [Tree] WHERE [ID] = " + c), b);
}

void TestSubjects::movesThatCannotBeShownAreRefused()
{
    Catalog().Subjects = m_view.get();
    const QString a = m_fx->NewSubject(m_fx->books, "A");
    const QString b = m_fx->NewSubject(m_fx->books, "B", a);
    const QString c = m_fx->NewSubject(m_fx->books, "C", b);
    const QString person = m_fx->NewSubject(Catalog().categories().PeopleCategory(), "Friends");
    Catalog().BuildSubjects(m_view.get());

    QVERIFY(!m_view->Item(a).UpdateParent(m_view->Item(c))); // its own descendant
    QVERIFY(!Subject(a).UpdateParent(Subject(a)));           // itself, without a tree
    QVERIFY(!Subject(a).UpdateParent(Subject(c)));
    QVERIFY(!m_view->Item(a).UpdateParent(m_view->Item(person))); // another category
    QVERIFY(!m_fx->books->RootSubject().UpdateParent(m_view->Item(a)));
    QCOMPARE(m_fx->Value("SELECT [ParentID] FROM [Tree] WHERE [ID] = " + a), QString("0"));
    QCOMPARE(m_view->Path(a + "A"), m_fx->books->DBName() + "/" + a + "A");
}

void TestSubjects::childSubjectsDepthFirst()
{
    const QString b = m_fx->NewSubject(m_fx->books, "B");
    const QString a = m_fx->NewSubject(m_fx->books, "A");
    const QString a1 = m_fx->NewSubject(m_fx->books, "A1", a);
    const QString root = m_fx->books->DBName();
    const auto values = [](const HashTable& table) {
        QStringList list;
        for (const HashValue& entry : table)
            list << entry.Value.toString();
        return list;
    };
    // From the database, without a tree.
    QCOMPARE(values(Subject(root).ChildSubjects(true)), (QStringList{"A", "A1", "B"}));
    QCOMPARE(values(Subject(root).ChildSubjects(false)), (QStringList{a, a1, b}));
    QCOMPARE(values(Subject(a).ChildSubjects(true)), QStringList{"A1"});
    QCOMPARE(Subject(b).ChildSubjects(true).Count(), 0);

    // From the tree.
    Catalog().Subjects = m_view.get();
    Catalog().BuildSubjects(m_view.get());
    QCOMPARE(values(m_view->Item(root).ChildSubjects(true)), (QStringList{"A", "A1", "B"}));
    QCOMPARE(values(m_view->Item(root).ChildSubjects(false)), (QStringList{a, a1, b}));
}

void TestSubjects::notesOfSubjectsAndRoots()
{
    const QString id = m_fx->NewSubject(m_fx->books, "Noted");
    QCOMPARE(Subject(id).Notes(), QString());
    QVERIFY(!Subject(id).SetNotes("It's \"fine\"\nreally"));
    QCOMPARE(Subject(id).Notes(), QString("It's \"fine\"\nreally"));
    const Subject root = m_fx->books->RootSubject();
    QVERIFY(!root.SetNotes("ignored"));
    QCOMPARE(root.Notes(), QString());
}

void TestSubjects::groupingIsStoredExactly()
{
    const QString id = m_fx->NewSubject(m_fx->books, "Grouped");
    FakeGrid grid({"Author", "Year"});
    grid.groups = {{"Author", 1}, {"Year", -1}};
    QVERIFY(!Subject(id).SaveGrouping(grid));
    const QString stored = m_fx->Value("SELECT [Groups] FROM [Tree] WHERE [ID] = " + id);
    QCOMPARE(stored, QString("Author\r1\nYear\r-1"));
    QCOMPARE(stored.size(), 16);

    QVERIFY(!m_fx->books->RootSubject().SaveGrouping(grid));
    QCOMPARE(m_fx->Value(QString("SELECT [Groups] FROM [Categories] WHERE [ID] = %1").arg(m_fx->books->ID())),
             QString("Author\r1\nYear\r-1"));

    grid.groups.clear();
    QVERIFY(!Subject(id).SaveGrouping(grid));
    QCOMPARE(m_fx->Value("SELECT [Groups] FROM [Tree] WHERE [ID] = " + id), QString(""));
}

void TestSubjects::groupingRestoresItsLevels()
{
    const QString id = m_fx->NewSubject(m_fx->books, "Grouped");
    FakeGrid saved({"Author", "Year", "Genre"});
    saved.groups = {{"Genre", -1}, {"Author", 1}, {"Year", -1}};
    QVERIFY(!Subject(id).SaveGrouping(saved));
    FakeGrid restored({"Author", "Year", "Genre"});
    restored.groups = {{"Year", 1}};
    Subject(id).RetrieveGrouping(restored);
    QCOMPARE(restored.groups, saved.groups);
    QCOMPARE(restored.regroups, 1);

    QVERIFY(!m_fx->books->RootSubject().SaveGrouping(saved));
    FakeGrid rootGrid({"Author", "Year", "Genre"});
    m_fx->books->RootSubject().RetrieveGrouping(rootGrid);
    QCOMPARE(rootGrid.groups, saved.groups);
}

void TestSubjects::groupingSkipsDeletedColumns()
{
    const QString id = m_fx->NewSubject(m_fx->books, "Grouped");
    // A level on a column that is gone, then one naming a column in other letter case.
    Result<std::unique_ptr<Recordset>> row =
        m_fx->db().OpenRecordset("SELECT [Groups] FROM [Tree] WHERE [ID] = " + id, RecordsetType::Dynaset);
    QVERIFY(row && !row.value()->Edit());
    QVERIFY(!row.value()->SetValue(0, QString("Gone\r1\nyear\r-1")));
    QVERIFY(!row.value()->Update());
    FakeGrid grid({"Author", "Year"});
    Subject(id).RetrieveGrouping(grid);
    QCOMPARE(grid.groups, (QList<QPair<QString, int>>{{"year", -1}}));
}

void TestSubjects::missingGroupingLeavesTheGridAlone()
{
    const QString id = m_fx->NewSubject(m_fx->books, "Plain");
    QVERIFY(m_fx->db().Execute("UPDATE [Tree] SET [Groups] = Null WHERE [ID] = " + id));
    FakeGrid grid({"Author"});
    grid.groups = {{"Author", 1}};
    Subject(id).RetrieveGrouping(grid);
    QCOMPARE(grid.groups.size(), 1);
    QCOMPARE(grid.clears, 0);
    QCOMPARE(grid.regroups, 0);
}

void TestSubjects::groupingKeepsAtMostFourLevels()
{
    const QString id = m_fx->NewSubject(m_fx->books, "Deep");
    const QStringList columns{"Author", "Year", "Genre", "Price", "Pages"};
    FakeGrid grid(columns);
    for (const QString& column : columns)
        grid.groups.append({column, 1});
    QVERIFY(!Subject(id).SaveGrouping(grid));
    QCOMPARE(m_fx->Value("SELECT [Groups] FROM [Tree] WHERE [ID] = " + id), QString("Author\r1\nYear\r1\nGenre\r1\nPrice\r1"));

    // Text with more levels than that (from elsewhere) restores the first four.
    Result<std::unique_ptr<Recordset>> row =
        m_fx->db().OpenRecordset("SELECT [Groups] FROM [Tree] WHERE [ID] = " + id, RecordsetType::Dynaset);
    QVERIFY(row && !row.value()->Edit());
    QVERIFY(!row.value()->SetValue(0, QString("Author\r1\nYear\r1\nGenre\r1\nPrice\r-1\nPages\r1")));
    QVERIFY(!row.value()->Update());
    FakeGrid restored(columns);
    Subject(id).RetrieveGrouping(restored);
    QCOMPARE(restored.groups,
             (QList<QPair<QString, int>>{{"Author", 1}, {"Year", 1}, {"Genre", 1}, {"Price", -1}}));
}

void TestSubjects::openingGivesTheViewTheSubjectAndItsType()
{
    FakeItemView items;
    const QString plain = m_fx->NewSubject(m_fx->books, "Plain");
    const QString query = m_fx->NewSubject(m_fx->books, "Query");
    QVERIFY(!Subject(query).Query().SetDefinable(true));
    const QString link = m_fx->NewSubject(Catalog().categories().RelationalCategory(), "Links");

    QVERIFY(Subject(plain).OpenSubject());
    QCOMPARE(items.subjectKey, plain);
    QCOMPARE(items.viewType, 0);
    QVERIFY(Subject(query).OpenSubject());
    QCOMPARE(items.viewType, 1);
    QVERIFY(Subject(link).OpenSubject());
    QCOMPARE(items.viewType, 4);
    QVERIFY(m_fx->books->RootSubject().OpenSubject());
    QCOMPARE(items.subjectKey, m_fx->books->DBName());
    QCOMPARE(items.viewType, 0);
    QCOMPARE(items.refreshes, 4);
    QCOMPARE(m_fx->ui.messages, QStringList());
}

void TestSubjects::invalidQueryIsNotOpened()
{
    FakeItemView items;
    const QString plain = m_fx->NewSubject(m_fx->books, "Plain");
    QVERIFY(Subject(plain).OpenSubject());
    const QString gone = "987654"; // no [Tree] row, so no category and no statement
    QVERIFY(!Subject(gone).OpenSubject());
    QCOMPARE(m_fx->ui.messages, QStringList{"The query defined for this view is invalid. Please redefine the query in "
                                            "the subject's properties."});
    QCOMPARE(items.subjectKey, plain);
    QCOMPARE(items.refreshes, 1);
}

void TestSubjects::createChecksNameAndParent()
{
    const Result<qint64> top = Subject::Create(*m_fx->books, "Top");
    QVERIFY(top);
    QCOMPARE(m_fx->Value(QString("SELECT [CID] FROM [Tree] WHERE [ID] = %1").arg(*top)), QString::number(m_fx->books->ID()));
    QCOMPARE(m_fx->Value(QString("SELECT [ParentID] FROM [Tree] WHERE [ID] = %1").arg(*top)), QString("0"));
    QCOMPARE(m_fx->Value(QString("SELECT [Type] FROM [Tree] WHERE [ID] = %1").arg(*top)), QString("0"));
    const Result<qint64> under = Subject::Create(*m_fx->books, "Under", QString::number(*top));
    QVERIFY(under);
    QCOMPARE(m_fx->Value(QString("SELECT [ParentID] FROM [Tree] WHERE [ID] = %1").arg(*under)), QString::number(*top));
    QVERIFY(Subject(QString::number(*under)).category() == m_fx->books);

    QVERIFY(!Subject::Create(*m_fx->books, "Bad.Name"));
    QVERIFY(!Subject::Create(*m_fx->books, "Lost", "99999"));
    const QString person = m_fx->NewSubject(Catalog().categories().PeopleCategory(), "Elsewhere");
    QVERIFY(!Subject::Create(*m_fx->books, "Crossed", person));
}

QTEST_GUILESS_MAIN(TestSubjects)
#include "tst_subjects.moc"
