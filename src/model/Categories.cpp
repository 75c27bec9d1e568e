#include "model/Categories.h"

#include "storage/modDBOperations.h"

#include <algorithm>

Category* Categories::Add(int id, Database* db)
{
    if (Item(id))
        return nullptr;
    auto category = std::make_unique<Category>(id, db);
    category->LoadValues();
    m_items.push_back(std::move(category));
    return m_items.back().get();
}

Category* Categories::Item(int id) const
{
    for (const auto& category : m_items)
        if (category->ID() == id)
            return category.get();
    return nullptr;
}

void Categories::Remove(int id)
{
    m_items.erase(std::remove_if(m_items.begin(), m_items.end(), [id](const auto& c) { return c->ID() == id; }),
                  m_items.end());
}

void Categories::Clear() { m_items.clear(); }

Category* Categories::FirstOfType(int type) const
{
    if (m_items.empty())
        return nullptr;
    const QString id = modDBOperations::QueryValue(m_items.front()->database(),
                                                   QStringLiteral("SELECT [ID] FROM [Categories] WHERE [Type] = ") +
                                                       QString::number(type));
    return id.isEmpty() ? nullptr : Item(id.toInt());
}

Category* Categories::PeopleCategory() const { return FirstOfType(Category::People); }
Category* Categories::RelationalCategory() const { return FirstOfType(Category::Relational); }
