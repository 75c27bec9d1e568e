#include "storage/modDBOperations.h"

#include "app/clsCatalog.h"
#include "app/clsFile.h"
#include "app/modFileOperations.h"
#include "model/Category.h"
#include "model/clsColumn.h"
#include "platform/UserInterface.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

namespace modDBOperations {

QString ValueText(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::Bool: return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double: return QString::number(value.toDouble(), 'g', 15);
    case QMetaType::QDateTime: {
        const QDateTime date = value.toDateTime();
        const QLocale locale;
        QString text = locale.toString(date.date(), QLocale::ShortFormat);
        if (date.time() != QTime(0, 0))
            text += QLatin1Char(' ') + locale.toString(date.time(), QLocale::LongFormat);
        return text;
    }
    case QMetaType::QByteArray: return QString::fromLatin1(value.toByteArray());
    default: return value.toString();
    }
}

QString QueryValue(Database* db, const QString& sql, const QString& defaultValue, bool emptyIsDefault)
{
    if (!db)
        return defaultValue;
    const Result<QVariant> value = db->LookupValue(sql);
    if (!value || !value->isValid() || value->isNull())
        return defaultValue;
    const QString text = ValueText(*value);
    if (text.isEmpty() && emptyIsDefault)
        return defaultValue;
    return text;
}

qint64 QueryCount(const QString& sql, Database* db)
{
    if (!db)
        return 0;
    const Result<QVariant> value = db->LookupValue(sql);
    if (!value || !value->isValid())
        return 0;
    bool ok = false;
    const qint64 count = value->toLongLong(&ok);
    return ok ? count : 0;
}

bool ItemExists(const QStringList& collection, const QString& key)
{
    return collection.contains(key, Qt::CaseInsensitive);
}

QVariant ReadProperty(Database* db, const PropertyOwner& owner, int kind, const QString& name)
{
    QVariant fallback;
    switch (kind) {
    case KindBoolean: fallback = false; break;
    case KindInteger:
    case KindLong: fallback = 0; break;
    default: fallback = QString(); break;
    }
    if (!db)
        return fallback;
    const Result<Property> property = db->GetProperty(owner, name);
    if (!property || !property->value.isValid())
        return fallback;
    switch (kind) {
    case KindBoolean: return property->value.toBool();
    case KindInteger:
    case KindLong: {
        bool ok = false;
        const int number = property->value.toInt(&ok);
        return ok ? QVariant(number) : fallback;
    }
    case KindText: {
        const QString text = property->value.toString();
        return text == QLatin1String("novalue") ? QString() : text;
    }
    default: return property->value;
    }
}

bool IsInvalidName(const QString& text)
{
    return text.isEmpty() || text.contains(QLatin1Char('!')) || text.contains(QLatin1Char('\'')) ||
           text.contains(QLatin1Char('.'));
}

FieldDef FieldForColumnType(const QString& fieldName, int columnType, bool isId, int ordinalPosition)
{
    FieldDef field;
    field.name = fieldName;
    field.required = false;
    field.ordinalPosition = ordinalPosition;
    if (isId) {
        field.type = FieldType::Long;
        field.defaultValue = QStringLiteral("GenUniqueID()");
        field.attributes = FieldAttribute::FixedSize | FieldAttribute::AutoIncrement;
        return field;
    }
    switch (columnType) {
    case 1:
    case 2:
    case 3:
    case 8:
    case 13:
        field.type = FieldType::Text;
        field.size = 255;
        field.allowZeroLength = true;
        break;
    case 4: field.type = FieldType::DateTime; break;
    case 5: field.type = FieldType::Currency; break;
    case 6: field.type = FieldType::LongBinary; break;
    case 7:
        field.type = FieldType::Memo;
        field.allowZeroLength = true;
        break;
    case 9: field.type = FieldType::Integer; break;
    case 10: field.type = FieldType::Long; break;
    case 11: field.type = FieldType::Double; break;
    case 12: field.type = FieldType::Boolean; break;
    default:
        // Any other code: a Text field of the engine's default size that refuses empty text.
        field.type = FieldType::Text;
        field.size = DefaultTextSize;
        field.allowZeroLength = false;
        break;
    }
    return field;
}

namespace {
void ShowAddFieldFailure(const QString& fieldName, const DbError& error)
{
    Ui().ShowMessage(QStringLiteral("An error occurred while trying to add the column '") + fieldName +
                     QStringLiteral("' to the catalog.  The error number was: ") + QString::number(error.number) +
                     QStringLiteral(".\n\nIt is recommended that you close the program and then restart it before "
                                    "trying again.  You may also contact our customer support."));
}

IndexDef IndexFor(const FieldDef& field, bool isId)
{
    IndexDef index;
    index.name = field.name;
    index.fields = {field.name};
    index.primary = index.unique = index.required = isId;
    return index;
}

// The column types that share the Text field are told apart only by their [Columns] record: the new field
// is described as a column of the category, with its type.
DbError DescribeColumn(Category* category, const FieldDef& field, int columnType)
{
    if (!category || !(columnType == 2 || columnType == 3 || columnType == 8 || columnType == 13))
        return {};
    Database* db = category->database();
    if (QueryCount(QStringLiteral("SELECT COUNT(*) FROM [Categories] WHERE [ID] = ") + QString::number(category->ID()),
                   db) <= 0)
        return {};
    clsColumn column;
    if (DbError error = column.AssignField(field, category))
        return error;
    if (DbError error = column.SetColumnType(columnType))
        return error;
    category->ForgetColumns();
    return {};
}
} // namespace

