#include "platform/Recordset.h"

#include "platform/FieldValue.h"
#include "platform/JetSql.h"
#include "platform/SqliteValues.h"

namespace {
QString Q(const QString& name) { return JetSql::QuoteIdentifier(name); }

DbError NoCurrentRecord() { return {DbErrorNumber::NoCurrentRecord, QStringLiteral("No current record.")}; }
DbError NotUpdatable() { return {DbErrorNumber::ReadOnly, QStringLiteral("The result set cannot be updated.")}; }
DbError Closed() { return {DbErrorNumber::NotOpen, QStringLiteral("The result set is closed.")}; }
DbError RowDeleted() { return {3167, QStringLiteral("The record is deleted.")}; }
} // namespace

// Every result set is known to its database, which closes them all when it closes: a result set kept past
// its database's end then fails cleanly instead of reaching for freed statements.
Recordset::Recordset(Database& db, RecordsetType type) : m_db(db), m_type(type) { m_db.m_recordsets.insert(this); }

Recordset::~Recordset() { Close(); }

void Recordset::Close()
{
    if (!m_open)
        return;
    m_open = false;
    m_stream.release();
    m_db.m_recordsets.remove(this);
    m_keys.clear();
    m_rows.clear();
    m_editMode = EditMode::None;
}

Result<std::unique_ptr<Recordset>> Recordset::Open(Database& db, const QString& tableOrSql, RecordsetType type,
                                                   bool readOnly)
{
    if (!db.isOpen())
        return DbError{DbErrorNumber::NotOpen, QStringLiteral("The catalog is not open.")};
    std::unique_ptr<Recordset> rs(new Recordset(db, type));
    const QString source = tableOrSql.trimmed();
    const bool isTableName = !source.contains(QLatin1Char(' ')) || db.TableExists(source);
    if (isTableName && db.TableExists(source)) {
        const TableDef* def = db.CachedTable(source);
        rs->m_updatable = !readOnly && type != RecordsetType::Snapshot && type != RecordsetType::ForwardOnly;
        if (type == RecordsetType::Snapshot) {
            if (DbError error = rs->OpenMaterialized(QStringLiteral("SELECT * FROM %1").arg(Q(def->name)), {}))
                return error;
        } else if (type == RecordsetType::ForwardOnly) {
            if (DbError error = rs->OpenStreaming(QStringLiteral("SELECT * FROM %1").arg(Q(def->name)), {}))
                return error;
        } else if (DbError error = rs->OpenKeyset(QStringLiteral("*"), QStringLiteral("FROM %1").arg(Q(def->name)), {},
                                                  def->name)) {
            return error;
        }
        return rs;
    }
    if (type == RecordsetType::Table)
        return DbError{3078, QStringLiteral("The table '%1' cannot be found.").arg(source)};

    const Result<JetSql::Translated> translated = JetSql::Translate(source);
    if (!translated)
        return translated.error();
    // Checked first: stepping any other statement would run it.
    const JetSql::SelectShape shape = JetSql::AnalyzeSelect(translated->sql);
    if (!shape.isSelect)
        return DbError{3065, QStringLiteral("Only a SELECT statement can be opened as a result set.")};
    if (type == RecordsetType::ForwardOnly) {
        if (DbError error = rs->OpenStreaming(translated->sql, translated->params))
            return error;
        return rs;
    }
    // A snapshot is a copy of the rows as they were when it was opened.
    if (type != RecordsetType::Snapshot && shape.singleTable && !shape.aggregateOrDistinct &&
        db.TableExists(shape.baseTable)) {
        rs->m_updatable = !readOnly && type == RecordsetType::Dynaset;
        const DbError error = rs->OpenKeyset(shape.selectList, QStringLiteral("FROM ") + shape.fromAndRest,
                                             translated->params, shape.baseTable);
        if (!error)
            return rs;
        // A FROM clause the keyset cannot follow (an alias, say) still reads fine as a whole.
        rs = std::unique_ptr<Recordset>(new Recordset(db, type));
    }
    if (DbError error = rs->OpenMaterialized(translated->sql, translated->params))
        return error;
    return rs;
}

