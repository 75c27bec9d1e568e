// The bound data grid over a catalog file, driven with the mouse and keyboard; every check reads the file.
#include "CatalogFixture.h"
#include "GridDriver.h"

#include "controls/GridRecordset.h"
#include "storage/modDBOperations.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

namespace
{
// Column indexes of the grid built from SELECT [ID],[Title],[Author],[Year],[Price],[Read],[Bought],[Code].
enum { ColId = 1, ColTitle, ColAuthor, ColYear, ColPrice, ColRead, ColBought, ColCode };

struct Book {
    const char* title;
    const char* author;
    int year;
};
const Book Books[] = {{"Emma", "Austen", 1815},     {"Persuasion", "Austen", 1817},
                      {"Dracula", "Stoker", 1897},  {"Ulysses", "Joyce", 1922},
                      {"Dubliners", "Joyce", 1914}, {"Middlemarch", "Eliot", 1871},
                      {"Adam Bede", "Eliot", 1859}, {"Sense and Sensibility", "Austen", 1811}};
} // namespace

class tst_GridBound : public QObject
{
    Q_OBJECT

private:
    CatalogFixture* m_fixture = nullptr;
    ctlDataGrid* m_grid = nullptr;
    QString m_table;

    Database& db() { return m_fixture->db(); }