std::optional<FieldDef> AddField(TableDef& table, const QString& fieldName, int columnType, bool indexed, bool isId,
                                 bool quiet, int ordinalPosition, Category* category)
{
    const FieldDef field = FieldForColumnType(fieldName, columnType, isId, ordinalPosition);
    DbError error;
    if (fieldName.trimmed().isEmpty())
        error = {3125, QStringLiteral("A field needs a name.")};
    else if (table.field(fieldName))
        error = {DbErrorNumber::FieldExists, QStringLiteral("Field '%1' already exists.").arg(fieldName)};
    if (!error) {
        table.fields.append(field);
        if (indexed || isId)
            table.indexes.append(IndexFor(field, isId));
        error = DescribeColumn(category, field, columnType);
    }
    if (error) {
        if (!quiet)
            ShowAddFieldFailure(fieldName, error);
        return std::nullopt;
    }
    return field;
}

std::optional<FieldDef> AddField(Database& db, const QString& tableName, const QString& fieldName, int columnType,
                                 bool indexed, bool isId, bool quiet, int ordinalPosition, Category* category)
{
    FieldDef field = FieldForColumnType(fieldName, columnType, isId, ordinalPosition);
    DbError error = db.AppendField(tableName, field);
    if (!error && (indexed || isId))
        error = db.CreateIndex(tableName, IndexFor(field, isId));
    if (!error) {
        const Result<TableDef> table = db.Table(tableName);
        if (table && table->field(fieldName))
            field = *table->field(fieldName);
        error = DescribeColumn(category, field, columnType);
    }
    if (error) {
        if (!quiet)
            ShowAddFieldFailure(fieldName, error);
        return std::nullopt;
    }
    return field;
}

std::optional<FieldDef> AddField(Database& db, const QString& tableName, const QString& fieldName, int columnType,
                                 bool indexed, bool isId, bool quiet, int ordinalPosition, int categoryId)
{
    if (categoryId <= 0)
        return AddField(db, tableName, fieldName, columnType, indexed, isId, quiet, ordinalPosition, nullptr);
    if (Catalog().database() == &db)
        if (Category* loaded = Catalog().categories().Item(categoryId))
            return AddField(db, tableName, fieldName, columnType, indexed, isId, quiet, ordinalPosition, loaded);
    Category transient(categoryId, &db);
    return AddField(db, tableName, fieldName, columnType, indexed, isId, quiet, ordinalPosition, &transient);
}

bool CompactCatalogFile(const clsFile& file, DbError* error, CompactCopy copy)
{
    DbError ignored;
    DbError& report = error ? *error : ignored;
    report = {};
    Ui().ProcessEvents();
    if (!file.Valid()) {
        report = {DbErrorNumber::FileNotFound, QString()};
        return false;
    }
    clsCatalog& catalog = Catalog();
    const QString path = file.Path();
    if (catalog.Loaded() && QFileInfo(catalog.File.Path()) == QFileInfo(path)) {
        report = {3045, QStringLiteral("The catalog '%1' is open; close it before it is repaired and compacted.").arg(path)};
        return false;
    }
    if (DbError repair = Database::Repair(path)) {
        report = repair;
        return false;
    }
    const QString temporary = file.Directory() + QStringLiteral("temp.kst");
    if (QFileInfo::exists(temporary)) {
        report = {DbErrorNumber::FileExists,
                  QStringLiteral("The folder already holds a file named \"temp.kst\" (%1). Move or rename it, then "
                                 "repair and compact the catalog again.")
                      .arg(temporary)};
        return false;
    }
    if (!QFile::rename(path, temporary)) {
        report = {DbErrorNumber::Io, QStringLiteral("The catalog '%1' could not be renamed to \"temp.kst\".").arg(path)};
        return false;
    }
    if (DbError compact = copy(temporary, path)) {
        // Put the original back under its own name: a catalog is never left only as temp.kst.
        QFile::remove(path);
        const bool restored = QFile::rename(temporary, path);
        report = {compact.number, QStringLiteral("The catalog could not be compacted: %1 %2")
                                      .arg(compact.message,
                                           restored ? QStringLiteral("The original file has been restored.")
                                                    : QStringLiteral("The original file is kept as '%1'.").arg(temporary))};
        return false;
    }
    if (!QFile::remove(temporary)) {
        report = {DbErrorNumber::Io,
                  QStringLiteral("The catalog was compacted, but \"temp.kst\" could not be deleted (%1).").arg(temporary)};
        return false;
    }
    if (catalog.Loaded())
        return true;
    catalog.StampLastCompact(path);
    return true;
}

} // namespace modDBOperations
