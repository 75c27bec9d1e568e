#include "../model/ModelFixture.h"

#include "app/frmMain.h"
#include "controls/GridColumn.h"
#include "controls/GridTableView.h"
#include "controls/ctlDataGrid.h"
#include "items/ctlItemView.h"
#include "model/Categories.h"
#include "model/clsColumn.h"
#include "model/clsQuery.h"
#include "model/clsQueryItem.h"
#include "platform/Recordset.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

// The item grid over a copy of a catalog with the category "Books"; every expectation is read back from the
// catalog file itself.
class TestCtlItemView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { m_fx.reset(); }
    void recordSourceShowsTheRightItems_data();
    void recordSourceShowsTheRightItems();
    void columnsFollowTheCategory();
    void openingASubjectSetsTheCountText_data();
    void openingASubjectSetsTheCountText();
    void headerClickSortsBothWays();
    void resizedWidthIsStoredForTheColumn_data();
    void resizedWidthIsStoredForTheColumn();
    void movedColumnsStoreTheirPositionsAfterTheTitle();
    void unreadableSourceShowsTheInvalidQueryMessage();
    void closingTheCatalogEmptiesTheView();

private:
    // The grid's rows as values of one column, top to bottom.
    static QStringList Shown(const ctlItemView& view, const QString& key);
    void AddBooks();

    std::unique_ptr<ModelFixture> m_fx;
    QString m_plain;
    QString m_other;
};

void TestCtlItemView::init()
{
    m_fx = std::make_unique<ModelFixture>();
    QVERIFY(m_fx->Setup());
    AddBooks();
}

void TestCtlItemView::AddBooks()
{
    m_plain = m_fx->NewSubject(m_fx->books, "Novels");
    m_other = m_fx->NewSubject(m_fx->books, "Essays");
    QVERIFY(!m_plain.isEmpty() && !m_other.isEmpty());
    const QString fields = "[TreeID],[Title],[Author],[Year],[Price],[Read]";
    struct Book {
        const QString* subject;
        const char* title;
        const char* author;
        int year;
    };
    const Book books[] = {{&m_plain, "Dune", "Herbert", 1965},   {&m_plain, "Beloved", "Morrison", 1987},
                          {&m_plain, "Carrie", "King", 1974},    {&m_other, "Walden", "Thoreau", 1854},
                          {&m_other, "Nature", "Emerson", 1836}, {nullptr, "Anathem", "Stephenson", 2008},
                          {&m_plain, "Emma", "Austen", 1815}};
    for (const Book& book : books) {
        const QString values = QString("%1,'%2','%3',%4,%5,%6")
                                   .arg(book.subject ? *book.subject : "0", book.title, book.author)
                                   .arg(book.year)
                                   .arg(book.year / 100.0)
                                   .arg(book.year % 2 ? -1 : 0);
        QVERIFY(m_fx->AddItem(m_fx->books, fields, values) > 0);
    }
}

QStringList TestCtlItemView::Shown(const ctlItemView& view, const QString& key)
{
    ctlDataGrid* grid = view.GridExControl();
    GridColumn* column = grid->ColumnByKey(key);
    if (!column)
        return {"no column " + key};
    QStringList values;
    for (int row = 1; row <= grid->RowCount(); ++row)
        values << grid->RowValue(row, column->Index()).toString();
    return values;
}

void TestCtlItemView::recordSourceShowsTheRightItems_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("plain subject") << "plain";
    QTest::newRow("category root") << "root";
    QTest::newRow("query subject") << "query";
    QTest::newRow("relational links") << "relational";
}

