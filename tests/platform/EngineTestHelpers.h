#pragma once
// Building blocks of the engine's tests: field and index definitions, and a look at what SQLite itself holds.
#include "platform/Database.h"
#include "platform/FieldDef.h"
#include "platform/SqliteValues.h"

#include <QStringList>
#include <QVariant>

#include <sqlite3.h>

namespace EngineTest
{
inline FieldDef Field(const char* name, FieldType type, int size = 0, bool zeroLength = false, bool required = false,
                      const char* defaultValue = "")
{
    FieldDef field;
    field.name = QString::fromUtf8(name);
    field.type = type;
    field.size = size;
    field.allowZeroLength = zeroLength;
    field.required = required;
    field.defaultValue = QString::fromUtf8(defaultValue);
    return field;
}

// An auto-numbered ID field as catalogs have them.
inline FieldDef Id(const char* name = "ID")
{
    FieldDef id = Field(name, FieldType::Long, 0, false, false, "GenUniqueID()");
    id.attributes = FieldAttribute::FixedSize | FieldAttribute::AutoIncrement;
    return id;
}

inline IndexDef Index(const char* name, const QStringList& fields, bool unique = false)
{
    IndexDef index;
    index.name = QString::fromUtf8(name);
    index.fields = fields;
    index.unique = unique;
    return index;
}

// The first value of a statement in SQLite's own dialect, as SQLite holds it, without the engine's typing.
inline QVariant Raw(Database& db, const QString& sql)
{
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db.handle(), sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
        return QStringLiteral("prepare failed: ") + QString::fromUtf8(sqlite3_errmsg(db.handle()));
    QVariant value;
    if (sqlite3_step(stmt) == SQLITE_ROW)
        value = SqliteValues::Column(stmt, 0);
    sqlite3_finalize(stmt);
    return value;
}
} // namespace EngineTest