void Recordset::ReadColumns(sqlite3_stmt* stmt)
{
    m_columns.clear();
    const int count = sqlite3_column_count(stmt);
    for (int i = 0; i < count; ++i) {
        Column column;
        column.name = QString::fromUtf8(sqlite3_column_name(stmt, i));
        const char* table = sqlite3_column_table_name(stmt, i);
        const char* origin = sqlite3_column_origin_name(stmt, i);
        if (table && origin)
            if (const TableDef* def = m_db.CachedTable(QString::fromUtf8(table)))
                if (const FieldDef* field = def->field(QString::fromUtf8(origin)))
                    column.field = *field;
        m_columns.push_back(column);
    }
}

DbError Recordset::OpenKeyset(const QString& selectList, const QString& fromAndRest, const QVariantList& params,
                              const QString& baseTable)
{
    const TableDef* def = m_db.CachedTable(baseTable);
    if (!def)
        return {3078, QStringLiteral("The table '%1' cannot be found.").arg(baseTable)};
    m_baseTable = def->name;
    for (const FieldDef& field : def->fields)
        if (field.isAutoIncrement())
            m_idField = field.name;
    // "*" is spelt out: the rows are read long after opening, and a change of field order in between must not
    // move the values under the names this result set already gave out.
    QString columns = selectList;
    if (columns.trimmed() == QLatin1String("*")) {
        QStringList names;
        for (const FieldDef& field : def->fields)
            names << Q(field.name);
        columns = names.join(QStringLiteral(", "));
    }
    m_fetchSql = QStringLiteral("SELECT %1 FROM %2 WHERE %2.rowid = ?").arg(columns, Q(m_baseTable));
    CachedStatement fetch;
    if (DbError error = m_db.Prepare(m_fetchSql, &fetch))
        return error;
    ReadColumns(fetch.get());
    fetch.release();

    CachedStatement keys;
    if (DbError error = m_db.Prepare(QStringLiteral("SELECT %1.rowid %2").arg(Q(m_baseTable), fromAndRest), &keys))
        return error;
    int rc = SqliteValues::BindAll(keys.get(), params);
    if (rc == SQLITE_OK)
        while ((rc = sqlite3_step(keys.get())) == SQLITE_ROW)
            m_keys.push_back(sqlite3_column_int64(keys.get(), 0));
    if (rc != SQLITE_DONE)
        return SqliteError(m_db.handle(), rc);
    return {};
}

DbError Recordset::OpenMaterialized(const QString& sql, const QVariantList& params)
{
    m_materialized = true;
    m_updatable = false;
    CachedStatement statement;
    if (DbError error = m_db.Prepare(sql, &statement))
        return error;
    ReadColumns(statement.get());
    int rc = SqliteValues::BindAll(statement.get(), params);
    while (rc == SQLITE_OK || rc == SQLITE_ROW) {
        if ((rc = sqlite3_step(statement.get())) != SQLITE_ROW)
            break;
        QVariantList row;
        row.reserve(int(m_columns.size()));
        for (int i = 0; i < int(m_columns.size()); ++i)
            row.append(SqliteValues::Column(statement.get(), i));
        m_rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE)
        return SqliteError(m_db.handle(), rc);
    return {};
}

DbError Recordset::OpenStreaming(const QString& sql, const QVariantList& params)
{
    m_streaming = true;
    m_updatable = false;
    if (DbError error = m_db.Prepare(sql, &m_stream))
        return error;
    ReadColumns(m_stream.get());
    const int rc = SqliteValues::BindAll(m_stream.get(), params);
    if (rc != SQLITE_OK)
        return SqliteError(m_db.handle(), rc);
    return StepStream();
}

DbError Recordset::StepStream()
{
    const int rc = sqlite3_step(m_stream.get());
    if (rc == SQLITE_ROW) {
        m_streamRow.clear();
        for (int i = 0; i < int(m_columns.size()); ++i)
            m_streamRow.append(SqliteValues::Column(m_stream.get(), i));
        ++m_streamCount;
        return {};
    }
    m_streamDone = true;
    m_streamRow.clear();
    const DbError error = rc == SQLITE_DONE ? DbError{} : SqliteError(m_db.handle(), rc);
    m_stream.release(); // a finished stream gives its statement back at once
    return error;
}

int Recordset::RecordCount() const
{
    if (m_streaming)
        return m_streamCount;
    return m_materialized ? int(m_rows.size()) : int(m_keys.size());
}

bool Recordset::Eof() const
{
    if (!m_open)
        return true;
    if (m_streaming)
        return m_streamDone;
    return m_position >= RecordCount() || RecordCount() == 0;
}