void TestCtlItemView::recordSourceShowsTheRightItems()
{
    QFETCH(QString, kind);
    const QString table = m_fx->books->DBName();
    ctlItemView view;
    view.Setup();
    QSignalSpy counts(&view, &ctlItemView::UpdateCount);
    QSignalSpy clicks(&view, &ctlItemView::Click);
    QString key = "ID";
    QString expected;
    int viewType = ctlItemView::SubjectItems;
    if (kind == "plain") {
        view.SetSubject(Subject(m_plain));
        expected = "SELECT [ID] FROM [" + table + "] WHERE [TreeID] = " + m_plain + " ORDER BY [Title]";
    } else if (kind == "root") {
        view.SetSubject(m_fx->books->RootSubject());
        expected = "SELECT [ID] FROM [" + table + "] ORDER BY [Title]";
    } else if (kind == "query") {
        // Items by author, wherever they are filed.
        const QString query = m_fx->NewSubject(m_fx->books, "Authors with an e");
        clsQuery criteria{Subject(query)};
        QVERIFY(!criteria.SetDefinable(true));
        criteria.Add("Author", clsQueryItem::Contains, "rr");
        criteria.Add("Author", clsQueryItem::BeginsWith, "Em");
        QVERIFY(!criteria.WriteData());
        view.SetSubject(Subject(query));
        viewType = ctlItemView::QueryResults;
        expected =
            "SELECT [ID] FROM [" + table + "] WHERE [Author] LIKE '*rr*' OR [Author] LIKE 'Em*' ORDER BY [Title]";
    } else {
        // Links filed under a subject of the Relational category; the current item is the linked one.
        Category* relational = Catalog().categories().RelationalCategory();
        const QString links = m_fx->NewSubject(relational, "Favourites");
        const QString other = m_fx->NewSubject(relational, "Others");
        const QString fields = "[TreeID],[Category],[RecordID],[Title]";
        const QString books = QString::number(m_fx->books->ID());
        QVERIFY(m_fx->AddItem(relational, fields, links + ",'" + books + "',5,'Walden'"));
        QVERIFY(m_fx->AddItem(relational, fields, links + ",'" + books + "',2,'Beloved'"));
        QVERIFY(m_fx->AddItem(relational, fields, other + ",'" + books + "',1,'Dune'"));
        view.SetSubject(Subject(links));
        viewType = ctlItemView::RelationalItems;
        key = "RecordID";
        expected =
            "SELECT [RecordID] FROM [" + relational->DBName() + "] WHERE [TreeID] = " + links + " ORDER BY [Title]";
    }
    view.SetViewType(viewType);
    view.RefreshView();

    const QStringList stored = m_fx->Column(expected);
    QVERIFY(!stored.isEmpty());
    QCOMPARE(Shown(view, key), stored);
    QCOMPARE(counts.count(), 1);
    QCOMPARE(counts.first().first().toInt(), stored.size());
    // The first row is current and reported: the linked item for a link, the item itself otherwise.
    QCOMPARE(view.CurrentID(), stored.first().toInt());
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(clicks.first().first().toInt(), stored.first().toInt());
    QCOMPARE(m_fx->ui.messages, QStringList());
    // Memo and Media columns never reach the statement.
    QVERIFY(!view.RecordSource().contains("[Notes]"));
    QVERIFY(!view.RecordSource().contains("[Cover]"));
}

void TestCtlItemView::columnsFollowTheCategory()
{
    clsColumns& columns = m_fx->books->Columns();
    QVERIFY(!columns.Item("Pages")->SetHidden(true));
    QVERIFY(!columns.Item("Author")->SetWidth(2500));
    QVERIFY(!columns.Item("Year")->SetPosition(1)); // right after the title

    ctlItemView view;
    view.Setup();
    view.SetSubject(Subject(m_plain));
    view.RefreshView();
    ctlDataGrid* grid = view.GridExControl();

    QCOMPARE(grid->ColumnByKey("Bought")->Format(), QString("Short Date"));
    QCOMPARE(grid->ColumnByKey("Bought")->ColumnSortKind(), GridColumn::SortKind::Date);
    QCOMPARE(grid->ColumnByKey("Price")->Format(), QString("Currency"));
    QCOMPARE(grid->ColumnByKey("Price")->ColumnSortKind(), GridColumn::SortKind::Number);
    QCOMPARE(grid->ColumnByKey("Read")->ColumnKind(), GridColumn::Kind::CheckBox);
    QCOMPARE(grid->ColumnByKey("Author")->ColumnKind(), GridColumn::Kind::Text);
    QCOMPARE(grid->ColumnByKey("Author")->MaxLength(), 255);
    QCOMPARE(grid->ColumnByKey("Author")->Width(), 2500);
    QCOMPARE(grid->ColumnByKey("Genre")->Tag(), QString("3"));
    QVERIFY(grid->ColumnByKey("Genre")->HasCellButton());
    QVERIFY(!grid->ColumnByKey("Pages")->Visible());
    QVERIFY(grid->ColumnByKey("Author")->Visible());
    QVERIFY(!grid->ColumnByKey("ID")->Visible());
    QVERIFY(!grid->ColumnByKey("Modified")->Visible());
    QVERIFY(!grid->ColumnByKey("Notes"));
    QVERIFY(!grid->ColumnByKey("Cover"));
    // The Subject column shows only at the category's root.
    QVERIFY(!grid->ColumnByKey("TreeID")->Visible());
    QCOMPARE(grid->ColumnByKey("Year")->Position(), view.TitleFieldPos() + 1);
    QVERIFY(view.TitleFieldPos() > 0);
    // A read check box shows checked.
    const int readColumn = grid->ColumnByKey("Read")->Index();
    const int titleColumn = grid->ColumnByKey("Title")->Index();
    for (int row = 1; row <= grid->RowCount(); ++row)
        if (grid->RowValue(row, titleColumn).toString() == "Beloved") // 1987: read
            QVERIFY(grid->RowValue(row, readColumn).toBool());

    view.Reset(true);
    view.SetSubject(m_fx->books->RootSubject());
    view.RefreshView();
    QVERIFY(grid->ColumnByKey("TreeID")->Visible());
    const QList<GridValueListItem>& subjects = grid->ColumnByKey("TreeID")->ValueList();
    QStringList names;
    for (const GridValueListItem& entry : subjects)
        names << entry.text;
    QVERIFY(names.contains("Novels"));
    QVERIFY(names.contains("Essays"));
}

