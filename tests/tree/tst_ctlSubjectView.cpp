#include "CatalogFixture.h"

#include "app/GuiUserInterface.h"
#include "app/frmMain.h"
#include "app/frmMessage.h"
#include "model/Category.h"
#include "model/Subject.h"
#include "storage/modDBCreation.h"
#include "storage/modDBOperations.h"
#include "tree/ctlSubjectView.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

namespace {

// The catalog every test starts from, made once:
//   Books:   Art, Fiction > (Crime > Noir, Sci-fi), history, Orphan (its parent row does not exist),
//            Wanted (a query subject); items in most subjects and at the root
//   Novels:  a sub category of Books
//   Secret:  hidden, with one subject; Poems: a sub category of Secret
//   Music:   Jazz > Bebop, Classical, Rock
//   People, Relational (built in); relational links filed under Books subjects
struct Layout {
    QString file;
    QHash<QString, QString> subject; // name -> [Tree].[ID]
    QHash<QString, int> category;    // name -> [Categories].[ID]
};

Layout& Made()
{
    static Layout layout;
    return layout;
}

const QString DragFormat = QStringLiteral("application/x-kestrowan-subject");

} // namespace

class TestCtlSubjectView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void buildsCategoriesAndNestedSubjects();
    void hiddenAndSubCategories();
    void selectingANodeSetsTheHeaderAndTheMenu();
    void relationalCategoryDisablesAddAndThePlugin();
    void contextMenuOnRightButtonRelease();
    void addSubjectStartsEditingItsName_data();
    void addSubjectStartsEditingItsName();
    void renameAcceptsNames_data();
    void renameAcceptsNames();
    void renameRefusesNames_data();
    void renameRefusesNames();
    void renameCategory();
    void deleteSubjectMovesItemsAndLinks_data();
    void deleteSubjectMovesItemsAndLinks();
    void deleteSubjectAnsweredNoChangesNothing();
    void deleteCategory_data();
    void deleteCategory();
    void specialCategoriesAreNotDeleted_data();
    void specialCategoriesAreNotDeleted();
    void dragAndDrop_data();
    void dragAndDrop();
    void restingOnANodeExpandsIt();
    void expandAndCollapseFromTheToolbar();
    void selectionOnlyMode();
    void keyExists_data();
    void keyExists();
    void closingTheCatalogEmptiesTheTree();
    void advancedSearchNeedsASelectedSubject();

private:
    // One test's program: its own copy of the catalog opened in a main window, as the program runs it.
    struct Session {
        CatalogFixture fx;
        std::unique_ptr<frmMain> window;
        std::unique_ptr<GuiUserInterface> gui;
        ctlSubjectView* view = nullptr;

        bool Open()
        {
            const QString copy = fx.path(QStringLiteral("test.kst"));
            if (!QFile::copy(Made().file, copy))
                return false;
            QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
            window = std::make_unique<frmMain>();
            gui = std::make_unique<GuiUserInterface>(window.get());
            SetUi(gui.get());
            view = window->SubjectView();
            Catalog().Subjects = view;
            window->show();
            if (!QTest::qWaitForWindowExposed(window.get()))
                return false;
            Catalog().OpenCatalog(clsFile(copy));
            return Catalog().Loaded();
        }
        ~Session()
        {
            Catalog().SetLoaded(false);
            SetUi(&fx.ui);
            Catalog().Subjects = nullptr;
            window.reset();
        }
        Database& db() { return *Catalog().database(); }
        QString Value(const QString& sql) { return modDBOperations::QueryValue(&db(), sql); }
        qint64 Count(const QString& sql) { return modDBOperations::QueryCount(sql, &db()); }
    };

    static QString Id(const QString& name) { return Made().subject.value(name); }
    static QString Key(const QString& name) { return Id(name) + QLatin1Char('A'); }
    static QString Table(const QString& name) { return QStringLiteral("ktbl%1").arg(Made().category.value(name)); }

    static QPoint Center(ctlSubjectView* view, const QString& key);
    static void Click(ctlSubjectView* view, const QString& key, Qt::MouseButton button = Qt::LeftButton);
    static QStringList Texts(ctlSubjectView* view, const QStringList& keys);
    static QLineEdit* Editor(ctlSubjectView* view);
    static bool Editing(ctlSubjectView* view);
    static bool Drag(ctlSubjectView* view, const QString& draggedKey, const QString& targetKey);
};

