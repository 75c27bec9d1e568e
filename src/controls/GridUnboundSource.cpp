#include "controls/GridUnboundSource.h"

#include "controls/GridMemoryOrder.h"

#include <algorithm>

GridUnboundSource::GridUnboundSource(const QStringList& columnKeys, qint64 count, Host host)
    : m_keys(columnKeys), m_count(std::max<qint64>(count, 0)), m_arranged(m_count), m_host(std::move(host))
{
}

const QVariantList& GridUnboundSource::Row(qint64 key)
{
    if (m_pending && m_pending->RecordNumber() == key)
        return m_pending->Values();
    auto it = m_rows.find(key);
    if (it == m_rows.end()) {
        GridRowBuffer buffer(int(key), m_keys);
        if (m_host.read)
            m_host.read(buffer);
        it = m_rows.insert(key, buffer.Values());
    }
    return *it;
}

DbError GridUnboundSource::Arrange(const QList<OrderLevel>& groups, const QList<OrderLevel>& sort)
{
    m_arranged = m_count;
    m_groups = GridGroupTree();
    m_identity = groups.isEmpty() && sort.isEmpty();
    m_order.clear();
    if (m_identity)
        return {};
    m_order.resize(size_t(m_count));
    for (qint64 i = 0; i < m_count; ++i)
        m_order[size_t(i)] = i + 1;
    GridMemoryOrder::Arrange(
        m_order, [this](qint64 key, int field) { return Row(key).value(field); }, groups, sort, &m_groups);
    return {};
}

qint64 GridUnboundSource::KeyAt(qint64 position)
{
    if (position < 0 || position >= m_count)
        return -1;
    if (m_identity || position >= qint64(m_order.size()))
        return m_identity ? position + 1 : m_arranged + (position - qint64(m_order.size())) + 1;
    return m_order[size_t(position)];
}

qint64 GridUnboundSource::PositionOf(qint64 key)
{
    if (key < 1 || key > m_count)
        return -1;
    if (m_identity || key > m_arranged)
        return key - 1;
    const auto it = std::find(m_order.begin(), m_order.end(), key);
    return it == m_order.end() ? -1 : qint64(it - m_order.begin());
}

QVariant GridUnboundSource::Value(qint64 position, int field)
{
    const qint64 key = KeyAt(position);
    if (key < 0)
        return QVariant();
    return Row(key).value(field);
}

DbError GridUnboundSource::Write(qint64 key, int field, const QVariant& value)
{
    if (m_pending && m_pending->RecordNumber() != key)
        if (DbError error = Flush())
            return error;
    if (!m_pending)
        m_pending = std::make_unique<GridRowBuffer>(int(key), m_keys, Row(key));
    m_pending->SetValue(field + 1, value);
    m_pending->MarkChanged(field + 1);
    return {};
}

DbError GridUnboundSource::Flush()
{
    if (!m_pending)
        return {};
    std::unique_ptr<GridRowBuffer> row = std::move(m_pending);
    if (m_host.save)
        m_host.save(*row);
    // The host may have changed or refused values: read the row again when it shows.
    m_rows.remove(row->RecordNumber());
    return {};
}

Result<qint64> GridUnboundSource::Insert(const QHash<int, QVariant>& values)
{
    if (DbError error = Flush())
        return error;
    const qint64 record = m_count + 1;
    GridRowBuffer buffer(int(record), m_keys);
    for (auto it = values.begin(); it != values.end(); ++it) {
        buffer.SetValue(it.key() + 1, it.value());
        buffer.MarkChanged(it.key() + 1);
    }
    if (m_host.add)
        m_host.add(buffer);
    return record;
}

DbError GridUnboundSource::Remove(qint64 key)
{
    if (key < 1 || key > m_count)
        return {DbErrorNumber::NoCurrentRecord, QStringLiteral("No such record.")};
    if (m_pending && m_pending->RecordNumber() == key)
        m_pending.reset();
    if (DbError error = Flush())
        return error;
    if (m_host.remove)
        m_host.remove(int(key));
    --m_count;
    if (key <= m_arranged)
        --m_arranged;
    m_rows.clear();
    if (m_identity)
        return {};
    // Numbers above the deleted one move down; the grid arranges the records again when it is done.
    std::vector<qint64> order;
    order.reserve(m_order.size());
    for (const qint64 k : m_order)
        if (k != key)
            order.push_back(k > key ? k - 1 : k);
    m_order.swap(order);
    return {};
}

void GridUnboundSource::Append(qint64 key)
{
    // The host has taken the record in as number key, which is one past the last.
    m_count = std::max(m_count, key);
    m_rows.remove(key);
}
