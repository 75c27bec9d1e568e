#pragma once
#include "platform/DbError.h"

#include <QDateTime>
#include <QList>
#include <QString>

class Category;
class Database;

// What the item commands write: moves, relational links, and the time their stamps carry. Each bulk
// command runs in one transaction, so a failure leaves every item as it was.
namespace ItemCommands
{
// The moment for [Created] and [Modified], to the second as every date of the catalog is stored.
QDateTime StampTime();

// Removes the relational links to one item of a category.
DbError DeleteRelationalLinks(Database& db, int categoryId, int itemId);

// Files the items under a subject (0 = the category root).
DbError MoveToSubject(Database& db, const Category& category, const QList<int>& itemIds, int subjectId);

// Makes the items sub-items of parentId.
DbError MoveUnderItem(Database& db, const Category& category, const QList<int>& itemIds, int parentId);

struct LinkedItem {
    int id = 0;
    QString title;
};
// Files relational links to the items of category under a subject of the Relational category
// (0 = its root), each carrying a copy of the item's title.
DbError CreateRelationalLinks(Database& db, const Category& category, const QList<LinkedItem>& items,
                              int relationalSubjectId);
} // namespace ItemCommands
