#include "../controls/GridDriver.h"
#include "../model/ModelFixture.h"

#include "app/frmMain.h"
#include "controls/GridColumn.h"
#include "controls/clsCommonDialog.h"
#include "controls/ctlDataGrid.h"
#include "controls/ctlImageViewer.h"
#include "controls/frmFontDialog.h"
#include "items/GuiEditorWindows.h"
#include "items/ctlItemEditor.h"
#include "items/ctlItemView.h"
#include "items/frmEdit.h"
#include "model/Categories.h"
#include "model/clsColumn.h"
#include "storage/modBinaryField.h"

#include <QAction>
#include <QComboBox>
#include <QImage>
#include <QTabWidget>
#include <QTextEdit>
#include <QtTest>

#include <memory>

// The item editor and its windows, every expectation read back from the catalog file.
class TestCtlItemEditor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { m_fx.reset(); }
    void savesValuesAndMemoWithModifiedStampedOnce();
    void caretMovesAloneChangeNothing();
    void switchingMemosSavesTheOtherFirst();
    void pictureIsStoredAndStampsModified();
    void linksTabFollowsThePeopleCategory();
    void subItemsOfAChildCategory();
    void printsTheMemo();
    void editorWindowsOneItemOneWindow();
    void paneFollowsTheCurrentItem();
    void relationalLinkOpensTheLinkedItem();

private:
    // An editor shown on an item, on the given tab.
    std::unique_ptr<ctlItemEditor> Open(int itemId, int tab, const Subject& subject);
    static void Choose(QComboBox* list, const QString& text);
    QString Stored(const QString& field, int id) const;

    std::unique_ptr<ModelFixture> m_fx;
    QString m_plain;
    QString m_table;
    int m_dune = 0;
    Category* m_relational = nullptr;
};

void TestCtlItemEditor::init()
{
    m_fx = std::make_unique<ModelFixture>();
    QVERIFY(m_fx->Setup());
    QVERIFY(modDBOperations::AddField(m_fx->db(), m_fx->books->DBName(), "Review", clsColumn::Memo, false, false,
                                      false, 0, m_fx->books));
    m_fx->books->ForgetColumns(); // read again with the new column
    m_plain = m_fx->NewSubject(m_fx->books, "Novels");
    m_table = m_fx->books->DBName();
    m_dune = m_fx->AddItem(m_fx->books, "[TreeID],[ParentID],[Title],[Notes]",
                           m_plain + ",0,'Dune','{\\rtf1 Spice \\b must\\b0  flow\\par}'");
    QVERIFY(m_dune > 0);
    m_relational = Catalog().categories().RelationalCategory();
    const QString link = "0,'" + QString::number(m_fx->books->ID()) + "'," + QString::number(m_dune) + ",'Dune'";
    QVERIFY(m_fx->AddItem(m_relational, "[TreeID],[Category],[RecordID],[Title]", link));
}

std::unique_ptr<ctlItemEditor> TestCtlItemEditor::Open(int itemId, int tab, const Subject& subject)
{
    auto editor = std::make_unique<ctlItemEditor>();
    editor->Setup();
    editor->resize(900, 600);
    editor->show();
    if (!QTest::qWaitForWindowExposed(editor.get()))
        return nullptr;
    editor->Tabs()->setCurrentIndex(tab);
    editor->SetSubject(subject);
    editor->SetID(itemId);
    editor->Refresh();
    return editor;
}

void TestCtlItemEditor::Choose(QComboBox* list, const QString& text)
{
    list->setCurrentIndex(list->findText(text));
    Q_EMIT list->activated(list->currentIndex());
}

QString TestCtlItemEditor::Stored(const QString& field, int id) const
{
    return m_fx->Value("SELECT [" + field + "] FROM [" + m_table + "] WHERE [ID] = " + QString::number(id));
}