void TestCtlSubjectView::initTestCase()
{
    static QTemporaryDir dir;
    CatalogFixture fx;
    QVERIFY(fx.OpenNew(QStringLiteral("build.kst")));
    Layout& made = Made();
    Database& db = fx.db();
    const auto addCategory = [&](const QString& name) -> Category* {
        const Result<int> id = modDBCreation::CreateCategory(db, name, QStringLiteral("Title"), Category::Ordinary);
        if (!id)
            return nullptr;
        made.category.insert(name, *id);
        return Catalog().categories().Add(*id, &db);
    };
    const auto addSubject = [&](Category* category, const QString& name, const QString& parent = QString()) {
        const Result<qint64> id =
            Subject::Create(*category, name, parent.isEmpty() ? QString() : made.subject.value(parent));
        QVERIFY2(id.ok(), qPrintable(name));
        made.subject.insert(name, QString::number(*id));
    };
    const auto run = [&](const QString& sql) { QVERIFY2(db.Execute(sql).ok(), qPrintable(sql)); };
    for (const auto& category : Catalog().categories())
        made.category.insert(category->Name(), category->ID());
    QVERIFY(made.category.contains("People") && made.category.contains("Relational"));

    Category* books = addCategory("Books");
    Category* novels = addCategory("Novels");
    Category* secret = addCategory("Secret");
    Category* poems = addCategory("Poems");
    Category* music = addCategory("Music");
    QVERIFY(books && novels && secret && poems && music);
    addSubject(books, "Fiction");
    addSubject(books, "Crime", "Fiction");
    addSubject(books, "Noir", "Crime");
    addSubject(books, "Sci-fi", "Fiction");
    addSubject(books, "history");
    addSubject(books, "Art");
    addSubject(books, "Orphan");
    addSubject(books, "Wanted");
    addSubject(secret, "Hidden Subject");
    // A subject moved below its sibling while the tree still owes a sort must take no other sibling along.
    addSubject(music, "Jazz");
    addSubject(music, "Bebop", "Jazz");
    addSubject(music, "Classical");
    addSubject(music, "Rock");
    addSubject(Catalog().categories().Item(made.category.value("Relational")), "Links");
    run("UPDATE [Tree] SET [ParentID] = 99999 WHERE [ID] = " + made.subject.value("Orphan"));
    run("UPDATE [Tree] SET [Type] = 1 WHERE [ID] = " + made.subject.value("Wanted"));
    run(QStringLiteral("UPDATE [Categories] SET [Parent] = %1 WHERE [ID] = %2").arg(books->ID()).arg(novels->ID()));
    run(QStringLiteral("UPDATE [Categories] SET [Parent] = %1 WHERE [ID] = %2").arg(secret->ID()).arg(poems->ID()));
    run(QStringLiteral("UPDATE [Categories] SET [Hidden] = True WHERE [ID] = %1").arg(secret->ID()));

    // Items: two in Fiction, one in each of Crime, Noir, Sci-fi and Art, one at the root.
    const QList<std::pair<const char*, QString>> items = {{"Dune", made.subject.value("Fiction")},
                                                          {"Emma", made.subject.value("Fiction")},
                                                          {"Big Sleep", made.subject.value("Crime")},
                                                          {"Dark Passage", made.subject.value("Noir")},
                                                          {"Solaris", made.subject.value("Sci-fi")},
                                                          {"Gombrich", made.subject.value("Art")},
                                                          {"Loose", "0"}};
    for (const auto& [title, tree] : items)
        run(QStringLiteral("INSERT INTO [%1] ([Title],[TreeID]) VALUES ('%2', %3)").arg(books->DBName(), title, tree));
    // Links to Books items, filed by the linked item's subject.
    const QString relational = QStringLiteral("ktbl%1").arg(made.category.value("Relational"));
    for (const char* filedUnder : {"Crime", "Noir", "Art"})
        run(QStringLiteral("INSERT INTO [%1] ([Title],[TreeID],[Category],[RecordID],[RecordTreeID]) VALUES "
                           "('link', 0, '%2', 1, %3)")
                .arg(relational)
                .arg(books->ID())
                .arg(made.subject.value(filedUnder)));
    Catalog().SetLoaded(false);
    made.file = dir.filePath("layout.kst");
    QVERIFY(QFile::copy(fx.path("build.kst"), made.file));
}

void TestCtlSubjectView::init()
{
    frmMessage::PendingAnswersForTesting().clear();
    frmMessage::ShownMessagesForTesting().clear();
}

void TestCtlSubjectView::cleanup()
{
    // Every message box a test caused was answered by it.
    QCOMPARE(frmMessage::PendingAnswersForTesting().size(), 0);
    frmMessage::PendingAnswersForTesting().clear();
}

QPoint TestCtlSubjectView::Center(ctlSubjectView* view, const QString& key)
{
    QTreeWidgetItem* node = view->Node(key);
    if (!node)
        return {};
    for (QTreeWidgetItem* up = node->parent(); up; up = up->parent())
        up->setExpanded(true);
    view->Tree()->scrollToItem(node);
    return view->Tree()->visualItemRect(node).center();
}

void TestCtlSubjectView::Click(ctlSubjectView* view, const QString& key, Qt::MouseButton button)
{
    const QPoint at = Center(view, key);
    QVERIFY2(!at.isNull(), qPrintable(key));
    QTest::mouseClick(view->Tree()->viewport(), button, Qt::NoModifier, at);
}

QStringList TestCtlSubjectView::Texts(ctlSubjectView* view, const QStringList& keys)
{
    QStringList texts;
    for (const QString& key : keys)
        texts << view->NodeText(key);
    return texts;
}

QLineEdit* TestCtlSubjectView::Editor(ctlSubjectView* view)
{
    return view->Tree()->findChild<QLineEdit*>(QStringLiteral("NodeEditor"));
}

