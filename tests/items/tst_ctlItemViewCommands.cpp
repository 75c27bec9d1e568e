#include "../controls/GridDriver.h"
#include "../model/FakeViews.h"
#include "../model/ModelFixture.h"

#include "controls/GridColumn.h"
#include "controls/ShellOpen.h"
#include "controls/ctlDataGrid.h"
#include "items/ctlItemView.h"
#include "items/frmMoveToItem.h"
#include "items/frmMoveToSubject.h"
#include "items/frmSingleValueSelect.h"
#include "model/Categories.h"
#include "model/clsColumn.h"
#include "model/clsColumns.h"
#include "tree/ctlSubjectView.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

// What the item view's commands write, read back from the catalog file: edits, new rows, deletion, moves,
// links, and the typing aids of People cells.
class TestCtlItemViewCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void everyViewTypeShowsItsItems_data();
    void everyViewTypeShowsItsItems();
    void cellEditStampsModifiedAndRegistersPeopleOnce();
    void valueOfTheWrongTypeIsRefused();
    void newRowIsFiledUnderTheSubject_data();
    void newRowIsFiledUnderTheSubject();
    void addItemAndOpenItem();
    void deleteRemovesTheItemsLinksAndNothingElse();
    void moveToSubject();
    void moveUnderAnItem();
    void relationalLinkKeepsAnApostropheInTheTitle();
    void moveDialogsWorkedByHand();
    void typeAheadCompletesAndBackspaceDoesNot();
    void cellButtons();
    void keys();
    void menuFollowsViewTypeAndSelection_data();
    void menuFollowsViewTypeAndSelection();

private:
    // A view on a subject, shown so that clicks and keys reach it.
    std::unique_ptr<ctlItemView> ShowView(const Subject& subject, int viewType = ctlItemView::SubjectItems);
    // The row showing an item, 0 when none does.
    static int RowOf(ctlItemView& view, int id);
    int AddBook(const QString& subject, const QString& title, const QString& editor = QString());

    std::unique_ptr<ModelFixture> m_fx;
    QString m_plain;
    QString m_other;
    QString m_table;
    Category* m_people = nullptr;
    Category* m_relational = nullptr;
};

void TestCtlItemViewCommands::init()
{
    m_fx = std::make_unique<ModelFixture>();
    QVERIFY(m_fx->Setup());
    QVERIFY(modDBOperations::AddField(m_fx->db(), m_fx->books->DBName(), "Editor", clsColumn::People, false, false,
                                      false, 0, m_fx->books));
    QVERIFY(modDBOperations::AddField(m_fx->db(), m_fx->books->DBName(), "Site", clsColumn::InternetFile, false,
                                      false, false, 0, m_fx->books));
    m_plain = m_fx->NewSubject(m_fx->books, "Novels");
    m_other = m_fx->NewSubject(m_fx->books, "Essays");
    m_table = m_fx->books->DBName();
    m_people = Catalog().categories().PeopleCategory();
    m_relational = Catalog().categories().RelationalCategory();
    QVERIFY(m_people && m_relational);
}

void TestCtlItemViewCommands::cleanup()
{
    m_fx.reset();
}

std::unique_ptr<ctlItemView> TestCtlItemViewCommands::ShowView(const Subject& subject, int viewType)
{
    auto view = std::make_unique<ctlItemView>();
    view->SetViewType(viewType);
    view->Setup();
    view->resize(2400, 400);
    view->show();
    if (!QTest::qWaitForWindowExposed(view.get()))
        return nullptr;
    view->SetSubject(subject);
    view->RefreshView();
    return view;
}

int TestCtlItemViewCommands::RowOf(ctlItemView& view, int id)
{
    ctlDataGrid* grid = view.GridExControl();
    GridColumn* key = grid->ColumnByKey(view.ViewType() == ctlItemView::RelationalItems ? "RecordID" : "ID");
    for (int row = 1; row <= grid->RowCount(); ++row)
        if (grid->RowValue(row, key->Index()).toInt() == id)
            return row;
    return 0;
}

// Works a modal window once it is open: it may run the event loop while it builds itself.
template <class Find, class Act> void WhenOpen(Find find, Act act)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, find, act] {
        if (auto* window = find()) {
            timer->stop();
            timer->deleteLater();
            act(window);
        }
    });
    timer->start(10);
}

