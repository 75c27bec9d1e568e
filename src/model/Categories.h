#pragma once
#include "model/Category.h"

#include <QHash>

#include <memory>
#include <vector>

// The open catalog's categories, in the order they were added, reachable by ID.
class Categories {
public:
    // Makes the category, loads its values and keeps it; nullptr when the ID is there already.
    Category* Add(int id, Database* db);
    Category* Item(int id) const;
    void Remove(int id);
    void Clear();
    int Count() const { return int(m_items.size()); }

    Category* PeopleCategory() const;
    Category* RelationalCategory() const;

    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    Category* FirstOfType(int type) const;
    std::vector<std::unique_ptr<Category>> m_items;
};
