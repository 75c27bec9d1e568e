#pragma once
#include <QStringList>
#include <QVariant>
#include <QVariantList>

// The values of one row of an unbound grid, handed to the host when the grid wants a row read, saved or
// added. Columns are addressed by index (from 1, as ctlDataGrid counts them) or by key.
class GridRowBuffer
{
public:
    GridRowBuffer(int recordNumber, const QStringList& columnKeys, const QVariantList& values = {});

    // The host's number of the record, from 1.
    int RecordNumber() const { return m_record; }
    int ColumnCount() const { return int(m_keys.size()); }
    QVariant Value(int column) const;
    QVariant Value(const QString& key) const;
    void SetValue(int column, const QVariant& value);
    void SetValue(const QString& key, const QVariant& value);
    // Whether the person changed the column's value in the row being saved.
    bool IsChanged(int column) const;

    const QVariantList& Values() const { return m_values; }
    void MarkChanged(int column);

private:
    int IndexOf(const QString& key) const;

    int m_record;
    QStringList m_keys;
    QVariantList m_values;
    QList<bool> m_changed;
};
