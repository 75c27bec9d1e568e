#pragma once
#include "model/Category.h"

#include <memory>
#include <vector>

class Database;

// The categories of a catalog, in the order they were added, each reachable by its ID.
class Categories {
public:
    // Makes the category, keeps it and loads its values; nullptr when that ID is there already.
    Category* Add(int id, Database* db);
    // nullptr when no category has that ID.
    Category* Item(int id) const;
    // With destroy, deletes the category from its catalog for good (its subjects, the relational links to
    // its items, its row, its column settings and its data table) before dropping it from the collection.
    void Remove(int id, bool destroy = false);
    void Clear();
    int Count() const { return int(m_items.size()); }

    // The category of Type 1 (People) and of Type 2 (Relational) of the open catalog; nullptr when the
    // catalog has none or it is not in the collection.
    Category* PeopleCategory() const;
    Category* RelationalCategory() const;

    // Enumeration in order: for (const auto& category : categories) category->Name() ...
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    Category* FirstOfType(int type) const;
    void Destroy(Category& removed);

    std::vector<std::unique_ptr<Category>> m_items;
};
