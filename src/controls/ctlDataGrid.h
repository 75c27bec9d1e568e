#pragma once
#include "controls/GridColumn.h"
#include "controls/GridRowBuffer.h"
#include "model/GroupingInterface.h"
#include "platform/DbError.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QModelIndex>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <vector>

class Database;
class GridCardView;
class GridDelegate;
class GridModel;
class GridRecordset;
class GridSource;
class GridTableView;
class QAbstractItemView;
class QLineEdit;
class QStackedLayout;

// The data grid: rows of records in columns, bound to the catalog file through an SQL statement or fed by its
// host row by row (unbound), with sorting, grouping by up to four columns, a card layout and in-place editors.
//
// Counting and units. Rows count from 1 in display order (group header rows included), 0 meaning none;
// the new-row line is the row NewRow. Columns count from 1: Index in the order they were added, Position
// from the left. Groups and sort keys are lists counted from 0. Widths and heights are twips.
// Pictures of the image list count from 1.
//
// Bound grid. SetDatabase and SetRecordSource ("SELECT [ID],[Title] FROM [ktbl12] WHERE [TreeID] = 7",
// in the catalog's dialect), then Rebind. Without HoldFields the grid makes one column per field (caption
// and key = the field name); with it, the host's columns stay and show the fields named by their DataField.
// Rows are read as they come into view: a million rows cost their keys, never their values. A committed
// cell is written to the file at once through the engine; a value its field refuses raises DataError with
// the engine's number (3421 type or range, 3163 too long, 3315 empty) and the edit stays open until the
// value is corrected or Esc pressed. The new-row line adds a record at its first committed cell. Recordset()
// is the bound result set the host uses to add, read and change records by bookmark (the row key).
//
// Unbound grid. SetItemCount(n) makes the grid unbound with n records, numbered 1..n by the host; the grid
// raises UnboundReadData when it needs one, UnboundUpdate when an edited row is left or CommitPendingEdit is
// called, UnboundAddNew for a row added through the new-row line, UnboundDelete for each deleted record. A
// record's bookmark is its number.
//
// Sorting and grouping. Sort keys and groups changed together take effect together: at Regroup or Rebind,
// when rows are next read through this interface, or once the host's code returns to the event loop. A bound
// grid leaves the order to the database (or ranks the distinct values in memory where no index serves),
// so sorting or grouping a million rows never reads their values. Records added since stay at the end.
//
// Events are Qt signals, raised as a person's action would raise them; arguments named cancel, handled or
// showMessage point at flags the host may set (connect directly). A cell edit raises BeforeColEdit when its
// editor opens, CellChanged as it is typed into, BeforeColUpdate, the write (and DataError when it is
// refused), CellCommitted, then CellEditEnded when the editor closes; a new record through the new-row line
// adds RowInserted after CellCommitted.
class ctlDataGrid : public QWidget, public GroupingInterface
{
    Q_OBJECT
public:
    static constexpr int NewRow = -1;
    enum class Layout { Table, Card };
    struct SortKey {
        int column = 0;
        GridColumn::SortOrder order = GridColumn::SortOrder::Ascending;
    };

    explicit ctlDataGrid(QWidget* parent = nullptr);
    ~ctlDataGrid() override;

    // ---- Binding ------------------------------------------------------------------------------------------
    void SetDatabase(Database* db);
    Database* database() const { return m_db; }
    void SetRecordSource(const QString& sql) { m_recordSource = sql; }
    QString RecordSource() const { return m_recordSource; }
    // Keep the host's columns when binding, instead of making one per field.
    void SetHoldFields(bool hold) { m_holdFields = hold; }
    bool HoldFields() const { return m_holdFields; }
    // Runs the record source again: counts the rows, shows the first screen in the current sort and groups.
    DbError Rebind();
    // Empties the grid: no database, no record source, no rows. Columns stay.
    void Unbind();
    bool IsBound() const;
    // The bound result set (positioned by bookmark); see GridRecordset.
    GridRecordset& Recordset();
    // Reads the shown rows' values again (after the host changed records through other means).
    void Refetch();

    // Makes the grid unbound with count records, or changes the count of an unbound grid; every row is
    // asked for again.
    void SetItemCount(int count);
    int ItemCount() const;
    bool IsUnbound() const;

