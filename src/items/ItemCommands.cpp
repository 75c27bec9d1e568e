#include "items/ItemCommands.h"

#include "app/clsCatalog.h"
#include "items/ItemStatements.h"
#include "model/Categories.h"
#include "model/Category.h"
#include "platform/Database.h"


namespace
{
// Runs one statement per item inside a transaction: all of them or none.
template <class Statement> DbError RunForEach(Database& db, const QList<int>& ids, Statement statement)
{
    Transaction transaction(db);
    if (DbError error = transaction.error())
        return error;
    for (int id : ids)
        if (const Result<int> done = db.Execute(statement(id)); !done)
            return done.error(); // the transaction rolls back as it goes out of scope
    return transaction.Commit();
}
} // namespace

namespace ItemCommands
{
QDateTime StampTime()
{
    const QDateTime now = QDateTime::currentDateTime();
    return now.addMSecs(-now.time().msec());
}

DbError DeleteRelationalLinks(Database& db, int categoryId, int itemId)
{
    Category* relational = Catalog().categories().RelationalCategory();
    if (!relational)
        return {};
    const Result<int> done =
        db.Execute(QStringLiteral("DELETE * FROM [") + relational->DBName() + QStringLiteral("] WHERE [RecordID] = ") +
                   QString::number(itemId) + QStringLiteral(" AND [Category] = '") + QString::number(categoryId) +
                   QLatin1Char('\''));
    return done ? DbError{} : done.error();
}

DbError MoveToSubject(Database& db, const Category& category, const QList<int>& itemIds, int subjectId)
{
    const QString head = QStringLiteral("UPDATE [") + category.DBName() + QStringLiteral("] SET [TreeID] = ") +
                         QString::number(subjectId) + QStringLiteral(" WHERE [ID] = ");
    return RunForEach(db, itemIds, [&](int id) { return head + QString::number(id); });
}

DbError MoveUnderItem(Database& db, const Category& category, const QList<int>& itemIds, int parentId)
{
    const QString head = QStringLiteral("UPDATE [") + category.DBName() + QStringLiteral("] SET [ParentID] = ") +
                         QString::number(parentId) + QStringLiteral(" WHERE [ID] = ");
    return RunForEach(db, itemIds, [&](int id) { return head + QString::number(id); });
}

DbError CreateRelationalLinks(Database& db, const Category& category, const QList<LinkedItem>& items,
                              int relationalSubjectId)
{
    Category* relational = Catalog().categories().RelationalCategory();
    if (!relational)
        return {DbErrorNumber::ItemNotFound, QStringLiteral("The catalog has no category for relational links.")};
    const QString head = QStringLiteral("INSERT INTO [") + relational->DBName() +
                         QStringLiteral("] ([TreeID],[Category],[RecordID],[Title]) VALUES (") +
                         QString::number(relationalSubjectId) + QStringLiteral(",'") +
                         QString::number(category.ID()) + QStringLiteral("',");
    QList<int> positions;
    for (int i = 0; i < items.size(); ++i)
        positions << i;
    return RunForEach(db, positions, [&](int i) {
        // Link titles are text fields of 255 characters: a longer title is cut rather than refused.
        return head + QString::number(items[i].id) + QStringLiteral(",'") +
               ItemStatements::Quoted(items[i].title.left(255)) + QStringLiteral("');");
    });
}
} // namespace ItemCommands
