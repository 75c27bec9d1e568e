// What the item view does to items: open, add, commit cell edits, cell buttons, delete, move and link.
#include "items/ctlItemView.h"

#include "app/General.h"
#include "app/clsCatalog.h"
#include "controls/GridColumn.h"
#include "controls/GridRecordset.h"
#include "controls/ShellOpen.h"
#include "controls/ctlDataGrid.h"
#include "items/GuiPublish.h"
#include "items/InternetAddress.h"
#include "items/ItemCommands.h"
#include "items/frmGroupBy.h"
#include "items/frmMoveToItem.h"
#include "items/frmMoveToSubject.h"
#include "items/frmSingleValueSelect.h"
#include "model/Categories.h"
#include "model/Category.h"
#include "model/ItemEditorWindowsInterface.h"
#include "model/clsColumn.h"
#include "platform/Database.h"
#include "platform/UserInterface.h"
#include "publish/clsHTMLOutput.h"
#include "storage/modDBOperations.h"

#include <QCursor>
#include <QLineEdit>

namespace
{
const QString TypeMismatchMessage =
    QStringLiteral("The value entered for this column does not match its type.  Please enter a new value or press ESC "
                   "to return the column to its previous value.");
} // namespace

void ctlItemView::CommandFailed(const QString& what, const QString& message)
{
    Ui().ShowMessage(what + QStringLiteral("\r\n\r\n") + message);
}

// ---- Opening and adding ---------------------------------------------------------------------------------

void ctlItemView::OpenCurrentItem()
{
    if (m_viewType == ItemPicker || !m_subject)
        return;
    const int row = m_grid->Row();
    if (row > 0 && m_grid->IsGroupRow(row))
        return;
    // An empty list of query results, links or people links has no place for a new item.
    const int id = CurrentID();
    if (id == 0 && m_viewType != SubjectItems && m_viewType != SubItems)
        return;
    OpenItem(id, m_viewType == SubItems ? ParentID : 0);
}

void ctlItemView::OpenItem(int itemId, int parentId)
{
    const std::optional<Subject> subject = ItemSubject();
    Category* category = subject ? subject->category() : nullptr;
    Database* db = Catalog().database();
    if (!category || !db)
        return;
    BusyPointer busy;
    ItemEditorWindowsInterface* windows = ItemEditorWindowsInterface::Main();
    bool isNew = false;
    if (itemId != 0) {
        if (modDBOperations::QueryCount(QStringLiteral("SELECT COUNT(*) FROM [") + category->DBName() +
                                            QStringLiteral("] WHERE [ID] = ") + QString::number(itemId),
                                        db) == 0) {
            Ui().ShowMessage(QStringLiteral("The item you've attempted to open does not exist, and may have been "
                                            "deleted in another view."));
            return;
        }
        if (windows && windows->BringEditorWindowToFront(category->ID(), itemId))
            return;
    } else {
        // The new record goes through the grid, which shows it at once as its last row.
        if (!m_grid->IsBound() || subject->category() != m_subject->category())
            return;
        GridRecordset& records = m_grid->Recordset();
        DbError error = records.AddNew();
        if (!error) {
            itemId = records.Value(QStringLiteral("ID")).toInt();
            error = records.SetValue(QStringLiteral("ParentID"), parentId);
        }
        // 0 files the item at the root, where it would otherwise be filed nowhere.
        if (!error)
            error = records.SetValue(QStringLiteral("TreeID"), subject->IsCategory() ? 0 : subject->ID().toInt());
        if (!error)
            error = records.Update();
        if (error) {
            records.CancelUpdate();
            CommandFailed(QStringLiteral("The new item could not be added."), error.message);
            return;
        }
        isNew = true;
        Q_EMIT UpdateCount(int(m_grid->RecordCount()));
    }
    if (windows) {
        windows->OpenEditorWindow(*subject, itemId, isNew);
        return;
    }
    // Without editor windows the new item is edited in the grid, starting with its title.
    if (isNew && m_grid->SetBookmark(QVariant(qint64(itemId)))) {
        if (GridColumn* title = TitleGridColumn(*category))
            m_grid->SetCol(title->Index());
        ReportCurrent();
        m_grid->StartEdit();
    }
}

