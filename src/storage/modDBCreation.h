#pragma once
#include "platform/Database.h"

#include <QString>

// Makes new catalog files, their system tables and their categories.
namespace modDBCreation {

// Adds a [Categories] row and the category's data table; returns the new category ID.
Result<int> CreateCategory(Database& db, const QString& name, const QString& titleColumn, int type);
// A complete new catalog at path: system tables, the Relational and People categories, then repaired and
// compacted. Refuses a path that exists; a half-made file is removed.
DbError CreateCatalogFile(const QString& path);

DbError CreateCatalogTable(Database& db);
DbError CreateCategoriesTable(Database& db);
DbError CreateTreeTable(Database& db);
// Does nothing when [Columns] exists.
DbError CreateColumnsTable(Database& db);
DbError CreateRelationalCategory(Database& db);
DbError CreatePeopleCategory(Database& db);

} // namespace modDBCreation