// Whether an editor is open on the highlighted node; Enter commits it on the next turn of the event loop.
bool TestCtlSubjectView::Editing(ctlSubjectView* view)
{
    return view->Tree()->indexWidget(view->Tree()->currentIndex()) != nullptr;
}

// A drag of draggedKey's node that enters the tree, moves over targetKey's node and drops there. True when
// the tree offered to take the drop.
bool TestCtlSubjectView::Drag(ctlSubjectView* view, const QString& draggedKey, const QString& targetKey)
{
    QWidget* viewport = view->Tree()->viewport();
    const QPoint from = Center(view, draggedKey);
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, from);
    const QPoint at = Center(view, targetKey);
    QMimeData data;
    data.setData(DragFormat, draggedKey.toUtf8());
    QDragEnterEvent enter(from, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    QDragMoveEvent move(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &move);
    const bool offered = move.isAccepted() && move.dropAction() == Qt::MoveAction;
    QDropEvent drop(QPointF(at), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &drop);
    return offered;
}

void TestCtlSubjectView::buildsCategoriesAndNestedSubjects()
{
    Session s;
    QVERIFY(s.Open());
    ctlSubjectView* view = s.view;
    const QString books = Table("Books");
    QCOMPARE(view->NodeText(books), QString("Books"));
    // Children by name without regard to case; the orphan hangs under its category; Novels is a sub category.
    QCOMPARE(Texts(view, view->ChildKeys(books)),
             (QStringList{"Art", "Fiction", "history", "Novels", "Orphan", "Wanted"}));
    QCOMPARE(Texts(view, view->ChildKeys(Key("Fiction"))), (QStringList{"Crime", "Sci-fi"}));
    QCOMPARE(view->ChildKeys(Key("Crime")), QStringList{Key("Noir")});
    QCOMPARE(view->Node(Key("Noir"))->data(0, Qt::UserRole + 2).toInt(), Id("Noir").toInt()); // tag: the ID
    // Pictures: folders for plain subjects, the magnifier for a query, the category kinds.
    QCOMPARE(view->NodeImage(Key("Art")), QString("Folder 256"));
    QCOMPARE(view->NodeSelectedImage(Key("Art")), QString("Open Folder"));
    QCOMPARE(view->NodeImage(Key("Wanted")), QString("Magnify"));
    QCOMPARE(view->NodeImage(books), QString("Special Folder"));
    QCOMPARE(view->NodeImage(Table("People")), QString("People"));
    QCOMPARE(view->NodeImage(Table("Relational")), QString("Relational"));
    QCOMPARE(view->NodeImage(Key("Links")), QString("Relational"));
    QVERIFY(!view->Tree()->topLevelItem(0)->icon(0).isNull());
    // Every subject of a shown category is in the tree, each once.
    QStringList rows;
    for (const QString& name : Made().subject.keys())
        if (name != "Hidden Subject")
            rows << Key(name);
    QStringList shown;
    for (const QString& key : view->AllKeys())
        if (key.endsWith('A'))
            shown << key;
    rows.sort();
    shown.sort();
    QCOMPARE(shown, rows);
    QCOMPARE(Texts(view, view->ChildKeys(Table("Music"))), (QStringList{"Classical", "Jazz", "Rock"}));
    QCOMPARE(view->ChildKeys(Key("Jazz")), QStringList{Key("Bebop")});
    // Everything starts collapsed.
    for (const QString& key : view->AllKeys())
        QVERIFY2(!view->IsExpanded(key), qPrintable(key));
}

void TestCtlSubjectView::hiddenAndSubCategories()
{
    Session s;
    QVERIFY(s.Open());
    ctlSubjectView* view = s.view;
    // The catalog says: Secret hidden, Poems below Secret, Novels below Books.
    QCOMPARE(s.Value("SELECT [Hidden] FROM [Categories] WHERE [Name] = 'Secret'"), QString("True"));
    QStringList roots;
    for (int i = 0; i < view->Tree()->topLevelItemCount(); ++i)
        roots << view->Tree()->topLevelItem(i)->text(0);
    QCOMPARE(roots, (QStringList{"Books", "Music", "People", "Poems", "Relational"}));
    QVERIFY(!view->HasNode(Table("Secret")));
    QVERIFY(!view->HasNode(Key("Hidden Subject")));
    QCOMPARE(view->Node(Table("Novels"))->parent(), view->Node(Table("Books")));

    // Any other view shows the hidden category's node, without its subjects.
    ctlSubjectView picker;
    picker.SetSelectionOnly(true);
    Catalog().categories().Item(Made().category.value("Secret"))->BuildSubjects(&picker);
    QVERIFY(picker.HasNode(Table("Secret")));
    QVERIFY(picker.ChildKeys(Table("Secret")).isEmpty());

    // Hiding a category from its properties takes it out of the main tree, and showing it puts it back.
    Category* music = Catalog().categories().Item(Made().category.value("Music"));
    QVERIFY(!music->SetTreeHidden(true));
    QVERIFY(!view->HasNode(Table("Music")));
    QVERIFY(!music->SetTreeHidden(false));
    QCOMPARE(Texts(view, view->ChildKeys(Table("Music"))), (QStringList{"Classical", "Jazz", "Rock"}));
}

