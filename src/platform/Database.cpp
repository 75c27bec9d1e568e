#include "platform/Database.h"

#include "platform/FieldValue.h"
#include "platform/JetSql.h"
#include "platform/Recordset.h"
#include "platform/SchemaSql.h"
#include "platform/SqlFunctions.h"
#include "platform/SqliteValues.h"

#include <QFileInfo>

#include <algorithm>

namespace {
// Marks a file as a catalog in SQLite's header, so foreign databases are told apart without reading tables.
constexpr int CatalogApplicationId = 0x4B53544C; // "KSTL"
constexpr int EngineFormatVersion = 1;

QString Q(const QString& name) { return JetSql::QuoteIdentifier(name); }

const char* const MetadataSchema[] = {
    "CREATE TABLE kst_fields (table_name TEXT NOT NULL COLLATE NOCASE, field_name TEXT NOT NULL COLLATE NOCASE, "
    "type INTEGER NOT NULL, size INTEGER NOT NULL DEFAULT 0, attributes INTEGER NOT NULL DEFAULT 0, "
    "required INTEGER NOT NULL DEFAULT 0, allow_zero_length INTEGER NOT NULL DEFAULT 0, default_value TEXT, "
    "ordinal INTEGER NOT NULL DEFAULT 0, PRIMARY KEY (table_name, field_name)) WITHOUT ROWID",
    "CREATE TABLE kst_properties (table_name TEXT NOT NULL COLLATE NOCASE, field_name TEXT NOT NULL COLLATE NOCASE, "
    "name TEXT NOT NULL COLLATE NOCASE, type INTEGER NOT NULL, value, PRIMARY KEY (table_name, field_name, name)) "
    "WITHOUT ROWID",
};

bool IsReservedName(const QString& name)
{
    return name.startsWith(QLatin1String("kst_"), Qt::CaseInsensitive) ||
           name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive);
}

// Names the catalog format refuses for tables and fields.
DbError CheckObjectName(const QString& name)
{
    static const QString forbidden = QStringLiteral(".![]`");
    if (name.trimmed().isEmpty() || name.size() > 64 || name.startsWith(QLatin1Char(' ')) ||
        std::any_of(name.begin(), name.end(), [](QChar c) { return forbidden.contains(c) || c.unicode() < 32; }))
        return {3125, QStringLiteral("'%1' is not a valid name.").arg(name)};
    if (IsReservedName(name))
        return {3125, QStringLiteral("'%1' is a name the catalog keeps for itself.").arg(name)};
    return {};
}

DbError NotFound(const QString& what) { return {DbErrorNumber::ItemNotFound, QStringLiteral("Item not found in this collection: %1.").arg(what)}; }

QString JetIndexName(const QString& sqliteName)
{
    const int dot = sqliteName.indexOf(QLatin1Char('.'));
    return dot < 0 ? sqliteName : sqliteName.mid(dot + 1);
}
} // namespace

Database::Database(SqlitePtr db, QString path)
    : m_db(std::move(db)), m_path(std::move(path)), m_statements(std::make_unique<StatementCache>(m_db.get()))
{
}

Database::~Database() { Close(); }

void Database::Close()
{
    if (!m_db)
        return;
    // Result sets first: they give their statements back to the cache, which goes next.
    const QSet<Recordset*> recordsets = m_recordsets;
    for (Recordset* recordset : recordsets)
        recordset->Close();
    while (m_transactionDepth > 0)
        Rollback();
    m_statements.reset();
    m_tables.clear();
    m_db.reset();
}

namespace {
Result<SqlitePtr> OpenHandle(const QString& path, int flags)
{
    sqlite3* raw = nullptr;
    // One thread uses a connection, so SQLite's own locking of each call is wasted work.
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    SqlitePtr db(raw);
    if (rc != SQLITE_OK)
        return SqliteError(db.get(), rc);
    sqlite3_extended_result_codes(db.get(), 1);
    // Without this SQLite reads a quoted name that matches no field as a text constant, so a misspelt or deleted
    // field would silently compare as text (and an UPDATE ... WHERE on it could touch every row) instead of
    // failing. Text constants of the dialect are always written with single quotes.
    sqlite3_db_config(db.get(), SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db.get(), SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    sqlite3_busy_timeout(db.get(), 2000);
    // A larger page cache and memory-mapped reads keep lookups in big catalogs off the disk. The file stays
    // locked while it is open: without it every statement takes and drops the file lock and re-checks the
    // file, which costs more than the lookup itself; and a second program writing the same catalog at the
    // same time is refused instead of interleaving with it.
    sqlite3_exec(db.get(), "PRAGMA cache_size = -65536; PRAGMA mmap_size = 268435456; PRAGMA locking_mode = EXCLUSIVE;",
                 nullptr, nullptr, nullptr);
    RegisterCatalogFunctions(db.get());
    return db;
}

int PragmaInt(sqlite3* db, const char* sql, int* rcOut = nullptr)
{
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &raw, nullptr);
    StatementPtr stmt(raw);
    int value = 0;
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(stmt.get());
        if (rc == SQLITE_ROW) {
            value = sqlite3_column_int(stmt.get(), 0);
            rc = SQLITE_OK;
        }
    }
    if (rcOut)
        *rcOut = rc == SQLITE_DONE ? SQLITE_OK : rc;
    return value;
}
} // namespace

