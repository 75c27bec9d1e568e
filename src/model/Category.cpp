#include "model/Category.h"

#include "storage/modDBOperations.h"

void Category::LoadValues()
{
    using modDBOperations::QueryValue;
    const QString where = QStringLiteral(" FROM [Categories] WHERE [ID] = ") + QString::number(m_id);
    m_name = QueryValue(m_db, QStringLiteral("SELECT [Name]") + where);
    m_type = QueryValue(m_db, QStringLiteral("SELECT [Type]") + where, QStringLiteral("0")).toInt();
    m_titleColumn = QueryValue(m_db, QStringLiteral("SELECT [TitleColumn]") + where);
}