int TestCtlItemViewCommands::AddBook(const QString& subject, const QString& title, const QString& editor)
{
    QString quotedTitle = title;
    quotedTitle.replace("'", "''");
    QString quotedEditor = editor;
    quotedEditor.replace("'", "''");
    return m_fx->AddItem(m_fx->books, "[TreeID],[Title],[Editor]",
                         subject + ",'" + quotedTitle + "','" + quotedEditor + "'");
}

void TestCtlItemViewCommands::everyViewTypeShowsItsItems_data()
{
    QTest::addColumn<int>("viewType");
    QTest::newRow("single item") << int(ctlItemView::SingleItem);
    QTest::newRow("sub-items") << int(ctlItemView::SubItems);
    QTest::newRow("item picker") << int(ctlItemView::ItemPicker);
    QTest::newRow("people links") << int(ctlItemView::PeopleLinks);
}

void TestCtlItemViewCommands::everyViewTypeShowsItsItems()
{
    QFETCH(int, viewType);
    const int dune = AddBook(m_plain, "Dune", "O'Hara; Smith");
    const int emma = AddBook(m_other, "Emma", "Smith");
    const int walden = AddBook("0", "Walden", "O'Hara");
    AddBook(m_plain, "Beloved", "OHara");
    QVERIFY(m_fx->db().Execute("UPDATE [" + m_table + "] SET [ParentID] = 7 WHERE [ID] IN (" +
                               QString::number(emma) + "," + QString::number(walden) + ")"));

    ctlItemView view;
    view.SetViewType(viewType);
    view.Setup();
    view.SetSubject(m_fx->books->RootSubject());
    QString where;
    if (viewType == ctlItemView::SingleItem) {
        view.SingleItemID = dune;
        where = "[ID] = " + QString::number(dune);
    } else if (viewType == ctlItemView::SubItems) {
        view.ParentID = 7;
        where = "[ParentID] = 7";
    } else if (viewType == ctlItemView::PeopleLinks) {
        where = "[Editor] LIKE '*O''Hara*'";
    }
    view.RefreshView(nullptr, viewType == ctlItemView::PeopleLinks ? "O'Hara" : QString());
    const QString sql = "SELECT [ID] FROM [" + m_table + "]" + (where.isEmpty() ? "" : " WHERE " + where) +
                        " ORDER BY [Title]";
    QStringList shown;
    GridColumn* id = view.GridExControl()->ColumnByKey("ID");
    for (int row = 1; row <= view.GridExControl()->RowCount(); ++row)
        shown << view.GridExControl()->RowValue(row, id->Index()).toString();
    QCOMPARE(shown, m_fx->Column(sql));
    QVERIFY(!shown.isEmpty());
    if (viewType == ctlItemView::SingleItem) {
        // The card shows every column but the icon one, hidden columns included.
        QVERIFY(!view.GridExControl()->ColumnByKey("GridEXIcon")->Visible());
        QVERIFY(view.GridExControl()->ColumnByKey("TreeID")->Visible());
        QCOMPARE(view.GridExControl()->layout(), ctlDataGrid::Layout::Card);
    }
    if (viewType == ctlItemView::PeopleLinks) {
        // The name is kept for the next load.
        view.RefreshView();
        QVERIFY(view.RecordSource().contains("LIKE '*O''Hara*'"));
    }
}