void TestCtlItemEditor::savesValuesAndMemoWithModifiedStampedOnce()
{
    auto editor = Open(m_dune, ctlItemEditor::ColumnsTab, Subject(m_plain));
    QVERIFY(editor);
    QSignalSpy titles(editor.get(), &ctlItemEditor::TitleChange);
    ctlDataGrid* card = editor->ValueView()->GridExControl();
    QCOMPARE(card->layout(), ctlDataGrid::Layout::Card);
    QCOMPARE(card->RowCount(), 1);
    GridDriver(*card).Enter(1, card->ColumnByKey("Title")->Index(), "Dune Messiah");
    QCOMPARE(Stored("Title", m_dune), QString("Dune Messiah"));
    QCOMPARE(titles.last().first().toString(), QString("Dune Messiah"));
    // The card's own stamp is cleared, so that only the editor's is seen.
    QVERIFY(m_fx->db().Execute("UPDATE [" + m_table + "] SET [Modified] = Null"));

    editor->Tabs()->setCurrentIndex(ctlItemEditor::MemosTab);
    QCOMPARE(editor->MemoField()->itemText(0), QString());
    QVERIFY(!editor->MemoBox()->isEnabled()); // no default memo yet
    Choose(editor->MemoField(), "Notes");
    QCOMPARE(editor->MemoBox()->toPlainText(), QString("Spice must flow"));
    QTextCursor cursor = editor->MemoBox()->textCursor();
    cursor.movePosition(QTextCursor::End);
    editor->MemoBox()->setTextCursor(cursor);
    editor->MemoBox()->insertPlainText(" now");
    cursor.movePosition(QTextCursor::Start);
    cursor.movePosition(QTextCursor::NextWord, QTextCursor::KeepAnchor);
    editor->MemoBox()->setTextCursor(cursor);
    editor->ToolbarButton("Italic")->trigger();

    editor->Reset();
    const QString notes = Stored("Notes", m_dune);
    QVERIFY2(notes.startsWith("{\\rtf1") && notes.contains("\\i") && notes.contains("flow now"), qPrintable(notes));
    QVERIFY(!Stored("Modified", m_dune).isEmpty());
    QCOMPARE(m_fx->Value("SELECT [Title] FROM [" + m_relational->DBName() + "]"), QString("Dune Messiah"));
    // The memo list remembers its choice for the category.
    QCOMPARE(m_fx->books->DefaultMemo(), QString("Notes"));

    // Nothing changed since: letting go again writes no new stamp.
    QVERIFY(m_fx->db().Execute("UPDATE [" + m_table + "] SET [Modified] = #2001-02-03#"));
    editor->SetSubject(Subject(m_plain));
    editor->SetID(m_dune);
    editor->Refresh();
    QCOMPARE(editor->CurrentMemoField(), QString("Notes"));
    editor->Reset();
    QVERIFY(Stored("Modified", m_dune).contains("2001"));
}

void TestCtlItemEditor::caretMovesAloneChangeNothing()
{
    QVERIFY(!m_fx->books->SetDefaultMemo("Notes"));
    const QString before = Stored("Notes", m_dune);
    auto editor = Open(m_dune, ctlItemEditor::MemosTab, Subject(m_plain));
    QVERIFY(editor);
    QCOMPARE(editor->CurrentMemoField(), QString("Notes"));
    QTextCursor cursor = editor->MemoBox()->textCursor();
    cursor.movePosition(QTextCursor::End);
    editor->MemoBox()->setTextCursor(cursor);
    editor->Reset();
    QCOMPARE(Stored("Notes", m_dune), before);
    QCOMPARE(Stored("Modified", m_dune), QString());
}

