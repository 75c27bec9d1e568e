#include "controls/ctlDataGrid.h"

#include "controls/GridBoundSource.h"
#include "controls/GridCardView.h"
#include "controls/GridDelegate.h"
#include "controls/GridHeader.h"
#include "controls/GridModel.h"
#include "controls/GridRecordset.h"
#include "controls/GridTableView.h"
#include "controls/GridTwips.h"
#include "controls/GridUnboundSource.h"
#include "platform/UserInterface.h"

#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QStackedLayout>

#include <algorithm>

namespace
{
using RowKind = GridModel::RowKind;

bool IsEmptyValue(const QVariant& value)
{
    return !value.isValid() || value.isNull() || (value.typeId() == QMetaType::QString && value.toString().isEmpty());
}

// Whether an edit left a value as it was (then nothing is written).
bool Unchanged(const QVariant& before, const QVariant& after)
{
    if (IsEmptyValue(before) || IsEmptyValue(after))
        return IsEmptyValue(before) == IsEmptyValue(after);
    if (after.typeId() == QMetaType::QString && before.typeId() != QMetaType::QString)
        return GridDelegate::EditText(before) == after.toString();
    return before == after;
}

// Rows covered by a selection, merged, as [first, last] pairs in order.
std::vector<std::pair<int, int>> SelectedSpans(const QItemSelection& selection)
{
    std::vector<std::pair<int, int>> spans;
    for (const QItemSelectionRange& range : selection)
        spans.emplace_back(range.top(), range.bottom());
    std::sort(spans.begin(), spans.end());
    std::vector<std::pair<int, int>> merged;
    for (const auto& span : spans) {
        if (!merged.empty() && span.first <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, span.second);
        else
            merged.push_back(span);
    }
    return merged;
}
} // namespace

ctlDataGrid::ctlDataGrid(QWidget* parent)
    : QWidget(parent), m_model(std::make_unique<GridModel>(this)), m_recordset(new GridRecordset(this))
{
    m_tableDelegate = new GridDelegate(this);
    m_cardDelegate = new GridDelegate(this);
    m_table = new GridTableView(this);
    m_card = new GridCardView(this);
    m_table->setModel(m_model.get());
    m_card->setModel(m_model.get());
    m_table->setItemDelegate(m_tableDelegate);
    m_card->setItemDelegate(m_cardDelegate);
    m_stack = new QStackedLayout(this);
    m_stack->setContentsMargins(0, 0, 0, 0);
    m_stack->addWidget(m_table);
    m_stack->addWidget(m_card);
    setFocusProxy(m_table);

    connect(m_table->Header(), &QHeaderView::sectionClicked, this, [this](int logical) { HeaderClicked(logical); });
    connect(m_table->Header(), &QHeaderView::sectionResized, this, [this](int logical, int, int size) {
        if (!m_syncingHeader)
            SectionResizedByUser(logical, size);
    });
    // Column sections come and go with the columns; their widths and visibility are the columns'.
    connect(m_model.get(), &QAbstractItemModel::modelReset, this, [this] { SyncHeader(); });
    m_table->setAlternatingRowColors(true);
    UpdateRowHeight();
}

ctlDataGrid::~ctlDataGrid()
{
    // The views go first: they still talk to the model and the columns while they are taken down. The
    // layout goes before them, or it would show the other view while one is being deleted.
    delete m_stack;
    m_stack = nullptr;
    delete m_table;
    delete m_card;
    m_table = nullptr;
    m_card = nullptr;
}

// ---- Binding ------------------------------------------------------------------------------------------------

void ctlDataGrid::SetDatabase(Database* db)
{
    m_db = db;
}

bool ctlDataGrid::IsBound() const
{
    return m_model->Source() && m_model->Source()->IsBound();
}

bool ctlDataGrid::IsUnbound() const
{
    return m_model->Source() && !m_model->Source()->IsBound();
}

GridRecordset& ctlDataGrid::Recordset()
{
    return *m_recordset;
}

void ctlDataGrid::InstallSource(std::unique_ptr<GridSource> source)
{
    m_model->SetSource(std::move(source));
    m_card->Relayout();
}

DbError ctlDataGrid::Rebind()
{
    if (IsEditing() && !CommitPendingEdit())
        CancelEdit();
    m_recordset->Forget();
    if (!m_db || m_recordSource.trimmed().isEmpty()) {
        InstallSource(nullptr);
        return {DbErrorNumber::NotOpen, QStringLiteral("The grid has no database or no record source.")};
    }
    Result<std::unique_ptr<GridBoundSource>> opened = GridBoundSource::Open(*m_db, m_recordSource);
    if (!opened) {
        InstallSource(nullptr);
        return opened.error();
    }
    if (!m_holdFields) {
        // One column per field, captioned and keyed by the field's name.
        m_batchColumns = true;
        ClearColumns();
        for (const QString& field : opened.value()->FieldNames())
            AddColumn(field, field, field);
        m_batchColumns = false;
    }
    InstallSource(std::move(opened.value()));
    return Arrange(m_collapsed);
}

void ctlDataGrid::Unbind()
{
    if (IsEditing())
        CancelEdit();
    m_recordset->Forget();
    m_db = nullptr;
    m_recordSource.clear();
    InstallSource(nullptr);
}