void TestCtlSubjectView::selectingANodeSetsTheHeaderAndTheMenu()
{
    Session s;
    QVERIFY(s.Open());
    ctlSubjectView* view = s.view;
    QCOMPARE(s.window->HeaderCaption(), QString("Subject View"));
    // Focus arriving in the tree highlights a node of its own accord; that selects nothing.
    s.window->activateWindow();
    view->FocusTree();
    QTRY_VERIFY(view->Tree()->hasFocus());
    QVERIFY(view->Tree()->currentItem());
    QVERIFY(!view->Selected().has_value());
    QCOMPARE(s.window->HeaderCaption(), QString("Subject View"));
    // The menu over empty space, with nothing selected.
    const QPoint below(20, view->Tree()->viewport()->height() - 5);
    QTest::mouseClick(view->Tree()->viewport(), Qt::RightButton, Qt::NoModifier, below);
    QTRY_VERIFY(view->ContextMenu()->isVisible());
    view->ContextMenu()->hide();
    QVERIFY(!view->Selected().has_value());
    QVERIFY(!view->MenuEntry("Open Subject")->isEnabled());
    QVERIFY(!view->MenuEntry("Create Plugin")->isEnabled());
    QVERIFY(view->MenuEntry("New Category Wizard")->isEnabled()); // a catalog is loaded

    Click(view, Key("Crime"));
    QVERIFY(view->Selected().has_value());
    QCOMPARE(view->Selected()->ID(), Id("Crime"));
    QVERIFY(view->Status(1));
    QVERIFY(!view->Status(2));
    QCOMPARE(s.window->HeaderCaption(), QString("Crime"));
    const QLabel* picture = s.window->findChild<QWidget*>("InformationHeader")->findChild<QLabel*>();
    QVERIFY(picture && !picture->pixmap().isNull());
    QCOMPARE(view->MenuEntry("Delete")->text(), QString("&Delete \"Crime\""));
    QCOMPARE(view->MenuEntry("Rename")->text(), QString("Rena&me \"Crime\""));
    QCOMPARE(view->MenuEntry("Create Plugin")->text(), QString("&Create 'Crime' Plugin"));
    for (const char* entry : {"Open Subject", "New Category Wizard", "Create Plugin", "Add", "Delete", "Rename"})
        QVERIFY2(view->MenuEntry(entry)->isEnabled(), entry);
    QVERIFY(view->Node(Key("Crime"))->isSelected());

    // The keyboard moves the selection as a click does.
    view->FocusTree();
    QTest::keyClick(view->Tree(), Qt::Key_Down); // Crime is collapsed: its sibling is next
    QCOMPARE(view->Selected()->ID(), Id("Sci-fi"));
    QCOMPARE(s.window->HeaderCaption(), QString("Sci-fi"));

    Click(view, Table("Books"));
    QCOMPARE(view->Selected()->ID(), Table("Books"));
    QCOMPARE(s.window->HeaderCaption(), QString("Books"));
    QVERIFY(s.window->Command("Add")->isEnabled());
}

void TestCtlSubjectView::relationalCategoryDisablesAddAndThePlugin()
{
    Session s;
    QVERIFY(s.Open());
    Click(s.view, Key("Links"));
    QCOMPARE(s.window->HeaderCaption(), QString("Links"));
    QVERIFY(!s.window->Command("Add")->isEnabled());
    QVERIFY(!s.view->MenuEntry("Create Plugin")->isVisible());
    Click(s.view, Table("People"));
    QVERIFY(s.window->Command("Add")->isEnabled());
    QVERIFY(s.view->MenuEntry("Create Plugin")->isVisible());
    QCOMPARE(s.view->MenuEntry("Create Plugin")->text(), QString("&Create 'People' Plugin"));
}

void TestCtlSubjectView::contextMenuOnRightButtonRelease()
{
    Session s;
    QVERIFY(s.Open());
    ctlSubjectView* view = s.view;
    QWidget* viewport = view->Tree()->viewport();
    const QPoint at = Center(view, Key("Art"));
    QTest::mousePress(viewport, Qt::RightButton, Qt::NoModifier, at);
    QCOMPARE(view->Selected()->ID(), Id("Art")); // the press selects at once
    QVERIFY(!view->ContextMenu()->isVisible());
    QTest::mouseRelease(viewport, Qt::RightButton, Qt::NoModifier, at);
    QTRY_VERIFY(view->ContextMenu()->isVisible());
    QCOMPARE(view->ContextMenu()->defaultAction(), view->MenuEntry("Open Subject"));
    QStringList entries;
    for (QAction* action : view->ContextMenu()->actions())
        entries << (action->isSeparator() ? "-" : action->text());
    QCOMPARE(entries, (QStringList{"&Open Subject", "-", "&New Category Wizard...", "&Create 'Art' Plugin", "-", "&Add",
                                   "&Delete \"Art\"", "Rena&me \"Art\"", "-", "&Properties"}));
    view->ContextMenu()->hide();

    // Entries whose windows come later say so.
    frmMessage::QueueAnswerForTesting(1);
    view->MenuEntry("Properties")->trigger();
    frmMessage::QueueAnswerForTesting(1);
    view->MenuEntry("New Category Wizard")->trigger();
    QCOMPARE(frmMessage::ShownMessagesForTesting().size(), 2);
    for (const QString& message : frmMessage::ShownMessagesForTesting())
        QVERIFY2(message.contains("not available yet"), qPrintable(message));
}