void ctlItemView::AddItem()
{
    if (!m_subject)
        return;
    OpenItem(0, m_viewType == SubItems ? ParentID : 0);
}

// ---- Editing in the grid --------------------------------------------------------------------------------

void ctlItemView::RowInserted()
{
    Category* category = m_subject ? m_subject->category() : nullptr;
    if (!category || m_grid->Row() != ctlDataGrid::NewRow)
        return;
    if (GridColumn* title = TitleGridColumn(*category))
        m_grid->SetCol(title->Index());
    // The new record is the last row; it is filed under the subject and stamped.
    GridRecordset& records = m_grid->Recordset();
    if (!records.SetBookmark(m_grid->RowBookmark(m_grid->RowCount())) && !records.Edit()) {
        const QVariant now = ItemCommands::StampTime();
        if (!m_subject->IsCategory())
            records.SetValue(QStringLiteral("TreeID"), m_subject->ID().toInt());
        records.SetValue(QStringLiteral("Created"), now);
        records.SetValue(QStringLiteral("Modified"), now);
        // A row typed into any other list is nobody's sub-item: 0, as for items added by command.
        records.SetValue(QStringLiteral("ParentID"), m_viewType == SubItems ? ParentID : 0);
        if (records.Update())
            records.CancelUpdate();
    }
    Q_EMIT UpdateCount(int(m_grid->RecordCount()));
}

void ctlItemView::CellCommitted(int column)
{
    Category* category = m_subject ? m_subject->category() : nullptr;
    GridColumn* committed = m_grid->Column(column);
    if (category && committed && committed == TitleGridColumn(*category))
        Q_EMIT TitleChange(GetTitle());
    const int row = m_grid->Row();
    if (row <= 0 || m_grid->IsGroupRow(row) || m_viewType == RelationalItems)
        return;
    GridRecordset& records = m_grid->Recordset();
    if (!records.SetBookmark(m_grid->RowBookmark(row)) && !records.Edit()) {
        records.SetValue(QStringLiteral("Modified"), ItemCommands::StampTime());
        if (records.Update())
            records.CancelUpdate(); // the edit itself is stored; a stamp that fails is let go
    }
}

void ctlItemView::CellEditEnded(int column)
{
    GridColumn* edited = m_grid->Column(column);
    if (edited && edited->Tag() == QString::number(clsColumn::People)) {
        // The edit may have begun under the subject shown before.
        const std::optional<Subject>& owner = m_previousSubject ? m_previousSubject : m_subject;
        Category* category = owner ? owner->category() : nullptr;
        const int row = m_grid->Row();
        if (category && row > 0 && !m_grid->IsGroupRow(row))
            AddPeopleNames(m_grid->RowValue(row, column).toString(), category->DrawCategory()->ID());
    }
    m_previousSubject.reset();
    // What was just typed is offered in the next cell of the column.
    if (column == m_candidateColumn && CompletesCell(edited))
        FillCandidates(edited);
}

void ctlItemView::DataError(int number, bool* showMessage)
{
    if (number == DbErrorNumber::NotOpen) {
        *showMessage = false;
    } else if (number == DbErrorNumber::DataTypeMismatch) {
        *showMessage = false;
        Ui().ShowMessage(TypeMismatchMessage);
    }
}