void TestCtlItemEditor::switchingMemosSavesTheOtherFirst()
{
    auto editor = Open(m_dune, ctlItemEditor::MemosTab, Subject(m_plain));
    QVERIFY(editor);
    Choose(editor->MemoField(), "Notes");
    editor->MemoBox()->setPlainText("Rewritten");
    Choose(editor->MemoField(), "Review");
    QVERIFY(Stored("Notes", m_dune).contains("Rewritten"));
    QVERIFY(editor->MemoBox()->isEnabled());
    QCOMPARE(editor->MemoBox()->toPlainText(), QString());
    Choose(editor->MemoField(), "");
    QVERIFY(!editor->MemoBox()->isEnabled());
    QVERIFY(!editor->ToolbarButton("Bold")->isEnabled());
    // A default that names a column no longer there opens on the empty entry.
    QVERIFY(!m_fx->books->SetDefaultMemo("Gone"));
    editor->Reset();
    editor->SetSubject(Subject(m_plain));
    editor->SetID(m_dune);
    editor->Refresh();
    QCOMPARE(editor->CurrentMemoField(), QString());
}

void TestCtlItemEditor::pictureIsStoredAndStampsModified()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("cover.png");
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    QVERIFY(picture.save(file));
    auto editor = Open(m_dune, ctlItemEditor::MediaTab, Subject(m_plain));
    QVERIFY(editor);
    QVERIFY(!editor->ToolbarButton("Open Image")->isEnabled());
    Choose(editor->ImageField(), "Cover");
    clsCommonDialog::QueueAnswerForTesting(file);
    editor->ToolbarButton("Open Image")->trigger();
    editor->Reset();
    Result<std::unique_ptr<Recordset>> row = m_fx->db().OpenRecordset(
        "SELECT [Cover] FROM [" + m_table + "] WHERE [ID] = " + QString::number(m_dune), RecordsetType::Snapshot);
    QVERIFY(row);
    QCOMPARE(modBinaryField::ReadStoredFileName(*row.value(), 0), QString("cover.png"));
    QVERIFY(!Stored("Modified", m_dune).isEmpty());
    // Shown again when the item is opened on that tab.
    auto again = Open(m_dune, ctlItemEditor::MediaTab, Subject(m_plain));
    QCOMPARE(again->CurrentMediaField(), QString("Cover"));
    QCOMPARE(again->ImageViewer()->Picture().size(), QSize(40, 30));
}

void TestCtlItemEditor::linksTabFollowsThePeopleCategory()
{
    Category* people = Catalog().categories().PeopleCategory();
    QVERIFY(modDBOperations::AddField(m_fx->db(), m_table, "Editor", clsColumn::People, false, false, false, 0,
                                      m_fx->books));
    m_fx->books->ForgetColumns();
    const QString books = QString::number(m_fx->books->ID());
    const int smith = m_fx->AddItem(people, "[Category],[Name]", "'" + books + "','Smith'");
    m_fx->AddItem(m_fx->books, "[Title],[Editor]", "'Emma','Jones; Smith'");
    m_fx->AddItem(m_fx->books, "[Title],[Editor]", "'Walden','Jones'");

    auto editor = Open(smith, ctlItemEditor::ColumnsTab, people->RootSubject());
    QVERIFY(editor);
    QCOMPARE(editor->Tabs()->count(), 5);
    QCOMPARE(editor->Tabs()->tabText(4), QString("Links"));
    editor->Tabs()->setCurrentIndex(ctlItemEditor::LinksTab);
    ctlDataGrid* links = editor->PeopleLinkView()->GridExControl();
    QCOMPARE(links->RowCount(), 1);
    QCOMPARE(links->RowValue(1, links->ColumnByKey("Title")->Index()).toString(), QString("Emma"));

    // An ordinary item takes the tab away, and the first tab comes forward.
    editor->Reset();
    editor->SetSubject(Subject(m_plain));
    editor->SetID(m_dune);
    editor->Refresh();
    QCOMPARE(editor->Tabs()->count(), 4);
    QCOMPARE(editor->Tabs()->currentIndex(), int(ctlItemEditor::ColumnsTab));
}