Result<std::unique_ptr<Database>> Database::Create(const QString& path)
{
    if (QFileInfo::exists(path))
        return DbError{DbErrorNumber::FileExists, QStringLiteral("The file '%1' already exists.").arg(path)};
    Result<SqlitePtr> handle = OpenHandle(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    if (!handle)
        return handle.error();
    std::unique_ptr<Database> db(new Database(std::move(handle.value()), path));
    QStringList setup{QStringLiteral("PRAGMA application_id = %1").arg(CatalogApplicationId),
                      QStringLiteral("PRAGMA user_version = %1").arg(EngineFormatVersion)};
    for (const char* statement : MetadataSchema)
        setup << QString::fromLatin1(statement);
    for (const QString& statement : setup) {
        if (const DbError error = db->RunSqlite(statement)) {
            db->Close();
            QFile::remove(path);
            return error;
        }
    }
    return db;
}

Result<std::unique_ptr<Database>> Database::Open(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return DbError{DbErrorNumber::FileNotFound, QStringLiteral("The file '%1' cannot be found.").arg(path)};
    if (!info.isFile() || info.size() == 0)
        return DbError{DbErrorNumber::CannotOpenFile, QStringLiteral("The file '%1' is empty or is not a file.").arg(path)};
    Result<SqlitePtr> handle = OpenHandle(path, SQLITE_OPEN_READWRITE);
    if (!handle)
        return DbError{DbErrorNumber::CannotOpenFile,
                       QStringLiteral("The file '%1' cannot be opened: %2").arg(path, handle.error().message)};
    // A file another program holds locked cannot be read now; that is not damage.
    const auto unreadable = [&path](int rc) {
        if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED)
            return DbError{3045, QStringLiteral("The file '%1' is in use by another program.").arg(path)};
        return DbError{DbErrorNumber::CannotOpenFile,
                       QStringLiteral("The file '%1' is damaged or is not a catalog file.").arg(path)};
    };
    int rc = SQLITE_OK;
    const int applicationId = PragmaInt(handle->get(), "PRAGMA application_id", &rc);
    if (rc != SQLITE_OK)
        return unreadable(rc);
    const int metadataTables = PragmaInt(
        handle->get(), "SELECT count(*) FROM sqlite_schema WHERE name IN ('kst_fields','kst_properties')", &rc);
    if (rc != SQLITE_OK)
        return unreadable(rc);
    if (applicationId != CatalogApplicationId || metadataTables != 2)
        return DbError{DbErrorNumber::CannotOpenFile, QStringLiteral("The file '%1' is not a catalog file.").arg(path)};
    return std::unique_ptr<Database>(new Database(std::move(handle.value()), path));
}

DbError Database::Prepare(const QString& sqliteSql, CachedStatement* statement)
{
    if (!m_db)
        return {DbErrorNumber::NotOpen, QStringLiteral("The catalog is not open.")};
    DbError error;
    *statement = m_statements->acquire(sqliteSql, &error);
    return error;
}

DbError Database::RunSqlite(const QString& sqliteSql, const QVariantList& params)
{
    CachedStatement statement;
    if (DbError error = Prepare(sqliteSql, &statement))
        return error;
    int rc = SqliteValues::BindAll(statement.get(), params);
    if (rc != SQLITE_OK)
        return SqliteError(m_db.get(), rc);
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        return SqliteError(m_db.get(), rc);
    return {};
}

Result<int> Database::Execute(const QString& sql)
{
    const Result<JetSql::Translated> translated = JetSql::Translate(sql);
    if (!translated)
        return translated.error();
    const QString head = translated->sql.trimmed().left(8).toUpper();
    const bool changesSchema = head.startsWith(QLatin1String("CREATE")) || head.startsWith(QLatin1String("DROP")) ||
                               head.startsWith(QLatin1String("ALTER"));
    if (changesSchema)
        m_statements->clear();
    const int before = sqlite3_total_changes(m_db.get());
    if (DbError error = RunSqlite(translated->sql, translated->params))
        return error;
    if (changesSchema)
        m_tables.clear();
    // Rows the statement itself changed; rows a normalising trigger touched again are not counted twice.
    return int(sqlite3_changes(m_db.get()) >= 0 && sqlite3_total_changes(m_db.get()) > before
                   ? sqlite3_changes(m_db.get())
                   : 0);
}

Result<QVariant> Database::LookupValue(const QString& sql)
{
    const Result<JetSql::Translated> translated = JetSql::Translate(sql);
    if (!translated)
        return translated.error();
    CachedStatement statement;
    if (DbError error = StepToFirstRow(translated->sql, translated->params, &statement))
        return error;
    if (sqlite3_column_count(statement.get()) < 1)
        return DbError{DbErrorNumber::NoCurrentRecord, QStringLiteral("The statement returns no field.")};
    // Typed by the field it comes from, so Yes/No reads as True/False and dates as dates.
    const char* table = sqlite3_column_table_name(statement.get(), 0);
    const char* origin = sqlite3_column_origin_name(statement.get(), 0);
    const QVariant stored = SqliteValues::Column(statement.get(), 0);
    if (table && origin)
        if (const TableDef* def = CachedTable(QString::fromUtf8(table)))
            return FieldValue::FromStorage(def->field(QString::fromUtf8(origin)), stored);
    return stored;
}

Result<std::unique_ptr<Recordset>> Database::OpenRecordset(const QString& tableOrSql, RecordsetType type,
                                                           bool readOnly)
{
    return Recordset::Open(*this, tableOrSql, type, readOnly);
}

DbError Database::BeginTrans()
{
    if (DbError error = RunSqlite(QStringLiteral("SAVEPOINT kst_%1").arg(m_transactionDepth + 1)))
        return error;
    ++m_transactionDepth;
    return {};
}

