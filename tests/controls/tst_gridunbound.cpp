// The unbound data grid: the host keeps the rows and answers the grid's requests, as the query builder,
// the column manager and the quick search do.
#include "GridDriver.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QSignalSpy>

namespace
{
enum { ColName = 1, ColSize, ColHidden, ColKind };

// A host holding criteria-like rows, answering the grid's events.
struct Host {
    QList<QVariantList> rows;
    QList<int> read;
    QList<int> saved;

    void Connect(ctlDataGrid& grid, QObject* context)
    {
        QObject::connect(&grid, &ctlDataGrid::UnboundReadData, context, [this](GridRowBuffer* row) {
            read << row->RecordNumber();
            const QVariantList& values = rows.at(row->RecordNumber() - 1);
            for (int c = 1; c <= values.size(); ++c)
                row->SetValue(c, values[c - 1]);
        });
        QObject::connect(&grid, &ctlDataGrid::UnboundUpdate, context, [this](GridRowBuffer* row) {
            saved << row->RecordNumber();
            for (int c = 1; c <= row->ColumnCount(); ++c)
                if (row->IsChanged(c))
                    rows[row->RecordNumber() - 1][c - 1] = row->Value(c);
        });
        QObject::connect(&grid, &ctlDataGrid::UnboundAddNew, context, [this](GridRowBuffer* row) {
            QVariantList values;
            for (int c = 1; c <= row->ColumnCount(); ++c)
                values << row->Value(c);
            rows.append(values);
        });
        QObject::connect(&grid, &ctlDataGrid::UnboundDelete, context,
                         [this](int record) { rows.removeAt(record - 1); });
    }
};
} // namespace

class tst_GridUnbound : public QObject
{
    Q_OBJECT

private:
    ctlDataGrid* m_grid = nullptr;
    Host m_host;