void TestCtlItemEditor::subItemsOfAChildCategory()
{
    Category* chapters = m_fx->AddCategory("Chapters");
    QVERIFY(chapters && !chapters->SetParent(m_fx->books->ID()));
    m_fx->AddItem(chapters, "[Title],[ParentID]", "'One'," + QString::number(m_dune));
    m_fx->AddItem(chapters, "[Title],[ParentID]", "'Elsewhere',999");
    auto editor = Open(m_dune, ctlItemEditor::SubItemsTab, Subject(m_plain));
    QVERIFY(editor);
    QCOMPARE(editor->SubCategory()->count(), 2);
    QVERIFY(!editor->ToolbarButton("Add")->isEnabled());
    Choose(editor->SubCategory(), "Chapters");
    QVERIFY(editor->ToolbarButton("Add")->isEnabled());
    QCOMPARE(editor->SubItemView()->GridExControl()->RowCount(), 1);

    // "Add" makes a sub-item of this item (editor windows absent here: it is added to the list).
    editor->ToolbarButton("Add")->trigger();
    QCOMPARE(m_fx->Count("SELECT COUNT(*) FROM [" + chapters->DBName() + "] WHERE [ParentID] = " +
                         QString::number(m_dune)),
             2);
}

void TestCtlItemEditor::printsTheMemo()
{
    QVERIFY(!m_fx->books->SetDefaultMemo("Notes"));
    auto editor = Open(m_dune, ctlItemEditor::MemosTab, Subject(m_plain));
    QVERIFY(editor);
    QTemporaryDir dir;
    const QString pdf = dir.filePath("memo.pdf");
    ctlItemEditor::SetPrintTargetForTesting(pdf);
    editor->ToolbarButton("Print")->trigger();
    ctlItemEditor::SetPrintTargetForTesting(QString());
    QFile printed(pdf);
    QVERIFY(printed.open(QIODevice::ReadOnly));
    QVERIFY(printed.read(5) == "%PDF-");

    // The font dialog's choice reaches the selection, and the memo.
    editor->MemoBox()->selectAll();
    QFont font("DejaVu Serif", 15);
    font.setStrikeOut(true);
    frmFontDialog::QueueAnswerForTesting(font, QColor(200, 0, 0));
    editor->ToolbarButton("Font")->trigger();
    editor->Reset();
    const QString notes = Stored("Notes", m_dune);
    QVERIFY2(notes.contains("DejaVu Serif") && notes.contains("\\fs30") && notes.contains("\\strike") &&
                 notes.contains("\\red200\\green0\\blue0"),
             qPrintable(notes));
}