void TestCtlSubjectView::addSubjectStartsEditingItsName_data()
{
    QTest::addColumn<QString>("under");
    QTest::addColumn<QString>("parentId");
    QTest::newRow("under the category") << Table("Books") << "0";
    QTest::newRow("under a subject") << Key("Crime") << Id("Crime");
}

void TestCtlSubjectView::addSubjectStartsEditingItsName()
{
    QFETCH(QString, under);
    QFETCH(QString, parentId);
    Session s;
    QVERIFY(s.Open());
    ctlSubjectView* view = s.view;
    Click(view, under);
    const QStringList before = view->ChildKeys(under);
    view->MenuEntry("Add")->trigger();

    const QString id = s.Value("SELECT MAX([ID]) FROM [Tree]");
    QCOMPARE(s.Value("SELECT [Subject] FROM [Tree] WHERE [ID] = " + id), QString("New Subject"));
    QCOMPARE(s.Value("SELECT [ParentID] FROM [Tree] WHERE [ID] = " + id), parentId);
    QCOMPARE(s.Value("SELECT [CID] FROM [Tree] WHERE [ID] = " + id), QString::number(Made().category.value("Books")));
    QCOMPARE(view->ChildKeys(under).size(), before.size() + 1);
    QCOMPARE(view->Node(id + "A")->parent(), view->Node(under));
    QCOMPARE(view->Selected()->ID(), id);
    QCOMPARE(s.window->HeaderCaption(), QString("New Subject"));

    // The name is being edited, all of it selected, so typing replaces it.
    QLineEdit* editor = Editor(view);
    QVERIFY(editor);
    QCOMPARE(editor->text(), QString("New Subject"));
    QCOMPARE(editor->selectedText(), QString("New Subject"));
    QTest::keyClicks(editor, "Thrillers");
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!Editing(view));
    QCOMPARE(s.Value("SELECT [Subject] FROM [Tree] WHERE [ID] = " + id), QString("Thrillers"));
    QCOMPARE(view->NodeText(id + "A"), QString("Thrillers"));
    QCOMPARE(s.window->HeaderCaption(), QString("Thrillers"));
    QCOMPARE(view->MenuEntry("Delete")->text(), QString("&Delete \"Thrillers\""));
}

void TestCtlSubjectView::renameAcceptsNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("spaces") << "Hard Boiled Crime";
    QTest::newRow("ampersand") << "Cops & Robbers";
}

void TestCtlSubjectView::renameAcceptsNames()
{
    QFETCH(QString, name);
    Session s;
    QVERIFY(s.Open());
    ctlSubjectView* view = s.view;
    Click(view, Key("Crime"));
    view->FocusTree();
    QTest::keyClick(view->Tree(), Qt::Key_F2); // the tree's own key for editing a name
    QLineEdit* editor = Editor(view);
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, name);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!Editing(view));
    QCOMPARE(s.Value("SELECT [Subject] FROM [Tree] WHERE [ID] = " + Id("Crime")), name);
    QCOMPARE(view->NodeText(Key("Crime")), name);
    QCOMPARE(s.window->HeaderCaption(), name);
    QVERIFY(frmMessage::ShownMessagesForTesting().isEmpty());
    // The menu caption shows an "&" as typed, not as an access key.
    QCOMPARE(view->MenuEntry("Delete")->text(), "&Delete \"" + QString(name).replace("&", "&&") + "\"");
}

void TestCtlSubjectView::renameRefusesNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << "";
    QTest::newRow("period") << "Vol. 2";
    QTest::newRow("apostrophe") << "Chandler's";
    QTest::newRow("exclamation mark") << "Wow!";
}

void TestCtlSubjectView::renameRefusesNames()
{
    QFETCH(QString, name);
    Session s;
    QVERIFY(s.Open());
    ctlSubjectView* view = s.view;
    Click(view, Key("Crime"));
    view->MenuEntry("Rename")->trigger();
    QLineEdit* editor = Editor(view);
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClick(editor, Qt::Key_Backspace);
    QTest::keyClicks(editor, name);
    frmMessage::QueueAnswerForTesting(1);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!Editing(view));
    QCOMPARE(frmMessage::ShownMessagesForTesting(),
             QStringList{"'" + name +
                         "' is an invalid subject because of either a single quote or exclamation mark in the name."});
    QCOMPARE(s.Value("SELECT [Subject] FROM [Tree] WHERE [ID] = " + Id("Crime")), QString("Crime"));
    QCOMPARE(view->NodeText(Key("Crime")), QString("Crime"));
    QCOMPARE(s.window->HeaderCaption(), QString("Crime"));
}

void TestCtlSubjectView::renameCategory()
{
    Session s;
    QVERIFY(s.Open());
    ctlSubjectView* view = s.view;
    Click(view, Table("Music"));
    view->MenuEntry("Rename")->trigger();
    QLineEdit* editor = Editor(view);
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, "Albums");
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!Editing(view));
    QCOMPARE(
        s.Value(QStringLiteral("SELECT [Name] FROM [Categories] WHERE [ID] = %1").arg(Made().category.value("Music"))),
        QString("Albums"));
    QCOMPARE(view->NodeText(Table("Music")), QString("Albums"));
    QCOMPARE(s.window->HeaderCaption(), QString("Albums"));
}

