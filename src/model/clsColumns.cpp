#include "model/clsColumns.h"

#include "app/clsCatalog.h"
#include "model/Category.h"
#include "platform/Database.h"
#include "storage/modDBCreation.h"

DbError clsColumns::SetCategory(Category* category)
{
    m_category = category;
    if (!category || !category->database())
        return {};
    return modDBCreation::CreateColumnsTable(*category->database());
}

DbError clsColumns::Reset()
{
    m_columns.clear();
    if (!m_category || !m_category->database())
        return {DbErrorNumber::NotOpen, QStringLiteral("The columns belong to no open category.")};
    const Result<TableDef> table = m_category->database()->Table(m_category->DBName());
    if (!table)
        return table.error();
    for (const FieldDef& field : table->fields)
        Add(field);
    return {};
}

clsColumn* clsColumns::Add(const FieldDef& field)
{
    auto column = std::make_shared<clsColumn>();
    column->AssignField(field, m_category);
    return AddByCol(column);
}

clsColumn* clsColumns::AddByCol(const Ptr& column)
{
    if (!column)
        return nullptr;
    m_columns.push_back(column);
    return column.get();
}

DbError clsColumns::Delete(const QString& columnName)
{
    Database* db = m_category ? m_category->database() : nullptr;
    if (!db)
        return {DbErrorNumber::NotOpen, QStringLiteral("The columns belong to no open category.")};
    // A category cannot lose what every view of it relies on.
    const bool isTitle = columnName.compare(m_category->TitleColumn(), Qt::CaseInsensitive) == 0;
    if (Catalog().IsIDField(columnName) || isTitle || clsColumn::IsRequiredName(columnName, *m_category))
        return {3280, QStringLiteral("The column '%1' is required by Kestrowan and cannot be deleted.").arg(columnName)};

    Transaction transaction(*db);
    if (transaction.error())
        return transaction.error();
    if (DbError error = db->DeleteField(m_category->DBName(), columnName))
        return error;
    const Result<int> row = db->Execute(QStringLiteral("DELETE * FROM [Columns]") +
                                        clsColumn::RowCondition(columnName, m_category->ID()) + QLatin1Char(';'));
    if (!row)
        return row.error();
    if (DbError error = transaction.Commit())
        return error;
    Remove(columnName);
    return {};
}

int clsColumns::Find(const QString& name) const
{
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (m_columns[i]->Name().compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

clsColumn* clsColumns::Item(const QString& name) const
{
    const int index = Find(name);
    return index < 0 ? nullptr : m_columns[size_t(index)].get();
}

clsColumn* clsColumns::Item(int position) const
{
    if (position < 1 || position > Count())
        return nullptr;
    return m_columns[size_t(position - 1)].get();
}

clsColumns::Ptr clsColumns::Shared(const QString& name) const
{
    const int index = Find(name);
    return index < 0 ? nullptr : m_columns[size_t(index)];
}

bool clsColumns::Remove(const QString& name)
{
    const int index = Find(name);
    if (index < 0)
        return false;
    m_columns.erase(m_columns.begin() + index);
    return true;
}

bool clsColumns::Remove(int position)
{
    if (position < 1 || position > Count())
        return false;
    m_columns.erase(m_columns.begin() + (position - 1));
    return true;
}