DbError Database::CommitTrans()
{
    if (m_transactionDepth == 0)
        return {3034, QStringLiteral("Commit without a transaction.")};
    if (DbError error = RunSqlite(QStringLiteral("RELEASE kst_%1").arg(m_transactionDepth)))
        return error;
    --m_transactionDepth;
    return {};
}

DbError Database::Rollback()
{
    if (m_transactionDepth == 0)
        return {3034, QStringLiteral("Rollback without a transaction.")};
    const QString name = QStringLiteral("kst_%1").arg(m_transactionDepth);
    m_statements->clear();
    const DbError error = RunSqlite(QStringLiteral("ROLLBACK TO ") + name);
    RunSqlite(QStringLiteral("RELEASE ") + name);
    --m_transactionDepth;
    m_tables.clear(); // the rollback may have undone schema changes
    return error;
}

Transaction::Transaction(Database& db) : m_db(db)
{
    m_error = m_db.BeginTrans();
    m_open = m_error.ok();
}

Transaction::~Transaction()
{
    if (m_open)
        m_db.Rollback();
}

DbError Transaction::Commit()
{
    if (!m_open)
        return m_error ? m_error : DbError{3034, QStringLiteral("The transaction has ended.")};
    m_open = false;
    if (DbError error = m_db.CommitTrans()) {
        m_db.Rollback();
        return error;
    }
    return {};
}

// ---- Table definitions -------------------------------------------------------------------------------------

QStringList Database::TableNames() const
{
    QStringList names;
    if (!m_db)
        return names;
    sqlite3_stmt* raw = nullptr;
    sqlite3_prepare_v2(m_db.get(),
                       "SELECT name FROM sqlite_schema WHERE type = 'table' AND substr(name, 1, 4) <> 'kst_' "
                       "AND substr(name, 1, 7) <> 'sqlite_' ORDER BY rowid",
                       -1, &raw, nullptr);
    StatementPtr stmt(raw);
    while (stmt && sqlite3_step(stmt.get()) == SQLITE_ROW)
        names << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0)));
    return names;
}

bool Database::TableExists(const QString& name) const { return CachedTable(name) != nullptr; }

Result<TableDef> Database::Table(const QString& name) const
{
    if (const TableDef* def = CachedTable(name))
        return *def;
    return NotFound(name);
}

void Database::ForgetTable(const QString& name) const { m_tables.remove(name.toCaseFolded()); }

const TableDef* Database::CachedTable(const QString& name) const
{
    if (!m_db || name.isEmpty() || IsReservedName(name))
        return nullptr;
    const QString key = name.toCaseFolded();
    auto cached = m_tables.constFind(key);
    if (cached != m_tables.constEnd())
        return &*cached;

    sqlite3* db = m_db.get();
    auto prepare = [db](const QString& sql) {
        sqlite3_stmt* raw = nullptr;
        const QByteArray utf8 = sql.toUtf8();
        sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &raw, nullptr);
        return StatementPtr(raw);
    };
    auto text = [](sqlite3_stmt* stmt, int column) {
        const auto* value = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
        return value ? QString::fromUtf8(value) : QString();
    };

    StatementPtr find = prepare(QStringLiteral("SELECT name FROM sqlite_schema WHERE type = 'table' AND name = ?1 "
                                               "COLLATE NOCASE"));
    const QByteArray utf8Name = name.toUtf8();
    sqlite3_bind_text(find.get(), 1, utf8Name.constData(), int(utf8Name.size()), SQLITE_TRANSIENT);
    if (!find || sqlite3_step(find.get()) != SQLITE_ROW)
        return nullptr;
    TableDef def;
    def.name = text(find.get(), 0);

    struct Stored {
        FieldDef field;
        bool present = false;
    };
    QHash<QString, FieldDef> records;
    StatementPtr meta = prepare(QStringLiteral("SELECT field_name, type, size, attributes, required, allow_zero_length, "
                                               "default_value, ordinal FROM kst_fields WHERE table_name = ?1"));
    const QByteArray utf8Table = def.name.toUtf8();
    sqlite3_bind_text(meta.get(), 1, utf8Table.constData(), int(utf8Table.size()), SQLITE_TRANSIENT);
    while (meta && sqlite3_step(meta.get()) == SQLITE_ROW) {
        FieldDef field;
        field.name = text(meta.get(), 0);
        field.type = FieldType(sqlite3_column_int(meta.get(), 1));
        field.size = sqlite3_column_int(meta.get(), 2);
        field.attributes = sqlite3_column_int(meta.get(), 3);
        field.required = sqlite3_column_int(meta.get(), 4) != 0;
        field.allowZeroLength = sqlite3_column_int(meta.get(), 5) != 0;
        field.defaultValue = text(meta.get(), 6);
        field.ordinalPosition = sqlite3_column_int(meta.get(), 7);
        records.insert(field.name.toCaseFolded(), field);
    }

    StatementPtr columns = prepare(QStringLiteral("PRAGMA table_info(%1)").arg(Q(def.name)));
    QList<std::pair<int, FieldDef>> ordered; // (physical position, field)
    while (columns && sqlite3_step(columns.get()) == SQLITE_ROW) {
        const int cid = sqlite3_column_int(columns.get(), 0);
        const QString columnName = text(columns.get(), 1);
        auto record = records.constFind(columnName.toCaseFolded());
        FieldDef field;
        if (record != records.constEnd()) {
            field = *record;
            field.name = columnName;
        } else {
            field = SchemaSql::FieldFromDeclaredType(columnName, text(columns.get(), 2),
                                                     sqlite3_column_int(columns.get(), 3) != 0,
                                                     sqlite3_column_int(columns.get(), 5) != 0);
            field.ordinalPosition = cid;
        }
        ordered.append({cid, field});
    }
    std::stable_sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) {
        return a.second.ordinalPosition != b.second.ordinalPosition
                   ? a.second.ordinalPosition < b.second.ordinalPosition
                   : a.first < b.first;
    });
    for (const auto& entry : ordered)
        def.fields.append(entry.second);

    for (const FieldDef& field : def.fields)
        if (field.isAutoIncrement()) {
            IndexDef primary;
            primary.name = field.name;
            primary.fields = {field.name};
            primary.primary = primary.unique = primary.required = true;
            def.indexes.append(primary);
        }
    StatementPtr indexes = prepare(QStringLiteral("PRAGMA index_list(%1)").arg(Q(def.name)));
    while (indexes && sqlite3_step(indexes.get()) == SQLITE_ROW) {
        const QString sqliteName = text(indexes.get(), 1);
        if (text(indexes.get(), 3) != QLatin1String("c"))
            continue;
        IndexDef index;
        index.name = JetIndexName(sqliteName);
        index.unique = sqlite3_column_int(indexes.get(), 2) != 0;
        StatementPtr keys = prepare(QStringLiteral("PRAGMA index_info(%1)").arg(Q(sqliteName)));
        while (keys && sqlite3_step(keys.get()) == SQLITE_ROW)
            index.fields << text(keys.get(), 2);
        def.indexes.append(index);
    }
    std::sort(def.indexes.begin(), def.indexes.end(),
              [](const IndexDef& a, const IndexDef& b) { return a.primary > b.primary; });
    return &*m_tables.insert(key, def);
}

