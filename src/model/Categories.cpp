#include "model/Categories.h"

#include "app/clsCatalog.h"
#include "model/SubjectViewInterface.h"
#include "platform/Database.h"
#include "platform/UserInterface.h"
#include "storage/modDBOperations.h"

#include <algorithm>

Category* Categories::Add(int id, Database* db)
{
    if (Item(id))
        return nullptr;
    m_items.push_back(std::make_unique<Category>(id, db));
    Category* category = m_items.back().get();
    category->LoadValues();
    return category;
}

Category* Categories::Item(int id) const
{
    for (const auto& category : m_items)
        if (category->ID() == id)
            return category.get();
    return nullptr;
}

void Categories::Remove(int id, bool destroy)
{
    const auto found = std::find_if(m_items.begin(), m_items.end(), [id](const auto& c) { return c->ID() == id; });
    if (found == m_items.end())
        return;
    if (destroy) {
        // Taken out of the collection first, so that nothing below reaches it as a living category.
        std::unique_ptr<Category> removed = std::move(*found);
        m_items.erase(found);
        Destroy(*removed);
        return;
    }
    m_items.erase(found);
}

// Every step ignores its own failure and the next one runs regardless.
void Categories::Destroy(Category& removed)
{
    BusyPointer busy;
    Database* db = removed.database();
    const QString id = QString::number(removed.ID());

    // Former sub categories move to the root; their items lose their parent items.
    for (const auto& category : m_items)
        if (category->Parent() == removed.ID())
            category->SetParent(0);
    if (db) {
        db->Execute(QStringLiteral("DELETE * FROM [Tree] WHERE [CID] = ") + id);
        const QString relational =
            modDBOperations::QueryValue(db, QStringLiteral("SELECT [ID] FROM [Categories] WHERE [Type] = 2"));
        if (!relational.isEmpty())
            db->Execute(QStringLiteral("DELETE * FROM [ktbl") + relational + QStringLiteral("] WHERE [Category] = '") + id +
                        QLatin1Char('\''));
        db->Execute(QStringLiteral("DELETE * FROM [Categories] WHERE [ID] = ") + id);
        // Column settings of a category that is gone can only mislead; the people it named stay.
        db->Execute(QStringLiteral("DELETE * FROM [Columns] WHERE [CID] = ") + id);
    }
    removed.ClearItems();
    removed.ClearSubjects();
    Ui().ResetItemViews();
    if (db)
        db->DeleteTable(removed.DBName());
    if (SubjectViewInterface* view = Catalog().Subjects)
        view->UseSelectedNode();
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