    // ---- Columns ------------------------------------------------------------------------------------------
    int ColumnCount() const { return int(m_columns.size()); }
    GridColumn* Column(int index) const;
    GridColumn* ColumnByKey(const QString& key) const; // without regard to case
    GridColumn* ColumnAtPosition(int position) const;
    GridColumn* AddColumn(const QString& caption = QString(), const QString& dataField = QString(),
                          const QString& key = QString());
    void RemoveColumn(int index);
    void ClearColumns();

    // ---- Sorting ------------------------------------------------------------------------------------------
    void ClearSortKeys();
    void AddSortKey(int column, GridColumn::SortOrder order);
    QList<SortKey> SortKeys() const { return m_sortKeys; }
    // By default a header click sorts by that column alone: descending when it was ascending, else ascending.
    void SetHeaderClickSorts(bool sorts) { m_headerClickSorts = sorts; }
    bool HeaderClickSorts() const { return m_headerClickSorts; }

    // ---- Grouping -----------------------------------------------------------------------------------------
    // The GroupingInterface members serve the grouping text a subject stores (columns by key, orders 1 and -1).
    int GroupCount() const override { return int(m_groups.size()); }
    int GroupColumn(int group) const;
    QString GroupColumnKey(int group) const override;
    int GroupSortOrder(int group) const override;
    void ClearGroups() override;
    bool AddGroup(const QString& columnKey, int sortOrder) override;
    bool AddGroup(int column, GridColumn::SortOrder order);
    void RegroupCollapsed() override { Regroup(true); }
    // Arranges the rows by the groups (at most four) and the sort keys, every group collapsed or expanded.
    DbError Regroup(bool collapsed);
    bool IsGroupRow(int row) const;
    // A group row's column index, value, record count and expansion.
    int GroupRowColumn(int row) const;
    QVariant GroupRowValue(int row) const;
    qint64 GroupRowCount(int row) const;
    bool IsGroupExpanded(int row) const;
    void SetGroupExpanded(int row, bool expanded);

    // ---- Rows ---------------------------------------------------------------------------------------------
    // The current row: 1..RowCount, NewRow for the new-row line, 0 for none.
    int Row() const;
    void SetRow(int row);
    // Rows shown, group header rows included (collapsed groups hide theirs); RecordCount counts records.
    int RowCount() const;
    qint64 RecordCount() const;
    // A record row's bookmark: the row key (bound) or record number (unbound); invalid for other rows.
    QVariant RowBookmark(int row) const;
    QVariant Bookmark() const { return RowBookmark(Row()); }
    // The row showing a record, or 0 (also when a collapsed group hides it).
    int RowOfBookmark(const QVariant& bookmark) const;
    // Makes the record's row current, opening its groups; false when no row has the bookmark.
    bool SetBookmark(const QVariant& bookmark);
    QVariant RowValue(int row, int column) const;
    // The value of a cell of the current row.
    QVariant Value(int column) const { return RowValue(Row(), column); }
    // Gives a cell of the current row a new value as if the person had typed it: BeforeColUpdate, the write,
    // CellCommitted. Returns the write's error (after DataError).
    DbError SetValue(int column, const QVariant& value);
    // The current column (its Index), 0 for none.
    int Col() const;
    void SetCol(int column);

    // Several rows at once: the selection. Rows are counted as above; group rows can be selected too.
    void SetMultiSelect(bool multiple);
    bool MultiSelect() const { return m_multiSelect; }
    int SelectedCount() const;
    void ClearSelection();
    void SelectRow(int row, bool select = true);
    QList<int> SelectedRows() const; // in display order
    void SelectAll();
    // Deletes the selected record rows (group rows are passed over): BeforeDelete, then for each row
    // RowAboutToBeDeleted and the deletion, then RowsDeleted. False when cancelled or nothing was deleted.
    bool DeleteSelected();