void ctlItemView::CellButton(int column)
{
    GridColumn* clicked = m_grid->Column(column);
    if (!clicked)
        return;
    const int type = clicked->Tag().toInt();
    if (type == clsColumn::People || type == clsColumn::AutoComplete) {
        const QString statement = ValueListStatement(clicked);
        if (statement.isEmpty())
            return;
        const QString picked = frmSingleValueSelect::GetSingleValue(statement, QCursor::pos());
        if (!picked.isEmpty()) {
            if (m_grid->IsEditing())
                m_grid->CancelEdit();
            m_grid->SetValue(column, picked);
            CellEditEnded(column);
        }
    } else if (type == clsColumn::InternetFile) {
        const QString text =
            m_grid->IsEditing() ? m_grid->EditText() : m_grid->RowValue(m_grid->Row(), column).toString();
        const QString address = InternetAddress(text);
        if (address.isEmpty())
            Ui().ShowMessage(QStringLiteral("Entering an email or internet address in this column will allow you to "
                                            "open it in the appropriate program."));
        else if (!ShellOpen::Open(address))
            Ui().ShowMessage(QStringLiteral("This does not appear to be a valid internet address."));
    }
}

// ---- Deleting -------------------------------------------------------------------------------------------

void ctlItemView::DeleteSelected()
{
    if (!m_subject || m_viewType == SingleItem || m_viewType == ItemPicker)
        return;
    m_grid->DeleteSelected();
}

void ctlItemView::BeforeDelete(bool* cancel)
{
    if (Ui().ShowMessage(QStringLiteral("Continue with delete of selected item(s)?\r\n\r\nThis operation will also "
                                        "remove any relational links associated with the item(s)."),
                         UserInterface::YesNo) == UserInterface::No) {
        *cancel = true;
        return;
    }
    Q_EMIT DeleteConfirmed();
    // The items and their links go together.
    if (Database* db = Catalog().database())
        m_deleting = std::make_unique<Transaction>(*db);
}

void ctlItemView::RowAboutToBeDeleted(int row)
{
    Category* category = m_subject ? m_subject->category() : nullptr;
    GridColumn* id = m_grid->ColumnByKey(QStringLiteral("ID"));
    Database* db = Catalog().database();
    if (!category || !id || !db)
        return;
    const int itemId = m_grid->RowValue(row, id->Index()).toInt();
    if (category->CType() != Category::Relational)
        ItemCommands::DeleteRelationalLinks(*db, category->ID(), itemId);
    if (ItemEditorWindowsInterface* windows = ItemEditorWindowsInterface::Main())
        windows->CloseEditorWindow(category->ID(), itemId);
}

void ctlItemView::RowsDeleted()
{
    if (m_deleting) {
        if (DbError error = m_deleting->Commit())
            CommandFailed(QStringLiteral("The items could not be deleted."), error.message);
        m_deleting.reset();
        // A failed commit put the rows back in the file: show what is there.
        m_grid->Refetch();
    }
    Q_EMIT UpdateCount(int(m_grid->RecordCount()));
}

// ---- Moving and linking ---------------------------------------------------------------------------------

QList<int> ctlItemView::SelectedIds() const
{
    QList<int> ids;
    for (const auto& [id, title] : SelectedIdsAndTitles())
        ids << id;
    return ids;
}

QList<std::pair<int, QString>> ctlItemView::SelectedIdsAndTitles() const
{
    QList<std::pair<int, QString>> items;
    Category* category = m_subject ? m_subject->category() : nullptr;
    GridColumn* id = m_grid->ColumnByKey(QStringLiteral("ID"));
    if (!category || !id)
        return items;
    GridColumn* title = TitleGridColumn(*category);
    for (int row : m_grid->SelectedRows())
        if (!m_grid->IsGroupRow(row))
            items.append({m_grid->RowValue(row, id->Index()).toInt(),
                          title ? m_grid->RowValue(row, title->Index()).toString() : QString()});
    return items;
}

