#include "../model/ModelFixture.h"

#include "items/InternetAddress.h"
#include "items/ItemStatements.h"
#include "model/Categories.h"
#include "model/clsColumn.h"
#include "model/clsColumns.h"

#include <QtTest>

#include <memory>

// The statements the item grid reads for its typing aids and people links, run against a catalog so that a
// statement that reads the wrong table or column fails here.
class TestItemStatements : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { m_fx.reset(); }
    void peopleCandidatesComeFromTheDrawCategory();
    void autoCompleteCandidatesFollowTheParentWhenItHasTheColumn();
    void peopleLinkConditionQuotesTheNameAndStopsAt38Columns();
    void internetAddresses_data();
    void internetAddresses();

private:
    QStringList Run(const QString& sql);
    std::unique_ptr<ModelFixture> m_fx;
};

void TestItemStatements::init()
{
    m_fx = std::make_unique<ModelFixture>();
    QVERIFY(m_fx->Setup());
}

QStringList TestItemStatements::Run(const QString& sql)
{
    QStringList found = m_fx->Column(sql);
    found.sort();
    return found;
}

void TestItemStatements::peopleCandidatesComeFromTheDrawCategory()
{
    Category* chapters = m_fx->AddCategory("Chapters");
    QVERIFY(chapters && !chapters->SetParent(m_fx->books->ID()));
    QVERIFY(modDBOperations::AddField(m_fx->db(), chapters->DBName(), "Narrator", clsColumn::People, false, false,
                                      false, 0, chapters));
    Category* people = Catalog().categories().PeopleCategory();
    const QString books = QString::number(m_fx->books->ID());
    const QString own = QString::number(chapters->ID());
    for (const auto& [category, name] : {std::pair{books, "Smith"}, {books, "Smith"}, {books, "Jones"}, {own, "Ng"}})
        QVERIFY(m_fx->AddItem(people, "[Category],[Name]", "'" + category + "','" + name + "'"));
    const clsColumn& narrator = *chapters->Columns().Item("Narrator");

    QCOMPARE(Run(ItemStatements::ValueListStatement(*chapters, narrator)), QStringList("Ng"));
    QVERIFY(!chapters->SetDrawFromParent(true));
    QCOMPARE(Run(ItemStatements::ValueListStatement(*chapters, narrator)), QStringList({"Jones", "Smith"}));
    // Plain text offers nothing.
    QCOMPARE(ItemStatements::ValueListStatement(*m_fx->books, *m_fx->books->Columns().Item("Author")), QString());
}

void TestItemStatements::autoCompleteCandidatesFollowTheParentWhenItHasTheColumn()
{
    Category* chapters = m_fx->AddCategory("Chapters");
    QVERIFY(chapters && !chapters->SetParent(m_fx->books->ID()) && !chapters->SetDrawFromParent(true));
    for (const char* name : {"Genre", "Mood"})
        QVERIFY(modDBOperations::AddField(m_fx->db(), chapters->DBName(), name, clsColumn::AutoComplete, false,
                                          false, false, 0, chapters));
    QVERIFY(m_fx->AddItem(m_fx->books, "[Title],[Genre]", "'Dune','Science fiction'"));
    QVERIFY(m_fx->AddItem(m_fx->books, "[Title],[Genre]", "'Emma',''"));
    QVERIFY(m_fx->AddItem(chapters, "[Title],[Genre],[Mood]", "'One','Prologue','Dark'"));

    // The parent has a Genre column; it has no Mood column, so the chapter's own moods are offered.
    QCOMPARE(Run(ItemStatements::ValueListStatement(*chapters, *chapters->Columns().Item("Genre"))),
             QStringList("Science fiction"));
    QCOMPARE(Run(ItemStatements::ValueListStatement(*chapters, *chapters->Columns().Item("Mood"))),
             QStringList("Dark"));
    QVERIFY(!chapters->SetDrawFromParent(false));
    QCOMPARE(Run(ItemStatements::ValueListStatement(*chapters, *chapters->Columns().Item("Genre"))),
             QStringList("Prologue"));
}

void TestItemStatements::peopleLinkConditionQuotesTheNameAndStopsAt38Columns()
{
    QCOMPARE(ItemStatements::PeopleLinkSource(*m_fx->books, "O'Hara"), QString());
    for (int column = 1; column <= 39; ++column)
        QVERIFY(modDBOperations::AddField(m_fx->db(), m_fx->books->DBName(), QString("P%1").arg(column),
                                          clsColumn::People, false, false, false, 0, m_fx->books));
    const QString source = ItemStatements::PeopleLinkSource(*m_fx->books, "O'Hara");
    QVERIFY(source.startsWith("[" + m_fx->books->DBName() + "] WHERE [P1] LIKE '*O''Hara*' OR [P2] LIKE"));
    QVERIFY(source.endsWith("[P38] LIKE '*O''Hara*' "));
    QVERIFY(!source.contains("[P39]"));
    QVERIFY(m_fx->AddItem(m_fx->books, "[Title],[P38]", "'Found','Ann; O''Hara'"));
    QVERIFY(m_fx->AddItem(m_fx->books, "[Title],[P39]", "'Missed','O''Hara'"));
    QCOMPARE(Run("SELECT [Title] FROM " + source), QStringList("Found"));
}

void TestItemStatements::internetAddresses_data()
{
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("address");
    QTest::newRow("empty") << "  " << "";
    QTest::newRow("e-mail") << "me@example.org" << "mailto:me@example.org";
    QTest::newRow("e-mail with its protocol") << "mailto:me@example.org" << "mailto:me@example.org";
    QTest::newRow("host name") << "www.example.org" << "http://www.example.org";
    QTest::newRow("ftp") << "ftp://files.example.org" << "ftp://files.example.org";
    QTest::newRow("protocol in capitals") << "HTTPS://example.org" << "HTTPS://example.org";
    QTest::newRow("local file") << "/home/me/list.pdf" << "/home/me/list.pdf";
}

void TestItemStatements::internetAddresses()
{
    QFETCH(QString, cell);
    QFETCH(QString, address);
    QCOMPARE(InternetAddress(cell), address);
}

QTEST_GUILESS_MAIN(TestItemStatements)
#include "tst_itemstatements.moc"