bool Recordset::Bof() const
{
    if (!m_open)
        return true;
    if (m_streaming)
        return m_streamCount == 0 && m_streamDone;
    return m_position < 0 || RecordCount() == 0;
}

DbError Recordset::MoveFirst()
{
    if (!m_open)
        return Closed();
    if (m_streaming) {
        if (m_streamCount > 1)
            return {3219, QStringLiteral("A forward-only result set cannot move back.")};
        return {};
    }
    m_editMode = EditMode::None;
    m_currentDeleted = false;
    m_position = 0;
    m_rowLoaded = false;
    return {};
}

DbError Recordset::MoveNext()
{
    if (!m_open)
        return Closed();
    m_editMode = EditMode::None;
    if (m_streaming) {
        if (m_streamDone)
            return NoCurrentRecord();
        return StepStream();
    }
    m_rowLoaded = false;
    if (m_currentDeleted) {
        // The keys closed up over the deleted row: the next one (or the end) is current already.
        m_currentDeleted = false;
        return {};
    }
    if (Eof())
        return NoCurrentRecord();
    ++m_position;
    return {};
}

DbError Recordset::MovePrevious()
{
    if (!m_open)
        return Closed();
    if (m_streaming)
        return {3219, QStringLiteral("A forward-only result set cannot move back.")};
    m_editMode = EditMode::None;
    m_currentDeleted = false;
    if (Bof())
        return NoCurrentRecord();
    --m_position;
    m_rowLoaded = false;
    return {};
}

DbError Recordset::MoveLast()
{
    if (!m_open)
        return Closed();
    if (m_streaming) {
        while (!m_streamDone)
            if (DbError error = StepStream())
                return error;
        return {};
    }
    m_editMode = EditMode::None;
    m_currentDeleted = false;
    m_position = RecordCount() - 1;
    m_rowLoaded = false;
    return {};
}

QVariant Recordset::Bookmark() const
{
    if (m_materialized || m_streaming)
        return m_position;
    if (Eof() || Bof())
        return QVariant();
    return m_keys[size_t(m_position)];
}

DbError Recordset::SetBookmark(const QVariant& bookmark)
{
    if (!m_open)
        return Closed();
    if (m_streaming)
        return {3219, QStringLiteral("A forward-only result set has no bookmarks.")};
    m_editMode = EditMode::None;
    m_currentDeleted = false;
    m_rowLoaded = false;
    if (m_materialized) {
        const int position = bookmark.toInt();
        if (position < 0 || position >= int(m_rows.size()))
            return {3159, QStringLiteral("Not a valid bookmark.")};
        m_position = position;
        return {};
    }
    const qint64 key = bookmark.toLongLong();
    for (size_t i = 0; i < m_keys.size(); ++i)
        if (m_keys[i] == key) {
            m_position = int(i);
            return {};
        }
    return {3159, QStringLiteral("Not a valid bookmark.")};
}

QString Recordset::FieldName(int index) const
{
    return index >= 0 && index < FieldCount() ? m_columns[size_t(index)].name : QString();
}

