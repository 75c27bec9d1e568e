// Completion while typing in People and Auto-complete cells: the first candidate that begins with what was
// typed fills the cell, its untyped part selected so that further typing overwrites it.
#include "items/ctlItemView.h"

#include "app/clsCatalog.h"
#include "controls/GridColumn.h"
#include "controls/ctlDataGrid.h"
#include "items/ItemStatements.h"
#include "model/Category.h"
#include "model/clsColumn.h"
#include "model/clsColumns.h"
#include "platform/Database.h"

#include <QCoreApplication>
#include <QPointer>

bool ctlItemView::CompletesCell(const GridColumn* column)
{
    return column && (column->Tag() == QString::number(clsColumn::People) ||
                      column->Tag() == QString::number(clsColumn::AutoComplete));
}

QString ctlItemView::ValueListStatement(GridColumn* column) const
{
    Category* category = m_subject ? m_subject->category() : nullptr;
    clsColumn* stored = category ? category->Columns().Item(column->DataField()) : nullptr;
    return stored ? ItemStatements::ValueListStatement(*category, *stored) : QString();
}

void ctlItemView::CurrentCellChanged(int, int column)
{
    if (column == m_candidateColumn)
        return;
    m_candidateColumn = column;
    GridColumn* current = m_grid->Column(column);
    if (CompletesCell(current))
        FillCandidates(current);
}

void ctlItemView::FillCandidates(GridColumn* column)
{
    m_candidates.clear();
    const int fill = ++m_candidateFill;
    Database* db = Catalog().database();
    const QString statement = ValueListStatement(column);
    if (!db || statement.isEmpty())
        return;
    Result<std::unique_ptr<Recordset>> rows = db->OpenRecordset(statement, RecordsetType::ForwardOnly, true);
    if (!rows)
        return;
    // The window stays alive while a long list is read; a newer fill (another column, another load) or the
    // view going away ends this one.
    QPointer<ctlItemView> alive(this);
    std::unique_ptr<Recordset> records = std::move(rows.value());
    int read = 0;
    for (; !records->Eof(); records->MoveNext()) {
        const QVariant value = records->Value(0);
        if (!value.isNull())
            m_candidates.append(value.toString());
        if (++read % 20 == 0) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            if (!alive || fill != m_candidateFill)
                return;
        }
    }
}

void ctlItemView::EditKeyDown(int key, bool*)
{
    // Deleting must not bring back what was just deleted.
    m_completionSuppressed = key == Qt::Key_Delete || key == Qt::Key_Backspace;
}

void ctlItemView::EditKeyUp(int key)
{
    if (key == Qt::Key_Delete || key == Qt::Key_Backspace || m_completionSuppressed)
        return;
    if (!CompletesCell(m_grid->Column(m_grid->Col())))
        return;
    const QString typed = m_grid->EditText();
    if (typed.isEmpty())
        return;
    for (const QString& candidate : std::as_const(m_candidates)) {
        if (!candidate.startsWith(typed, Qt::CaseInsensitive))
            continue;
        if (candidate.size() == typed.size())
            return;
        m_completionSuppressed = true;
        m_grid->SetEditText(candidate);
        m_grid->SetEditSelection(int(typed.size()), int(candidate.size() - typed.size()));
        m_completionSuppressed = false;
        return;
    }
}