void TestCtlItemViewCommands::cellEditStampsModifiedAndRegistersPeopleOnce()
{
    const int dune = AddBook(m_plain, "Dune");
    auto view = ShowView(Subject(m_plain));
    QVERIFY(view);
    ctlDataGrid* grid = view->GridExControl();
    GridDriver driver(*grid);
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);

    driver.Enter(RowOf(*view, dune), grid->ColumnByKey("Editor")->Index(), "Smith; Jones ;Smith");
    const QString where = " WHERE [ID] = " + QString::number(dune);
    QCOMPARE(m_fx->Value("SELECT [Editor] FROM [" + m_table + "]" + where), QString("Smith; Jones ;Smith"));
    const Result<QVariant> stamp = m_fx->db().LookupValue("SELECT [Modified] FROM [" + m_table + "]" + where);
    const std::optional<QDateTime> modified =
        stamp && stamp->toDateTime().isValid() ? std::optional(stamp->toDateTime()) : std::nullopt;
    QVERIFY2(modified && *modified >= before.addSecs(-1) && *modified <= QDateTime::currentDateTime().addSecs(1),
             qPrintable(m_fx->Value("SELECT [Modified] FROM [" + m_table + "]" + where)));
    const QString people = "SELECT [Name] FROM [" + m_people->DBName() + "] WHERE [Category] = '" +
                           QString::number(m_fx->books->ID()) + "' ORDER BY [Name]";
    QCOMPARE(m_fx->Column(people), QStringList({"Jones", "Smith"}));

    // Typing the names again adds nobody; a title edit stamps too and reports the new title.
    QVERIFY(m_fx->db().Execute("UPDATE [" + m_table + "] SET [Modified] = Null" + where));
    QSignalSpy titles(view.get(), &ctlItemView::TitleChange);
    driver.Enter(RowOf(*view, dune), grid->ColumnByKey("Editor")->Index(), "Jones");
    driver.Enter(RowOf(*view, dune), grid->ColumnByKey("Title")->Index(), "Dune Messiah");
    QCOMPARE(m_fx->Column(people), QStringList({"Jones", "Smith"}));
    QVERIFY(!m_fx->Value("SELECT [Modified] FROM [" + m_table + "]" + where).isEmpty());
    QCOMPARE(titles.count(), 1);
    QCOMPARE(titles.first().first().toString(), QString("Dune Messiah"));

    // After the list moves to another category, names typed there are that category's people.
    Category* films = m_fx->AddCategory("Films");
    QVERIFY(modDBOperations::AddField(m_fx->db(), films->DBName(), "Director", clsColumn::People, false, false, false,
                                      0, films));
    const int alien = m_fx->AddItem(films, "[Title]", "'Alien'");
    view->SetSubject(films->RootSubject());
    view->RefreshView();
    driver.Enter(RowOf(*view, alien), grid->ColumnByKey("Director")->Index(), "Scott");
    QCOMPARE(m_fx->Column("SELECT [Category] FROM [" + m_people->DBName() + "] WHERE [Name] = 'Scott'"),
             QStringList(QString::number(films->ID())));
}

void TestCtlItemViewCommands::valueOfTheWrongTypeIsRefused()
{
    const int dune = AddBook(m_plain, "Dune");
    QVERIFY(m_fx->db().Execute("UPDATE [" + m_table + "] SET [Year] = 1965 WHERE [ID] = " + QString::number(dune)));
    auto view = ShowView(Subject(m_plain));
    QVERIFY(view);
    ctlDataGrid* grid = view->GridExControl();
    GridDriver driver(*grid);
    driver.Enter(RowOf(*view, dune), grid->ColumnByKey("Year")->Index(), "soon");

    QCOMPARE(m_fx->ui.messages,
             QStringList("The value entered for this column does not match its type.  Please enter a new value or "
                         "press ESC to return the column to its previous value."));
    QVERIFY(grid->IsEditing()); // open for a correction
    GridDriver::Press(Qt::Key_Escape);
    QVERIFY(!grid->IsEditing());
    const QString where = " WHERE [ID] = " + QString::number(dune);
    QCOMPARE(m_fx->Value("SELECT [Year] FROM [" + m_table + "]" + where), QString("1965"));
    QCOMPARE(m_fx->Value("SELECT [Modified] FROM [" + m_table + "]" + where), QString());
}

void TestCtlItemViewCommands::newRowIsFiledUnderTheSubject_data()
{
    QTest::addColumn<bool>("atRoot");
    QTest::newRow("plain subject") << false;
    QTest::newRow("category root") << true;
}

void TestCtlItemViewCommands::newRowIsFiledUnderTheSubject()
{
    QFETCH(bool, atRoot);
    AddBook(m_plain, "Dune");
    auto view = ShowView(atRoot ? m_fx->books->RootSubject() : Subject(m_plain));
    QVERIFY(view);
    QSignalSpy counts(view.get(), &ctlItemView::UpdateCount);
    ctlDataGrid* grid = view->GridExControl();
    GridDriver driver(*grid);
    driver.Enter(ctlDataGrid::NewRow, grid->ColumnByKey("Title")->Index(), "Zebra");

    const QString where = " FROM [" + m_table + "] WHERE [Title] = 'Zebra'";
    QCOMPARE(m_fx->Count("SELECT COUNT(*)" + where), 1);
    QCOMPARE(m_fx->Value("SELECT [TreeID]" + where), atRoot ? QString("0") : m_plain);
    QCOMPARE(m_fx->Value("SELECT [ParentID]" + where), QString("0"));
    QVERIFY(!m_fx->Value("SELECT [Created]" + where).isEmpty());
    QCOMPARE(m_fx->Value("SELECT [Created]" + where), m_fx->Value("SELECT [Modified]" + where));
    QCOMPARE(counts.count(), 1);
    QCOMPARE(counts.first().first().toInt(), 2);
}