    // ---- The in-place edit box ----------------------------------------------------------------------------
    bool IsEditing() const;
    // Opens the editor on the current cell (BeforeColEdit may refuse).
    bool StartEdit();
    // Commits a pending edit and, in an unbound grid, saves the edited row. False when a value was refused.
    bool CommitPendingEdit();
    // Closes the editor without keeping its value.
    void CancelEdit();
    QLineEdit* EditBox() const;
    QString EditText() const;
    void SetEditText(const QString& text);
    int EditSelStart() const;
    int EditSelLength() const;
    QString EditSelText() const;
    void SetEditSelection(int start, int length);
    void ReplaceEditSelection(const QString& text);

    // ---- Switches and look --------------------------------------------------------------------------------
    void SetAllowAddNew(bool allow);
    bool AllowAddNew() const { return m_allowAddNew; }
    void SetAllowEdit(bool allow);
    bool AllowEdit() const { return m_allowEdit; }
    // The Delete key deletes the selected rows (DeleteSelected); off by default, hosts often do it themselves.
    void SetAllowDelete(bool allow) { m_allowDelete = allow; }
    bool AllowDelete() const { return m_allowDelete; }
    void SetGridLines(bool on);
    bool GridLines() const;
    void SetBodyFont(const QFont& font);
    QFont BodyFont() const;
    void SetHeaderFont(const QFont& font);
    QFont HeaderFont() const;
    void SetHeaderHeight(int twips);
    int HeaderHeight() const;
    void SetColumnHeaders(bool visible);
    bool ColumnHeaders() const;
    void SetRowSelectors(bool visible);
    bool RowSelectors() const;
    void SetAlternatingRowColors(bool on);
    bool AlternatingRowColors() const;
    void SetRowColors(const QColor& row, const QColor& alternateRow);
    // Shown in the empty new-row line ("Click here to add a new " + text).
    void SetNewRowCaption(const QString& text);
    QString NewRowCaption() const { return m_newRowCaption; }

    // The card layout: one card per record, field captions in bold, cards CardWidth twips wide, each titled
    // with its value in the caption column (0: no title). Groups do not show in it.
    void SetLayout(Layout layout);
    Layout layout() const { return m_layout; }
    void SetCardWidth(int twips);
    int CardWidth() const { return m_cardWidth; }
    void SetCardCaptionColumn(int column);
    int CardCaptionColumn() const { return m_cardCaptionColumn; }

    // The image list: 16 by 16 pictures, counted from 1.
    int AddImage(const QPixmap& picture);
    void RemoveImage(int index);
    void ClearImages();
    int ImageCount() const { return int(m_images.size()); }
    QPixmap Image(int index) const;

    // The view in use, for hosts that need it (focus, context menus) and for tests.
    QAbstractItemView* ActiveView() const;
    GridTableView* TableView() const { return m_table; }
    GridCardView* CardView() const { return m_card; }
    GridModel* Model() const { return m_model.get(); }

Q_SIGNALS:
    // A cell's new value was kept (written, for a bound grid).
    void CellCommitted(int column);
    // An edit of a cell ended, its value kept or not.
    void CellEditEnded(int column);
    // A value was refused; showMessage (true on entry) lets the grid show the message itself.
    void DataError(int number, const QString& message, bool* showMessage);
    // A record was added through the new-row line; it is the last row, and the new-row line is still current.
    void RowInserted();
    // The content of the cell being edited changed.
    void CellChanged(int column);
    void ColumnHeaderClicked(int column);
    void BeforeColumnMove(int column, int newPosition, bool* cancel);
    void ColumnsMoved();
    void BeforeColumnDrag(int column, bool* cancel);
    void BeforeDelete(bool* cancel);
    void RowAboutToBeDeleted(int row);
    void RowsDeleted();
    void DoubleClicked();
    void KeyDown(int key, Qt::KeyboardModifiers modifiers, bool* handled);
    void KeyUp(int key, Qt::KeyboardModifiers modifiers);
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint& position);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint& position);
    void CurrentCellChanged(int row, int column);
    void ColumnResized(int column, int newWidth);
    void CellButtonClicked(int column);
    // Before a cell's editor opens, and before its new value is kept (the host may change *newValue).
    void BeforeColEdit(int column, bool* cancel);
    void BeforeColUpdate(int column, const QVariant& oldValue, QVariant* newValue, bool* cancel);
    // Unbound grids.
    void UnboundReadData(GridRowBuffer* row);
    void UnboundUpdate(GridRowBuffer* row);
    void UnboundAddNew(GridRowBuffer* row);
    void UnboundDelete(int record);