DbError Database::WriteFieldRecord(const QString& table, const FieldDef& field)
{
    return RunSqlite(QStringLiteral("INSERT OR REPLACE INTO kst_fields (table_name, field_name, type, size, attributes, "
                                    "required, allow_zero_length, default_value, ordinal) VALUES (?,?,?,?,?,?,?,?,?)"),
                     {table, field.name, int(field.type), field.type == FieldType::Text ? (field.size > 0 ? field.size : DefaultTextSize) : 0,
                      field.attributes, field.required ? 1 : 0, field.allowZeroLength ? 1 : 0,
                      field.defaultValue.isEmpty() ? QVariant() : QVariant(field.defaultValue),
                      field.ordinalPosition});
}

DbError Database::RecreateTriggers(const QString& table)
{
    QStringList old;
    {
        sqlite3_stmt* raw = nullptr;
        sqlite3_prepare_v2(m_db.get(), "SELECT name FROM sqlite_schema WHERE type = 'trigger' AND tbl_name = ?1 COLLATE NOCASE",
                           -1, &raw, nullptr);
        StatementPtr stmt(raw);
        const QByteArray utf8 = table.toUtf8();
        sqlite3_bind_text(stmt.get(), 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        while (stmt && sqlite3_step(stmt.get()) == SQLITE_ROW)
            old << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0)));
    }
    for (const QString& name : old)
        if (DbError error = RunSqlite(QStringLiteral("DROP TRIGGER %1").arg(Q(name))))
            return error;
    ForgetTable(table);
    const TableDef* def = CachedTable(table);
    if (!def)
        return NotFound(table);
    for (const QString& statement : SchemaSql::CreateTriggers(def->name, def->fields))
        if (DbError error = RunSqlite(statement))
            return error;
    return {};
}

QString Database::FreeIndexName(const QString& table, const QString& index) const
{
    const QString base = table + QLatin1Char('.') + index;
    for (int attempt = 1;; ++attempt) {
        const QString candidate = attempt == 1 ? base : QStringLiteral("%1~%2").arg(base).arg(attempt);
        sqlite3_stmt* raw = nullptr;
        sqlite3_prepare_v2(m_db.get(), "SELECT 1 FROM sqlite_schema WHERE name = ?1 COLLATE NOCASE", -1, &raw, nullptr);
        StatementPtr stmt(raw);
        const QByteArray utf8 = candidate.toUtf8();
        sqlite3_bind_text(stmt.get(), 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(stmt.get()) != SQLITE_ROW)
            return candidate;
    }
}

DbError Database::ExecuteFieldChange(const QString& table, const std::function<DbError()>& change)
{
    m_statements->clear();
    Transaction transaction(*this);
    if (transaction.error())
        return transaction.error();
    DbError error = change();
    if (!error && !table.isEmpty())
        error = RecreateTriggers(table);
    if (!error)
        error = transaction.Commit();
    m_tables.clear();
    return error;
}

DbError Database::CreateTable(const TableDef& table)
{
    if (DbError error = CheckObjectName(table.name))
        return error;
    if (TableExists(table.name))
        return {DbErrorNumber::ObjectExists, QStringLiteral("Table '%1' already exists.").arg(table.name)};
    if (table.fields.isEmpty())
        return {3264, QStringLiteral("The table '%1' has no fields.").arg(table.name)};
    QList<FieldDef> fields = table.fields;
    for (int i = 0; i < fields.size(); ++i) {
        if (DbError error = CheckObjectName(fields[i].name))
            return error;
        for (int j = 0; j < i; ++j)
            if (fields[j].name.compare(fields[i].name, Qt::CaseInsensitive) == 0)
                return {DbErrorNumber::FieldExists, QStringLiteral("Field '%1' is defined twice.").arg(fields[i].name)};
        if (fields[i].ordinalPosition == 0)
            fields[i].ordinalPosition = i;
    }
    std::stable_sort(fields.begin(), fields.end(),
                     [](const FieldDef& a, const FieldDef& b) { return a.ordinalPosition < b.ordinalPosition; });
    const Result<QString> create = SchemaSql::CreateTable(table.name, fields);
    if (!create)
        return create.error();
    return ExecuteFieldChange(table.name, [&]() -> DbError {
        if (DbError error = RunSqlite(*create))
            return error;
        for (const FieldDef& field : fields)
            if (DbError error = WriteFieldRecord(table.name, field))
                return error;
        ForgetTable(table.name);
        for (const IndexDef& index : table.indexes)
            if (DbError error = CreateIndex(table.name, index))
                return error;
        return {};
    });
}

