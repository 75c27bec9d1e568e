#include "../model/ModelFixture.h"

#include "controls/GridColumn.h"
#include "controls/ctlDataGrid.h"
#include "items/ctlItemView.h"
#include "items/frmGroupBy.h"

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include <memory>

// The grouping dialog on an item view of "Books", and the grouping the subject keeps.
class TestFrmGroupBy : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup()
    {
        m_view.reset();
        m_fx.reset();
    }
    void opensOnAnUngroupedView();
    void levelsCascade();
    void confirmingGroupsTheGrid();
    void unchangedGroupingDoesNotRegroup();
    void orderChangeRegroupsAndTheSubjectKeepsIt();

private:
    ctlDataGrid* Grid() const { return m_view->GridExControl(); }
    static void Choose(QComboBox* list, const QString& caption) { list->setCurrentIndex(list->findText(caption)); }

    std::unique_ptr<ModelFixture> m_fx;
    std::unique_ptr<ctlItemView> m_view;
    QString m_plain;
};

void TestFrmGroupBy::init()
{
    m_fx = std::make_unique<ModelFixture>();
    QVERIFY(m_fx->Setup());
    m_plain = m_fx->NewSubject(m_fx->books, "Novels");
    for (const char* row : {"'Dune','Herbert',1965", "'Emma','Austen',1815", "'Persuasion','Austen',1817"})
        QVERIFY(m_fx->AddItem(m_fx->books, "[TreeID],[Title],[Author],[Year]", m_plain + "," + row));
    QVERIFY(!m_fx->books->Columns().Item("Pages")->SetHidden(true));
    m_view = std::make_unique<ctlItemView>();
    m_view->Setup();
    m_view->SetSubject(Subject(m_plain));
    m_view->RefreshView();
}

void TestFrmGroupBy::opensOnAnUngroupedView()
{
    frmGroupBy dialog(*m_view);
    QCOMPARE(dialog.LevelList(0)->currentText(), QString("(none)"));
    QCOMPARE(dialog.ExpandList()->currentText(), QString("All Collapsed"));
    for (int level = 1; level < frmGroupBy::Levels; ++level)
        QVERIFY(!dialog.LevelList(level)->isEnabled());
    QVERIFY(!dialog.Ascending(0)->isEnabled());
    QStringList offered;
    for (int i = 0; i < dialog.LevelList(0)->count(); ++i)
        offered << dialog.LevelList(0)->itemText(i);
    // "(none)" first, then the visible captions and the stamps, sorted; hidden and icon columns are not offered.
    QCOMPARE(offered.first(), QString("(none)"));
    QVERIFY(offered.contains("Created") && offered.contains("Modified") && offered.contains("Author"));
    QVERIFY(!offered.contains("Pages") && !offered.contains("ID") && !offered.contains(""));
    QStringList sorted = offered.mid(1);
    std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    QCOMPARE(offered.mid(1), sorted);
}

void TestFrmGroupBy::levelsCascade()
{
    frmGroupBy dialog(*m_view);
    Choose(dialog.LevelList(0), "Author");
    QVERIFY(dialog.LevelList(1)->isEnabled());
    QVERIFY(dialog.Descending(0)->isEnabled());
    Choose(dialog.LevelList(1), "Year");
    QVERIFY(dialog.LevelList(2)->isEnabled());
    dialog.ClearAllButton()->click();
    QCOMPARE(dialog.LevelList(1)->currentText(), QString("(none)"));
    for (int level = 1; level < frmGroupBy::Levels; ++level)
        QVERIFY(!dialog.LevelList(level)->isEnabled());
}

void TestFrmGroupBy::confirmingGroupsTheGrid()
{
    frmGroupBy dialog(*m_view);
    Choose(dialog.LevelList(0), "Author");
    dialog.Descending(0)->setChecked(true);
    Choose(dialog.ExpandList(), "All Expanded");
    dialog.OkButton()->click();
    QCOMPARE(Grid()->GroupCount(), 1);
    QCOMPARE(Grid()->GroupColumn(0), Grid()->ColumnByKey("Author")->Index());
    QCOMPARE(Grid()->GroupSortOrder(0), -1);
    // Expanded, descending: Herbert's group first, its record under it.
    QVERIFY(Grid()->IsGroupRow(1));
    QCOMPARE(Grid()->GroupRowValue(1).toString(), QString("Herbert"));
    QVERIFY(!Grid()->IsGroupRow(2));

    // A new dialog shows the grouping as it is.
    frmGroupBy again(*m_view);
    QCOMPARE(again.LevelList(0)->currentText(), QString("Author"));
    QVERIFY(again.Descending(0)->isChecked());
    QVERIFY(again.LevelList(1)->isEnabled());
}

void TestFrmGroupBy::unchangedGroupingDoesNotRegroup()
{
    Grid()->AddGroup(Grid()->ColumnByKey("Author")->Index(), GridColumn::SortOrder::Ascending);
    Grid()->Regroup(true);
    Grid()->SetGroupExpanded(1, true);
    frmGroupBy dialog(*m_view);
    dialog.OkButton()->click();
    QVERIFY(Grid()->IsGroupExpanded(1)); // no regroup: the expansion stays
}

void TestFrmGroupBy::orderChangeRegroupsAndTheSubjectKeepsIt()
{
    Grid()->AddGroup(Grid()->ColumnByKey("Author")->Index(), GridColumn::SortOrder::Ascending);
    Grid()->Regroup(false);
    bool ran = false;
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [&ran, timer] {
        if (frmGroupBy* dialog = frmGroupBy::OpenInstanceForTesting()) {
            timer->stop();
            dialog->Descending(0)->setChecked(true);
            dialog->OkButton()->click();
            ran = true;
        }
    });
    timer->start(10);
    m_view->GroupBy();
    QVERIFY(ran);
    QCOMPARE(Grid()->GroupSortOrder(0), -1);
    QVERIFY(!Grid()->IsGroupExpanded(1)); // regrouped, collapsed as chosen
    // The subject keeps it: the next load groups the same way.
    m_view->Reset(true);
    m_view->RefreshView();
    QCOMPARE(Grid()->GroupCount(), 1);
    QCOMPARE(Grid()->GroupColumn(0), Grid()->ColumnByKey("Author")->Index());
    QCOMPARE(Grid()->GroupSortOrder(0), -1);
}

QTEST_MAIN(TestFrmGroupBy)
#include "tst_frmGroupBy.moc"