void TestCtlSubjectView::deleteSubjectMovesItemsAndLinks_data()
{
    QTest::addColumn<QString>("deleted");
    QTest::addColumn<QString>("parentKey");
    QTest::addColumn<QString>("newTreeId");
    QTest::addColumn<QStringList>("gone");
    QTest::newRow("two levels below, under the category")
        << "Fiction" << Table("Books") << "0" << QStringList{"Fiction", "Crime", "Noir", "Sci-fi"};
    QTest::newRow("under a subject") << "Crime" << Key("Fiction") << Id("Fiction") << QStringList{"Crime", "Noir"};
}

void TestCtlSubjectView::deleteSubjectMovesItemsAndLinks()
{
    QFETCH(QString, deleted);
    QFETCH(QString, parentKey);
    QFETCH(QString, newTreeId);
    QFETCH(QStringList, gone);
    Session s;
    QVERIFY(s.Open());
    ctlSubjectView* view = s.view;
    const QString books = Table("Books");
    const QString links = Table("Relational");
    qint64 itemsMoved = 0, linksMoved = 0;
    for (const QString& name : gone) {
        itemsMoved += s.Count(QStringLiteral("SELECT COUNT(*) FROM [%1] WHERE [TreeID] = %2").arg(books, Id(name)));
        linksMoved +=
            s.Count(QStringLiteral("SELECT COUNT(*) FROM [%1] WHERE [RecordTreeID] = %2").arg(links, Id(name)));
    }
    QVERIFY(itemsMoved >= 2 && linksMoved >= 2);
    const qint64 itemsThere =
        s.Count(QStringLiteral("SELECT COUNT(*) FROM [%1] WHERE [TreeID] = %2").arg(books, newTreeId));
    const qint64 linksThere =
        s.Count(QStringLiteral("SELECT COUNT(*) FROM [%1] WHERE [RecordTreeID] = %2").arg(links, newTreeId));

    Click(view, Key(deleted));
    frmMessage::QueueAnswerForTesting(1);
    QTest::keyClick(view->Tree(), Qt::Key_Delete); // the key's release deletes
    QCOMPARE(frmMessage::ShownMessagesForTesting(),
             QStringList{"Delete '" + deleted +
                         "' and all Subjects beneath it on the tree?\r\n\r\nItems existing in this Subject will not be "
                         "deleted but will be moved to the Subject's parent."});
    for (const QString& name : gone) {
        QCOMPARE(s.Count("SELECT COUNT(*) FROM [Tree] WHERE [ID] = " + Id(name)), 0);
        QVERIFY2(!view->HasNode(Key(name)), qPrintable(name));
    }
    QCOMPARE(s.Count(QStringLiteral("SELECT COUNT(*) FROM [%1] WHERE [TreeID] = %2").arg(books, newTreeId)),
             itemsThere + itemsMoved);
    QCOMPARE(s.Count(QStringLiteral("SELECT COUNT(*) FROM [%1] WHERE [RecordTreeID] = %2").arg(links, newTreeId)),
             linksThere + linksMoved);
    QCOMPARE(s.Count(QStringLiteral("SELECT COUNT(*) FROM [%1]").arg(books)), 7); // no item was deleted
    // Subjects outside the branch are untouched.
    QCOMPARE(s.Count("SELECT COUNT(*) FROM [Tree] WHERE [ID] = " + Id("Art")), 1);
    QCOMPARE(s.Count(QStringLiteral("SELECT COUNT(*) FROM [%1] WHERE [TreeID] = %2").arg(books, Id("Art"))), 1);
    // The parent is selected now.
    QCOMPARE(SubjectViewInterface::NodeKey(view->Selected()->ID()), parentKey);
    QCOMPARE(s.window->HeaderCaption(), view->NodeText(parentKey));
}

void TestCtlSubjectView::deleteSubjectAnsweredNoChangesNothing()
{
    Session s;
    QVERIFY(s.Open());
    Click(s.view, Key("Crime"));
    frmMessage::QueueAnswerForTesting(0);
    s.view->MenuEntry("Delete")->trigger();
    QCOMPARE(frmMessage::ShownMessagesForTesting().size(), 1);
    QCOMPARE(s.Count("SELECT COUNT(*) FROM [Tree] WHERE [ID] = " + Id("Crime")), 1);
    QCOMPARE(s.Count("SELECT COUNT(*) FROM [Tree] WHERE [ID] = " + Id("Noir")), 1);
    QVERIFY(s.view->HasNode(Key("Noir")));
    QCOMPARE(s.view->Selected()->ID(), Id("Crime"));
}

void TestCtlSubjectView::deleteCategory_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("yes") << 1;
    QTest::newRow("no") << 0;
}