DbError Database::DeleteTable(const QString& name)
{
    const TableDef* def = CachedTable(name);
    if (!def)
        return NotFound(name);
    const QString table = def->name;
    return ExecuteFieldChange(QString(), [&]() -> DbError {
        if (DbError error = RunSqlite(QStringLiteral("DROP TABLE %1").arg(Q(table))))
            return error;
        if (DbError error = RunSqlite(QStringLiteral("DELETE FROM kst_fields WHERE table_name = ?"), {table}))
            return error;
        return RunSqlite(QStringLiteral("DELETE FROM kst_properties WHERE table_name = ?"), {table});
    });
}

DbError Database::RenameTable(const QString& oldName, const QString& newName)
{
    const TableDef* def = CachedTable(oldName);
    if (!def)
        return NotFound(oldName);
    if (DbError error = CheckObjectName(newName))
        return error;
    const QString table = def->name;
    if (table.compare(newName, Qt::CaseInsensitive) != 0 && TableExists(newName))
        return {DbErrorNumber::ObjectExists, QStringLiteral("Table '%1' already exists.").arg(newName)};
    if (table == newName)
        return {};
    return ExecuteFieldChange(newName, [&]() -> DbError {
        // SQLite compares table names without regard to case, so a change of case alone goes through another name.
        QString from = table;
        if (table.compare(newName, Qt::CaseInsensitive) == 0) {
            const QString between = QStringLiteral("kst_rename");
            if (DbError error = RunSqlite(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(Q(table), Q(between))))
                return error;
            from = between;
        }
        if (DbError error = RunSqlite(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(Q(from), Q(newName))))
            return error;
        for (const char* metadata : {"kst_fields", "kst_properties"})
            if (DbError error = RunSqlite(QStringLiteral("UPDATE %1 SET table_name = ? WHERE table_name = ?")
                                              .arg(QLatin1String(metadata)),
                                          {newName, table}))
                return error;
        m_tables.clear();
        return {};
    });
}

DbError Database::AppendField(const QString& tableName, const FieldDef& newField)
{
    const TableDef* def = CachedTable(tableName);
    if (!def)
        return NotFound(tableName);
    if (DbError error = CheckObjectName(newField.name))
        return error;
    if (def->field(newField.name))
        return {DbErrorNumber::FieldExists,
                QStringLiteral("Field '%1' already exists in table '%2'.").arg(newField.name, def->name)};
    const TableDef table = *def;
    FieldDef field = newField;
    const bool placed = field.ordinalPosition != 0;
    if (!placed) {
        int last = -1;
        for (const FieldDef& existing : table.fields)
            last = std::max(last, existing.ordinalPosition);
        field.ordinalPosition = std::max(last + 1, int(table.fields.size()));
    }
    const Result<QString> column = SchemaSql::ColumnDefinition(field);
    if (!column)
        return column.error();
    const Result<QString> defaultSql = FieldValue::DefaultAsSql(field);
    // SQLite adds a column in place only at the end, without a key, and with a constant default.
    const bool inPlace = !placed && !field.isAutoIncrement() && !defaultSql->startsWith(QLatin1Char('(')) &&
                         !(field.required && defaultSql->isEmpty());
    return ExecuteFieldChange(table.name, [&]() -> DbError {
        if (!inPlace) {
            QList<FieldDef> fields = table.fields;
            fields.append(field);
            return RebuildTable(table.name, fields);
        }
        if (DbError error = RunSqlite(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(Q(table.name), *column)))
            return error;
        return WriteFieldRecord(table.name, field);
    });
}

DbError Database::DeleteField(const QString& tableName, const QString& fieldName)
{
    const TableDef* def = CachedTable(tableName);
    if (!def)
        return NotFound(tableName);
    const FieldDef* field = def->field(fieldName);
    if (!field)
        return NotFound(fieldName);
    const QString table = def->name;
    const QString name = field->name;
    if (field->isAutoIncrement())
        return {3280, QStringLiteral("The field '%1' is the table's key and cannot be deleted.").arg(name)};
    return ExecuteFieldChange(table, [&]() -> DbError {
        // The field's indexes and normalising triggers go first: SQLite refuses to drop a column they use.
        sqlite3_stmt* raw = nullptr;
        sqlite3_prepare_v2(m_db.get(),
                           "SELECT DISTINCT il.name FROM pragma_index_list(?1) AS il, pragma_index_info(il.name) AS ii "
                           "WHERE il.origin = 'c' AND ii.name = ?2 COLLATE NOCASE",
                           -1, &raw, nullptr);
        StatementPtr stmt(raw);
        const QByteArray t = table.toUtf8(), f = name.toUtf8();
        sqlite3_bind_text(stmt.get(), 1, t.constData(), int(t.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt.get(), 2, f.constData(), int(f.size()), SQLITE_TRANSIENT);
        QStringList indexes;
        while (stmt && sqlite3_step(stmt.get()) == SQLITE_ROW)
            indexes << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0)));
        stmt.reset();
        for (const QString& index : indexes)
            if (DbError error = RunSqlite(QStringLiteral("DROP INDEX %1").arg(Q(index))))
                return error;
        for (const char* suffix : {"insert", "update"})
            RunSqlite(QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(Q(QStringLiteral("kst:%1:%2:%3").arg(table, name, QLatin1String(suffix)))));
        if (DbError error = RunSqlite(QStringLiteral("ALTER TABLE %1 DROP COLUMN %2").arg(Q(table), Q(name))))
            return error;
        if (DbError error = RunSqlite(QStringLiteral("DELETE FROM kst_fields WHERE table_name = ? AND field_name = ?"),
                                      {table, name}))
            return error;
        return RunSqlite(QStringLiteral("DELETE FROM kst_properties WHERE table_name = ? AND field_name = ?"),
                         {table, name});
    });
}

