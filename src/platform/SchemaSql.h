#pragma once
#include "platform/FieldDef.h"
#include "platform/Result.h"

#include <QStringList>

// Writes the SQLite definitions that give a catalog table its field rules: declared types the stock sqlite3
// tool shows sensibly, CHECK constraints for type, range, size and empty text, NOT NULL for required
// fields, defaults, and triggers that keep Yes/No at -1/0 and Currency at four decimals whatever writes them.
namespace SchemaSql {

QString DeclaredType(const FieldDef& field);
// The field's declared type mapped back, for tables that came from elsewhere and carry no field record.
FieldDef FieldFromDeclaredType(const QString& name, const QString& declaredType, bool notNull, bool primaryKey);

Result<QString> ColumnDefinition(const FieldDef& field);
Result<QString> CreateTable(const QString& sqliteName, const QList<FieldDef>& fieldsInOrder);
QString CreateIndex(const QString& sqliteIndexName, const QString& table, const IndexDef& index);
QStringList CreateTriggers(const QString& table, const QList<FieldDef>& fields);

} // namespace SchemaSql