void TestCtlItemViewCommands::addItemAndOpenItem()
{
    FakeEditorWindows windows;
    struct Recorder : FakeEditorWindows {
        bool BringEditorWindowToFront(int categoryId, int itemId) override
        {
            return open.contains({categoryId, itemId});
        }
        void OpenEditorWindow(const Subject& subject, int itemId, bool isNew) override
        {
            open.append({subject.category()->ID(), itemId});
            opened.append({itemId, isNew});
        }
        QList<std::pair<int, int>> open;
        QList<std::pair<int, bool>> opened;
    } editors;
    const int dune = AddBook(m_plain, "Dune");
    auto view = ShowView(Subject(m_plain));
    QVERIFY(view);

    view->AddItem();
    QCOMPARE(editors.opened.size(), 1);
    const int added = editors.opened.first().first;
    QVERIFY(editors.opened.first().second);
    const QString where = " FROM [" + m_table + "] WHERE [ID] = " + QString::number(added);
    QCOMPARE(m_fx->Value("SELECT [TreeID]" + where), m_plain);
    QCOMPARE(m_fx->Value("SELECT [ParentID]" + where), QString("0"));
    QCOMPARE(m_fx->Value("SELECT [Created]" + where), QString());
    QVERIFY(RowOf(*view, added) > 0);

    // An open item comes to the front instead of opening twice; a missing one is reported.
    view->OpenItem(added);
    view->OpenItem(dune);
    QCOMPARE(editors.opened.size(), 2);
    QCOMPARE(editors.opened.last(), std::make_pair(dune, false));
    view->OpenItem(dune);
    QCOMPARE(editors.opened.size(), 2);
    view->OpenItem(9999);
    QCOMPARE(m_fx->ui.messages, QStringList("The item you've attempted to open does not exist, and may have been "
                                            "deleted in another view."));

    // Sub-items get their parent; a double-click on an empty list of sub-items makes a new one.
    auto subItems = std::make_unique<ctlItemView>();
    subItems->SetViewType(ctlItemView::SubItems);
    subItems->Setup();
    subItems->SetSubject(m_fx->books->RootSubject());
    subItems->ParentID = dune;
    subItems->RefreshView();
    QCOMPARE(subItems->GridExControl()->RowCount(), 0);
    Q_EMIT subItems->GridExControl()->DoubleClicked();
    QCOMPARE(editors.opened.size(), 3);
    QCOMPARE(m_fx->Value("SELECT [ParentID] FROM [" + m_table + "] WHERE [ID] = " +
                         QString::number(editors.opened.last().first)),
             QString::number(dune));
    QCOMPARE(m_fx->Value("SELECT [TreeID] FROM [" + m_table + "] WHERE [ID] = " +
                         QString::number(editors.opened.last().first)),
             QString("0"));
}

void TestCtlItemViewCommands::deleteRemovesTheItemsLinksAndNothingElse()
{
    const int dune = AddBook(m_plain, "Dune", "Smith");
    const int emma = AddBook(m_plain, "Emma");
    const QString books = QString::number(m_fx->books->ID());
    const QString fields = "[TreeID],[Category],[RecordID],[Title]";
    const QString duneId = QString::number(dune);
    QVERIFY(m_fx->AddItem(m_relational, fields, "0,'" + books + "'," + duneId + ",'Dune'"));
    QVERIFY(m_fx->AddItem(m_relational, fields, "0,'" + books + "'," + duneId + ",'Dune again'"));
    QVERIFY(m_fx->AddItem(m_relational, fields, "0,'" + books + "'," + QString::number(emma) + ",'Emma'"));
    // Another category's item with the same number keeps its link.
    QVERIFY(m_fx->AddItem(m_relational, fields, "0,'" + QString::number(m_people->ID()) + "'," + duneId + ",'X'"));
    auto view = ShowView(Subject(m_plain));
    QVERIFY(view);
    ctlDataGrid* grid = view->GridExControl();
    QSignalSpy confirmed(view.get(), &ctlItemView::DeleteConfirmed);
    QSignalSpy counts(view.get(), &ctlItemView::UpdateCount);

    grid->ClearSelection();
    grid->SelectRow(RowOf(*view, dune));
    m_fx->ui.answers << UserInterface::No;
    view->DeleteSelected();
    QCOMPARE(m_fx->Count("SELECT COUNT(*) FROM [" + m_table + "]"), 2);
    QCOMPARE(confirmed.count(), 0);

    // The Del key of the list, as a person deletes.
    m_fx->ui.answers << UserInterface::Yes;
    view->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(view.get()));
    grid->ActiveView()->setFocus();
    QTest::keyClick(grid->ActiveView(), Qt::Key_Delete);
    QCOMPARE(m_fx->ui.messages.last(), QString("Continue with delete of selected item(s)?\r\n\r\nThis operation will "
                                               "also remove any relational links associated with the item(s)."));
    QCOMPARE(confirmed.count(), 1);
    QCOMPARE(m_fx->Column("SELECT [ID] FROM [" + m_table + "]"), QStringList(QString::number(emma)));
    QCOMPARE(m_fx->Column("SELECT [Title] FROM [" + m_relational->DBName() + "] ORDER BY [Title]"),
             QStringList({"Emma", "X"}));
    QCOMPARE(counts.last().first().toInt(), 1);
    QCOMPARE(grid->RowCount(), 1);

    // Deleting a link leaves the other links, the linked item and its people as they are.
    auto links = ShowView(m_relational->RootSubject(), ctlItemView::RelationalItems);
    QVERIFY(links);
    links->GridExControl()->ClearSelection();
    links->GridExControl()->SelectRow(RowOf(*links, emma));
    m_fx->ui.answers << UserInterface::Yes;
    links->DeleteSelected();
    QCOMPARE(m_fx->Column("SELECT [Title] FROM [" + m_relational->DBName() + "]"), QStringList("X"));
    QCOMPARE(m_fx->Count("SELECT COUNT(*) FROM [" + m_table + "]"), 1);
}

