#include "controls/GridRowBuffer.h"

GridRowBuffer::GridRowBuffer(int recordNumber, const QStringList& columnKeys, const QVariantList& values)
    : m_record(recordNumber), m_keys(columnKeys), m_values(values)
{
    while (m_values.size() < m_keys.size())
        m_values.append(QVariant());
    m_changed = QList<bool>(m_keys.size(), false);
}

int GridRowBuffer::IndexOf(const QString& key) const
{
    for (int i = 0; i < m_keys.size(); ++i)
        if (m_keys[i].compare(key, Qt::CaseInsensitive) == 0)
            return i + 1;
    return 0;
}

QVariant GridRowBuffer::Value(int column) const
{
    return column >= 1 && column <= m_values.size() ? m_values[column - 1] : QVariant();
}

QVariant GridRowBuffer::Value(const QString& key) const
{
    return Value(IndexOf(key));
}

void GridRowBuffer::SetValue(int column, const QVariant& value)
{
    if (column >= 1 && column <= m_values.size())
        m_values[column - 1] = value;
}

void GridRowBuffer::SetValue(const QString& key, const QVariant& value)
{
    SetValue(IndexOf(key), value);
}

bool GridRowBuffer::IsChanged(int column) const
{
    return column >= 1 && column <= m_changed.size() && m_changed[column - 1];
}

void GridRowBuffer::MarkChanged(int column)
{
    if (column >= 1 && column <= m_changed.size())
        m_changed[column - 1] = true;
}
