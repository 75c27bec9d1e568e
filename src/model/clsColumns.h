#pragma once
#include "model/clsColumn.h"

#include <QString>

#include <memory>
#include <vector>

class Category;

// The columns of one category, in the order of the fields of its data table, each reachable by its name
// (compared without regard to case) or its position (from 1). Columns are shared: a collection made from
// another one (Category::EditableColumns) holds the same column objects.
class clsColumns {
public:
    using Ptr = std::shared_ptr<clsColumn>;

    Category* category() const { return m_category; }
    // Binds the collection to a category; makes the [Columns] table when the category's database has none.
    DbError SetCategory(Category* category);

    // Empties the collection, then adds every field of the category's data table in field order.
    DbError Reset();
    // Makes a column bound to the field and the collection's category, and adds it.
    clsColumn* Add(const FieldDef& field);
    // Adds an existing column.
    clsColumn* AddByCol(const Ptr& column);
    // Deletes the column: its field with all its data, and its [Columns] row, then drops it from the
    // collection. The fixed fields, the title column and required columns are refused.
    DbError Delete(const QString& columnName);

    bool ColumnExists(const QString& name) const { return Find(name) >= 0; }
    // nullptr when there is no such column.
    clsColumn* Item(const QString& name) const;
    clsColumn* Item(int position) const;
    Ptr Shared(const QString& name) const;
    bool Remove(const QString& name);
    bool Remove(int position);
    int Count() const { return int(m_columns.size()); }
    void Clear() { m_columns.clear(); }

    // Enumeration in order: for (const auto& column : columns) column->Name() ...
    auto begin() const { return m_columns.begin(); }
    auto end() const { return m_columns.end(); }

private:
    int Find(const QString& name) const;

    Category* m_category = nullptr;
    std::vector<Ptr> m_columns;
};