void TestCtlItemViewCommands::moveToSubject()
{
    const int dune = AddBook(m_plain, "Dune");
    const int emma = AddBook(m_plain, "Emma");
    const int walden = AddBook(m_plain, "Walden");
    auto view = ShowView(Subject(m_plain));
    QVERIFY(view);
    ctlDataGrid* grid = view->GridExControl();
    const QString treeIds = "SELECT [TreeID] FROM [" + m_table + "] ORDER BY [ID]";

    grid->ClearSelection();
    view->MoveToSubject();
    QCOMPARE(m_fx->ui.messages, QStringList("Please select the items you wish to move."));

    grid->SelectRow(RowOf(*view, dune));
    grid->SelectRow(RowOf(*view, walden));
    frmMoveToSubject::QueueAnswerForTesting(QString()); // cancelled
    view->MoveToSubject();
    QCOMPARE(m_fx->Column(treeIds), QStringList({m_plain, m_plain, m_plain}));

    frmMoveToSubject::QueueAnswerForTesting(m_other);
    view->MoveToSubject();
    QCOMPARE(m_fx->Column(treeIds), QStringList({m_other, m_plain, m_other}));
    QCOMPARE(grid->RowCount(), 1); // gone from this subject's list
    QCOMPARE(view->CurrentID(), emma);

    // From the root, to the root: the list stays as it is.
    auto root = ShowView(m_fx->books->RootSubject());
    QVERIFY(root);
    root->GridExControl()->ClearSelection();
    root->GridExControl()->SelectRow(RowOf(*root, emma));
    frmMoveToSubject::QueueAnswerForTesting(m_fx->books->DBName());
    root->MoveToSubject();
    QCOMPARE(m_fx->Column(treeIds), QStringList({m_other, "0", m_other}));
    QCOMPARE(root->GridExControl()->RowCount(), 3);
}

void TestCtlItemViewCommands::moveUnderAnItem()
{
    Category* chapters = m_fx->AddCategory("Chapters");
    QVERIFY(chapters && !chapters->SetParent(m_fx->books->ID()));
    const int dune = AddBook(m_plain, "Dune");
    const int one = m_fx->AddItem(chapters, "[Title]", "'One'");
    const int two = m_fx->AddItem(chapters, "[Title]", "'Two'");
    m_fx->AddItem(chapters, "[Title]", "'Three'");
    auto view = ShowView(chapters->RootSubject());
    QVERIFY(view);
    QVERIFY(view->MenuEntry("Item")->isVisible());
    ctlDataGrid* grid = view->GridExControl();
    grid->ClearSelection();
    grid->SelectRow(RowOf(*view, one));
    grid->SelectRow(RowOf(*view, two));
    const QString parents = "SELECT [ParentID] FROM [" + chapters->DBName() + "] ORDER BY [ID]";

    frmMoveToItem::QueueAnswerForTesting(0);
    view->MoveToItem();
    QCOMPARE(m_fx->Column(parents), QStringList({"", "", ""}));
    frmMoveToItem::QueueAnswerForTesting(dune);
    view->MoveToItem();
    QCOMPARE(m_fx->Column(parents), QStringList({QString::number(dune), QString::number(dune), ""}));

    // The sub-item list of the book now shows them; a category without a parent offers no such move.
    ctlItemView subItems;
    subItems.SetViewType(ctlItemView::SubItems);
    subItems.Setup();
    subItems.SetSubject(chapters->RootSubject());
    subItems.ParentID = dune;
    subItems.RefreshView();
    QCOMPARE(subItems.GridExControl()->RowCount(), 2);
    auto books = ShowView(Subject(m_plain));
    QVERIFY(!books->MenuEntry("Item")->isVisible());
}