void ctlDataGrid::CloseRecords()
{
    if (IsEditing())
        CancelEdit();
    if (IsBound())
        InstallSource(nullptr);
}

void ctlDataGrid::Refetch()
{
    m_model->Refetch();
}

void ctlDataGrid::MakeUnboundSource(qint64 count)
{
    QStringList keys;
    for (const auto& column : m_columns)
        keys << (column->Key().isEmpty() ? column->Caption() : column->Key());
    GridUnboundSource::Host host;
    host.read = [this](GridRowBuffer& row) { Q_EMIT UnboundReadData(&row); };
    host.save = [this](GridRowBuffer& row) { Q_EMIT UnboundUpdate(&row); };
    host.add = [this](GridRowBuffer& row) { Q_EMIT UnboundAddNew(&row); };
    host.remove = [this](int record) { Q_EMIT UnboundDelete(record); };
    InstallSource(std::make_unique<GridUnboundSource>(keys, count, std::move(host)));
}

void ctlDataGrid::SetItemCount(int count)
{
    if (IsEditing() && !CommitPendingEdit())
        CancelEdit();
    if (GridSource* source = m_model->Source(); source && !source->IsBound())
        source->Flush();
    m_recordset->Forget();
    MakeUnboundSource(std::max(count, 0));
    Arrange(m_collapsed);
}

int ctlDataGrid::ItemCount() const
{
    return m_model->Source() ? int(m_model->Source()->Count()) : 0;
}

// ---- Columns ------------------------------------------------------------------------------------------------

GridColumn* ctlDataGrid::Column(int index) const
{
    return index >= 1 && index <= int(m_columns.size()) ? m_columns[size_t(index - 1)].get() : nullptr;
}

GridColumn* ctlDataGrid::ColumnByKey(const QString& key) const
{
    for (const auto& column : m_columns)
        if (column->Key().compare(key, Qt::CaseInsensitive) == 0)
            return column.get();
    return nullptr;
}

GridColumn* ctlDataGrid::ColumnAtPosition(int position) const
{
    if (position < 1 || position > ColumnCount())
        return nullptr;
    const int logical = m_table->horizontalHeader()->logicalIndex(position - 1);
    return Column(logical < 0 ? position : logical + 1);
}

int ctlDataGrid::ColumnIndexOf(const GridColumn* column) const
{
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].get() == column)
            return int(i) + 1;
    return 0;
}

int ctlDataGrid::ColumnPositionOf(const GridColumn* column) const
{
    const int index = ColumnIndexOf(column);
    if (index == 0)
        return 0;
    const int visual = m_table->horizontalHeader()->visualIndex(index - 1);
    return visual < 0 ? index : visual + 1;
}

void ctlDataGrid::MoveColumnTo(GridColumn* column, int position)
{
    const int index = ColumnIndexOf(column);
    if (index == 0 || position < 1 || position > ColumnCount())
        return;
    QHeaderView* header = m_table->horizontalHeader();
    m_syncingHeader = true;
    header->moveSection(header->visualIndex(index - 1), position - 1);
    m_syncingHeader = false;
    m_card->Relayout();
}

GridColumn* ctlDataGrid::AddColumn(const QString& caption, const QString& dataField, const QString& key)
{
    if (IsEditing())
        CancelEdit();
    auto column = std::unique_ptr<GridColumn>(new GridColumn(this));
    column->m_caption = caption;
    column->m_dataField = dataField;
    column->m_key = key;
    GridColumn* made = column.get();
    m_columns.push_back(std::move(column));
    ColumnSetChanged();
    return made;
}

void ctlDataGrid::ColumnSetChanged()
{
    // A rebind that makes one column per field changes the set once, when its source is installed.
    if (m_batchColumns)
        return;
    if (IsUnbound())
        MakeUnboundSource(m_model->Source()->Count());
    else
        m_model->ColumnsChanged();
    m_card->Relayout();
}

void ctlDataGrid::RemoveColumn(int index)
{
    GridColumn* column = Column(index);
    if (!column)
        return;
    if (IsEditing())
        CancelEdit();
    m_sortKeys.erase(
        std::remove_if(m_sortKeys.begin(), m_sortKeys.end(), [index](const SortKey& k) { return k.column == index; }),
        m_sortKeys.end());
    for (SortKey& key : m_sortKeys)
        if (key.column > index)
            --key.column;
    m_groups.erase(
        std::remove_if(m_groups.begin(), m_groups.end(), [column](const GroupSpec& g) { return g.column == column; }),
        m_groups.end());
    if (m_cardCaptionColumn == index)
        m_cardCaptionColumn = 0;
    else if (m_cardCaptionColumn > index)
        --m_cardCaptionColumn;
    m_columns.erase(m_columns.begin() + (index - 1));
    ColumnSetChanged();
}

void ctlDataGrid::ClearColumns()
{
    if (IsEditing())
        CancelEdit();
    m_sortKeys.clear();
    m_groups.clear();
    m_cardCaptionColumn = 0;
    m_columns.clear();
    ColumnSetChanged();
}

