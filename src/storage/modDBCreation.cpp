#include "storage/modDBCreation.h"

#include "app/clsFile.h"
#include "storage/modDBOperations.h"

#include <QFile>
#include <QFileInfo>

#include <utility>
#include <vector>

namespace modDBCreation {
namespace {

struct FieldSpec {
    const char* name;
    int code;      // column type code; 0 with isId
    bool indexed;
    bool isId = false;
};

// Builds a table from its field list, every field made by AddField, and appends it whole.
DbError CreateTableFrom(Database& db, const QString& tableName, const std::vector<FieldSpec>& specs)
{
    TableDef table;
    table.name = tableName;
    for (const FieldSpec& entry : specs)
        if (!modDBOperations::AddField(table, QString::fromUtf8(entry.name), entry.code, entry.indexed, entry.isId, false, 0))
            return {DbErrorNumber::FieldExists, QStringLiteral("The field '%1' could not be added.").arg(QString::fromUtf8(entry.name))};
    return db.CreateTable(table);
}

const std::vector<FieldSpec> PeopleColumns = {
    {"Company", 1, false},      {"Title", 1, false},          {"Category", 3, false},     {"Nationality", 3, false},
    {"Birth Place", 1, false},  {"Birth Date", 4, false},     {"Death Date", 4, false},   {"Address", 1, false},
    {"City", 1, false},         {"State/Province", 3, false}, {"Postal Code", 1, false},  {"Region", 1, false},
    {"Country", 3, false},      {"Home Phone", 1, false},     {"Work Phone", 1, false},   {"Work Ext", 1, false},
    {"Mobile Phone", 1, false}, {"Pager", 1, false},          {"Fax", 1, false},          {"E-Mail", 8, false},
    {"Major Influences", 7, false}, {"Notes", 7, false},      {"Image", 6, false},        {"URL", 8, false},
};

// Adds the [Categories] row the way a new row is started: its ID is known before the row is saved.
Result<int> AddCategoryRow(Database& db, const QString& name, const QString& titleColumn, int type)
{
    Result<std::unique_ptr<Recordset>> rows = db.OpenRecordset(QStringLiteral("Categories"), RecordsetType::Table);
    if (!rows)
        return rows.error();
    Recordset& rs = *rows.value();
    if (DbError error = rs.AddNew())
        return error;
    const int id = rs.Value(QStringLiteral("ID")).toInt();
    for (const auto& [field, value] : {std::pair{"TitleColumn", QVariant(titleColumn)}, std::pair{"Type", QVariant(type)},
                                       std::pair{"Name", QVariant(name)}})
        if (DbError error = rs.SetValue(QString::fromUtf8(field), value))
            return error;
    if (DbError error = rs.Update())
        return error;
    return id;
}
} // namespace

DbError CreateCatalogTable(Database& db)
{
    return CreateTableFrom(db, QStringLiteral("Catalog"),
                           {{"Name", 1, false},
                            {"Description", 1, false},
                            {"FontName", 1, false},
                            {"GridLines", 12, false},
                            {"AutoAddName", 12, false},
                            {"AutoComplete", 12, false},
                            {"ItemEditorWindowState", 9, false},
                            {"ItemEditorWidth", 10, false},
                            {"ItemEditorHeight", 10, false},
                            {"ItemEditorVisible", 12, false},
                            {"LastCompact", 4, false},
                            {"PasswordProtected", 12, false},
                            {"ProtectName", 1, false},
                            {"ProtectPassword", 1, false},
                            {"DataVersion", 9, false}});
}

DbError CreateCategoriesTable(Database& db)
{
    return CreateTableFrom(db, QStringLiteral("Categories"),
                           {{"ID", 0, false, true},
                            {"Name", 1, true},
                            {"Description", 1, false},
                            {"Parent", 10, false},
                            {"Hidden", 12, false},
                            {"SingleDisplay", 1, false},
                            {"DrawFromParent", 12, false},
                            {"DefaultMedia", 1, false},
                            {"DefaultMemo", 1, false},
                            {"Type", 9, true},
                            {"TitleColumn", 1, false},
                            {"BinImageMain", 6, false},
                            {"BinImageSelected", 6, false},
                            {"BinImageRoot", 6, false},
                            {"Flags", 7, false},
                            {"Groups", 1, false},
                            {"Criteria", 7, false}});
}

DbError CreateTreeTable(Database& db)
{
    return CreateTableFrom(db, QStringLiteral("Tree"),
                           {{"ID", 0, false, true},
                            {"CID", 10, true},
                            {"ParentID", 10, false},
                            {"Notes", 7, false},
                            {"Subject", 1, false},
                            {"Criteria", 7, false},
                            {"Type", 10, false},
                            {"Groups", 1, false}});
}

DbError CreateColumnsTable(Database& db)
{
    if (modDBOperations::ItemExists(db.TableNames(), QStringLiteral("Columns")))
        return {};
    return CreateTableFrom(db, QStringLiteral("Columns"),
                           {{"ID", 0, false, true},
                            {"CID", 10, true},
                            {"Name", 1, true},
                            {"Display", 1, false},
                            {"Hidden", 12, false},
                            {"Type", 9, false},
                            {"Position", 9, false},
                            {"Width", 10, false},
                            {"Sorting", 9, false},
                            {"Format", 1, false}});
}

Result<int> CreateCategory(Database& db, const QString& name, const QString& titleColumn, int type)
{
    const QString title = titleColumn.isEmpty() ? QStringLiteral("Title") : titleColumn;
    Transaction transaction(db);
    if (transaction.error())
        return transaction.error();
    const Result<int> id = AddCategoryRow(db, name, title, type);
    if (!id)
        return id.error();
    TableDef table;
    table.name = QStringLiteral("ktbl") + QString::number(*id);
    for (const FieldSpec& entry : std::vector<FieldSpec>{{"ID", 0, false, true},
                                                        {"TreeID", 10, true},
                                                        {"ParentID", 10, true},
                                                        {"Created", 4, false},
                                                        {"Modified", 4, false},
                                                        {"Flag", 10, true}})
        if (!modDBOperations::AddField(table, QString::fromUtf8(entry.name), entry.code, entry.indexed, entry.isId, false, 0))
            return DbError{DbErrorNumber::FieldExists, QStringLiteral("The category table could not be made.")};
    if (!modDBOperations::AddField(table, title, 1, true, false, false, 0))
        return DbError{DbErrorNumber::FieldExists,
                       QStringLiteral("The title column '%1' is the name of a field every category has.").arg(title)};
    if (DbError error = db.CreateTable(table))
        return error;
    if (DbError error = transaction.Commit())
        return error;
    return id;
}

DbError CreateRelationalCategory(Database& db)
{
    Transaction transaction(db);
    const Result<int> id = AddCategoryRow(db, QStringLiteral("Relational"), QStringLiteral("Title"), 2);
    if (!id)
        return id.error();
    if (DbError error = CreateTableFrom(db, QStringLiteral("ktbl") + QString::number(*id),
                                        {{"ID", 0, false, true},
                                         {"TreeID", 10, true},
                                         {"RecordID", 10, true},
                                         {"Created", 4, false},
                                         {"Modified", 4, false},
                                         {"RecordTreeID", 10, true},
                                         {"Flag", 10, true},
                                         {"Title", 1, true},
                                         {"Category", 1, true}}))
        return error;
    return transaction.Commit();
}

DbError CreatePeopleCategory(Database& db)
{
    Transaction transaction(db);
    const Result<int> id = CreateCategory(db, QStringLiteral("People"), QStringLiteral("Name"), 1);
    if (!id)
        return id.error();
    const QString table = QStringLiteral("ktbl") + QString::number(*id);
    for (const FieldSpec& column : PeopleColumns)
        if (!modDBOperations::AddField(db, table, QString::fromUtf8(column.name), column.code, false, false, false, 0))
            return {DbErrorNumber::FieldExists,
                    QStringLiteral("The People column '%1' could not be added.").arg(QString::fromUtf8(column.name))};
    return transaction.Commit();
}

DbError CreateCatalogFile(const QString& path)
{
    DbError error;
    {
        Result<std::unique_ptr<Database>> created = Database::Create(path);
        if (!created)
            return created.error();
        Database& db = *created.value();
        // Built in one transaction: a failure leaves no half-made catalog behind.
        Transaction transaction(db);
        error = transaction.error();
        for (auto step : {CreateCatalogTable, CreateCategoriesTable, CreateTreeTable, CreateRelationalCategory,
                          CreatePeopleCategory, CreateColumnsTable}) {
            if (!error)
                error = step(db);
        }
        if (!error) {
            const QString people = modDBOperations::QueryValue(
                &db, QStringLiteral("SELECT [ID] FROM [Categories] WHERE [Type] = 1"), QStringLiteral("0"));
            for (const auto& [name, code] : {std::pair{"Category", 3}, std::pair{"Nationality", 3},
                                             std::pair{"State/Province", 3}, std::pair{"Country", 3},
                                             std::pair{"E-Mail", 8}, std::pair{"URL", 8}}) {
                if (error)
                    break;
                const Result<int> row = db.Execute(QStringLiteral("INSERT INTO [Columns] ([CID],[Name],[Type]) VALUES (") +
                                                   people + QStringLiteral(",'") + QString::fromUtf8(name) +
                                                   QStringLiteral("',") + QString::number(code) + QStringLiteral(")"));
                if (!row)
                    error = row.error();
            }
        }
        if (!error) {
            // The settings row says which layout the file has; a new file has the current one.
            const Result<int> row = db.Execute(QStringLiteral("INSERT INTO [Catalog] ([DataVersion]) VALUES (12)"));
            if (!row)
                error = row.error();
        }
        if (!error)
            error = transaction.Commit();
        db.Close();
    }
    if (error) {
        QFile::remove(path);
        return error;
    }
    DbError compact;
    if (!modDBOperations::CompactCatalogFile(clsFile(path), &compact))
        return compact;
    return {};
}

} // namespace modDBCreation
