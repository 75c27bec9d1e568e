#include "items/ItemStatements.h"

#include "app/clsCatalog.h"
#include "model/Categories.h"
#include "model/Category.h"
#include "model/clsColumn.h"
#include "model/clsColumns.h"
#include "platform/Database.h"

namespace
{
// At most this many People columns enter a people-link condition.
constexpr int MaxPeopleColumns = 38;

bool TableHasField(const Category& category, const QString& field)
{
    Database* db = category.database();
    if (!db)
        return false;
    const Result<TableDef> table = db->Table(category.DBName());
    return table && table->field(field) != nullptr;
}
} // namespace

namespace ItemStatements
{
QString Quoted(const QString& text)
{
    QString quoted = text;
    return quoted.replace(QLatin1Char('\''), QLatin1String("''"));
}

QString ValueListStatement(Category& category, const clsColumn& column)
{
    const QString name = column.Name();
    if (column.ColumnType() == clsColumn::People) {
        Category* people = Catalog().categories().PeopleCategory();
        if (!people || people->TitleColumn().isEmpty())
            return QString();
        return QStringLiteral("SELECT DISTINCT [") + people->TitleColumn() + QStringLiteral("] FROM [") +
               people->DBName() + QStringLiteral("] WHERE [Category] = '") +
               QString::number(category.DrawCategory()->ID()) + QLatin1Char('\'');
    }
    if (column.ColumnType() == clsColumn::AutoComplete) {
        Category* source = &category;
        if (category.DrawFromParent())
            if (Category* parent = category.DrawCategory(); parent != &category && TableHasField(*parent, name))
                source = parent;
        if (!TableHasField(*source, name))
            return QString();
        return QStringLiteral("SELECT DISTINCT [") + name + QStringLiteral("] FROM [") + source->DBName() +
               QStringLiteral("] WHERE [") + name + QStringLiteral("] <> ''");
    }
    return QString();
}

QString PeopleLinkSource(Category& category, const QString& name)
{
    const QString quoted = Quoted(name);
    QString condition;
    int used = 0;
    for (const auto& column : category.Columns()) {
        if (column->ColumnType() != clsColumn::People)
            continue;
        if (++used > MaxPeopleColumns)
            break;
        condition += QStringLiteral("OR [") + column->Name() + QStringLiteral("] LIKE '*") + quoted +
                     QStringLiteral("*' ");
    }
    if (condition.isEmpty())
        return QString();
    return QLatin1Char('[') + category.DBName() + QStringLiteral("] WHERE ") + condition.mid(3);
}
} // namespace ItemStatements
