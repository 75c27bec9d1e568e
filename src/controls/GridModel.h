#pragma once
#include "controls/GridSource.h"

#include <QAbstractTableModel>

#include <memory>
#include <vector>

class ctlDataGrid;

// The grid's rows as a Qt table model: the new-row line (when switched on) first, then the groups' header
// rows and the records in display order, then records added since the last arrangement. Model columns are
// the grid's columns in Index order. Only rows in view are ever asked for, so a million-row source costs
// what the screen shows.
class GridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // A check box cell's state from its value: True/Yes text, or any number but 0.
    static bool IsTrue(const QVariant& value);

    enum Role {
        RowKindRole = Qt::UserRole + 1, // RowKind as int
        GroupTextRole,                  // "Caption: value (n items)"
        GroupLevelRole,
        GroupExpandedRole,
        CellButtonRole, // the column has a cell button
    };
    enum class RowKind { None, NewRow, Group, Record };
    struct RowRef {
        RowKind kind = RowKind::None;
        int node = -1;
        qint64 position = -1;
    };

    explicit GridModel(ctlDataGrid* grid);
    ~GridModel() override;

    void SetSource(std::unique_ptr<GridSource> source);
    GridSource* Source() const { return m_source.get(); }
    std::unique_ptr<GridSource> TakeSource();

    void SetNewRowLine(bool on);
    bool HasNewRowLine() const { return m_newRowLine; }
    // Records alone, in display order (the card layout): no group rows, no new-row line.
    void SetRecordsOnly(bool on);
    bool RecordsOnly() const { return m_recordsOnly; }
    // The columns changed (added, removed, another data field): fields are matched again.
    void ColumnsChanged();
    int FieldOfColumn(int column) const;

    RowRef Ref(int row) const;
    int FirstRecordRow() const { return HasNewLine() ? 1 : 0; }
    int RowOfPosition(qint64 position) const;
    int RowOfNode(int node) const;
    qint64 KeyOfRow(int row) const;

    DbError Arrange(const QList<GridSource::OrderLevel>& groups, const QList<GridSource::OrderLevel>& sort,
                    bool collapsed);
    void SetExpanded(int node, bool expanded);

    // Whether a person may change the cell (the grid's switches, the column's edit kind, the field).
    bool CanEdit(const QModelIndex& index) const;
    QVariant CellValue(int row, int column) const;
    DbError WriteCell(int row, int column, const QVariant& value);
    // Adds a record with values by column; gives its key.
    Result<qint64> InsertRecord(const QHash<int, QVariant>& values);
    void Appended(qint64 key);
    void Changed(qint64 key);
    void Refetch();
    // Wraps deletions, which may take rows and groups away anywhere.
    void BeginBulkChange();
    void EndBulkChange();

    // The text a value shows in a column (value-list text, display format).
    static QString FormatValue(const QVariant& value, const GridColumn& column);
    QString GroupText(int node) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    bool HasNewLine() const { return m_newRowLine && !m_recordsOnly; }
    bool Grouped() const { return m_source && !m_source->Groups().IsEmpty() && !m_recordsOnly; }

    ctlDataGrid* m_grid;
    std::unique_ptr<GridSource> m_source;
    std::vector<int> m_fields;
    bool m_newRowLine = false;
    bool m_recordsOnly = false;
};