DbError Database::RenameField(const QString& tableName, const QString& oldName, const QString& newName)
{
    const TableDef* def = CachedTable(tableName);
    if (!def)
        return NotFound(tableName);
    const FieldDef* field = def->field(oldName);
    if (!field)
        return NotFound(oldName);
    if (DbError error = CheckObjectName(newName))
        return error;
    const QString table = def->name;
    const QString name = field->name;
    if (name.compare(newName, Qt::CaseInsensitive) != 0 && def->field(newName))
        return {DbErrorNumber::FieldExists, QStringLiteral("Field '%1' already exists in table '%2'.").arg(newName, table)};
    return ExecuteFieldChange(table, [&]() -> DbError {
        // Triggers are named after the field; they are dropped here and made again under the new name.
        for (const char* suffix : {"insert", "update"})
            RunSqlite(QStringLiteral("DROP TRIGGER IF EXISTS %1")
                          .arg(Q(QStringLiteral("kst:%1:%2:%3").arg(table, name, QLatin1String(suffix)))));
        if (DbError error =
                RunSqlite(QStringLiteral("ALTER TABLE %1 RENAME COLUMN %2 TO %3").arg(Q(table), Q(name), Q(newName))))
            return error;
        for (const char* metadata : {"kst_fields", "kst_properties"})
            if (DbError error = RunSqlite(QStringLiteral("UPDATE %1 SET field_name = ? WHERE table_name = ? AND "
                                                         "field_name = ?")
                                              .arg(QLatin1String(metadata)),
                                          {newName, table, name}))
                return error;
        return {};
    });
}

DbError Database::SetFieldDefault(const QString& tableName, const QString& fieldName, const QString& defaultValue)
{
    const TableDef* def = CachedTable(tableName);
    if (!def)
        return NotFound(tableName);
    const int index = def->fieldIndex(fieldName);
    if (index < 0)
        return NotFound(fieldName);
    QList<FieldDef> fields = def->fields;
    fields[index].defaultValue = defaultValue;
    const Result<QString> check = FieldValue::DefaultAsSql(fields[index]);
    if (!check)
        return check.error();
    const QString table = def->name;
    return ExecuteFieldChange(table, [&]() { return RebuildTable(table, fields); });
}

DbError Database::SetFieldOrdinals(const QString& tableName, const QHash<QString, int>& positions)
{
    const TableDef* def = CachedTable(tableName);
    if (!def)
        return NotFound(tableName);
    QList<FieldDef> fields = def->fields;
    for (auto it = positions.begin(); it != positions.end(); ++it) {
        const int index = def->fieldIndex(it.key());
        if (index < 0)
            return NotFound(it.key());
        fields[index].ordinalPosition = it.value();
    }
    QList<FieldDef> sorted = fields;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const FieldDef& a, const FieldDef& b) { return a.ordinalPosition < b.ordinalPosition; });
    bool sameOrder = true;
    for (int i = 0; i < sorted.size(); ++i)
        sameOrder = sameOrder && sorted[i].name == def->fields[i].name;
    const QString table = def->name;
    return ExecuteFieldChange(table, [&]() -> DbError {
        if (!sameOrder)
            return RebuildTable(table, sorted);
        for (const FieldDef& field : fields)
            if (DbError error = WriteFieldRecord(table, field))
                return error;
        return {};
    });
}

