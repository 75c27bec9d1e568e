#pragma once
#include <QString>

class Category;
class clsColumn;

// The statements the item grid reads besides its rows: the candidate list of a People or Auto-complete cell,
// and the condition that finds the items naming one person.
namespace ItemStatements
{
// The distinct values offered for a cell of the column: for People, the persons entered for the category's
// draw category; for Auto-complete, the values already in the column (the parent's, when the category draws
// from a parent that has such a column). Empty when the column offers none.
QString ValueListStatement(Category& category, const clsColumn& column);

// The source of the people-link list: "[table] WHERE [A] LIKE '*name*' OR [B] LIKE '*name*' ", one term per
// People column (38 at most), quotes in the name doubled. Empty when the category has no People column.
QString PeopleLinkSource(Category& category, const QString& name);

// Text quoted for a '...' literal of the catalog's dialect.
QString Quoted(const QString& text);
} // namespace ItemStatements