    QVariant Lookup(const QString& sql)
    {
        const Result<QVariant> value = db().LookupValue(sql);
        return value ? value.value() : QVariant();
    }
    QVariant FieldOf(int id, const QString& field)
    {
        return Lookup(QStringLiteral("SELECT [%1] FROM [%2] WHERE [ID] = %3").arg(field, m_table).arg(id));
    }
    int RowOfId(int id) { return m_grid->RowOfBookmark(id); }

private Q_SLOTS:
    void init()
    {
        m_fixture = new CatalogFixture;
        QVERIFY(m_fixture->OpenNew());
        const Result<int> category =
            modDBCreation::CreateCategory(db(), QStringLiteral("Books"), QStringLiteral("Title"), 0);
        QVERIFY(category.ok());
        m_table = QStringLiteral("ktbl%1").arg(*category);
        QVERIFY(
            modDBOperations::AddField(db(), m_table, QStringLiteral("Author"), 1, false, false, true, 0, *category));
        QVERIFY(modDBOperations::AddField(db(), m_table, QStringLiteral("Year"), 10, false, false, true, 0, *category));
        QVERIFY(modDBOperations::AddField(db(), m_table, QStringLiteral("Price"), 5, false, false, true, 0, *category));
        QVERIFY(modDBOperations::AddField(db(), m_table, QStringLiteral("Read"), 12, false, false, true, 0, *category));
        QVERIFY(
            modDBOperations::AddField(db(), m_table, QStringLiteral("Bought"), 4, false, false, true, 0, *category));
        // A field of no column type: 50 characters at most, never empty.
        QVERIFY(modDBOperations::AddField(db(), m_table, QStringLiteral("Code"), 99, false, false, true, 0, *category));
        for (const Book& book : Books) {
            const Result<int> added =
                db().Execute(QStringLiteral("INSERT INTO [%1] ([Title],[Author],[Year],[Price],[Read],[Code]) "
                                            "VALUES ('%2','%3',%4,9.5,False,'B1')")
                                 .arg(m_table, QString::fromUtf8(book.title), QString::fromUtf8(book.author))
                                 .arg(book.year));
            QVERIFY2(added.ok(), qPrintable(added.error().message));
        }

        m_grid = new ctlDataGrid;
        m_grid->resize(900, 500);
        m_grid->SetDatabase(&db());
        m_grid->SetRecordSource(
            QStringLiteral("SELECT [ID],[Title],[Author],[Year],[Price],[Read],[Bought],[Code] FROM [%1]")
                .arg(m_table));
        QVERIFY(!m_grid->Rebind());
        m_grid->Column(ColCode)->SetMaxLength(80); // more than the field takes: the engine refuses the rest
        m_grid->Column(ColRead)->SetColumnKind(GridColumn::Kind::CheckBox);
        m_grid->Column(ColRead)->SetColumnEditKind(GridColumn::EditKind::CheckBox);
        m_grid->Column(ColBought)->SetColumnEditKind(GridColumn::EditKind::Calendar);
        m_grid->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_grid));
        m_grid->activateWindow();
        m_grid->setFocus();
    }

    void cleanup()
    {
        delete m_grid;
        m_grid = nullptr;
        delete m_fixture;
        m_fixture = nullptr;
    }

    void modelKeepsQtRules()
    {
        QAbstractItemModelTester tester(m_grid->Model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        m_grid->SetAllowAddNew(true);
        m_grid->AddGroup(ColAuthor, GridColumn::SortOrder::Ascending);
        QVERIFY(!m_grid->Regroup(false));
        m_grid->SetGroupExpanded(1, false);
        m_grid->SetGroupExpanded(1, true);
        m_grid->ClearGroups();
        QVERIFY(!m_grid->Regroup(true));
    }

    void typedValueIsWrittenAtOnce_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("stored");
        QTest::newRow("text") << int(ColTitle) << "Northanger Abbey"
                              << "Title" << QVariant(QStringLiteral("Northanger Abbey"));
        QTest::newRow("number") << int(ColYear) << "1818"
                                << "Year" << QVariant(1818);
        QTest::newRow("currency") << int(ColPrice) << "12.25"
                                  << "Price" << QVariant(12.25);
        QTest::newRow("date") << int(ColBought) << "2/3/2004"
                              << "Bought" << QVariant(QDateTime(QDate(2004, 2, 3), QTime(0, 0)));
    }
    void typedValueIsWrittenAtOnce()
    {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QString, field);
        QFETCH(QVariant, stored);
        GridDriver driver(*m_grid);
        QSignalSpy committed(m_grid, &ctlDataGrid::CellCommitted);
        const int row = RowOfId(1);
        driver.Enter(row, column, typed);
        QVERIFY(!m_grid->IsEditing());
        QCOMPARE(committed.count(), 1);
        QCOMPARE(committed.first().first().toInt(), column);
        // Read back through a new result set: what reached the file.
        Result<std::unique_ptr<Recordset>> rs =
            db().OpenRecordset(QStringLiteral("SELECT * FROM [%1] WHERE [ID] = 1").arg(m_table));
        QVERIFY(rs.ok());
        QCOMPARE(rs.value()->Value(field), stored);
        QCOMPARE(m_grid->RowValue(row, column), stored);
    }

    void refusedValueStaysInTheEditor_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("number");
        QTest::newRow("letters in a number") << int(ColYear) << "abc" << DbErrorNumber::DataTypeMismatch;
        QTest::newRow("out of range") << int(ColYear) << "99999999999" << DbErrorNumber::DataTypeMismatch;
        QTest::newRow("letters in currency") << int(ColPrice) << "cheap" << DbErrorNumber::DataTypeMismatch;
        QTest::newRow("impossible date") << int(ColBought) << "2/30/2004" << DbErrorNumber::DataTypeMismatch;
        QTest::newRow("too long") << int(ColCode) << QString(60, QLatin1Char('x')) << DbErrorNumber::FieldTooSmall;
    }
    void refusedValueStaysInTheEditor()
    {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(int, number);
        GridDriver driver(*m_grid);
        QList<int> errors;
        connect(m_grid, &ctlDataGrid::DataError, this, [&errors](int number, const QString&, bool* show) {
            errors << number;
            *show = false;
        });
        const int row = RowOfId(3);
        const QVariant before = m_grid->RowValue(row, column);
        driver.Enter(row, column, typed);
        QCOMPARE(errors, QList<int>{number});
        QVERIFY(m_grid->IsEditing());
        QCOMPARE(m_grid->EditText(), typed);
        QCOMPARE(m_fixture->ui.messages.size(), 0);
        // Clicking another row does not leave the cell either.
        driver.Click(RowOfId(4), ColTitle);
        QVERIFY(m_grid->IsEditing());
        QCOMPARE(m_grid->Row(), row);
        GridDriver::Press(Qt::Key_Escape);
        QVERIFY(!m_grid->IsEditing());
        const QString field = m_grid->Column(column)->DataField();
        QCOMPARE(FieldOf(3, field), before.typeId() == QMetaType::QDateTime ? QVariant(before) : before);
        QCOMPARE(m_grid->RowValue(row, column), before);
    }

    void emptiedValueIsRefusedWhereTheFieldWantsText()
    {
        GridDriver driver(*m_grid);
        QList<int> errors;
        connect(m_grid, &ctlDataGrid::DataError, this, [&errors](int number, const QString&, bool* show) {
            errors << number;
            *show = false;
        });
        driver.Click(RowOfId(2), ColCode);
        GridDriver::Press(Qt::Key_F2);
        GridDriver::Press(Qt::Key_Backspace);
        GridDriver::Press(Qt::Key_Backspace);
        GridDriver::Press(Qt::Key_Return);
        QCOMPARE(errors, QList<int>{DbErrorNumber::ZeroLengthRefused});
        QVERIFY(m_grid->IsEditing());
        GridDriver::Press(Qt::Key_Escape);
        QCOMPARE(FieldOf(2, QStringLiteral("Code")).toString(), QStringLiteral("B1"));
    }

    void refusedValueShowsTheGridsMessageUnlessSuppressed()
    {
        GridDriver driver(*m_grid);
        driver.Enter(RowOfId(2), ColYear, QStringLiteral("x"));
        QCOMPARE(m_fixture->ui.messages.size(), 1);
        GridDriver::Press(Qt::Key_Escape);
    }

    void newRowLineAddsARecordWithItsNewId()
    {
        m_grid->SetAllowAddNew(true);
        GridDriver driver(*m_grid);
        QSignalSpy inserted(m_grid, &ctlDataGrid::RowInserted);
        int rowDuringInsert = 0;
        connect(m_grid, &ctlDataGrid::RowInserted, this, [&] { rowDuringInsert = m_grid->Row(); });
        const int rows = m_grid->RowCount();
        driver.Enter(ctlDataGrid::NewRow, ColTitle, QStringLiteral("Frankenstein"));
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(rowDuringInsert, int(ctlDataGrid::NewRow));
        QCOMPARE(m_grid->RowCount(), rows + 1);
        const QVariant id = m_grid->RowBookmark(m_grid->RowCount());
        QCOMPARE(id.toInt(), Lookup(QStringLiteral("SELECT max([ID]) FROM [%1]").arg(m_table)).toInt());
        QCOMPARE(FieldOf(id.toInt(), QStringLiteral("Title")).toString(), QStringLiteral("Frankenstein"));
        // The new record's row is current now; its next cell is typed into like any other.
        QCOMPARE(m_grid->Row(), m_grid->RowCount());
        driver.Enter(m_grid->RowCount(), ColAuthor, QStringLiteral("Shelley"));
        QCOMPARE(FieldOf(id.toInt(), QStringLiteral("Author")).toString(), QStringLiteral("Shelley"));
        QCOMPARE(Lookup(QStringLiteral("SELECT count(*) FROM [%1]").arg(m_table)).toInt(), rows + 1);
    }

    void newRowLineRefusesABadFirstValue()
    {
        m_grid->SetAllowAddNew(true);
        GridDriver driver(*m_grid);
        QList<int> errors;
        connect(m_grid, &ctlDataGrid::DataError, this, [&errors](int number, const QString&, bool* show) {
            errors << number;
            *show = false;
        });
        driver.Enter(ctlDataGrid::NewRow, ColYear, QStringLiteral("soon"));
        QCOMPARE(errors, QList<int>{DbErrorNumber::DataTypeMismatch});
        QVERIFY(m_grid->IsEditing());
        GridDriver::Press(Qt::Key_Escape);
        QCOMPARE(Lookup(QStringLiteral("SELECT count(*) FROM [%1]").arg(m_table)).toInt(), int(std::size(Books)));
    }

    void recordsetAddsAndEditsRecordsTheGridShows()
    {
        GridRecordset& rs = m_grid->Recordset();
        QVERIFY(!rs.AddNew());
        const int id = rs.Value(QStringLiteral("ID")).toInt();
        QVERIFY(id > int(std::size(Books)));
        QVERIFY(!rs.SetValue(QStringLiteral("Title"), QStringLiteral("Kim")));
        QVERIFY(!rs.Update());
        QCOMPARE(m_grid->RowCount(), int(std::size(Books)) + 1);
        QCOMPARE(m_grid->RowBookmark(m_grid->RowCount()).toInt(), id);
        QCOMPARE(m_grid->RowValue(m_grid->RowCount(), ColTitle).toString(), QStringLiteral("Kim"));

        QVERIFY(!rs.SetBookmark(m_grid->RowBookmark(RowOfId(2))));
        QVERIFY(!rs.Edit());
        QCOMPARE(rs.SetValue(QStringLiteral("Year"), QStringLiteral("later")).number, DbErrorNumber::DataTypeMismatch);
        QVERIFY(!rs.SetValue(QStringLiteral("Year"), 1900));
        QVERIFY(!rs.Update());
        QCOMPARE(m_grid->RowValue(RowOfId(2), ColYear).toInt(), 1900);
        QCOMPARE(FieldOf(2, QStringLiteral("Year")).toInt(), 1900);

        rs.Close();
        QVERIFY(!rs.IsOpen());
        QCOMPARE(m_grid->RowCount(), 0);
        QVERIFY(!m_grid->Rebind());
        QCOMPARE(m_grid->RowCount(), int(std::size(Books)) + 1);
    }

    void headerClicksSortBothWays_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("field");
        QTest::newRow("text") << int(ColTitle) << "Title";
        QTest::newRow("number") << int(ColYear) << "Year";
    }
    void headerClicksSortBothWays()
    {
        QFETCH(int, column);
        QFETCH(QString, field);
        GridDriver driver(*m_grid);
        QStringList expected;
        Result<std::unique_ptr<Recordset>> rs = db().OpenRecordset(
            QStringLiteral("SELECT [%1] FROM [%2] ORDER BY [%1]").arg(field, m_table), RecordsetType::ForwardOnly);
        for (; !rs.value()->Eof(); rs.value()->MoveNext())
            expected << rs.value()->Value(0).toString();
        const auto shown = [&] {
            QStringList values;
            for (int row = 1; row <= m_grid->RowCount(); ++row)
                values << m_grid->RowValue(row, column).toString();
            return values;
        };
        driver.ClickHeader(column);
        QCOMPARE(m_grid->Column(column)->CurrentSortOrder(), GridColumn::SortOrder::Ascending);
        QCOMPARE(shown(), expected);
        driver.ClickHeader(column);
        QCOMPARE(m_grid->Column(column)->CurrentSortOrder(), GridColumn::SortOrder::Descending);
        std::reverse(expected.begin(), expected.end());
        QCOMPARE(shown(), expected);
        QCOMPARE(m_grid->SortKeys().size(), 1);
    }

    void twoLevelGroups()
    {
        m_grid->AddGroup(ColAuthor, GridColumn::SortOrder::Ascending);
        m_grid->AddGroup(ColYear, GridColumn::SortOrder::Descending);
        m_grid->AddSortKey(ColTitle, GridColumn::SortOrder::Ascending);
        QVERIFY(!m_grid->Regroup(true));
        // Collapsed: one header row per author, in order.
        QCOMPARE(m_grid->RowCount(), 4);
        QStringList authors;
        for (int row = 1; row <= 4; ++row) {
            QVERIFY(m_grid->IsGroupRow(row));
            authors << m_grid->GroupRowValue(row).toString();
        }
        QCOMPARE(authors, (QStringList{"Austen", "Eliot", "Joyce", "Stoker"}));
        QCOMPARE(m_grid->GroupRowCount(1), 3);
        QCOMPARE(m_grid->Model()->index(m_grid->Model()->FirstRecordRow(), 0).data(GridModel::GroupTextRole).toString(),
                 QStringLiteral("Author: Austen (3 items)"));

        // Opening Austen with the keyboard shows her years, newest first, still closed.
        GridDriver driver(*m_grid);
        driver.Click(1, ColTitle);
        GridDriver::Press(Qt::Key_Right);
        QCOMPARE(m_grid->RowCount(), 7);
        QList<int> years;
        for (int row = 2; row <= 4; ++row) {
            QVERIFY(m_grid->IsGroupRow(row));
            QCOMPARE(m_grid->GroupRowColumn(row), int(ColYear));
            years << m_grid->GroupRowValue(row).toInt();
        }
        QCOMPARE(years, (QList<int>{1817, 1815, 1811}));
        // A click on the sign opens 1815: its record follows its header.
        const QRect sign = m_grid->TableView()->ExpanderRect(driver.Cell(3, 1).row());
        driver.ClickAt(sign.center());
        QVERIFY(!m_grid->IsGroupRow(4));
        QCOMPARE(m_grid->RowValue(4, ColTitle).toString(), QStringLiteral("Emma"));
        QCOMPARE(m_grid->RowCount(), 8);
        QVERIFY(m_grid->IsGroupRow(5));

        // The groups as a subject stores them.
        QCOMPARE(m_grid->GroupCount(), 2);
        QCOMPARE(m_grid->GroupColumnKey(0), QStringLiteral("Author"));
        QCOMPARE(m_grid->GroupSortOrder(1), -1);
        GroupingInterface& grouping = *m_grid;
        grouping.ClearGroups();
        QVERIFY(grouping.AddGroup(QStringLiteral("year"), -1));
        QVERIFY(!grouping.AddGroup(QStringLiteral("NoSuchField"), 1));
        grouping.RegroupCollapsed();
        QCOMPARE(m_grid->RowCount(), 8); // eight different years
        QCOMPARE(m_grid->GroupRowValue(1).toInt(), 1922);
    }

    // The grid's order is the database's, whichever way it is reached: by an index or in memory, with or
    // without groups, small groups or one of thousands of records.
    void orderIsTheDatabasesOrder_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("descending");
        QTest::addColumn<bool>("grouped");
        for (const char* field : {"Title", "Year", "Author"})
            for (const bool descending : {false, true})
                for (const bool grouped : {false, true})
                    QTest::addRow("%s %s%s", field, descending ? "descending" : "ascending", grouped ? ", grouped" : "")
                        << QString::fromLatin1(field) << descending << grouped;
    }
    void orderIsTheDatabasesOrder()
    {
        QFETCH(QString, field);
        QFETCH(bool, descending);
        QFETCH(bool, grouped);
        // 4,500 records of one author (a group too large to order on its own), with repeated years and
        // titles in mixed letter case.
        QVERIFY(!db().BeginTrans());
        for (int i = 0; i < 4500; ++i)
            QVERIFY(db().Execute(QStringLiteral("INSERT INTO [%1] ([Title],[Author],[Year]) VALUES ('%2 %3','%4',%5)")
                                     .arg(m_table, i % 3 ? QStringLiteral("item") : QStringLiteral("Item"))
                                     .arg((i * 7919) % 4500)
                                     .arg(i % 5 ? QStringLiteral("Prolific") : QStringLiteral("prolific"))
                                     .arg(1900 + i % 37))
                        .ok());
        QVERIFY(!db().CommitTrans());
        QVERIFY(!m_grid->Rebind());

        const QString direction = descending ? QStringLiteral(" DESC") : QString();
        QString order = QStringLiteral("[%1]%2, [ID]%2").arg(field, direction);
        if (grouped)
            order = QStringLiteral("[Author], ") + order;
        QList<int> expected;
        Result<std::unique_ptr<Recordset>> rs = db().OpenRecordset(
            QStringLiteral("SELECT [ID] FROM [%1] ORDER BY %2").arg(m_table, order), RecordsetType::ForwardOnly);
        QVERIFY(rs.ok());
        for (; !rs.value()->Eof(); rs.value()->MoveNext())
            expected << rs.value()->Value(0).toInt();

        const int column = m_grid->ColumnByKey(field)->Index();
        m_grid->AddSortKey(column, descending ? GridColumn::SortOrder::Descending : GridColumn::SortOrder::Ascending);
        if (grouped)
            m_grid->AddGroup(ColAuthor, GridColumn::SortOrder::Ascending);
        QVERIFY(!m_grid->Regroup(false));
        QList<int> shown;
        for (int row = 1; row <= m_grid->RowCount(); ++row)
            if (!m_grid->IsGroupRow(row))
                shown << m_grid->RowBookmark(row).toInt();
        QCOMPARE(shown.size(), expected.size());
        QCOMPARE(shown, expected);
        if (grouped) {
            // "Prolific" and "prolific" make one group, as the database compares text.
            int largest = 0;
            for (int row = 1; row <= m_grid->RowCount(); ++row)
                largest = std::max(largest, int(m_grid->GroupRowCount(row)));
            QCOMPARE(largest, 4500);
        }
    }

    void bookmarkOpensTheGroupsAroundItsRecord()
    {
        m_grid->AddGroup(ColAuthor, GridColumn::SortOrder::Ascending);
        QVERIFY(!m_grid->Regroup(true));
        QCOMPARE(m_grid->RowOfBookmark(4), 0); // Ulysses is hidden in Joyce's closed group
        QVERIFY(m_grid->SetBookmark(4));
        QVERIFY(m_grid->IsGroupExpanded(m_grid->Row() - 1) || m_grid->IsGroupExpanded(m_grid->Row() - 2));
        QCOMPARE(m_grid->Bookmark().toInt(), 4);
        QCOMPARE(m_grid->Value(ColTitle).toString(), QStringLiteral("Ulysses"));
    }

    void selectionAcrossGroupsDeletesOnlyRecords()
    {
        m_grid->AddGroup(ColAuthor, GridColumn::SortOrder::Ascending);
        QVERIFY(!m_grid->Regroup(false));
        GridDriver driver(*m_grid);
        // Austen (header, 3 rows), Eliot (header, 2 rows), ...: pick Persuasion, the Eliot header and Adam Bede.
        const int persuasion = RowOfId(2);
        const int adamBede = RowOfId(7);
        const int eliotHeader = adamBede - 1 - (RowOfId(6) < adamBede ? 1 : 0);
        QVERIFY(m_grid->IsGroupRow(eliotHeader));
        driver.Click(persuasion, ColTitle);
        driver.Click(eliotHeader, ColTitle, Qt::ControlModifier);
        driver.Click(adamBede, ColTitle, Qt::ControlModifier);
        QCOMPARE(m_grid->SelectedCount(), 3);
        QCOMPARE(m_grid->SelectedRows(), (QList<int>{persuasion, eliotHeader, adamBede}));

        QList<int> aboutToGo;
        connect(m_grid, &ctlDataGrid::RowAboutToBeDeleted, this,
                [&](int row) { aboutToGo << m_grid->RowValue(row, ColId).toInt(); });
        bool refuse = true;
        connect(m_grid, &ctlDataGrid::BeforeDelete, this, [&refuse](bool* cancel) { *cancel = refuse; });
        QVERIFY(!m_grid->DeleteSelected());
        QCOMPARE(Lookup(QStringLiteral("SELECT count(*) FROM [%1]").arg(m_table)).toInt(), int(std::size(Books)));
        refuse = false;
        QSignalSpy deleted(m_grid, &ctlDataGrid::RowsDeleted);
        QVERIFY(m_grid->DeleteSelected());
        QCOMPARE(deleted.count(), 1);
        QCOMPARE(aboutToGo, (QList<int>{2, 7}));
        QCOMPARE(Lookup(QStringLiteral("SELECT count(*) FROM [%1] WHERE [ID] IN (2, 7)").arg(m_table)).toInt(), 0);
        QCOMPARE(Lookup(QStringLiteral("SELECT count(*) FROM [%1]").arg(m_table)).toInt(), int(std::size(Books)) - 2);
        // The groups count what is left.
        QCOMPARE(m_grid->GroupRowCount(1), 2);
        QCOMPARE(m_grid->RowOfBookmark(2), 0);
    }

    void ctrlASelectsEveryRow()
    {
        GridDriver driver(*m_grid);
        driver.Click(2, ColTitle);
        GridDriver::Press(Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(m_grid->SelectedCount(), int(std::size(Books)));
        m_grid->ClearSelection();
        m_grid->SelectRow(3);
        m_grid->SelectRow(5);
        QCOMPARE(m_grid->SelectedRows(), (QList<int>{3, 5}));
    }

    void checkBoxTogglesWithAClick()
    {
        GridDriver driver(*m_grid);
        const int row = RowOfId(5);
        driver.Click(row, ColRead);
        QCOMPARE(FieldOf(5, QStringLiteral("Read")), QVariant(true));
        GridDriver::Press(Qt::Key_Space);
        QCOMPARE(FieldOf(5, QStringLiteral("Read")), QVariant(false));
    }

    void beforeColUpdateCanDropOrChangeTheValue()
    {
        GridDriver driver(*m_grid);
        connect(m_grid, &ctlDataGrid::BeforeColUpdate, this, [](int, const QVariant&, QVariant* value, bool* cancel) {
            if (value->toString().isEmpty())
                *cancel = true;
            else
                *value = value->toString().toUpper();
        });
        driver.Enter(RowOfId(1), ColAuthor, QStringLiteral("Anon"));
        QCOMPARE(FieldOf(1, QStringLiteral("Author")).toString(), QStringLiteral("ANON"));
        driver.Click(RowOfId(1), ColAuthor);
        GridDriver::Press(Qt::Key_F2);
        m_grid->SetEditText(QString());
        GridDriver::Press(Qt::Key_Return);
        QCOMPARE(FieldOf(1, QStringLiteral("Author")).toString(), QStringLiteral("ANON"));
    }

    void cardLayoutEditsTheRecord()
    {
        m_grid->SetRecordSource(
            QStringLiteral("SELECT [ID],[Title],[Author],[Year] FROM [%1] WHERE [ID] = 6").arg(m_table));
        QVERIFY(!m_grid->Rebind());
        m_grid->SetCardCaptionColumn(ColTitle);
        m_grid->SetLayout(ctlDataGrid::Layout::Card);
        QCOMPARE(m_grid->ActiveView(), static_cast<QAbstractItemView*>(m_grid->CardView()));
        GridDriver driver(*m_grid);
        driver.Enter(1, ColAuthor, QStringLiteral("George Eliot"));
        QCOMPARE(FieldOf(6, QStringLiteral("Author")).toString(), QStringLiteral("George Eliot"));
        // Tab goes on to the next field of the card, and a refused value stays there too.
        driver.Click(1, ColAuthor);
        GridDriver::Press(Qt::Key_Tab);
        QCOMPARE(m_grid->Col(), int(ColYear));
        GridDriver::Type(QStringLiteral("never"));
        GridDriver::Press(Qt::Key_Return);
        QVERIFY(m_grid->IsEditing());
        GridDriver::Press(Qt::Key_Escape);
        QCOMPARE(FieldOf(6, QStringLiteral("Year")).toInt(), 1871);
    }

    void columnDragAndMoveCanBeRefused()
    {
        QHeaderView* header = m_grid->TableView()->horizontalHeader();
        const auto drag = [&](int column, int toColumn) {
            const auto centre = [&](int c) {
                return QPoint(header->sectionViewportPosition(c - 1) + header->sectionSize(c - 1) / 2,
                              header->height() / 2);
            };
            QTest::mousePress(header->viewport(), Qt::LeftButton, {}, centre(column));
            QMouseEvent move(QEvent::MouseMove, QPointF(centre(toColumn) + QPoint(5, 0)),
                             QPointF(header->viewport()->mapToGlobal(centre(toColumn))), Qt::NoButton, Qt::LeftButton,
                             Qt::NoModifier);
            QApplication::sendEvent(header->viewport(), &move);
            QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, centre(toColumn) + QPoint(5, 0));
        };
        connect(m_grid, &ctlDataGrid::BeforeColumnDrag, this,
                [](int column, bool* cancel) { *cancel = column == ColTitle; });
        connect(m_grid, &ctlDataGrid::BeforeColumnMove, this,
                [](int, int position, bool* cancel) { *cancel = position <= 2; });
        QSignalSpy moved(m_grid, &ctlDataGrid::ColumnsMoved);
        QSignalSpy clicked(m_grid, &ctlDataGrid::ColumnHeaderClicked);
        drag(ColTitle, ColYear); // the title column does not move
        QCOMPARE(m_grid->Column(ColTitle)->Position(), int(ColTitle));
        drag(ColYear, ColId); // nothing goes before the title
        QCOMPARE(m_grid->Column(ColYear)->Position(), int(ColYear));
        drag(ColYear, ColPrice);
        QCOMPARE(moved.count(), 1);
        QCOMPARE(m_grid->Column(ColYear)->Position(), int(ColPrice));
        QCOMPARE(m_grid->ColumnAtPosition(ColYear), m_grid->Column(ColPrice));
        QCOMPARE(clicked.count(), 0); // a drag is no click
    }

    void widthsAreTwips()
    {
        QSignalSpy resized(m_grid, &ctlDataGrid::ColumnResized);
        m_grid->Column(ColTitle)->SetWidth(2880);
        const int dpi = m_grid->logicalDpiX();
        QCOMPARE(m_grid->TableView()->horizontalHeader()->sectionSize(ColTitle - 1), 2 * dpi);
        QCOMPARE(resized.count(), 0);
        m_grid->TableView()->horizontalHeader()->resizeSection(ColTitle - 1, dpi); // as a drag of the edge does
        QCOMPARE(resized.count(), 1);
        QCOMPARE(resized.first().at(1).toInt(), 1440);
        QCOMPARE(m_grid->Column(ColTitle)->Width(), 1440);
    }
};

QTEST_MAIN(tst_GridBound)
#include "tst_gridbound.moc"
