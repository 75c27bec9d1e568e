#pragma once
#include "platform/Database.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

class Category;
class clsFile;

// The shared database helpers every part of the program uses to touch the catalog file.
namespace modDBOperations {

// Kinds of ReadProperty: the property's type number.
enum PropertyKind { KindBoolean = 1, KindInteger = 3, KindLong = 4, KindText = 10 };

// The first field of the first row as text, or defaultValue on any failure, no row or Null; also when the
// value is empty and emptyIsDefault is set. Never fails.
QString QueryValue(Database* db, const QString& sql, const QString& defaultValue = QString(),
                   bool emptyIsDefault = false);
// The first field of the first row as a number; 0 on any failure. Never fails.
qint64 QueryCount(const QString& sql, Database* db);
// Whether key is in a keyed collection (the table list, a field list, a property list), without regard to case.
bool ItemExists(const QStringList& collection, const QString& key);
// A custom property of the database (empty owner), a table or a field, or a default by kind when it is
// missing or unreadable: false for 1, 0 for 3 and 4, the empty text otherwise (and for the text "novalue").
QVariant ReadProperty(Database* db, const PropertyOwner& owner, int kind, const QString& name);
// True for the empty text and for text containing "!", "'" or ".".
bool IsInvalidName(const QString& text);

// The text form of a value as lookups and settings give it: True/False, decimal numbers, dates in the
// user's short date form (with the time when it is not midnight).
QString ValueText(const QVariant& value);

// Adds a field made from a column type code (1 to 13; ID fields with isId) to a table definition that is
// still being built. On failure shows the add-column message unless quiet, and returns nothing.
// With a category (whose [Categories] row exists), the text-like column types 2, 3, 8 and 13 are
// described as a column of it: its [Columns] row records the type, and the category's columns are read
// again on next use.
std::optional<FieldDef> AddField(TableDef& table, const QString& fieldName, int columnType, bool indexed, bool isId,
                                 bool quiet, int ordinalPosition, Category* category = nullptr);
// The same on a table that exists in the database.
std::optional<FieldDef> AddField(Database& db, const QString& tableName, const QString& fieldName, int columnType,
                                 bool indexed, bool isId, bool quiet, int ordinalPosition, Category* category = nullptr);
// The same for callers that know only the category's ID (a catalog file other than the open one, a
// category not loaded): the open catalog's category when it is that one, otherwise a category object
// made for the call.
std::optional<FieldDef> AddField(Database& db, const QString& tableName, const QString& fieldName, int columnType,
                                 bool indexed, bool isId, bool quiet, int ordinalPosition, int categoryId);
// The field a column type code makes, as the catalog format lays it down.
FieldDef FieldForColumnType(const QString& fieldName, int columnType, bool isId, int ordinalPosition);

// Repairs and compacts a catalog file that is not open. False with an empty message for a path that is not
// valid; otherwise false with the reason. The original file is never lost: when a step after it was set
// aside fails, it is put back under its own name.
// The copy step is a parameter so that tests can make it fail half-way.
using CompactCopy = DbError (*)(const QString& source, const QString& target);
bool CompactCatalogFile(const clsFile& file, DbError* error = nullptr, CompactCopy copy = &Database::Compact);

} // namespace modDBOperations