protected:
    void changeEvent(QEvent* event) override;

private:
    friend class GridColumn;
    friend class GridDelegate;
    friend class GridTableView;
    friend class GridCardView;
    friend class GridRecordset;
    friend class GridHeader;

    // Called by the parts.
    void ColumnChanged(GridColumn* column, GridColumn::Aspect aspect);
    int ColumnIndexOf(const GridColumn* column) const;
    int ColumnPositionOf(const GridColumn* column) const;
    void MoveColumnTo(GridColumn* column, int position);
    GridColumn::SortOrder SortOrderOf(const GridColumn* column) const;
    bool AskBeforeEdit(const QModelIndex& index);
    bool CommitCell(const QModelIndex& index, const QVariant& value);
    void EditorOpened(QWidget* editor, const QModelIndex& index);
    void EditorClosed(QWidget* editor);
    bool EditorKey(QKeyEvent* event, bool press);
    // After a refused value: keeps the editor open on its cell (true) unless the edit is being abandoned.
    bool HoldRefusedEditor(QAbstractItemView* view, QWidget* editor, int hint);
    void HeaderClicked(int logical);
    void SectionResizedByUser(int logical, int pixels);
    void SectionMovedByUser(int logical, int from, int to);
    bool AskBeforeDrag(int logical);
    void CurrentMoved(const QModelIndex& current, const QModelIndex& previous);
    void ToggleCheck(const QModelIndex& index);
    void RecordAppended(qint64 key);
    void RecordChanged(qint64 key);
    void CloseRecords();
    // The cell of a record just added through the new-row line, once; the view moves there after its
    // editor closed (and edits the next cell for Tab).
    QModelIndex TakeInsertedCell();
    void MoveAfterInsert(QAbstractItemView* view, const QModelIndex& cell, int hint);

    // Own work.
    DbError Arrange(bool collapsed);
    void ScheduleArrange();
    void EnsureArranged() const;
    void InstallSource(std::unique_ptr<GridSource> source);
    void MakeUnboundSource(qint64 count);
    // The columns were added, removed or cleared: the rows and the card follow.
    void ColumnSetChanged();
    void SyncHeader();
    void ApplyColumn(int logical);
    int ModelRow(int row) const;
    int RowFromModel(int modelRow) const;
    QModelIndex CurrentIndex() const;
    bool ReportError(const DbError& error);
    GridDelegate* ActiveDelegate() const;
    void UpdateRowHeight();

    Database* m_db = nullptr;
    QString m_recordSource;
    bool m_holdFields = false;
    std::vector<std::unique_ptr<GridColumn>> m_columns;
    std::unique_ptr<GridModel> m_model;
    std::unique_ptr<GridRecordset> m_recordset;
    GridDelegate* m_tableDelegate = nullptr;
    GridDelegate* m_cardDelegate = nullptr;
    GridTableView* m_table = nullptr;
    GridCardView* m_card = nullptr;
    QStackedLayout* m_stack = nullptr;

    QList<SortKey> m_sortKeys;
    struct GroupSpec {
        GridColumn* column;
        GridColumn::SortOrder order;
    };
    QList<GroupSpec> m_groups;
    bool m_arrangementPending = false;
    bool m_arrangeQueued = false;
    bool m_collapsed = false;
    bool m_headerClickSorts = true;

    bool m_allowAddNew = false;
    bool m_allowEdit = true;
    bool m_allowDelete = false;
    bool m_multiSelect = true;
    Layout m_layout = Layout::Table;
    int m_cardWidth = 4320;
    int m_cardCaptionColumn = 0;
    QString m_newRowCaption;
    std::vector<QPixmap> m_images;

    QPointer<QWidget> m_editor;
    QPersistentModelIndex m_editIndex;
    bool m_commitFailed = false;
    bool m_editCommitted = false;
    bool m_syncingHeader = false;
    bool m_restoringCurrent = false;
    bool m_batchColumns = false;
    QPersistentModelIndex m_insertedCell;
    DbError m_lastError;
};