void ctlDataGrid::ColumnChanged(GridColumn* column, GridColumn::Aspect aspect)
{
    const int index = ColumnIndexOf(column);
    if (index == 0)
        return;
    switch (aspect) {
    case GridColumn::Aspect::Caption:
        Q_EMIT m_model->headerDataChanged(Qt::Horizontal, index - 1, index - 1);
        break;
    case GridColumn::Aspect::DataField:
        if (IsBound())
            m_model->ColumnsChanged();
        break;
    case GridColumn::Aspect::Visible:
    case GridColumn::Aspect::Width:
        ApplyColumn(index - 1);
        break;
    case GridColumn::Aspect::Look:
    case GridColumn::Aspect::Editing:
        break;
    }
    m_table->viewport()->update();
    m_card->Relayout();
}

void ctlDataGrid::ApplyColumn(int logical)
{
    const GridColumn* column = Column(logical + 1);
    if (!column || logical >= m_table->horizontalHeader()->count())
        return;
    m_syncingHeader = true;
    m_table->horizontalHeader()->resizeSection(logical, GridTwips::ToPixelsX(column->Width(), this));
    m_table->setColumnHidden(logical, !column->Visible());
    m_syncingHeader = false;
}

void ctlDataGrid::SyncHeader()
{
    for (int logical = 0; logical < ColumnCount(); ++logical)
        ApplyColumn(logical);
}

void ctlDataGrid::SectionResizedByUser(int logical, int pixels)
{
    GridColumn* column = Column(logical + 1);
    if (!column || pixels == 0) // hiding a section resizes it to nothing; that is no new width
        return;
    column->m_width = GridTwips::FromPixelsX(pixels, this);
    Q_EMIT ColumnResized(logical + 1, column->m_width);
}

bool ctlDataGrid::AskBeforeDrag(int logical)
{
    bool cancel = false;
    Q_EMIT BeforeColumnDrag(logical + 1, &cancel);
    return !cancel;
}

void ctlDataGrid::SectionMovedByUser(int logical, int from, int to)
{
    bool cancel = false;
    Q_EMIT BeforeColumnMove(logical + 1, to + 1, &cancel);
    if (cancel)
        return;
    m_syncingHeader = true;
    m_table->horizontalHeader()->moveSection(from, to);
    m_syncingHeader = false;
    m_card->Relayout();
    Q_EMIT ColumnsMoved();
}

// ---- Sorting and grouping -----------------------------------------------------------------------------------

GridColumn::SortOrder ctlDataGrid::SortOrderOf(const GridColumn* column) const
{
    const int index = ColumnIndexOf(column);
    for (const SortKey& key : m_sortKeys)
        if (key.column == index)
            return key.order;
    return GridColumn::SortOrder::None;
}

void ctlDataGrid::ClearSortKeys()
{
    m_sortKeys.clear();
    ScheduleArrange();
}

void ctlDataGrid::AddSortKey(int column, GridColumn::SortOrder order)
{
    if (!Column(column) || order == GridColumn::SortOrder::None)
        return;
    m_sortKeys.erase(
        std::remove_if(m_sortKeys.begin(), m_sortKeys.end(), [column](const SortKey& k) { return k.column == column; }),
        m_sortKeys.end());
    m_sortKeys.append({column, order});
    ScheduleArrange();
}

void ctlDataGrid::HeaderClicked(int logical)
{
    if (m_table->Header()->ClickSuppressed())
        return;
    const int column = logical + 1;
    Q_EMIT ColumnHeaderClicked(column);
    if (!m_headerClickSorts || !Column(column))
        return;
    const bool wasAscending = SortOrderOf(Column(column)) == GridColumn::SortOrder::Ascending;
    m_sortKeys.clear();
    m_sortKeys.append({column, wasAscending ? GridColumn::SortOrder::Descending : GridColumn::SortOrder::Ascending});
    Arrange(m_collapsed);
}

int ctlDataGrid::GroupColumn(int group) const
{
    return group >= 0 && group < m_groups.size() ? ColumnIndexOf(m_groups[group].column) : 0;
}

QString ctlDataGrid::GroupColumnKey(int group) const
{
    return group >= 0 && group < m_groups.size() ? m_groups[group].column->Key() : QString();
}

int ctlDataGrid::GroupSortOrder(int group) const
{
    return group >= 0 && group < m_groups.size() ? int(m_groups[group].order) : 0;
}

void ctlDataGrid::ClearGroups()
{
    m_groups.clear();
    ScheduleArrange();
}

bool ctlDataGrid::AddGroup(const QString& columnKey, int sortOrder)
{
    GridColumn* column = ColumnByKey(columnKey);
    return column && AddGroup(column->Index(),
                              sortOrder < 0 ? GridColumn::SortOrder::Descending : GridColumn::SortOrder::Ascending);
}

bool ctlDataGrid::AddGroup(int column, GridColumn::SortOrder order)
{
    GridColumn* grouped = Column(column);
    if (!grouped || m_groups.size() >= 4 || order == GridColumn::SortOrder::None)
        return false;
    m_groups.append({grouped, order});
    ScheduleArrange();
    return true;
}

DbError ctlDataGrid::Regroup(bool collapsed)
{
    m_collapsed = collapsed;
    return Arrange(collapsed);
}

