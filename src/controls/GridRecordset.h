#pragma once
#include "platform/Database.h"

#include <QVariant>

#include <memory>

class ctlDataGrid;

// The bound grid's result set, as hosts use it: position on a record by its bookmark (a row's
// ctlDataGrid::RowBookmark), read and change its fields, add a record and read its auto-numbered ID at
// once, close. Changes are written through the engine on Update, with the field rules applied, and the grid
// shows them at once: a changed record is read again, an added one becomes the grid's last row.
class GridRecordset
{
public:
    GridRecordset(const GridRecordset&) = delete;
    GridRecordset& operator=(const GridRecordset&) = delete;
    ~GridRecordset();

    // Open while the grid is bound and the result set was not closed.
    bool IsOpen() const;
    qint64 RecordCount() const;

    // Makes the record with that bookmark current (3159 when there is none).
    DbError SetBookmark(const QVariant& bookmark);
    QVariant Bookmark() const { return m_bookmark; }
    // No current record.
    bool Eof() const;
    QVariant Value(const QString& field) const;

    DbError Edit();
    // Starts a new record; its ID field holds the new number from here on.
    DbError AddNew();
    DbError SetValue(const QString& field, const QVariant& value);
    DbError Update();
    void CancelUpdate();

    // Lets go of the records (so that the table can be altered): the grid shows no rows until Rebind.
    void Close();

private:
    friend class ctlDataGrid;
    explicit GridRecordset(ctlDataGrid* grid) : m_grid(grid) {}
    void Forget();

    ctlDataGrid* m_grid;
    std::unique_ptr<Recordset> m_row;
    QVariant m_bookmark;
    bool m_adding = false;
};
