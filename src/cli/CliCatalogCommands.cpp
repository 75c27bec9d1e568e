#include "cli/CliCommand.h"

#include "app/clsCatalog.h"
#include "app/clsFile.h"
#include "platform/JetDate.h"
#include "platform/JetSql.h"
#include "storage/modDBCreation.h"
#include "storage/modDBOperations.h"

#include <QDateTime>
#include <QFileInfo>

int CliContext::Fail(const QString& message)
{
    if (!message.isEmpty())
        err << message << Qt::endl;
    return 1;
}

bool CliContext::OpenCatalog(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        Fail(QStringLiteral("The file '%1' does not exist.").arg(path));
        return false;
    }
    const clsFile file(info.absoluteFilePath());
    if (file.Extension().compare(QLatin1String("kst"), Qt::CaseInsensitive) != 0) {
        Fail(QStringLiteral("'%1' is not a catalog file: catalog files end in .kst.").arg(path));
        return false;
    }
    Catalog().OpenCatalog(file);
    if (!Catalog().Loaded()) {
        if (!ui.reported())
            Fail(QStringLiteral("The catalog '%1' could not be opened.").arg(path));
        return false;
    }
    return true;
}

namespace {
QString CellText(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::Bool: return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QDateTime: return JetDate::ToStorage(value.toDateTime());
    case QMetaType::Double: return QString::number(value.toDouble(), 'g', 15);
    case QMetaType::QByteArray: return QStringLiteral("(%1 bytes)").arg(value.toByteArray().size());
    default: {
        // One row per line: tabs and line breaks inside a value are written as escapes.
        QString text = value.toString();
        text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
        text.replace(QLatin1Char('\t'), QLatin1String("\\t"));
        text.replace(QLatin1Char('\r'), QLatin1String("\\r"));
        text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
        return text;
    }
    }
}

} // namespace

int CliContext::PrintRows(Recordset& rs, const QStringList& header)
{
    out << header.join(QLatin1Char('\t')) << '\n';
    for (; !rs.Eof(); rs.MoveNext()) {
        QStringList cells;
        for (int i = 0; i < rs.FieldCount(); ++i)
            cells << CellText(rs.Value(i));
        out << cells.join(QLatin1Char('\t')) << '\n';
    }
    out.flush();
    if (rs.lastError() && rs.lastError().number != DbErrorNumber::NoCurrentRecord)
        return Fail(QStringLiteral("Error %1: %2").arg(rs.lastError().number).arg(rs.lastError().message));
    return 0;
}