void TestCtlSubjectView::deleteCategory()
{
    QFETCH(int, answer);
    Session s;
    QVERIFY(s.Open());
    ctlSubjectView* view = s.view;
    const int music = Made().category.value("Music");
    const qint64 subjects = s.Count(QStringLiteral("SELECT COUNT(*) FROM [Tree] WHERE [CID] = %1").arg(music));
    QVERIFY(subjects > 0);
    Click(view, Table("Music"));
    frmMessage::QueueAnswerForTesting(answer);
    view->MenuEntry("Delete")->trigger();
    QCOMPARE(frmMessage::ShownMessagesForTesting(),
             QStringList{"Are you sure you'd like to delete the category 'Music' and all data contained within it?"});
    const bool deleted = answer == 1;
    QCOMPARE(s.Count(QStringLiteral("SELECT COUNT(*) FROM [Categories] WHERE [ID] = %1").arg(music)), deleted ? 0 : 1);
    QCOMPARE(s.Count(QStringLiteral("SELECT COUNT(*) FROM [Tree] WHERE [CID] = %1").arg(music)),
             deleted ? 0 : subjects);
    QCOMPARE(s.db().TableExists(Table("Music")), !deleted);
    QCOMPARE(view->HasNode(Table("Music")), !deleted);
    QCOMPARE(view->HasNode(Key("Jazz")), !deleted);
    QCOMPARE(Catalog().categories().Item(music) == nullptr, deleted);
    // Whatever the answer, nothing is selected afterwards.
    QVERIFY(!view->Selected().has_value());
    QCOMPARE(s.window->HeaderCaption(), QString("Subject View"));
    QVERIFY(s.view->HasNode(Table("Books")));
}

void TestCtlSubjectView::specialCategoriesAreNotDeleted_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("People") << "People";
    QTest::newRow("Relational") << "Relational";
}

void TestCtlSubjectView::specialCategoriesAreNotDeleted()
{
    QFETCH(QString, name);
    Session s;
    QVERIFY(s.Open());
    Click(s.view, Table(name));
    frmMessage::QueueAnswerForTesting(1);
    QTest::keyClick(s.view->Tree(), Qt::Key_Delete);
    QCOMPARE(frmMessage::ShownMessagesForTesting(),
             QStringList{"The 'People' and 'Relational' categories are special categories that cannot be deleted. You "
                         "can, however, hide them from this view by accessing their properties dialog."});
    QCOMPARE(
        s.Count(QStringLiteral("SELECT COUNT(*) FROM [Categories] WHERE [ID] = %1").arg(Made().category.value(name))),
        1);
    QVERIFY(s.db().TableExists(Table(name)));
    QVERIFY(s.view->HasNode(Table(name)));
    QCOMPARE(s.view->Selected()->ID(), Table(name));
}

void TestCtlSubjectView::dragAndDrop_data()
{
    QTest::addColumn<QString>("dragged");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("moves");
    QTest::addColumn<QString>("parentId"); // [ParentID] of the dragged subject afterwards
    QTest::addColumn<QString>("parentKey");
    QTest::newRow("onto a subject") << Key("Art") << Key("Crime") << true << Id("Crime") << Key("Crime");
    QTest::newRow("onto the category") << Key("Noir") << Table("Books") << true << "0" << Table("Books");
    QTest::newRow("onto its own descendant") << Key("Fiction") << Key("Noir") << false << "0" << Table("Books");
    QTest::newRow("onto itself") << Key("Crime") << Key("Crime") << false << Id("Fiction") << Key("Fiction");
    QTest::newRow("onto another category") << Key("Art") << Key("Jazz") << false << "0" << Table("Books");
    QTest::newRow("onto a sub category") << Key("Art") << Table("Novels") << false << "0" << Table("Books");
    QTest::newRow("a category") << Table("Music") << Table("Books") << false << QString() << QString();
}