void TestCtlItemEditor::editorWindowsOneItemOneWindow()
{
    frmMain main;
    main.show();
    QVERIFY(Subject(m_plain).OpenSubject());
    ctlItemView* list = main.ItemView();
    QCOMPARE(list->CurrentID(), m_dune);
    list->OpenItem(m_dune);
    QCOMPARE(main.EditorWindows()->Windows().size(), 1);
    frmEdit* window = main.EditorWindows()->Windows().first();
    QCOMPARE(window->Tag(), QString::number(m_fx->books->ID()) + QString::number(m_dune));
    QCOMPARE(window->windowTitle(), QString("Dune"));
    list->OpenItem(m_dune);
    QCOMPARE(main.EditorWindows()->Windows().size(), 1);

    // A new item: its window saves it, and the list shows what was typed in the window's card.
    list->AddItem();
    QCOMPARE(main.EditorWindows()->Windows().size(), 2);
    frmEdit* added = main.EditorWindows()->Windows().last();
    QVERIFY(added->Editor()->IsNew);
    ctlDataGrid* card = added->Editor()->ValueView()->GridExControl();
    QVERIFY(!card->SetValue(card->ColumnByKey("Title")->Index(), "Arrakis"));
    QCOMPARE(added->windowTitle(), QString("Arrakis"));
    added->resize(500, 400);
    added->close();
    QCOMPARE(main.EditorWindows()->Windows().size(), 1);
    const int row = [&] {
        for (int r = 1; r <= list->GridExControl()->RowCount(); ++r)
            if (list->GridExControl()->RowValue(r, list->GridExControl()->ColumnByKey("ID")->Index()).toInt() ==
                added->ItemID())
                return r;
        return 0;
    }();
    QVERIFY(row > 0);
    QCOMPARE(list->GridExControl()->RowValue(row, list->GridExControl()->ColumnByKey("Title")->Index()).toString(),
             QString("Arrakis"));
    const int storedWidth = Catalog().Setting(clsCatalog::ItemEditorWidth).toInt();
    QCOMPARE(storedWidth, qRound(500 * 1440.0 / main.logicalDpiX()));

    // A maximised window keeps the stored size; deleting an item closes its window.
    window->setWindowState(Qt::WindowMaximized);
    window->close();
    QCOMPARE(Catalog().Setting(clsCatalog::ItemEditorWindowState), QString("2"));
    QCOMPARE(Catalog().Setting(clsCatalog::ItemEditorWidth).toInt(), storedWidth);

    // Deleting an item closes its window first.
    list->OpenItem(m_dune);
    QCOMPARE(main.EditorWindows()->Windows().size(), 1);
    list->GridExControl()->ClearSelection();
    for (int r = 1; r <= list->GridExControl()->RowCount(); ++r)
        list->GridExControl()->SelectRow(r);
    m_fx->ui.answers << UserInterface::Yes;
    list->DeleteSelected();
    QCOMPARE(main.EditorWindows()->Windows().size(), 0);
    QCOMPARE(m_fx->Count("SELECT COUNT(*) FROM [" + m_table + "]"), 0);
}

void TestCtlItemEditor::paneFollowsTheCurrentItem()
{
    const int emma = m_fx->AddItem(m_fx->books, "[TreeID],[Title]", m_plain + ",'Emma'");
    frmMain main;
    main.resize(1200, 800);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QVERIFY(Subject(m_plain).OpenSubject());
    ctlItemEditor* pane = main.ItemEditor();
    QCOMPARE(pane->ID(), m_dune);
    QCOMPARE(pane->ValueView()->GetTitle(), QString("Dune"));
    ctlDataGrid* grid = main.ItemView()->GridExControl();
    GridDriver driver(*grid);
    driver.Click(2, grid->ColumnByKey("Title")->Index());
    QCOMPARE(pane->ID(), emma);
    QCOMPARE(pane->ValueView()->GetTitle(), QString("Emma"));
    // A title changed in the pane's card shows in the list.
    ctlDataGrid* card = pane->ValueView()->GridExControl();
    QVERIFY(!card->SetValue(card->ColumnByKey("Title")->Index(), "Emma Woodhouse"));
    QCOMPARE(grid->RowValue(2, grid->ColumnByKey("Title")->Index()).toString(), QString("Emma Woodhouse"));
}

void TestCtlItemEditor::relationalLinkOpensTheLinkedItem()
{
    frmMain main;
    main.show();
    QVERIFY(m_relational->RootSubject().OpenSubject());
    ctlItemView* list = main.ItemView();
    QCOMPARE(list->ViewType(), int(ctlItemView::RelationalItems));
    QCOMPARE(list->CurrentID(), m_dune);
    // The pane and a double-click both show the book, in the book's own category.
    QCOMPARE(main.ItemEditor()->subject()->category(), m_fx->books);
    QCOMPARE(main.ItemEditor()->ValueView()->GetTitle(), QString("Dune"));
    Q_EMIT list->GridExControl()->DoubleClicked();
    QCOMPARE(main.EditorWindows()->Windows().size(), 1);
    frmEdit* window = main.EditorWindows()->Windows().first();
    QCOMPARE(window->CategoryID(), m_fx->books->ID());
    QCOMPARE(window->ItemID(), m_dune);
    QCOMPARE(window->windowTitle(), QString("Dune"));
}

QTEST_MAIN(TestCtlItemEditor)
#include "tst_ctlItemEditor.moc"