void TestCtlItemViewCommands::relationalLinkKeepsAnApostropheInTheTitle()
{
    const int guide = AddBook(m_plain, "O'Brien's Guide");
    const int dune = AddBook(m_plain, "Dune");
    const QString favourites = m_fx->NewSubject(m_relational, "Favourites");
    auto view = ShowView(Subject(m_plain));
    QVERIFY(view);
    ctlDataGrid* grid = view->GridExControl();
    grid->ClearSelection();
    grid->SelectRow(RowOf(*view, guide));
    grid->SelectRow(RowOf(*view, dune));
    frmMoveToSubject::QueueAnswerForTesting(favourites);
    view->CreateRelationalLinks();

    const QString links = "SELECT [TreeID] & '|' & [Category] & '|' & [RecordID] & '|' & [Title] FROM [" +
                          m_relational->DBName() + "] ORDER BY [Title]";
    const QString books = QString::number(m_fx->books->ID());
    QCOMPARE(m_fx->Column(links), QStringList({favourites + "|" + books + "|" + QString::number(dune) + "|Dune",
                                         favourites + "|" + books + "|" + QString::number(guide) +
                                             "|O'Brien's Guide"}));

    // The link list shows them and opens the linked item in its own category.
    auto linkView = ShowView(Subject(favourites), ctlItemView::RelationalItems);
    QVERIFY(linkView);
    linkView->GridExControl()->SetRow(RowOf(*linkView, guide));
    QCOMPARE(linkView->CurrentID(), guide);
    QCOMPARE(linkView->ItemSubject()->category(), m_fx->books);
}

void TestCtlItemViewCommands::moveDialogsWorkedByHand()
{
    const QString query = m_fx->NewSubject(m_fx->books, "Found");
    QVERIFY(m_fx->db().Execute("UPDATE [Tree] SET [Type] = 1 WHERE [ID] = " + query));
    QString chosen = "not run";
    bool queryRefused = false;
    WhenOpen(&frmMoveToSubject::OpenInstanceForTesting, [&](frmMoveToSubject* dialog) {
        QTreeWidget* tree = dialog->MoveSubjectView()->Tree();
        tree->setCurrentItem(dialog->MoveSubjectView()->Node(query + "A"));
        queryRefused = !dialog->OkButton()->isEnabled();
        tree->setCurrentItem(dialog->MoveSubjectView()->Node(m_other + "A"));
        dialog->OkButton()->click();
    });
    chosen = frmMoveToSubject::OpenMoveDialog(*m_fx->books, false);
    QCOMPARE(chosen, m_other);
    QVERIFY(queryRefused);

    // The item picker returns the item current when OK is pressed, and its caption names it.
    const int emma = AddBook(m_plain, "Emma");
    AddBook(m_plain, "Dune");
    QString caption;
    WhenOpen(&frmMoveToItem::OpenInstanceForTesting, [&](frmMoveToItem* dialog) {
        ctlItemView* items = dialog->ToItemView();
        items->GridExControl()->SetRow(RowOf(*items, emma));
        Q_EMIT items->GridExControl()->MouseUp(Qt::LeftButton, Qt::NoModifier, QPoint());
        caption = dialog->windowTitle();
        dialog->findChild<QPushButton*>("OK")->click();
    });
    QCOMPARE(frmMoveToItem::OpenMoveToItemDialog(*m_fx->books), emma);
    QCOMPARE(caption, QString("Move to 'Emma'"));

    // The pick list gives the picked names joined by "; ".
    for (const char* name : {"Smith", "Jones", "Brown", "Adams"})
        QVERIFY(m_fx->AddItem(m_people, "[Category],[Name]",
                              "'" + QString::number(m_fx->books->ID()) + "','" + name + "'"));
    WhenOpen(&frmSingleValueSelect::OpenInstanceForTesting, [&](frmSingleValueSelect* pick) {
        ctlDataGrid* grid = pick->Grid();
        grid->ClearSelection();
        for (int row : {1, 3, 4}) // Adams, Jones, Smith in sorted order
            grid->SelectRow(row);
        pick->findChild<QAction*>("OK")->trigger();
    });
    const QString statement = "SELECT DISTINCT [Name] FROM [" + m_people->DBName() + "]";
    QCOMPARE(frmSingleValueSelect::GetSingleValue(statement, QPoint(500, 300)), QString("Adams; Jones; Smith"));
}