void ctlItemView::MoveToSubject()
{
    Category* category = m_subject ? m_subject->category() : nullptr;
    Database* db = Catalog().database();
    if (!category || !db)
        return;
    const QList<int> ids = SelectedIds();
    if (ids.isEmpty()) {
        Ui().ShowMessage(QStringLiteral("Please select the items you wish to move."));
        return;
    }
    const QString key = frmMoveToSubject::OpenMoveDialog(*category, false, window());
    if (key.isEmpty())
        return;
    const Subject target(key);
    {
        BusyPointer busy;
        if (DbError error =
                ItemCommands::MoveToSubject(*db, *category, ids, target.IsCategory() ? 0 : target.ID().toInt())) {
            CommandFailed(QStringLiteral("The items could not be moved; they are where they were."), error.message);
            return;
        }
    }
    // The root shows every item wherever it is filed; only the Subject column changes.
    if (m_subject->IsCategory())
        m_grid->Refetch();
    else
        RefreshView();
}

void ctlItemView::MoveToItem()
{
    Category* category = m_subject ? m_subject->category() : nullptr;
    Database* db = Catalog().database();
    Category* parent = category && category->IsChild() ? Catalog().categories().Item(category->Parent()) : nullptr;
    if (!parent || !db)
        return;
    const QList<int> ids = SelectedIds();
    if (ids.isEmpty()) {
        Ui().ShowMessage(QStringLiteral("Please select the items you wish to move."));
        return;
    }
    const int parentId = frmMoveToItem::OpenMoveToItemDialog(*parent, window());
    if (parentId == 0)
        return;
    {
        BusyPointer busy;
        if (DbError error = ItemCommands::MoveUnderItem(*db, *category, ids, parentId)) {
            CommandFailed(QStringLiteral("The items could not be moved; they are where they were."), error.message);
            return;
        }
    }
    if (m_viewType == SubItems)
        RefreshView();
}

void ctlItemView::CreateRelationalLinks()
{
    Category* category = m_subject ? m_subject->category() : nullptr;
    Category* relational = Catalog().categories().RelationalCategory();
    Database* db = Catalog().database();
    if (!category || !relational || !db)
        return;
    QList<ItemCommands::LinkedItem> items;
    for (const auto& [id, title] : SelectedIdsAndTitles())
        items.append({id, title});
    if (items.isEmpty())
        return;
    const QString key = frmMoveToSubject::OpenMoveDialog(*relational, true, window());
    if (key.isEmpty())
        return;
    const Subject target(key);
    BusyPointer busy;
    if (DbError error = ItemCommands::CreateRelationalLinks(*db, *category, items,
                                                            target.IsCategory() ? 0 : target.ID().toInt()))
        CommandFailed(QStringLiteral("The relational links could not be created."), error.message);
}

// ---- Commands of other windows ------------------------------------------------------------------------

void ctlItemView::Publish(int openType)
{
    Category* category = m_subject ? m_subject->category() : nullptr;
    const QList<int> ids = SelectedIds();
    if (!category || ids.isEmpty())
        return;
    Result<QString> page = QString();
    {
        BusyPointer busy;
        Ui().ProgressShow(QStringLiteral("Generating HTML..."), int(ids.size()));
        clsHTMLOutput output;
        DbError error = output.Begin(*category);
        for (int id : ids) {
            if (!error)
                error = output.AddID(id);
            Ui().ProgressStep();
        }
        page = error ? Result<QString>(error) : output.Finish();
        Ui().ProgressClose();
    }
    if (!page) {
        CommandFailed(QStringLiteral("The items could not be published."), page.error().message);
        return;
    }
    GuiPublish::DeliverPage(*page, openType, window());
}

void ctlItemView::ShowColumnManager()
{
    if (!m_subject)
        return;
    if (m_grid->IsEditing())
        m_grid->CommitPendingEdit();
    NotAvailableYet(QStringLiteral("The column manager"));
}

void ctlItemView::GroupBy()
{
    if (!m_subject || m_grid->layout() != ctlDataGrid::Layout::Table)
        return;
    frmGroupBy::GroupGrid(*this, window());
    // Kept with the subject whatever the person chose, so the next load shows the list as it is now.
    m_subject->SaveGrouping(*m_grid);
}