int Recordset::FieldIndex(const QString& name) const
{
    for (int i = 0; i < FieldCount(); ++i)
        if (m_columns[size_t(i)].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

const FieldDef* Recordset::FieldInfo(int index) const
{
    if (index < 0 || index >= FieldCount() || !m_columns[size_t(index)].field)
        return nullptr;
    return &*m_columns[size_t(index)].field;
}

DbError Recordset::CheckCurrent() const
{
    if (!m_open)
        return Closed();
    if (m_currentDeleted)
        return RowDeleted();
    if (Eof() || Bof())
        return NoCurrentRecord();
    return {};
}

DbError Recordset::Load() const
{
    if (m_rowLoaded)
        return {};
    const qint64 key = m_keys[size_t(m_position)];
    CachedStatement fetch;
    if (DbError error = m_db.Prepare(m_fetchSql, &fetch))
        return error;
    sqlite3_bind_int64(fetch.get(), 1, key);
    const int rc = sqlite3_step(fetch.get());
    if (rc == SQLITE_DONE)
        return RowDeleted();
    if (rc != SQLITE_ROW)
        return SqliteError(m_db.handle(), rc);
    m_row.clear();
    for (int i = 0; i < int(m_columns.size()); ++i)
        m_row.append(SqliteValues::Column(fetch.get(), i));
    m_rowKey = key;
    m_rowLoaded = true;
    return {};
}

const QVariantList* Recordset::CurrentRow() const
{
    if (m_editMode != EditMode::None)
        return &m_buffer;
    if ((m_lastError = CheckCurrent()))
        return nullptr;
    if (m_streaming)
        return &m_streamRow;
    if (m_materialized)
        return &m_rows[size_t(m_position)];
    if ((m_lastError = Load()))
        return nullptr;
    return &m_row;
}

QVariant Recordset::Value(int index) const
{
    if (index < 0 || index >= FieldCount()) {
        m_lastError = {DbErrorNumber::ItemNotFound, QStringLiteral("Item not found in this collection.")};
        return QVariant();
    }
    const QVariantList* row = CurrentRow();
    if (!row)
        return QVariant();
    m_lastError = {};
    return FieldValue::FromStorage(FieldInfo(index), row->at(index));
}

QVariant Recordset::Value(const QString& name) const
{
    const int index = FieldIndex(name);
    if (index < 0) {
        m_lastError = {DbErrorNumber::ItemNotFound, QStringLiteral("Item not found in this collection: %1.").arg(name)};
        return QVariant();
    }
    return Value(index);
}

DbError Recordset::SetValue(int index, const QVariant& value)
{
    if (m_editMode == EditMode::None)
        return {DbErrorNumber::UpdateWithoutEdit, QStringLiteral("Update or CancelUpdate without AddNew or Edit.")};
    const FieldDef* field = FieldInfo(index);
    if (index < 0 || index >= FieldCount())
        return {DbErrorNumber::ItemNotFound, QStringLiteral("Item not found in this collection.")};
    if (!field)
        return {3164, QStringLiteral("The field '%1' cannot be updated.").arg(FieldName(index))};
    if (field->isAutoIncrement())
        return {3164, QStringLiteral("The field '%1' numbers itself and cannot be updated.").arg(field->name)};
    const Result<QVariant> stored = FieldValue::ToStorage(*field, value);
    if (!stored)
        return stored.error();
    m_buffer[index] = stored.value();
    m_dirty[size_t(index)] = true;
    return {};
}

DbError Recordset::SetValue(const QString& name, const QVariant& value)
{
    const int index = FieldIndex(name);
    if (index < 0)
        return {DbErrorNumber::ItemNotFound, QStringLiteral("Item not found in this collection: %1.").arg(name)};
    return SetValue(index, value);
}

DbError Recordset::AddNew()
{
    if (!m_open)
        return Closed();
    if (!m_updatable)
        return NotUpdatable();
    m_buffer.clear();
    m_dirty.assign(m_columns.size(), false);
    m_chunked.assign(m_columns.size(), false);
    m_newId = m_idField.isEmpty() ? 0 : m_db.ReserveId(m_baseTable, m_idField);
    for (const Column& column : m_columns) {
        if (!column.field)
            m_buffer.append(QVariant());
        else if (column.field->isAutoIncrement())
            m_buffer.append(QVariant(m_newId));
        else
            m_buffer.append(FieldValue::DefaultAsStorage(*column.field));
    }
    m_editMode = EditMode::Adding;
    return {};
}

DbError Recordset::Edit()
{
    if (!m_open)
        return Closed();
    if (!m_updatable)
        return NotUpdatable();
    if (DbError error = CheckCurrent())
        return error;
    // The edit starts from the row as it is now, not as it was when it became current.
    m_rowLoaded = false;
    if (DbError error = Load())
        return error;
    m_buffer = m_row;
    m_dirty.assign(m_columns.size(), false);
    m_chunked.assign(m_columns.size(), false);
    m_editMode = EditMode::Editing;
    return {};
}

void Recordset::CancelUpdate()
{
    m_editMode = EditMode::None;
    m_buffer.clear();
    m_rowLoaded = false; // read again: the row may have changed, or gone, while it was being edited
}

DbError Recordset::Update()
{
    if (m_editMode == EditMode::None)
        return {DbErrorNumber::UpdateWithoutEdit, QStringLiteral("Update or CancelUpdate without AddNew or Edit.")};
    QStringList names;
    QVariantList values;
    for (int i = 0; i < FieldCount(); ++i) {
        if (!m_dirty[size_t(i)])
            continue;
        const FieldDef& field = *m_columns[size_t(i)].field;
        names << Q(field.name);
        // Memo chunks are gathered as bytes, so a character split between two chunks stays whole.
        if (field.type == FieldType::Memo && m_buffer[i].typeId() == QMetaType::QByteArray)
            values << QVariant(QString::fromUtf8(m_buffer[i].toByteArray()));
        else
            values << m_buffer[i];
    }
    if (m_editMode == EditMode::Adding) {
        if (!m_idField.isEmpty()) {
            names.prepend(Q(m_idField));
            values.prepend(m_newId);
        }
        QString sql;
        if (names.isEmpty()) {
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(Q(m_baseTable));
        } else {
            QStringList marks;
            for (int i = 0; i < names.size(); ++i)
                marks << QStringLiteral("?");
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(Q(m_baseTable), names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        }
        if (DbError error = m_db.RunSqlite(sql, values))
            return error; // the row stays open for correction or CancelUpdate
        const qint64 key = sqlite3_last_insert_rowid(m_db.handle());
        m_keys.push_back(key);
        m_lastModified = key;
    } else {
        const qint64 key = m_keys[size_t(m_position)];
        if (!names.isEmpty()) {
            QStringList assignments;
            for (const QString& name : names)
                assignments << name + QStringLiteral(" = ?");
            values << key;
            if (DbError error = m_db.RunSqlite(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                                                   .arg(Q(m_baseTable), assignments.join(QStringLiteral(", "))),
                                               values))
                return error;
            if (sqlite3_changes(m_db.handle()) == 0)
                return RowDeleted(); // by someone else since the edit began
        }
        m_lastModified = key;
    }
    m_editMode = EditMode::None;
    m_buffer.clear();
    m_rowLoaded = false;
    return {};
}

DbError Recordset::Delete()
{
    if (!m_open)
        return Closed();
    if (!m_updatable)
        return NotUpdatable();
    if (DbError error = CheckCurrent())
        return error;
    const qint64 key = m_keys[size_t(m_position)];
    if (DbError error = m_db.RunSqlite(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(Q(m_baseTable)), {key}))
        return error;
    if (sqlite3_changes(m_db.handle()) == 0)
        return RowDeleted();
    m_keys.erase(m_keys.begin() + m_position);
    m_currentDeleted = true;
    m_rowLoaded = false;
    m_editMode = EditMode::None;
    return {};
}

qint64 Recordset::FieldSize(int index) const
{
    const QVariantList* row = CurrentRow();
    if (!row || index < 0 || index >= row->size())
        return 0;
    const QVariant& value = row->at(index);
    if (value.isNull())
        return 0;
    return value.typeId() == QMetaType::QByteArray ? value.toByteArray().size() : value.toString().toUtf8().size();
}

QByteArray Recordset::GetChunk(int index, qint64 offset, qint64 length) const
{
    const QVariantList* row = CurrentRow();
    if (!row || index < 0 || index >= row->size() || offset < 0 || length <= 0)
        return QByteArray();
    const QVariant& value = row->at(index);
    const QByteArray bytes = value.typeId() == QMetaType::QByteArray ? value.toByteArray() : value.toString().toUtf8();
    return bytes.mid(offset, length);
}

DbError Recordset::AppendChunk(int index, const QByteArray& chunk)
{
    if (m_editMode == EditMode::None)
        return {DbErrorNumber::UpdateWithoutEdit, QStringLiteral("Update or CancelUpdate without AddNew or Edit.")};
    const FieldDef* field = FieldInfo(index);
    if (!field)
        return {3164, QStringLiteral("The field cannot be updated.")};
    if (field->type != FieldType::LongBinary && field->type != FieldType::Memo)
        return {3259, QStringLiteral("Only Long Binary and Memo fields take chunks.")};
    // The first chunk after AddNew or Edit replaces the value; the following ones add to it.
    QVariant& value = m_buffer[index];
    QByteArray bytes;
    if (m_chunked[size_t(index)] && !value.isNull())
        bytes = value.typeId() == QMetaType::QByteArray ? value.toByteArray() : value.toString().toUtf8();
    bytes.append(chunk);
    value = bytes;
    m_chunked[size_t(index)] = true;
    m_dirty[size_t(index)] = true;
    return {};
}