void TestCtlItemViewCommands::typeAheadCompletesAndBackspaceDoesNot()
{
    const int dune = AddBook(m_plain, "Dune");
    for (const char* name : {"Jones", "Smith", "Smithers"})
        QVERIFY(m_fx->AddItem(m_people, "[Category],[Name]",
                              "'" + QString::number(m_fx->books->ID()) + "','" + name + "'"));
    auto view = ShowView(Subject(m_plain));
    QVERIFY(view);
    ctlDataGrid* grid = view->GridExControl();
    GridDriver driver(*grid);
    driver.Click(RowOf(*view, dune), grid->ColumnByKey("Editor")->Index());
    QCOMPARE(view->CompletionCandidates().size(), 3);

    GridDriver::Type("sm");
    QVERIFY(grid->IsEditing());
    QCOMPARE(grid->EditText(), QString("Smith"));
    QCOMPARE(grid->EditSelText(), QString("ith"));
    GridDriver::Press(Qt::Key_Backspace);
    QCOMPARE(grid->EditText(), QString("Sm"));
    GridDriver::Type("ithe");
    QCOMPARE(grid->EditText(), QString("Smithers"));
    GridDriver::Press(Qt::Key_Return);
    QCOMPARE(m_fx->Value("SELECT [Editor] FROM [" + m_table + "] WHERE [ID] = " + QString::number(dune)),
             QString("Smithers"));

    // A name typed in one row is offered in the next without leaving the column.
    const int emma = AddBook(m_plain, "Emma");
    view->RefreshView();
    driver.Enter(RowOf(*view, dune), grid->ColumnByKey("Editor")->Index(), "Zelazny");
    driver.Click(RowOf(*view, emma), grid->ColumnByKey("Editor")->Index());
    GridDriver::Type("ze");
    QCOMPARE(grid->EditText(), QString("Zelazny"));
}

void TestCtlItemViewCommands::cellButtons()
{
    const int dune = AddBook(m_plain, "Dune");
    auto view = ShowView(Subject(m_plain));
    QVERIFY(view);
    ctlDataGrid* grid = view->GridExControl();
    grid->SetRow(RowOf(*view, dune));

    // A pick from the list becomes the cell's value, and its people are registered.
    frmSingleValueSelect::QueueAnswerForTesting("Adams; Brown");
    Q_EMIT grid->CellButtonClicked(grid->ColumnByKey("Editor")->Index());
    const QString where = " WHERE [ID] = " + QString::number(dune);
    QCOMPARE(m_fx->Value("SELECT [Editor] FROM [" + m_table + "]" + where), QString("Adams; Brown"));
    QCOMPARE(m_fx->Count("SELECT COUNT(*) FROM [" + m_people->DBName() + "] WHERE [Name] IN ('Adams','Brown')"), 2);

    QStringList opened;
    ShellOpen::SetRecorderForTesting(&opened);
    const int site = grid->ColumnByKey("Site")->Index();
    const std::pair<const char*, const char*> addresses[] = {{"me@example.org", "mailto:me@example.org"},
                                                             {"example.org", "http://example.org"},
                                                             {"ftp://files.example.org", "ftp://files.example.org"}};
    for (const auto& [cell, address] : addresses) {
        QVERIFY(m_fx->db().Execute("UPDATE [" + m_table + "] SET [Site] = '" + cell + "'" + where));
        grid->Refetch();
        Q_EMIT grid->CellButtonClicked(site);
        QCOMPARE(opened.last(), QString(address));
    }
    QVERIFY(m_fx->db().Execute("UPDATE [" + m_table + "] SET [Site] = Null" + where));
    grid->Refetch();
    Q_EMIT grid->CellButtonClicked(site);
    ShellOpen::SetRecorderForTesting(nullptr);
    QCOMPARE(opened.size(), 3);
    QCOMPARE(m_fx->ui.messages.last(), QString("Entering an email or internet address in this column will allow you "
                                               "to open it in the appropriate program."));
}