void TestCtlItemView::openingASubjectSetsTheCountText_data()
{
    QTest::addColumn<int>("extra");
    QTest::addColumn<QString>("text");
    QTest::newRow("one") << -1 << "1 Item";
    QTest::newRow("several") << 0 << "4 Items";
    QTest::newRow("none") << -2 << "0 Items";
}

void TestCtlItemView::openingASubjectSetsTheCountText()
{
    QFETCH(int, extra);
    QFETCH(QString, text);
    frmMain window;
    window.EnableCatalogCommands(true);
    QCOMPARE(ItemViewInterface::Main(), window.ItemView());
    QString subject = m_plain;
    if (extra == -1) {
        subject = m_fx->NewSubject(m_fx->books, "Single");
        QVERIFY(m_fx->AddItem(m_fx->books, "[TreeID],[Title]", subject + ",'Solo'"));
    } else if (extra == -2) {
        subject = m_fx->NewSubject(m_fx->books, "Empty");
    }
    QVERIFY(Subject(subject).OpenSubject());
    QCOMPARE(window.StatusText(), text);
    // A refresh reloads the same subject.
    QVERIFY(m_fx->AddItem(m_fx->books, "[TreeID],[Title]", subject + ",'Zed'"));
    window.RefreshRight();
    const int count = m_fx->Column("SELECT [ID] FROM [" + m_fx->books->DBName() + "] WHERE [TreeID] = " + subject).size();
    QCOMPARE(window.StatusText(), QString::number(count) + (count == 1 ? " Item" : " Items"));
}

