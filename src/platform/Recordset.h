#pragma once
#include "platform/Database.h"

#include <QVariant>

#include <optional>
#include <vector>

// Rows of a table or a statement, moved through one at a time. Table and Dynaset result sets on a single
// table are updatable: they hold the keys of their rows and read each row when it becomes current, so a
// result set over a million rows costs only its keys. Forward-only result sets stream from the statement.
// Snapshots and statements over several tables, groups or distinct values are read-only.
class Recordset {
public:
    enum class EditMode { None, Editing, Adding };

    static Result<std::unique_ptr<Recordset>> Open(Database& db, const QString& tableOrSql, RecordsetType type,
                                                   bool readOnly);
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    RecordsetType type() const { return m_type; }
    bool updatable() const { return m_updatable; }
    bool Eof() const;
    bool Bof() const;
    DbError MoveFirst();
    DbError MoveNext();
    DbError MovePrevious();
    DbError MoveLast();
    // Rows known so far; for forward-only result sets, the rows read so far.
    int RecordCount() const;
    int AbsolutePosition() const { return m_position; }
    // A row's bookmark is its row key; it stays valid while the row exists.
    QVariant Bookmark() const;
    DbError SetBookmark(const QVariant& bookmark);
    // The bookmark of the row last added or changed.
    QVariant LastModified() const { return m_lastModified; }

    int FieldCount() const { return int(m_columns.size()); }
    QString FieldName(int index) const;
    int FieldIndex(const QString& name) const; // -1 when absent
    // The table field a column comes from; null for computed columns.
    const FieldDef* FieldInfo(int index) const;

    QVariant Value(int index) const;
    QVariant Value(const QString& name) const;
    // The last read or write failure (3265 for an unknown field name, 3021 with no current row, ...).
    const DbError& lastError() const { return m_lastError; }

    DbError SetValue(int index, const QVariant& value);
    DbError SetValue(const QString& name, const QVariant& value);
    DbError AddNew();
    DbError Edit();
    DbError Update();
    void CancelUpdate();
    DbError Delete();
    EditMode editMode() const { return m_editMode; }

    // Long binary values in pieces.
    qint64 FieldSize(int index) const;
    QByteArray GetChunk(int index, qint64 offset, qint64 length) const;
    DbError AppendChunk(int index, const QByteArray& chunk);

    void Close();

private:
    struct Column {
        QString name;
        std::optional<FieldDef> field; // the base table's field, when the column is one
    };
    Recordset(Database& db, RecordsetType type);
    DbError OpenKeyset(const QString& selectList, const QString& fromAndRest, const QVariantList& params,
                       const QString& baseTable);
    DbError OpenMaterialized(const QString& sql, const QVariantList& params);
    DbError OpenStreaming(const QString& sql, const QVariantList& params);
    void ReadColumns(sqlite3_stmt* stmt);
    DbError Load() const;
    DbError StepStream();
    const QVariantList* CurrentRow() const;
    DbError CheckCurrent() const;

    Database& m_db;
    RecordsetType m_type;
    bool m_open = true;
    bool m_updatable = false;
    QString m_baseTable;
    QString m_idField; // the base table's auto-numbered field, if any
    std::vector<Column> m_columns;

    // Keyset mode
    std::vector<qint64> m_keys;
    QString m_fetchSql;
    // Materialised mode
    std::vector<QVariantList> m_rows;
    bool m_materialized = false;
    // Streaming mode
    CachedStatement m_stream;
    bool m_streaming = false;
    bool m_streamDone = false;
    int m_streamCount = 0;
    QVariantList m_streamRow;

    int m_position = 0;
    bool m_currentDeleted = false;
    mutable QVariantList m_row;
    mutable qint64 m_rowKey = -1;
    mutable bool m_rowLoaded = false;

    EditMode m_editMode = EditMode::None;
    QVariantList m_buffer; // stored values of the row being edited or added
    std::vector<bool> m_dirty;
    std::vector<bool> m_chunked; // fields given a chunk since AddNew or Edit
    qint64 m_newId = 0;
    QVariant m_lastModified;
    mutable DbError m_lastError;
};