namespace {

using Context = CliContext;

int Fail(Context& c, const QString& message) { return c.Fail(message); }

bool OpenCatalog(Context& c, const QString& path) { return c.OpenCatalog(path); }


int Create(Context& c)
{
    const QString path = c.args.value(1);
    if (QFileInfo::exists(path))
        return Fail(c, QStringLiteral("The file '%1' already exists; choose another name.").arg(path));
    if (!path.endsWith(QLatin1String(".kst"), Qt::CaseInsensitive))
        return Fail(c, QStringLiteral("A catalog file name must end in .kst: '%1'.").arg(path));
    if (DbError error = modDBCreation::CreateCatalogFile(QFileInfo(path).absoluteFilePath()))
        return Fail(c, QStringLiteral("The catalog could not be created: %1").arg(error.message));
    c.out << "Created " << path << Qt::endl;
    return 0;
}

int Info(Context& c)
{
    if (!OpenCatalog(c, c.args.value(1)))
        return 1;
    clsCatalog& catalog = Catalog();
    c.out << "Data version\t" << catalog.Setting(clsCatalog::DataVersion) << '\n';
    c.out << "Last compaction\t" << catalog.Setting(clsCatalog::LastCompact) << '\n';
    c.out << "Password protection\t"
          << (catalog.Setting(clsCatalog::PasswordProtected) == QLatin1String("True") ? "on" : "off") << '\n';
    c.out << "ID\tType\tName\tTitle column\tItems\n";
    for (const auto& category : catalog.categories()) {
        const qint64 items = modDBOperations::QueryCount(
            QStringLiteral("SELECT COUNT(*) FROM [") + category->DBName() + QStringLiteral("]"), catalog.database());
        c.out << category->ID() << '\t' << category->CType() << '\t' << category->Name() << '\t'
              << category->TitleColumn() << '\t' << items << '\n';
    }
    c.out.flush();
    return 0;
}

int Schema(Context& c)
{
    if (!OpenCatalog(c, c.args.value(1)))
        return 1;
    Database* db = Catalog().database();
    for (const QString& name : db->TableNames()) {
        const Result<TableDef> table = db->Table(name);
        if (!table)
            continue;
        for (const FieldDef& field : table->fields) {
            QString index = QStringLiteral("-");
            for (const IndexDef& def : table->indexes)
                if (def.fields.contains(field.name, Qt::CaseInsensitive))
                    index = def.primary ? QStringLiteral("primary") : QStringLiteral("indexed");
            c.out << table->name << '\t' << field.name << '\t' << FieldTypeName(field.type) << '\t'
                  << (field.type == FieldType::Text ? field.size : 0) << '\t'
                  << (field.allowZeroLength ? "zero-length" : "-") << '\t' << (field.required ? "required" : "-")
                  << '\t' << (field.isAutoIncrement() ? "auto-increment" : "-") << '\t' << index << '\t'
                  << field.defaultValue << '\n';
        }
    }
    c.out.flush();
    return 0;
}

int Sql(Context& c)
{
    const QString statement = c.args.mid(2).join(QLatin1Char(' ')).trimmed();
    if (statement.isEmpty())
        return Fail(c, QStringLiteral("Give the statement to run after the catalog's path."));
    if (!OpenCatalog(c, c.args.value(1)))
        return 1;
    Database* db = Catalog().database();
    const Result<JetSql::Translated> translated = JetSql::Translate(statement);
    if (!translated)
        return Fail(c, QStringLiteral("Error %1: %2").arg(translated.error().number).arg(translated.error().message));
    if (JetSql::AnalyzeSelect(translated->sql).isSelect) {
        Result<std::unique_ptr<Recordset>> rows = db->OpenRecordset(statement, RecordsetType::ForwardOnly, true);
        if (!rows)
            return Fail(c, QStringLiteral("Error %1: %2").arg(rows.error().number).arg(rows.error().message));
        Recordset& rs = *rows.value();
        QStringList header;
        for (int i = 0; i < rs.FieldCount(); ++i)
            header << rs.FieldName(i);
        return c.PrintRows(rs, header);
    }
    const Result<int> changed = db->Execute(statement);
    if (!changed)
        return Fail(c, QStringLiteral("Error %1: %2").arg(changed.error().number).arg(changed.error().message));
    c.out << *changed << Qt::endl;
    return 0;
}

int Compact(Context& c)
{
    const QString path = c.args.value(1);
    if (!QFileInfo(path).isFile())
        return Fail(c, QStringLiteral("The file '%1' does not exist.").arg(path));
    DbError error;
    if (!modDBOperations::CompactCatalogFile(clsFile(QFileInfo(path).absoluteFilePath()), &error))
        return Fail(c, error.message.isEmpty() ? QStringLiteral("'%1' cannot be compacted.").arg(path) : error.message);
    c.out << "Repaired and compacted " << path << Qt::endl;
    return 0;
}

} // namespace

const std::vector<CliCommand>& CatalogCommands()
{
    static const std::vector<CliCommand> commands = {
        {"create", 2, Create, "create PATH             create a new, empty catalog (PATH must not exist, ends in .kst)"},
        {"info", 2, Info, "info PATH               data version, last compaction, password protection, categories"},
        {"schema", 2, Schema,
         "schema PATH             every table's fields: table, field, type, size, zero-length, required,\n"
         "                        auto-increment, index, default value (tab-separated)"},
        {"sql", 3, Sql, "sql PATH STATEMENT      run one statement of the catalog's SQL dialect; a SELECT prints rows"},
        {"compact", 2, Compact, "compact PATH            repair and compact a catalog"},
    };
    return commands;
}
