#include "app/General.h"

#include "app/clsCatalog.h"
#include "platform/Recordset.h"
#include "storage/modDBOperations.h"

Categories LoadCategories(Database* db)
{
    Categories categories;
    if (!db || !modDBOperations::ItemExists(db->TableNames(), QStringLiteral("Categories")))
        return categories;
    Result<std::unique_ptr<Recordset>> rows =
        db->OpenRecordset(QStringLiteral("SELECT [ID],[Type] FROM [Categories] ORDER BY [ID]"), RecordsetType::ForwardOnly, true);
    if (!rows)
        return categories;
    for (Recordset& rs = *rows.value(); !rs.Eof(); rs.MoveNext())
        categories.Add(rs.Value(0).toInt(), db);
    return categories;
}

void AddPeopleNames(const QString& names, int categoryId)
{
    if (names.isEmpty())
        return;
    Database* db = Catalog().database();
    if (!db)
        return;
    // The People table and title column as the catalog records them, whether or not categories are loaded.
    const QString people = modDBOperations::QueryValue(db, QStringLiteral("SELECT [ID] FROM [Categories] WHERE [Type] = 1"));
    if (people.isEmpty())
        return;
    const QString table = QStringLiteral("ktbl") + people;
    const QString title = modDBOperations::QueryValue(
        db, QStringLiteral("SELECT [TitleColumn] FROM [Categories] WHERE [ID] = ") + people, QStringLiteral("Name"), true);
    QString text = names.left(255);
    text.replace(QLatin1Char('\''), QLatin1String("''"));
    const QString category = QString::number(categoryId);
    for (const QString& piece : text.split(QLatin1Char(';'))) {
        const QString part = piece.trimmed();
        if (part.isEmpty())
            continue; // "Smith;" names one person, not a blank one
        // Every statement's failure is ignored: a name that cannot be stored is simply not added.
        if (modDBOperations::QueryCount(QStringLiteral("SELECT COUNT(*) FROM [") + table + QStringLiteral("] WHERE [") +
                                            title + QStringLiteral("] = '") + part +
                                            QStringLiteral("' AND [Category] = '") + category + QStringLiteral("';"),
                                        db) == 0)
            db->Execute(QStringLiteral("INSERT INTO [") + table + QStringLiteral("] ([Category],[") + title +
                        QStringLiteral("]) VALUES ('") + category + QStringLiteral("','") + part + QStringLiteral("');"));
    }
}