void ctlDataGrid::ScheduleArrange()
{
    // Sort keys and groups usually change several at a time: they take effect together, at Regroup, at the
    // next look at the rows, or once the host's code has run.
    m_arrangementPending = true;
    if (m_arrangeQueued)
        return;
    m_arrangeQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_arrangeQueued = false;
            if (m_arrangementPending)
                Arrange(m_collapsed);
        },
        Qt::QueuedConnection);
}

void ctlDataGrid::EnsureArranged() const
{
    if (m_arrangementPending)
        const_cast<ctlDataGrid*>(this)->Arrange(m_collapsed);
}

DbError ctlDataGrid::Arrange(bool collapsed)
{
    m_arrangementPending = false;
    GridSource* source = m_model->Source();
    if (!source)
        return {};
    if (IsEditing() && !CommitPendingEdit())
        CancelEdit();
    source->Flush();
    QList<GridSource::OrderLevel> groups;
    for (const GroupSpec& group : m_groups) {
        const int field = m_model->FieldOfColumn(ColumnIndexOf(group.column) - 1);
        if (field >= 0)
            groups.append({field, group.order == GridColumn::SortOrder::Descending, group.column->ColumnSortKind()});
    }
    QList<GridSource::OrderLevel> sort;
    for (const SortKey& key : m_sortKeys) {
        const int field = m_model->FieldOfColumn(key.column - 1);
        if (field >= 0)
            sort.append({field, key.order == GridColumn::SortOrder::Descending, Column(key.column)->ColumnSortKind()});
    }
    const int column = std::max(0, Col() - 1);
    const DbError error = m_model->Arrange(groups, sort, collapsed);
    m_table->Header()->viewport()->update();
    m_card->Relayout();
    // The first row becomes current, as after every load.
    const int first = m_model->FirstRecordRow();
    if (first < m_model->rowCount()) {
        QAbstractItemView* view = ActiveView();
        view->selectionModel()->setCurrentIndex(m_model->index(first, column),
                                                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        view->scrollToTop();
    }
    return error;
}

bool ctlDataGrid::IsGroupRow(int row) const
{
    EnsureArranged();
    return m_model->Ref(ModelRow(row)).kind == RowKind::Group;
}

int ctlDataGrid::GroupRowColumn(int row) const
{
    const GridModel::RowRef ref = m_model->Ref(ModelRow(row));
    return ref.kind == RowKind::Group ? GroupColumn(m_model->Source()->Groups().node(ref.node).level) : 0;
}

QVariant ctlDataGrid::GroupRowValue(int row) const
{
    const GridModel::RowRef ref = m_model->Ref(ModelRow(row));
    return ref.kind == RowKind::Group ? m_model->Source()->Groups().node(ref.node).value : QVariant();
}

qint64 ctlDataGrid::GroupRowCount(int row) const
{
    const GridModel::RowRef ref = m_model->Ref(ModelRow(row));
    return ref.kind == RowKind::Group ? m_model->Source()->Groups().node(ref.node).count : 0;
}

bool ctlDataGrid::IsGroupExpanded(int row) const
{
    const GridModel::RowRef ref = m_model->Ref(ModelRow(row));
    return ref.kind == RowKind::Group && m_model->Source()->Groups().node(ref.node).expanded;
}

void ctlDataGrid::SetGroupExpanded(int row, bool expanded)
{
    const GridModel::RowRef ref = m_model->Ref(ModelRow(row));
    if (ref.kind == RowKind::Group)
        m_model->SetExpanded(ref.node, expanded);
}

// ---- Rows ---------------------------------------------------------------------------------------------------

QAbstractItemView* ctlDataGrid::ActiveView() const
{
    return m_layout == Layout::Card ? static_cast<QAbstractItemView*>(m_card) : m_table;
}

GridDelegate* ctlDataGrid::ActiveDelegate() const
{
    return m_layout == Layout::Card ? m_cardDelegate : m_tableDelegate;
}

int ctlDataGrid::ModelRow(int row) const
{
    if (row == NewRow)
        return m_model->FirstRecordRow() == 1 ? 0 : -1;
    if (row < 1)
        return -1;
    const int model = m_model->FirstRecordRow() + row - 1;
    return model < m_model->rowCount() ? model : -1;
}

int ctlDataGrid::RowFromModel(int modelRow) const
{
    const GridModel::RowRef ref = m_model->Ref(modelRow);
    if (ref.kind == RowKind::None)
        return 0;
    if (ref.kind == RowKind::NewRow)
        return NewRow;
    return modelRow - m_model->FirstRecordRow() + 1;
}

QModelIndex ctlDataGrid::CurrentIndex() const
{
    return ActiveView()->currentIndex();
}

int ctlDataGrid::Row() const
{
    EnsureArranged();
    const QModelIndex current = CurrentIndex();
    return current.isValid() ? RowFromModel(current.row()) : 0;
}

void ctlDataGrid::SetRow(int row)
{
    EnsureArranged();
    const int model = ModelRow(row);
    if (model < 0)
        return;
    int column = std::max(0, Col() - 1);
    if (m_table->isColumnHidden(column)) {
        for (int position = 1; position <= ColumnCount(); ++position)
            if (ColumnAtPosition(position)->Visible()) {
                column = ColumnAtPosition(position)->Index() - 1;
                break;
            }
    }
    const QModelIndex index = m_model->index(model, column);
    ActiveView()->selectionModel()->setCurrentIndex(index,
                                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ActiveView()->scrollTo(index);
}

int ctlDataGrid::RowCount() const
{
    EnsureArranged();
    return m_model->rowCount() - m_model->FirstRecordRow() > 0 ? m_model->rowCount() - m_model->FirstRecordRow() : 0;
}

qint64 ctlDataGrid::RecordCount() const
{
    EnsureArranged();
    return m_model->Source() ? m_model->Source()->Count() : 0;
}

QVariant ctlDataGrid::RowBookmark(int row) const
{
    EnsureArranged();
    const qint64 key = m_model->KeyOfRow(ModelRow(row));
    if (key < 0)
        return QVariant();
    return IsBound() ? QVariant(key) : QVariant(int(key));
}

int ctlDataGrid::RowOfBookmark(const QVariant& bookmark) const
{
    EnsureArranged();
    GridSource* source = m_model->Source();
    bool ok = false;
    const qint64 key = bookmark.toLongLong(&ok);
    if (!source || !ok)
        return 0;
    const int model = m_model->RowOfPosition(source->PositionOf(key));
    return model < 0 ? 0 : RowFromModel(model);
}

bool ctlDataGrid::SetBookmark(const QVariant& bookmark)
{
    EnsureArranged();
    GridSource* source = m_model->Source();
    bool ok = false;
    const qint64 key = bookmark.toLongLong(&ok);
    if (!source || !ok)
        return false;
    const qint64 position = source->PositionOf(key);
    if (position < 0)
        return false;
    if (m_model->RowOfPosition(position) < 0 && !source->Groups().IsEmpty()) {
        // Open the groups around the record, outermost first.
        std::vector<int> path;
        for (int node = source->Groups().LeafOf(position); node >= 0; node = source->Groups().node(node).parent)
            path.push_back(node);
        for (auto it = path.rbegin(); it != path.rend(); ++it)
            m_model->SetExpanded(*it, true);
    }
    const int model = m_model->RowOfPosition(position);
    if (model < 0)
        return false;
    SetRow(RowFromModel(model));
    return true;
}

QVariant ctlDataGrid::RowValue(int row, int column) const
{
    EnsureArranged();
    return m_model->CellValue(ModelRow(row), column - 1);
}

DbError ctlDataGrid::SetValue(int column, const QVariant& value)
{
    const QModelIndex current = CurrentIndex();
    if (!current.isValid() || !Column(column))
        return {DbErrorNumber::NoCurrentRecord, QStringLiteral("No current record.")};
    m_lastError = {};
    CommitCell(m_model->index(current.row(), column - 1), value);
    return m_lastError;
}

int ctlDataGrid::Col() const
{
    const QModelIndex current = CurrentIndex();
    return current.isValid() ? current.column() + 1 : 0;
}

void ctlDataGrid::SetCol(int column)
{
    const QModelIndex current = CurrentIndex();
    if (!Column(column))
        return;
    const int row = current.isValid() ? current.row() : m_model->FirstRecordRow();
    if (row >= m_model->rowCount())
        return;
    ActiveView()->selectionModel()->setCurrentIndex(m_model->index(row, column - 1), QItemSelectionModel::NoUpdate);
}

void ctlDataGrid::CurrentMoved(const QModelIndex& current, const QModelIndex& previous)
{
    if (m_restoringCurrent)
        return;
    // An unbound row with changed values goes to the host when it is left.
    if (previous.isValid() && current.row() != previous.row())
        if (GridSource* source = m_model->Source(); source && !source->IsBound())
            source->Flush();
    Q_EMIT CurrentCellChanged(current.isValid() ? RowFromModel(current.row()) : 0,
                              current.isValid() ? current.column() + 1 : 0);
}

// ---- Selection ----------------------------------------------------------------------------------------------

void ctlDataGrid::SetMultiSelect(bool multiple)
{
    m_multiSelect = multiple;
    const auto mode = multiple ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection;
    m_table->setSelectionMode(mode);
    m_card->setSelectionMode(mode);
}

int ctlDataGrid::SelectedCount() const
{
    return int(SelectedRows().size());
}

void ctlDataGrid::ClearSelection()
{
    ActiveView()->selectionModel()->clearSelection();
}

void ctlDataGrid::SelectRow(int row, bool select)
{
    EnsureArranged();
    const int model = ModelRow(row);
    if (model < 0)
        return;
    auto flags = (select ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) | QItemSelectionModel::Rows;
    if (!m_multiSelect && select)
        flags |= QItemSelectionModel::Clear;
    ActiveView()->selectionModel()->select(m_model->index(model, 0), flags);
}

QList<int> ctlDataGrid::SelectedRows() const
{
    EnsureArranged();
    QList<int> rows;
    for (const auto& [first, last] : SelectedSpans(ActiveView()->selectionModel()->selection()))
        for (int model = first; model <= last; ++model) {
            const int row = RowFromModel(model);
            if (row > 0)
                rows.append(row);
        }
    return rows;
}

void ctlDataGrid::SelectAll()
{
    EnsureArranged();
    const int first = m_model->FirstRecordRow();
    const int last = m_model->rowCount() - 1;
    QItemSelectionModel* selection = ActiveView()->selectionModel();
    selection->clearSelection();
    if (last < first || ColumnCount() == 0 || !m_multiSelect)
        return;
    selection->select(QItemSelection(m_model->index(first, 0), m_model->index(last, ColumnCount() - 1)),
                      QItemSelectionModel::Select);
}

bool ctlDataGrid::DeleteSelected()
{
    EnsureArranged();
    GridSource* source = m_model->Source();
    if (!source || !source->Updatable())
        return false;
    if (IsEditing())
        CancelEdit();
    QList<int> rows;
    for (const int row : SelectedRows())
        if (m_model->Ref(ModelRow(row)).kind == RowKind::Record)
            rows.append(row);
    if (rows.isEmpty())
        return false;
    bool cancel = false;
    Q_EMIT BeforeDelete(&cancel);
    if (cancel)
        return false;
    std::vector<qint64> keys;
    for (const int row : rows) {
        Q_EMIT RowAboutToBeDeleted(row);
        keys.push_back(m_model->KeyOfRow(ModelRow(row)));
    }
    const int firstModel = ModelRow(rows.first());
    const int column = std::max(0, Col() - 1);
    // Unbound records are numbered: the highest goes first, so that the others keep their numbers.
    if (!source->IsBound())
        std::sort(keys.begin(), keys.end(), std::greater<qint64>());
    DbError failed;
    m_model->BeginBulkChange();
    for (const qint64 key : keys)
        if (DbError error = source->Remove(key); error && !failed)
            failed = error;
    m_model->EndBulkChange();
    if (!source->IsBound() && (!m_groups.isEmpty() || !m_sortKeys.isEmpty()))
        Arrange(m_collapsed);
    const int rowsLeft = m_model->rowCount();
    if (rowsLeft > 0) {
        const QModelIndex next = m_model->index(std::min(firstModel, rowsLeft - 1), column);
        ActiveView()->selectionModel()->setCurrentIndex(next, QItemSelectionModel::ClearAndSelect |
                                                                  QItemSelectionModel::Rows);
    }
    if (failed)
        ReportError(failed);
    Q_EMIT RowsDeleted();
    return true;
}

// ---- Editing ------------------------------------------------------------------------------------------------

bool ctlDataGrid::AskBeforeEdit(const QModelIndex& index)
{
    if (!m_model->CanEdit(index))
        return false;
    bool cancel = false;
    Q_EMIT BeforeColEdit(index.column() + 1, &cancel);
    return !cancel;
}

bool ctlDataGrid::ReportError(const DbError& error)
{
    m_lastError = error;
    bool show = true;
    Q_EMIT DataError(error.number, error.message, &show);
    if (show)
        Ui().ShowMessage(error.message);
    return show;
}

bool ctlDataGrid::CommitCell(const QModelIndex& index, const QVariant& value)
{
    m_commitFailed = false;
    const GridModel::RowRef ref = m_model->Ref(index.row());
    const int column = index.column() + 1;
    if (ref.kind != RowKind::Record && ref.kind != RowKind::NewRow)
        return true;
    const QVariant oldValue = m_model->CellValue(index.row(), index.column());
    if (Unchanged(oldValue, value))
        return true; // leaving a cell one did not change writes nothing
    QVariant newValue = value;
    bool cancel = false;
    Q_EMIT BeforeColUpdate(column, oldValue, &newValue, &cancel);
    if (cancel)
        return true; // the edit is dropped; the old value stays
    if (ref.kind == RowKind::NewRow) {
        QHash<int, QVariant> values;
        values.insert(index.column(), newValue);
        for (int c = 0; c < ColumnCount(); ++c)
            if (c != index.column() && Column(c + 1)->DefaultValue().isValid())
                values.insert(c, Column(c + 1)->DefaultValue());
        const Result<qint64> key = m_model->InsertRecord(values);
        if (!key) {
            ReportError(key.error());
            m_commitFailed = true;
            return false;
        }
        m_model->Appended(*key);
        m_insertedCell = m_model->index(m_model->rowCount() - 1, index.column());
        Q_EMIT CellCommitted(column);
        Q_EMIT RowInserted();
        return true;
    }
    if (DbError error = m_model->WriteCell(index.row(), index.column(), newValue)) {
        ReportError(error);
        m_commitFailed = true;
        return false;
    }
    Q_EMIT CellCommitted(column);
    return true;
}

QModelIndex ctlDataGrid::TakeInsertedCell()
{
    const QModelIndex cell = m_insertedCell;
    m_insertedCell = QPersistentModelIndex();
    return cell;
}

void ctlDataGrid::MoveAfterInsert(QAbstractItemView* view, const QModelIndex& cell, int hint)
{
    // Only when the person stayed on the new-row line: a click elsewhere goes where it was aimed.
    if (!cell.isValid() || m_model->Ref(view->currentIndex().row()).kind != RowKind::NewRow)
        return;
    QModelIndex target = cell;
    if (hint == QAbstractItemDelegate::EditNextItem) {
        QHeaderView* header = m_table->horizontalHeader();
        for (int visual = header->visualIndex(cell.column()) + 1; visual < header->count(); ++visual) {
            const int logical = header->logicalIndex(visual);
            if (!header->isSectionHidden(logical)) {
                target = m_model->index(cell.row(), logical);
                break;
            }
        }
    }
    view->selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->scrollTo(target);
    if (hint == QAbstractItemDelegate::EditNextItem && target != cell)
        view->edit(target);
}

void ctlDataGrid::ToggleCheck(const QModelIndex& index)
{
    if (IsEditing() && !CommitPendingEdit())
        return;
    ActiveView()->selectionModel()->setCurrentIndex(index,
                                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (!AskBeforeEdit(index))
        return;
    const int column = index.column() + 1;
    const QVariant value = m_model->CellValue(index.row(), index.column());
    Q_EMIT CellChanged(column);
    CommitCell(index, QVariant(!GridModel::IsTrue(value)));
    Q_EMIT CellEditEnded(column);
}

void ctlDataGrid::EditorOpened(QWidget* editor, const QModelIndex& index)
{
    m_editor = editor;
    m_editIndex = index;
    const int column = index.column() + 1;
    if (auto* box = qobject_cast<QLineEdit*>(editor))
        connect(box, &QLineEdit::textEdited, this, [this, column] { Q_EMIT CellChanged(column); });
    else if (auto* list = qobject_cast<QComboBox*>(editor))
        connect(list, &QComboBox::activated, this, [this, column] { Q_EMIT CellChanged(column); });
}

void ctlDataGrid::EditorClosed(QWidget* editor)
{
    if (editor != m_editor)
        return;
    const int column = m_editIndex.column() + 1;
    m_editor = nullptr;
    m_editIndex = QPersistentModelIndex();
    Q_EMIT CellEditEnded(column);
}

bool ctlDataGrid::EditorKey(QKeyEvent* event, bool press)
{
    if (!press) {
        Q_EMIT KeyUp(event->key(), event->modifiers());
        return false;
    }
    bool handled = false;
    Q_EMIT KeyDown(event->key(), event->modifiers(), &handled);
    return handled;
}

bool ctlDataGrid::HoldRefusedEditor(QAbstractItemView* view, QWidget* editor, int hint)
{
    const bool refused = m_commitFailed;
    m_commitFailed = false;
    if (!refused || hint == QAbstractItemDelegate::RevertModelCache)
        return false;
    if (m_editIndex.isValid() && view->currentIndex() != QModelIndex(m_editIndex)) {
        m_restoringCurrent = true;
        view->selectionModel()->setCurrentIndex(m_editIndex,
                                                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_restoringCurrent = false;
    }
    editor->setFocus();
    return true;
}

bool ctlDataGrid::IsEditing() const
{
    return m_editor != nullptr;
}

bool ctlDataGrid::StartEdit()
{
    QAbstractItemView* view = ActiveView();
    if (!view->currentIndex().isValid())
        return false;
    view->edit(view->currentIndex());
    return IsEditing();
}

bool ctlDataGrid::CommitPendingEdit()
{
    if (m_editor) {
        QWidget* editor = m_editor;
        m_commitFailed = false;
        Q_EMIT ActiveDelegate()->commitData(editor);
        if (m_commitFailed) {
            Q_EMIT ActiveDelegate()->closeEditor(editor, QAbstractItemDelegate::NoHint); // held open
            return false;
        }
        Q_EMIT ActiveDelegate()->closeEditor(editor, QAbstractItemDelegate::SubmitModelCache);
    }
    if (GridSource* source = m_model->Source(); source && !source->IsBound())
        source->Flush();
    return true;
}

void ctlDataGrid::CancelEdit()
{
    if (m_editor)
        Q_EMIT ActiveDelegate()->closeEditor(m_editor, QAbstractItemDelegate::RevertModelCache);
    m_commitFailed = false;
}

QLineEdit* ctlDataGrid::EditBox() const
{
    return qobject_cast<QLineEdit*>(m_editor.data());
}

QString ctlDataGrid::EditText() const
{
    if (QLineEdit* box = EditBox())
        return box->text();
    if (auto* list = qobject_cast<QComboBox*>(m_editor.data()))
        return list->currentText();
    return QString();
}

void ctlDataGrid::SetEditText(const QString& text)
{
    if (QLineEdit* box = EditBox())
        box->setText(text);
}

int ctlDataGrid::EditSelStart() const
{
    const QLineEdit* box = EditBox();
    if (!box)
        return 0;
    return box->hasSelectedText() ? box->selectionStart() : box->cursorPosition();
}

int ctlDataGrid::EditSelLength() const
{
    const QLineEdit* box = EditBox();
    return box ? int(box->selectedText().size()) : 0;
}

QString ctlDataGrid::EditSelText() const
{
    const QLineEdit* box = EditBox();
    return box ? box->selectedText() : QString();
}

void ctlDataGrid::SetEditSelection(int start, int length)
{
    if (QLineEdit* box = EditBox())
        box->setSelection(start, length);
}

void ctlDataGrid::ReplaceEditSelection(const QString& text)
{
    if (QLineEdit* box = EditBox())
        box->insert(text);
}

void ctlDataGrid::RecordAppended(qint64 key)
{
    m_model->Appended(key);
}

void ctlDataGrid::RecordChanged(qint64 key)
{
    m_model->Changed(key);
}

// ---- Switches and look --------------------------------------------------------------------------------------

void ctlDataGrid::SetAllowAddNew(bool allow)
{
    m_allowAddNew = allow;
    if (IsEditing())
        CancelEdit();
    m_model->SetNewRowLine(allow);
}

void ctlDataGrid::SetAllowEdit(bool allow)
{
    m_allowEdit = allow;
    if (!allow && IsEditing())
        CancelEdit();
}

void ctlDataGrid::SetGridLines(bool on)
{
    m_table->setShowGrid(on);
}

bool ctlDataGrid::GridLines() const
{
    return m_table->showGrid();
}

void ctlDataGrid::SetBodyFont(const QFont& font)
{
    m_table->setFont(font);
    m_card->setFont(font);
    UpdateRowHeight();
    m_card->Relayout();
}

QFont ctlDataGrid::BodyFont() const
{
    return m_table->font();
}

void ctlDataGrid::SetHeaderFont(const QFont& font)
{
    m_table->horizontalHeader()->setFont(font);
    m_table->updateGeometry();
}

QFont ctlDataGrid::HeaderFont() const
{
    return m_table->horizontalHeader()->font();
}

void ctlDataGrid::SetHeaderHeight(int twips)
{
    m_table->horizontalHeader()->setMinimumHeight(GridTwips::ToPixelsY(twips, this));
    m_table->horizontalHeader()->updateGeometry();
    QMetaObject::invokeMethod(m_table, "updateGeometries"); // lays the headers out again
}

int ctlDataGrid::HeaderHeight() const
{
    return GridTwips::FromPixelsY(m_table->horizontalHeader()->sizeHint().height(), this);
}

void ctlDataGrid::SetColumnHeaders(bool visible)
{
    m_table->horizontalHeader()->setVisible(visible);
}

bool ctlDataGrid::ColumnHeaders() const
{
    return !m_table->horizontalHeader()->isHidden();
}

void ctlDataGrid::SetRowSelectors(bool visible)
{
    m_table->verticalHeader()->setVisible(visible);
}

bool ctlDataGrid::RowSelectors() const
{
    return !m_table->verticalHeader()->isHidden();
}

void ctlDataGrid::SetAlternatingRowColors(bool on)
{
    m_table->setAlternatingRowColors(on);
}

bool ctlDataGrid::AlternatingRowColors() const
{
    return m_table->alternatingRowColors();
}

void ctlDataGrid::SetRowColors(const QColor& row, const QColor& alternateRow)
{
    for (QWidget* view : {static_cast<QWidget*>(m_table), static_cast<QWidget*>(m_card)}) {
        QPalette palette = view->palette();
        palette.setColor(QPalette::Base, row);
        palette.setColor(QPalette::AlternateBase, alternateRow);
        view->setPalette(palette);
    }
}

void ctlDataGrid::SetNewRowCaption(const QString& text)
{
    m_newRowCaption = text;
    m_table->viewport()->update();
}

void ctlDataGrid::SetLayout(Layout layout)
{
    if (layout == m_layout)
        return;
    if (IsEditing() && !CommitPendingEdit())
        CancelEdit();
    const int row = Row();
    m_layout = layout;
    m_model->SetRecordsOnly(layout == Layout::Card);
    m_stack->setCurrentWidget(ActiveView());
    setFocusProxy(ActiveView());
    m_card->Relayout();
    if (row > 0)
        SetRow(row);
    else if (m_model->rowCount() > 0)
        SetRow(1);
}

void ctlDataGrid::SetCardWidth(int twips)
{
    m_cardWidth = std::max(0, twips);
    m_card->Relayout();
}

void ctlDataGrid::SetCardCaptionColumn(int column)
{
    m_cardCaptionColumn = Column(column) ? column : 0;
    m_card->Relayout();
}

int ctlDataGrid::AddImage(const QPixmap& picture)
{
    m_images.push_back(picture.size() == QSize(16, 16)
                           ? picture
                           : picture.scaled(16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    m_table->viewport()->update();
    return int(m_images.size());
}

void ctlDataGrid::RemoveImage(int index)
{
    if (index >= 1 && index <= int(m_images.size()))
        m_images.erase(m_images.begin() + (index - 1));
    m_table->viewport()->update();
}

void ctlDataGrid::ClearImages()
{
    m_images.clear();
    m_table->viewport()->update();
}

QPixmap ctlDataGrid::Image(int index) const
{
    return index >= 1 && index <= int(m_images.size()) ? m_images[size_t(index - 1)] : QPixmap();
}

void ctlDataGrid::UpdateRowHeight()
{
    const int height = std::max(20, QFontMetrics(m_table->font()).height() + 7);
    m_table->verticalHeader()->setDefaultSectionSize(height);
}

void ctlDataGrid::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        UpdateRowHeight();
        m_card->Relayout();
    }
}
