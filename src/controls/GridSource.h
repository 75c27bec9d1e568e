#pragma once
#include "controls/GridColumn.h"
#include "controls/GridGroupTree.h"
#include "platform/Result.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <QVariant>

// Where a grid's records come from: the catalog file (GridBoundSource) or the host (GridUnboundSource).
// A source keeps its records in an arranged order (sorted, and grouped when asked) and hands out their keys
// and values by position in that order, counting from 0. A key stays with its record: the row key of the
// table for a bound grid, the host's record number (from 1) for an unbound one.
class GridSource
{
public:
    // One level of an arrangement: a field of the source and its direction.
    struct OrderLevel {
        int field = -1;
        bool descending = false;
        GridColumn::SortKind kind = GridColumn::SortKind::Text;
    };

    virtual ~GridSource() = default;

    virtual bool IsBound() const = 0;
    virtual QStringList FieldNames() const = 0;
    int FieldIndex(const QString& name) const;
    // Whether values can be written and records added or deleted.
    virtual bool Updatable() const = 0;

    // Puts the records in order by the sort levels and, with group levels, into groups (the groups' own
    // order coming first). Records added afterwards stay at the end, after every group.
    virtual DbError Arrange(const QList<OrderLevel>& groups, const QList<OrderLevel>& sort) = 0;
    const GridGroupTree& Groups() const { return m_groups; }
    GridGroupTree& Groups() { return m_groups; }
    // Records in the arranged order (the groups' records first, then the ones added since).
    virtual qint64 Count() const = 0;
    // Records the last arrangement placed; the ones after them were added since.
    virtual qint64 ArrangedCount() const = 0;
    virtual qint64 KeyAt(qint64 position) = 0;
    // -1 when no record has the key.
    virtual qint64 PositionOf(qint64 key) = 0;
    // A field's value as the engine gives it (bool, int, double, QDateTime, QString, QByteArray; invalid for
    // Null), read when first asked for and kept until Forget.
    virtual QVariant Value(qint64 position, int field) = 0;

    // Writes one value of a record: a bound source writes it to the file at once, an unbound one keeps it
    // with the row until Flush hands the row to the host.
    virtual DbError Write(qint64 key, int field, const QVariant& value) = 0;
    // Hands a row with written values to the host (unbound); nothing to do for a bound source.
    virtual DbError Flush() { return {}; }
    // Adds a record with the given values by field and gives its key; Append then shows it.
    virtual Result<qint64> Insert(const QHash<int, QVariant>& values) = 0;
    virtual DbError Remove(qint64 key) = 0;

    // Reads the values again when next asked for: of one record, or of all.
    virtual void Forget(qint64 key) = 0;
    virtual void ForgetAll() = 0;
    // Takes an added record (by Insert, or from outside through the bound result set) in at the end.
    virtual void Append(qint64 key) = 0;

protected:
    GridGroupTree m_groups;
};