void TestCtlItemViewCommands::keys()
{
    const int dune = AddBook(m_plain, "Dune");
    AddBook(m_plain, "Emma");
    auto view = ShowView(Subject(m_plain));
    QVERIFY(view);
    view->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(view.get()));
    ctlDataGrid* grid = view->GridExControl();
    grid->ActiveView()->setFocus();

    QTest::keyClick(grid->ActiveView(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(grid->SelectedCount(), 2);
    // Ctrl+Ins adds an item under the subject and starts on its title.
    QTest::keyClick(grid->ActiveView(), Qt::Key_Insert, Qt::ControlModifier);
    QCOMPARE(m_fx->Count("SELECT COUNT(*) FROM [" + m_table + "] WHERE [TreeID] = " + m_plain), 3);
    QVERIFY(grid->IsEditing());
    QCOMPARE(grid->Col(), grid->ColumnByKey("Title")->Index());
    grid->CancelEdit();

    // On the card, Tab goes from value to value.
    auto card = ShowView(Subject(m_plain), ctlItemView::SingleItem);
    card->Reset(true);
    card->SingleItemID = dune;
    card->RefreshView();
    ctlDataGrid* values = card->GridExControl();
    values->SetCol(values->ColumnByKey("Title")->Index());
    card->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(card.get()));
    values->ActiveView()->setFocus();
    QTest::keyClick(values->ActiveView(), Qt::Key_Tab);
    QCOMPARE(values->Column(values->Col())->Position(), values->ColumnByKey("Title")->Position() + 1);
}

void TestCtlItemViewCommands::menuFollowsViewTypeAndSelection_data()
{
    QTest::addColumn<int>("viewType");
    QTest::addColumn<QStringList>("hidden");
    QTest::newRow("subject items") << int(ctlItemView::SubjectItems) << QStringList({"Item"});
    QTest::newRow("query results") << int(ctlItemView::QueryResults)
                                   << QStringList({"Column Manager", "New", "Delete", "Item"});
    QTest::newRow("single item") << int(ctlItemView::SingleItem)
                                 << QStringList({"New", "Delete", "Group by", "Column Manager", "Item"});
    QTest::newRow("relational items") << int(ctlItemView::RelationalItems)
                                      << QStringList({"Column Manager", "New", "Publish", "Item",
                                                      "Create Relational Link"});
    QTest::newRow("people links") << int(ctlItemView::PeopleLinks)
                                  << QStringList({"Column Manager", "New", "Group by", "Item"});
}

void TestCtlItemViewCommands::menuFollowsViewTypeAndSelection()
{
    QFETCH(int, viewType);
    QFETCH(QStringList, hidden);
    AddBook(m_plain, "Dune");
    ctlItemView view;
    view.SetViewType(viewType);
    view.Setup();
    // Without a subject nothing can be acted on.
    QVERIFY(!view.MenuEntry("Column Manager")->isEnabled());
    QVERIFY(!view.MenuEntry("New")->isEnabled());
    QVERIFY(!view.MenuEntry("Open Item")->isEnabled());

    view.SetSubject(viewType == ctlItemView::RelationalItems ? m_relational->RootSubject() : Subject(m_plain));
    view.SingleItemID = 1;
    view.RefreshView(nullptr, "Smith");
    view.GridExControl()->ClearSelection();
    view.UpdateMenuState();
    const QStringList entries = {"Open Item", "Publish", "New",      "Delete",        "Move To",
                                 "Subject",   "Item",    "Create Relational Link", "Group by", "Column Manager"};
    for (const QString& name : entries)
        QCOMPARE(name + (view.MenuEntry(name)->isVisible() ? " shown" : " hidden"),
                 name + (hidden.contains(name) ? " hidden" : " shown"));
    for (const char* name : {"Open Item", "Delete", "Publish", "Move To", "Create Relational Link", "Group by"})
        QVERIFY2(!view.MenuEntry(name)->isEnabled(), name);
    if (view.GridExControl()->RowCount() > 0) {
        view.GridExControl()->SelectRow(1);
        view.UpdateMenuState();
        for (const char* name : {"Open Item", "Delete", "Publish", "Move To", "Group by"})
            if (!hidden.contains(name))
                QVERIFY2(view.MenuEntry(name)->isEnabled(), name);
    }
}

QTEST_MAIN(TestCtlItemViewCommands)
#include "tst_ctlItemViewCommands.moc"