    QStringList Names()
    {
        QStringList names;
        for (int row = 1; row <= m_grid->RowCount(); ++row)
            names << m_grid->RowValue(row, ColName).toString();
        return names;
    }

private Q_SLOTS:
    void init()
    {
        m_host = Host();
        m_host.rows = {{"Title", 255, false, 1},
                       {"Author", 255, false, 2},
                       {"year", 4, true, 9},
                       {"Price", 8, false, 5},
                       {"Notes", 0, true, 7}};
        m_grid = new ctlDataGrid;
        m_grid->resize(700, 400);
        m_grid->AddColumn(QStringLiteral("Name"), QString(), QStringLiteral("Name"))->SetMaxLength(50);
        m_grid->AddColumn(QStringLiteral("Size"), QString(), QStringLiteral("Size"))
            ->SetColumnSortKind(GridColumn::SortKind::Number);
        GridColumn* hidden = m_grid->AddColumn(QStringLiteral("Hidden"), QString(), QStringLiteral("Hidden"));
        hidden->SetColumnKind(GridColumn::Kind::CheckBox);
        hidden->SetColumnEditKind(GridColumn::EditKind::CheckBox);
        GridColumn* kind = m_grid->AddColumn(QStringLiteral("Kind"), QString(), QStringLiteral("Kind"));
        kind->SetColumnEditKind(GridColumn::EditKind::DropDownList);
        for (const auto& [value, text] : {std::pair{1, "Plain Text"}, std::pair{2, "People"}, std::pair{5, "Currency"},
                                          std::pair{7, "Memo"}, std::pair{9, "Integer"}})
            kind->AddValueListItem(value, QString::fromUtf8(text));
        m_host.Connect(*m_grid, this);
        m_grid->SetItemCount(int(m_host.rows.size()));
        m_grid->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_grid));
        m_grid->activateWindow();
        m_grid->setFocus();
    }

    void cleanup()
    {
        delete m_grid;
        m_grid = nullptr;
    }

    void rowsAreReadWhenShownAndShowTheirValueListText()
    {
        QCOMPARE(m_grid->RowCount(), 5);
        QCOMPARE(m_grid->RowValue(3, ColName).toString(), QStringLiteral("year"));
        QCOMPARE(m_grid->Model()->index(1, ColKind - 1).data().toString(), QStringLiteral("People"));
        QCOMPARE(m_grid->RowBookmark(4).toInt(), 4);
        // A new count means every row is asked for again.
        m_host.read.clear();
        m_host.rows[0][0] = QStringLiteral("Heading");
        m_grid->SetItemCount(5);
        QCOMPARE(m_grid->RowValue(1, ColName).toString(), QStringLiteral("Heading"));
        QVERIFY(m_host.read.contains(1));
    }

    void modelKeepsQtRules()
    {
        QAbstractItemModelTester tester(m_grid->Model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        m_grid->SetAllowAddNew(true);
        m_grid->AddGroup(ColHidden, GridColumn::SortOrder::Ascending);
        QVERIFY(!m_grid->Regroup(true));
        m_grid->SetGroupExpanded(1, true);
        m_grid->SetItemCount(3);
        m_grid->SetLayout(ctlDataGrid::Layout::Card);
    }

    void editedRowGoesToTheHostWhenLeft()
    {
        GridDriver driver(*m_grid);
        driver.Enter(2, ColName, QStringLiteral("Writer"));
        driver.Enter(2, ColSize, QStringLiteral("100"));
        QVERIFY(m_host.saved.isEmpty()); // still on the row
        driver.Click(4, ColName);
        QCOMPARE(m_host.saved, QList<int>{2});
        QCOMPARE(m_host.rows[1][0].toString(), QStringLiteral("Writer"));
        QCOMPARE(m_host.rows[1][1].toString(), QStringLiteral("100"));
        // CommitPendingEdit saves the row being edited without leaving it.
        driver.Click(4, ColName);
        GridDriver::Type(QStringLiteral("Cost"));
        QVERIFY(m_grid->CommitPendingEdit());
        QCOMPARE(m_host.saved, (QList<int>{2, 4}));
        QCOMPARE(m_host.rows[3][0].toString(), QStringLiteral("Cost"));
    }

    void dropDownListStoresTheValue()
    {
        GridDriver driver(*m_grid);
        driver.Click(1, ColKind);
        GridDriver::Press(Qt::Key_F2);
        auto* list = qobject_cast<QComboBox*>(GridDriver::Focus());
        QVERIFY(list);
        QCOMPARE(list->currentText(), QStringLiteral("Plain Text"));
        GridDriver::Press(Qt::Key_Down);
        GridDriver::Press(Qt::Key_Down);
        GridDriver::Press(Qt::Key_Return);
        QVERIFY(m_grid->CommitPendingEdit());
        QCOMPARE(m_host.rows[0][3].toInt(), 5);
    }

    void newRowLineAddsAHostRecord()
    {
        m_grid->SetAllowAddNew(true);
        GridDriver driver(*m_grid);
        QSignalSpy inserted(m_grid, &ctlDataGrid::RowInserted);
        driver.Enter(ctlDataGrid::NewRow, ColName, QStringLiteral("Pages"));
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(m_host.rows.size(), 6);
        QCOMPARE(m_host.rows[5][0].toString(), QStringLiteral("Pages"));
        QCOMPARE(m_grid->RowCount(), 6);
        QCOMPARE(m_grid->Row(), 6);
        QCOMPARE(m_grid->RowValue(6, ColName).toString(), QStringLiteral("Pages"));
    }

    void cancelledUpdateKeepsTheOldValue()
    {
        connect(m_grid, &ctlDataGrid::BeforeColUpdate, this,
                [](int column, const QVariant&, QVariant* value, bool* cancel) {
                    *cancel = column == ColName && value->toString().trimmed().isEmpty();
                });
        GridDriver driver(*m_grid);
        driver.Click(1, ColName);
        GridDriver::Press(Qt::Key_F2);
        m_grid->SetEditText(QStringLiteral("  "));
        GridDriver::Press(Qt::Key_Return);
        QVERIFY(!m_grid->IsEditing());
        QVERIFY(m_grid->CommitPendingEdit());
        QCOMPARE(m_host.rows[0][0].toString(), QStringLiteral("Title"));
        QCOMPARE(m_grid->RowValue(1, ColName).toString(), QStringLiteral("Title"));
    }

    void beforeColEditCanRefuseTheEditor()
    {
        connect(m_grid, &ctlDataGrid::BeforeColEdit, this,
                [](int column, bool* cancel) { *cancel = column == ColSize; });
        GridDriver driver(*m_grid);
        driver.Click(1, ColSize);
        GridDriver::Type(QStringLiteral("9"));
        QVERIFY(!m_grid->IsEditing());
        driver.Click(1, ColName);
        GridDriver::Type(QStringLiteral("9"));
        QVERIFY(m_grid->IsEditing());
    }

    void sortsByTheColumnsKind_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QStringList>("ascending");
        QTest::newRow("text, without regard to case")
            << int(ColName) << QStringList{"Author", "Notes", "Price", "Title", "year"};
        QTest::newRow("numbers by value") << int(ColSize) << QStringList{"Notes", "year", "Price", "Title", "Author"};
    }
    void sortsByTheColumnsKind()
    {
        QFETCH(int, column);
        QFETCH(QStringList, ascending);
        GridDriver driver(*m_grid);
        driver.ClickHeader(column);
        QCOMPARE(Names(), ascending);
        driver.ClickHeader(column);
        std::reverse(ascending.begin(), ascending.end());
        if (column == ColSize)
            std::swap(ascending[0], ascending[1]); // equal sizes keep their order
        QCOMPARE(Names(), ascending);
    }

    void deletingRenumbersTheHostsRecords()
    {
        GridDriver driver(*m_grid);
        driver.Click(2, ColName);
        driver.Click(4, ColName, Qt::ControlModifier);
        QVERIFY(m_grid->DeleteSelected());
        QCOMPARE(m_host.rows.size(), 3);
        QCOMPARE(Names(), (QStringList{"Title", "year", "Notes"}));
    }

    void groupsByACheckBoxColumn()
    {
        m_grid->AddGroup(ColHidden, GridColumn::SortOrder::Descending);
        QVERIFY(!m_grid->Regroup(false));
        QCOMPARE(m_grid->RowCount(), 7);
        QVERIFY(m_grid->IsGroupRow(1));
        QCOMPARE(m_grid->GroupRowValue(1).toBool(), true);
        QCOMPARE(m_grid->GroupRowCount(1), 2);
        QCOMPARE(m_grid->RowValue(2, ColName).toString(), QStringLiteral("year"));
        QVERIFY(m_grid->IsGroupRow(4));
    }

    void typeAheadRewritesTheEditBox()
    {
        // What the item view does in People cells: complete the typed start and select the completion.
        const QStringList candidates{"Smith", "Smythe"};
        bool suppressed = false;
        connect(m_grid, &ctlDataGrid::KeyDown, this, [&](int key, Qt::KeyboardModifiers, bool*) {
            suppressed = key == Qt::Key_Backspace || key == Qt::Key_Delete;
        });
        connect(m_grid, &ctlDataGrid::KeyUp, this, [&](int, Qt::KeyboardModifiers) {
            if (suppressed || !m_grid->IsEditing())
                return;
            const QString typed = m_grid->EditText();
            for (const QString& candidate : candidates)
                if (!typed.isEmpty() && candidate.startsWith(typed, Qt::CaseInsensitive) &&
                    candidate.size() > typed.size()) {
                    m_grid->SetEditText(candidate);
                    m_grid->SetEditSelection(int(typed.size()), int(candidate.size() - typed.size()));
                    return;
                }
        });
        GridDriver driver(*m_grid);
        driver.Click(2, ColName);
        GridDriver::Type(QStringLiteral("sm"));
        QCOMPARE(m_grid->EditText(), QStringLiteral("Smith"));
        QCOMPARE(m_grid->EditSelText(), QStringLiteral("ith"));
        QCOMPARE(m_grid->EditSelStart(), 2);
        GridDriver::Press(Qt::Key_Backspace);
        QCOMPARE(m_grid->EditText(), QStringLiteral("Sm"));
        m_grid->SetEditSelection(0, 2);
        m_grid->ReplaceEditSelection(QStringLiteral("Jo"));
        QCOMPARE(m_grid->EditText(), QStringLiteral("Jo"));
        GridDriver::Press(Qt::Key_Escape);
        QCOMPARE(m_grid->RowValue(2, ColName).toString(), QStringLiteral("Author"));
    }

    void cardLayoutEditsLikeTheColumnManager()
    {
        m_grid->SetCardCaptionColumn(ColName);
        m_grid->SetCardWidth(4320);
        m_grid->SetLayout(ctlDataGrid::Layout::Card);
        GridCardView* cards = m_grid->CardView();
        QCOMPARE(cards->CardRect(0).width(), 3 * m_grid->logicalDpiX());
        GridDriver driver(*m_grid);
        driver.Enter(3, ColName, QStringLiteral("Published"));
        driver.Click(3, ColHidden); // a check box changes with a click
        QVERIFY(m_grid->CommitPendingEdit());
        QCOMPARE(m_host.rows[2][0].toString(), QStringLiteral("Published"));
        QCOMPARE(m_host.rows[2][2].toBool(), false);
        QCOMPARE(m_host.saved, QList<int>{3});
    }
};

QTEST_MAIN(tst_GridUnbound)
#include "tst_gridunbound.moc"