// Copies the table into a new definition: how SQLite changes what ALTER TABLE cannot (defaults, order, keys).
// Runs inside the caller's transaction; the numbering of new IDs carries on where it was.
DbError Database::RebuildTable(const QString& table, const QList<FieldDef>& newFields)
{
    ForgetTable(table);
    const TableDef* def = CachedTable(table);
    if (!def)
        return NotFound(table);
    const TableDef old = *def;
    QList<FieldDef> fields = newFields;
    std::stable_sort(fields.begin(), fields.end(),
                     [](const FieldDef& a, const FieldDef& b) { return a.ordinalPosition < b.ordinalPosition; });

    QList<std::pair<QString, QString>> indexSql; // (sqlite name, create statement)
    {
        sqlite3_stmt* raw = nullptr;
        sqlite3_prepare_v2(m_db.get(), "SELECT name, sql FROM sqlite_schema WHERE type = 'index' AND tbl_name = ?1 COLLATE NOCASE AND sql IS NOT NULL",
                           -1, &raw, nullptr);
        StatementPtr stmt(raw);
        const QByteArray utf8 = table.toUtf8();
        sqlite3_bind_text(stmt.get(), 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        while (stmt && sqlite3_step(stmt.get()) == SQLITE_ROW)
            indexSql.append({QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0))),
                             QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 1)))});
    }
    QVariant sequence;
    if (const Result<QVariant> seq = LookupSqlite(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = ?"), {table}))
        sequence = seq.value();

    const QString scratch = QStringLiteral("kst_rebuild");
    const Result<QString> create = SchemaSql::CreateTable(scratch, fields);
    if (!create)
        return create.error();
    QStringList common;
    bool keepsRowKey = false;
    for (const FieldDef& field : fields) {
        if (old.field(field.name)) {
            common << Q(field.name);
            keepsRowKey = keepsRowKey || field.isAutoIncrement(); // the ID is the row key itself
        }
    }
    // Rows keep their row keys, which open result sets and bookmarks hold.
    if (!keepsRowKey)
        common.prepend(QStringLiteral("rowid"));
    const QString columns = common.join(QStringLiteral(", "));
    const QStringList steps{
        *create,
        QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM %3").arg(Q(scratch), columns, Q(table)),
        QStringLiteral("DROP TABLE %1").arg(Q(table)),
        QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(Q(scratch), Q(table)),
    };
    for (const QString& step : steps)
        if (DbError error = RunSqlite(step))
            return error;
    for (const auto& [name, sql] : indexSql) {
        // An index on a field that is gone is dropped with it.
        if (DbError error = RunSqlite(sql); error && error.number != 3061 && !error.message.contains(QLatin1String("no such column")))
            return error;
    }
    if (sequence.isValid()) {
        RunSqlite(QStringLiteral("DELETE FROM sqlite_sequence WHERE name = ?"), {table});
        if (DbError error = RunSqlite(QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES (?, ?)"), {table, sequence}))
            return error;
    }
    if (DbError error = RunSqlite(QStringLiteral("DELETE FROM kst_fields WHERE table_name = ?"), {table}))
        return error;
    for (int i = 0; i < fields.size(); ++i) {
        FieldDef field = fields[i];
        if (DbError error = WriteFieldRecord(table, field))
            return error;
    }
    ForgetTable(table);
    return {};
}

DbError Database::CreateIndex(const QString& tableName, const IndexDef& index)
{
    const TableDef* def = CachedTable(tableName);
    if (!def)
        return NotFound(tableName);
    if (index.name.trimmed().isEmpty() || index.fields.isEmpty())
        return {3283, QStringLiteral("An index needs a name and at least one field.")};
    for (const QString& field : index.fields)
        if (!def->field(field))
            return NotFound(field);
    // The primary key of an auto-numbered field is the table's row key itself.
    if (index.primary && index.fields.size() == 1 && def->field(index.fields.first())->isAutoIncrement())
        return {};
    if (def->index(index.name))
        return {3284, QStringLiteral("Index '%1' already exists.").arg(index.name)};
    const QString table = def->name;
    const QString sql = SchemaSql::CreateIndex(FreeIndexName(table, index.name), table, index);
    m_statements->clear();
    const DbError error = RunSqlite(sql);
    ForgetTable(table);
    return error;
}

DbError Database::DeleteIndex(const QString& tableName, const QString& indexName)
{
    const TableDef* def = CachedTable(tableName);
    if (!def)
        return NotFound(tableName);
    const QString table = def->name;
    sqlite3_stmt* raw = nullptr;
    sqlite3_prepare_v2(m_db.get(), "SELECT name FROM pragma_index_list(?1) WHERE origin = 'c'", -1, &raw, nullptr);
    StatementPtr stmt(raw);
    const QByteArray utf8 = table.toUtf8();
    sqlite3_bind_text(stmt.get(), 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    QString found;
    while (stmt && sqlite3_step(stmt.get()) == SQLITE_ROW) {
        const QString name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0)));
        if (JetIndexName(name).compare(indexName, Qt::CaseInsensitive) == 0)
            found = name;
    }
    stmt.reset();
    if (found.isEmpty())
        return NotFound(indexName);
    m_statements->clear();
    const DbError error = RunSqlite(QStringLiteral("DROP INDEX %1").arg(Q(found)));
    ForgetTable(table);
    return error;
}

Result<QVariant> Database::LookupSqlite(const QString& sqliteSql, const QVariantList& params)
{
    CachedStatement statement;
    if (DbError error = StepToFirstRow(sqliteSql, params, &statement))
        return error;
    return SqliteValues::Column(statement.get(), 0);
}

DbError Database::StepToFirstRow(const QString& sqliteSql, const QVariantList& params, CachedStatement* statement)
{
    if (DbError error = Prepare(sqliteSql, statement))
        return error;
    int rc = SqliteValues::BindAll(statement->get(), params);
    if (rc != SQLITE_OK)
        return SqliteError(m_db.get(), rc);
    rc = sqlite3_step(statement->get());
    if (rc == SQLITE_DONE)
        return DbError{DbErrorNumber::NoCurrentRecord, QStringLiteral("No current record.")};
    if (rc != SQLITE_ROW)
        return SqliteError(m_db.get(), rc);
    return {};
}

qint64 Database::ReserveId(const QString& table, const QString& idField)
{
    // The next number is known as soon as a row is started, as callers expect. It is taken from the table's
    // sequence at once, so rows added meanwhile (by SQL or by another result set) number on after it; a row
    // that is cancelled leaves its number unused, as catalogs always did.
    qint64 next = 0;
    if (const Result<QVariant> seq = LookupSqlite(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = ?"), {table}))
        next = std::max(next, seq->toLongLong());
    if (const Result<QVariant> max = LookupSqlite(QStringLiteral("SELECT max(%1) FROM %2").arg(Q(idField), Q(table))))
        next = std::max(next, max->toLongLong());
    ++next;
    const DbError updated = RunSqlite(QStringLiteral("UPDATE sqlite_sequence SET seq = ? WHERE name = ?"), {next, table});
    if (!updated && sqlite3_changes(m_db.get()) == 0)
        RunSqlite(QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES (?, ?)"), {table, next});
    return next;
}

// ---- Custom properties -------------------------------------------------------------------------------------

namespace {
QVariant PropertyFromStorage(PropertyType type, const QVariant& stored)
{
    if (!stored.isValid() || stored.isNull())
        return QVariant();
    switch (type) {
    case PropertyType::Boolean: return stored.toLongLong() != 0;
    case PropertyType::Integer:
    case PropertyType::Long: return int(stored.toLongLong());
    case PropertyType::Double: return stored.toDouble();
    default: return stored.toString();
    }
}
} // namespace

Result<Property> Database::GetProperty(const PropertyOwner& owner, const QString& name) const
{
    for (const Property& property : Properties(owner))
        if (property.name.compare(name, Qt::CaseInsensitive) == 0)
            return property;
    return DbError{DbErrorNumber::PropertyNotFound, QStringLiteral("Property not found: %1.").arg(name)};
}

QList<Property> Database::Properties(const PropertyOwner& owner) const
{
    QList<Property> properties;
    if (!m_db)
        return properties;
    sqlite3_stmt* raw = nullptr;
    sqlite3_prepare_v2(m_db.get(), "SELECT name, type, value FROM kst_properties WHERE table_name = ?1 AND field_name = ?2",
                       -1, &raw, nullptr);
    StatementPtr stmt(raw);
    const QByteArray t = owner.table.toUtf8(), f = owner.field.toUtf8();
    sqlite3_bind_text(stmt.get(), 1, t.constData(), int(t.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(stmt.get(), 2, f.constData(), int(f.size()), SQLITE_TRANSIENT);
    while (stmt && sqlite3_step(stmt.get()) == SQLITE_ROW) {
        Property property;
        property.name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0)));
        property.type = PropertyType(sqlite3_column_int(stmt.get(), 1));
        property.value = PropertyFromStorage(property.type, SqliteValues::Column(stmt.get(), 2));
        properties.append(property);
    }
    return properties;
}

DbError Database::SetProperty(const PropertyOwner& owner, const QString& name, const QVariant& value, PropertyType type)
{
    if (name.trimmed().isEmpty())
        return {3367, QStringLiteral("A property needs a name.")};
    PropertyOwner resolved = owner;
    if (!owner.table.isEmpty()) {
        const TableDef* def = CachedTable(owner.table);
        if (!def)
            return NotFound(owner.table);
        resolved.table = def->name;
        if (!owner.field.isEmpty()) {
            const FieldDef* field = def->field(owner.field);
            if (!field)
                return NotFound(owner.field);
            resolved.field = field->name;
        }
    } else if (!owner.field.isEmpty()) {
        return NotFound(owner.field);
    }
    QVariant stored;
    if (value.isValid() && !value.isNull()) {
        FieldDef check;
        check.name = name;
        check.allowZeroLength = true;
        check.size = 255;
        switch (type) {
        case PropertyType::Boolean: check.type = FieldType::Boolean; break;
        case PropertyType::Integer: check.type = FieldType::Integer; break;
        case PropertyType::Long: check.type = FieldType::Long; break;
        case PropertyType::Double: check.type = FieldType::Double; break;
        case PropertyType::DateTime: check.type = FieldType::DateTime; break;
        case PropertyType::Text: check.type = FieldType::Memo; break;
        }
        const Result<QVariant> converted = FieldValue::ToStorage(check, value);
        if (!converted)
            return converted.error();
        stored = converted.value();
    }
    return RunSqlite(QStringLiteral("INSERT OR REPLACE INTO kst_properties (table_name, field_name, name, type, value) "
                                    "VALUES (?, ?, ?, ?, ?)"),
                     {resolved.table, resolved.field, name, int(type), stored});
}

DbError Database::DeleteProperty(const PropertyOwner& owner, const QString& name)
{
    if (!GetProperty(owner, name))
        return {DbErrorNumber::PropertyNotFound, QStringLiteral("Property not found: %1.").arg(name)};
    return RunSqlite(QStringLiteral("DELETE FROM kst_properties WHERE table_name = ? AND field_name = ? AND name = ?"),
                     {owner.table, owner.field, name});
}

// ---- Maintenance -------------------------------------------------------------------------------------------

DbError Database::Repair(const QString& path)
{
    Result<std::unique_ptr<Database>> db = Open(path);
    if (!db)
        return db.error();
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(db.value()->handle(), "PRAGMA integrity_check(20)", -1, &raw, nullptr);
    StatementPtr stmt(raw);
    QStringList problems;
    while (rc == SQLITE_OK || rc == SQLITE_ROW) {
        if ((rc = sqlite3_step(stmt.get())) != SQLITE_ROW)
            break;
        const QString line = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0)));
        if (line != QLatin1String("ok"))
            problems << line;
    }
    if (rc != SQLITE_DONE && rc != SQLITE_OK)
        problems << QString::fromUtf8(sqlite3_errstr(rc));
    if (!problems.isEmpty())
        return {DbErrorNumber::CannotOpenFile,
                QStringLiteral("The catalog file '%1' is damaged: %2").arg(path, problems.join(QStringLiteral("; ")))};
    return {};
}

DbError Database::Compact(const QString& source, const QString& target)
{
    if (QFileInfo::exists(target))
        return {DbErrorNumber::FileExists, QStringLiteral("The file '%1' already exists.").arg(target)};
    Result<std::unique_ptr<Database>> db = Open(source);
    if (!db)
        return db.error();
    const DbError error = db.value()->RunSqlite(QStringLiteral("VACUUM INTO ?"), {target});
    db.value()->Close();
    if (error) {
        QFile::remove(target);
        return error;
    }
    return {};
}