void TestCtlSubjectView::dragAndDrop()
{
    QFETCH(QString, dragged);
    QFETCH(QString, target);
    QFETCH(bool, moves);
    QFETCH(QString, parentId);
    QFETCH(QString, parentKey);
    Session s;
    QVERIFY(s.Open());
    ctlSubjectView* view = s.view;
    const QString treeBefore = s.Value("SELECT COUNT(*) FROM [Tree] WHERE [ParentID] <> 0");

    QCOMPARE(Drag(view, dragged, target), moves);
    QVERIFY(view->DropHighlightKey().isEmpty());
    if (parentKey.isEmpty()) { // a category node stays where it is
        QVERIFY(!view->Node(dragged)->parent());
        return;
    }
    const QString id = dragged.chopped(1);
    QCOMPARE(s.Value("SELECT [ParentID] FROM [Tree] WHERE [ID] = " + id), parentId);
    QCOMPARE(view->Node(dragged)->parent(), view->Node(parentKey));
    if (!moves)
        QCOMPARE(s.Value("SELECT COUNT(*) FROM [Tree] WHERE [ParentID] <> 0"), treeBefore);
    // The moved subject stays selected, and its new siblings are in name order.
    QCOMPARE(view->Selected()->ID(), id);
    const QStringList siblings = Texts(view, view->ChildKeys(parentKey));
    QStringList sorted = siblings;
    std::sort(sorted.begin(), sorted.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    QCOMPARE(siblings, sorted);
}

void TestCtlSubjectView::restingOnANodeExpandsIt()
{
    Session s;
    QVERIFY(s.Open());
    ctlSubjectView* view = s.view;
    QWidget* viewport = view->Tree()->viewport();
    Click(view, Key("Art"));
    view->Node(Table("Books"))->setExpanded(true);
    QVERIFY(!view->IsExpanded(Key("Fiction")));
    QMimeData data;
    data.setData(DragFormat, Key("Art").toUtf8());
    const QPoint at = Center(view, Key("Fiction"));
    QDragEnterEvent enter(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    QElapsedTimer clock;
    clock.start();
    QDragMoveEvent move(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &move);
    QCOMPARE(view->DropHighlightKey(), Key("Fiction"));
    QTest::qWait(300);
    QVERIFY(!view->IsExpanded(Key("Fiction")));
    QTRY_VERIFY_WITH_TIMEOUT(view->IsExpanded(Key("Fiction")), 3000);
    QVERIFY(clock.elapsed() >= 750);
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(viewport, &leave);
    QVERIFY(view->DropHighlightKey().isEmpty());
}

void TestCtlSubjectView::expandAndCollapseFromTheToolbar()
{
    Session s;
    QVERIFY(s.Open());
    ctlSubjectView* view = s.view;
    Click(view, Key("Noir"));
    s.window->Command("Expanded Tree")->trigger();
    for (const QString& key : view->AllKeys())
        if (view->Node(key)->childCount() > 0)
            QVERIFY2(view->IsExpanded(key), qPrintable(key));
    QAction* collapse = s.window->Command("Refresh")->menu()->findChild<QAction*>("Subject View");
    QVERIFY(collapse);
    collapse->trigger();
    for (const QString& key : view->AllKeys())
        QVERIFY2(!view->IsExpanded(key), qPrintable(key));
}

void TestCtlSubjectView::selectionOnlyMode()
{
    Session s;
    QVERIFY(s.Open());
    ctlSubjectView picker;
    picker.SetSelectionOnly(true);
    picker.SetCaption("Move item(s) to selected subject:");
    picker.resize(300, 400);
    picker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picker));
    Catalog().categories().Item(Made().category.value("Books"))->BuildSubjects(&picker);
    picker.Expand();
    Click(&picker, Key("Crime"));
    QCOMPARE(picker.SelectedNodeKey(), Key("Crime"));
    QCOMPARE(picker.SelectedNodeTag().toInt(), Id("Crime").toInt());
    QVERIFY(!picker.Selected().has_value());
    QCOMPARE(s.window->HeaderCaption(), QString("Subject View"));
    Click(&picker, Key("Art"), Qt::RightButton);
    QTest::qWait(50);
    QVERIFY(!picker.ContextMenu()->isVisible());
    QTest::keyClick(picker.Tree(), Qt::Key_Delete); // reaches the delete command, which has nothing to delete
    QCOMPARE(s.Count("SELECT COUNT(*) FROM [Tree] WHERE [ID] = " + Id("Art")), 1);
    QVERIFY(frmMessage::ShownMessagesForTesting().isEmpty());
}

void TestCtlSubjectView::keyExists_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<bool>("hasNode");
    QTest::newRow("a subject") << Id("Crime") << true << true;
    QTest::newRow("no such row") << "99999" << false << false;
    QTest::newRow("a category key") << Table("Books") << false << true;
    QTest::newRow("not a number") << Id("Crime") + " OR 1=1" << false << false;
}

void TestCtlSubjectView::keyExists()
{
    QFETCH(QString, key);
    QFETCH(bool, exists);
    QFETCH(bool, hasNode);
    Session s;
    QVERIFY(s.Open());
    QCOMPARE(s.view->KeyExists(key), exists);
    // Item never fails: an unknown key gives a subject without a node.
    const Subject subject = s.view->Item(key);
    QCOMPARE(subject.ID(), key);
    QCOMPARE(subject.HasNode(), hasNode);
}

void TestCtlSubjectView::closingTheCatalogEmptiesTheTree()
{
    Session s;
    QVERIFY(s.Open());
    Click(s.view, Key("Art"));
    s.window->Command("Close")->trigger();
    QCOMPARE(s.view->Tree()->topLevelItemCount(), 0);
    QVERIFY(!s.view->Selected().has_value());
    QVERIFY(!s.view->Enabled());
    QCOMPARE(s.window->HeaderCaption(), QString("Subject View"));
}

void TestCtlSubjectView::advancedSearchNeedsASelectedSubject()
{
    Session s;
    QVERIFY(s.Open());
    frmMessage::QueueAnswerForTesting(1);
    s.window->Command("Advanced Search...")->trigger();
    QCOMPARE(frmMessage::ShownMessagesForTesting(),
             QStringList{"Please make sure a category or subject is selected before searching"});
    Click(s.view, Table("Books"));
    frmMessage::QueueAnswerForTesting(1);
    s.window->Command("Advanced Search...")->trigger();
    QCOMPARE(frmMessage::ShownMessagesForTesting().size(), 2);
    QVERIFY(frmMessage::ShownMessagesForTesting().last().contains("not available yet"));
}

QTEST_MAIN(TestCtlSubjectView)
#include "tst_ctlSubjectView.moc"