void TestCtlItemView::headerClickSortsBothWays()
{
    ctlItemView view;
    view.resize(3000, 400); // every header in sight
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.SetSubject(m_fx->books->RootSubject());
    view.RefreshView();
    ctlDataGrid* grid = view.GridExControl();
    const QString table = m_fx->books->DBName();

    auto click = [grid](const QString& key) {
        QHeaderView* header = grid->TableView()->horizontalHeader();
        const int logical = grid->ColumnByKey(key)->Index() - 1;
        const QPoint at(header->sectionViewportPosition(logical) + header->sectionSize(logical) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    };
    click("Year");
    QCOMPARE(Shown(view, "ID"), m_fx->Column("SELECT [ID] FROM [" + table + "] ORDER BY [Year]"));
    click("Year");
    QCOMPARE(Shown(view, "ID"), m_fx->Column("SELECT [ID] FROM [" + table + "] ORDER BY [Year] DESC"));
    // Another column replaces the key and starts ascending.
    click("Title");
    QCOMPARE(Shown(view, "ID"), m_fx->Column("SELECT [ID] FROM [" + table + "] ORDER BY [Title]"));
    QCOMPARE(grid->SortKeys().size(), 1);
}

void TestCtlItemView::resizedWidthIsStoredForTheColumn_data()
{
    QTest::addColumn<QString>("gridKey");
    QTest::addColumn<QString>("field");
    QTest::newRow("user column") << "Author"
                                 << "Author";
    QTest::newRow("subject column keeps the width of TreeID") << "TreeID"
                                                              << "TreeID";
}

void TestCtlItemView::resizedWidthIsStoredForTheColumn()
{
    QFETCH(QString, gridKey);
    QFETCH(QString, field);
    ctlItemView view;
    view.resize(3000, 400);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.SetSubject(m_fx->books->RootSubject());
    view.RefreshView();
    ctlDataGrid* grid = view.GridExControl();
    QHeaderView* header = grid->TableView()->horizontalHeader();
    const int logical = grid->ColumnByKey(gridKey)->Index() - 1;
    header->resizeSection(logical, header->sectionSize(logical) + 60);
    const int expected = grid->ColumnByKey(gridKey)->Width();
    QVERIFY(expected > 0);
    QCOMPARE(m_fx->Value("SELECT [Width] FROM [Columns]" + clsColumn::RowCondition(field, m_fx->books->ID())).toInt(),
             expected);
    // The next load builds the column at that width.
    view.Reset(true);
    view.RefreshView();
    QCOMPARE(grid->ColumnByKey(gridKey)->Width(), expected);
}

void TestCtlItemView::movedColumnsStoreTheirPositionsAfterTheTitle()
{
    ctlItemView view;
    view.resize(3000, 400);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.SetSubject(Subject(m_plain));
    view.RefreshView();
    ctlDataGrid* grid = view.GridExControl();
    QHeaderView* header = grid->TableView()->horizontalHeader();
    auto centre = [header](GridColumn* column) {
        const int logical = column->Index() - 1;
        return QPoint(header->sectionViewportPosition(logical) + header->sectionSize(logical) / 2,
                      header->height() / 2);
    };
    // A drag with the mouse, as in a person's hand.
    auto drag = [&](const QString& key, const QString& ontoKey) {
        const QPoint from = centre(grid->ColumnByKey(key));
        const QPoint to = centre(grid->ColumnByKey(ontoKey)) + QPoint(5, 0);
        QTest::mousePress(header->viewport(), Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), QPointF(header->viewport()->mapToGlobal(to)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(header->viewport(), &move);
        QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, to);
    };
    auto stored = [this](const QString& name) {
        return m_fx->Value("SELECT [Position] FROM [Columns]" + clsColumn::RowCondition(name, m_fx->books->ID()))
            .toInt();
    };
    const int titlePos = view.TitleFieldPos();
    QVERIFY(titlePos > 0);
    const int pricePos = grid->ColumnByKey("Price")->Position();

    drag("Title", "Price"); // the title stays
    QCOMPARE(grid->ColumnByKey("Title")->Position(), titlePos);
    drag("Price", "GridEXIcon"); // nothing goes before the title
    QCOMPARE(grid->ColumnByKey("Price")->Position(), pricePos);
    QCOMPARE(stored("Price"), 0);

    drag("Price", "Author");
    QVERIFY(grid->ColumnByKey("Price")->Position() < pricePos);
    QVERIFY(grid->ColumnByKey("Price")->Position() > titlePos);
    for (const QString name : {"Author", "Year", "Price", "Bought", "Read"})
        QCOMPARE(stored(name), grid->ColumnByKey(name)->Position() - titlePos);
    // The next load puts them where they were left.
    const int moved = grid->ColumnByKey("Price")->Position();
    view.Reset(true);
    view.RefreshView();
    QCOMPARE(grid->ColumnByKey("Price")->Position(), moved);
}

void TestCtlItemView::unreadableSourceShowsTheInvalidQueryMessage()
{
    ctlItemView view;
    view.Setup();
    QSignalSpy counts(&view, &ctlItemView::UpdateCount);
    view.SetSubject(Subject(m_plain));
    view.RefreshView();
    QCOMPARE(counts.count(), 1);
    // The table goes away behind the model's back: the next load cannot run its statement.
    QVERIFY(m_fx->db().Execute("DROP TABLE [" + m_fx->books->DBName() + "]"));
    view.Reset(true);
    view.RefreshView();
    QCOMPARE(m_fx->ui.messages, QStringList{"The query defined for this view is invalid. Please redefine the query "
                                            "in the subject's properties."});
    QVERIFY(!view.GridExControl()->IsBound());
    QCOMPARE(counts.count(), 2);
    QCOMPARE(counts.last().first().toInt(), 0);
}

void TestCtlItemView::closingTheCatalogEmptiesTheView()
{
    frmMain window;
    window.EnableCatalogCommands(true);
    QVERIFY(Subject(m_plain).OpenSubject());
    QVERIFY(window.ItemView()->GridExControl()->IsBound());
    // The close sequence resets the item views before it closes the file.
    window.ResetItemViews();
    QVERIFY(!window.ItemView()->GridExControl()->IsBound());
    QVERIFY(!window.ItemView()->HasSubject());
    QCOMPARE(window.ItemView()->GridExControl()->ColumnCount(), 0);
}

QTEST_MAIN(TestCtlItemView)
#include "tst_ctlItemView.moc"
