#pragma once
#include "controls/GridRowBuffer.h"
#include "controls/GridSource.h"

#include <QHash>

#include <functional>
#include <vector>

// The records of an unbound grid: the host owns them and the grid asks for each one when it needs it (to
// show it, or to sort and group by it). Records are the host's numbers 1..Count. Written values stay with
// the row until the row is left or the grid is told to save it, then go to the host in one piece.
class GridUnboundSource : public GridSource
{
public:
    struct Host {
        std::function<void(GridRowBuffer&)> read;
        std::function<void(GridRowBuffer&)> save;
        std::function<void(GridRowBuffer&)> add;
        std::function<void(int record)> remove;
    };

    GridUnboundSource(const QStringList& columnKeys, qint64 count, Host host);

    bool IsBound() const override { return false; }
    QStringList FieldNames() const override { return m_keys; }
    bool Updatable() const override { return true; }

    DbError Arrange(const QList<OrderLevel>& groups, const QList<OrderLevel>& sort) override;
    qint64 Count() const override { return m_count; }
    qint64 ArrangedCount() const override { return m_arranged; }
    qint64 KeyAt(qint64 position) override;
    qint64 PositionOf(qint64 key) override;
    QVariant Value(qint64 position, int field) override;

    DbError Write(qint64 key, int field, const QVariant& value) override;
    DbError Flush() override;
    Result<qint64> Insert(const QHash<int, QVariant>& values) override;
    // Tells the host to delete the record; the records after it take the numbers one lower, so the grid
    // arranges its records again afterwards.
    DbError Remove(qint64 key) override;
    void Forget(qint64 key) override { m_rows.remove(key); }
    void ForgetAll() override { m_rows.clear(); }
    void Append(qint64 key) override;

    // The record being changed and not yet handed to the host, or 0.
    qint64 PendingRecord() const { return m_pending ? m_pending->RecordNumber() : 0; }

private:
    const QVariantList& Row(qint64 key);

    QStringList m_keys;
    qint64 m_count;
    qint64 m_arranged;
    Host m_host;
    bool m_identity = true;      // records in their own order: no key list needed
    std::vector<qint64> m_order; // arranged keys, unless m_identity
    QHash<qint64, QVariantList> m_rows;
    std::unique_ptr<GridRowBuffer> m_pending;
};
