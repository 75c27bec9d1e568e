#include "platform/SchemaSql.h"

#include "platform/FieldValue.h"
#include "platform/JetSql.h"

namespace SchemaSql {
namespace {
QString Q(const QString& name) { return JetSql::QuoteIdentifier(name); }

QString Check(const char* rule, const QString& condition)
{
    return QStringLiteral(" CONSTRAINT %1 CHECK (%2)").arg(QLatin1String(rule), condition);
}
} // namespace

QString DeclaredType(const FieldDef& field)
{
    switch (field.type) {
    case FieldType::Boolean: return QStringLiteral("YESNO");
    case FieldType::Integer: return QStringLiteral("SMALLINT");
    case FieldType::Long: return QStringLiteral("INTEGER");
    case FieldType::Currency: return QStringLiteral("CURRENCY");
    case FieldType::Double: return QStringLiteral("DOUBLE");
    case FieldType::DateTime: return QStringLiteral("DATETIME");
    case FieldType::Text: return QStringLiteral("VARCHAR(%1)").arg(field.size > 0 ? field.size : DefaultTextSize);
    case FieldType::LongBinary: return QStringLiteral("LONGBLOB");
    case FieldType::Memo: return QStringLiteral("LONGTEXT");
    }
    return QStringLiteral("LONGTEXT");
}

FieldDef FieldFromDeclaredType(const QString& name, const QString& declaredType, bool notNull, bool primaryKey)
{
    FieldDef field;
    field.name = name;
    field.required = notNull;
    const QString type = declaredType.trimmed().toUpper();
    if (type == QLatin1String("YESNO") || type == QLatin1String("BOOLEAN") || type == QLatin1String("BIT"))
        field.type = FieldType::Boolean;
    else if (type == QLatin1String("SMALLINT"))
        field.type = FieldType::Integer;
    else if (type.contains(QLatin1String("INT")))
        field.type = FieldType::Long;
    else if (type == QLatin1String("CURRENCY"))
        field.type = FieldType::Currency;
    else if (type.contains(QLatin1String("DOUB")) || type.contains(QLatin1String("REAL")) ||
             type.contains(QLatin1String("FLOA")) || type == QLatin1String("NUMERIC"))
        field.type = FieldType::Double;
    else if (type.startsWith(QLatin1String("DATE")))
        field.type = FieldType::DateTime;
    else if (type.contains(QLatin1String("BLOB")))
        field.type = FieldType::LongBinary;
    else if (type.startsWith(QLatin1String("VARCHAR")) || type.startsWith(QLatin1String("CHAR"))) {
        field.type = FieldType::Text;
        const int open = type.indexOf(QLatin1Char('('));
        field.size = open > 0 ? type.mid(open + 1).chopped(1).toInt() : 255;
        field.allowZeroLength = true;
    } else {
        field.type = FieldType::Memo;
        field.allowZeroLength = true;
    }
    if (primaryKey && field.type == FieldType::Long)
        field.attributes = FieldAttribute::FixedSize | FieldAttribute::AutoIncrement;
    return field;
}

Result<QString> ColumnDefinition(const FieldDef& field)
{
    const QString c = Q(field.name);
    QString sql = c + QLatin1Char(' ') + DeclaredType(field);
    if (field.isAutoIncrement()) {
        if (field.type != FieldType::Long)
            return DbError{DbErrorNumber::DataTypeMismatch,
                           QStringLiteral("Only a Long field can number itself (%1).").arg(field.name)};
        return sql + QStringLiteral(" PRIMARY KEY AUTOINCREMENT") +
               Check("kst_type", QStringLiteral("%1 BETWEEN 1 AND 2147483647").arg(c));
    }
    if (field.required)
        sql += QStringLiteral(" NOT NULL");
    const Result<QString> defaultSql = FieldValue::DefaultAsSql(field);
    if (!defaultSql)
        return defaultSql.error();
    if (!defaultSql->isEmpty())
        sql += QStringLiteral(" DEFAULT ") + *defaultSql;
    switch (field.type) {
    case FieldType::Text:
    case FieldType::Memo:
        sql += QStringLiteral(" COLLATE NOCASE") + Check("kst_type", QStringLiteral("typeof(%1) IN ('text','null')").arg(c));
        if (field.type == FieldType::Text)
            sql += Check("kst_size", QStringLiteral("length(%1) <= %2").arg(c).arg(field.size > 0 ? field.size : DefaultTextSize));
        if (!field.allowZeroLength)
            sql += Check("kst_empty", QStringLiteral("%1 <> ''").arg(c));
        break;
    case FieldType::Integer:
        sql += Check("kst_type", QStringLiteral("typeof(%1) IN ('integer','null') AND %1 BETWEEN -32768 AND 32767").arg(c));
        break;
    case FieldType::Long:
        sql += Check("kst_type",
                     QStringLiteral("typeof(%1) IN ('integer','null') AND %1 BETWEEN -2147483648 AND 2147483647").arg(c));
        break;
    case FieldType::Boolean:
        sql += Check("kst_type", QStringLiteral("typeof(%1) IN ('integer','null')").arg(c));
        break;
    case FieldType::Double:
        sql += Check("kst_type", QStringLiteral("typeof(%1) IN ('integer','real','null')").arg(c));
        break;
    case FieldType::Currency:
        sql += Check("kst_type", QStringLiteral("typeof(%1) IN ('integer','real','null') AND "
                                                "%1 BETWEEN -922337203685477.5807 AND 922337203685477.5807")
                                     .arg(c));
        break;
    case FieldType::DateTime:
        // One stored form, so that comparisons and sorting of dates work as comparisons of text. The modifier
        // makes datetime() normalise the date, so a day the month does not have (2000-02-30) is refused.
        sql += Check("kst_type", QStringLiteral("%1 IS NULL OR (typeof(%1) = 'text' AND %1 GLOB "
                                                "'[0-9][0-9][0-9][0-9]-[01][0-9]-[0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9]'"
                                                " AND datetime(%1, '+0 days') IS %1 AND %1 >= '0100-01-01')")
                                     .arg(c));
        break;
    case FieldType::LongBinary:
        sql += Check("kst_type", QStringLiteral("typeof(%1) IN ('blob','null')").arg(c));
        break;
    }
    return sql;
}

Result<QString> CreateTable(const QString& sqliteName, const QList<FieldDef>& fieldsInOrder)
{
    QStringList columns;
    for (const FieldDef& field : fieldsInOrder) {
        const Result<QString> column = ColumnDefinition(field);
        if (!column)
            return column.error();
        columns << *column;
    }
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(Q(sqliteName), columns.join(QStringLiteral(", ")));
}

QString CreateIndex(const QString& sqliteIndexName, const QString& table, const IndexDef& index)
{
    QStringList keys;
    for (const QString& field : index.fields)
        keys << Q(field);
    return QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
        .arg(index.unique || index.primary ? QStringLiteral("UNIQUE ") : QString(), Q(sqliteIndexName), Q(table),
             keys.join(QStringLiteral(", ")));
}

QStringList CreateTriggers(const QString& table, const QList<FieldDef>& fields)
{
    QStringList statements;
    for (const FieldDef& field : fields) {
        QString when;
        QString value;
        const QString c = Q(field.name);
        if (field.type == FieldType::Boolean) {
            when = QStringLiteral("NEW.%1 NOT IN (0, -1)").arg(c);
            value = QStringLiteral("-1");
        } else if (field.type == FieldType::Currency) {
            when = QStringLiteral("NEW.%1 <> round(NEW.%1, 4)").arg(c);
            value = QStringLiteral("round(NEW.%1, 4)").arg(c);
        } else {
            continue;
        }
        const QString body = QStringLiteral("WHEN %1 BEGIN UPDATE %2 SET %3 = %4 WHERE rowid = NEW.rowid; END")
                                 .arg(when, Q(table), c, value);
        const QString base = QStringLiteral("kst:%1:%2:").arg(table, field.name);
        statements << QStringLiteral("CREATE TRIGGER %1 AFTER INSERT ON %2 FOR EACH ROW %3")
                          .arg(Q(base + QLatin1String("insert")), Q(table), body);
        statements << QStringLiteral("CREATE TRIGGER %1 AFTER UPDATE OF %2 ON %3 FOR EACH ROW %4")
                          .arg(Q(base + QLatin1String("update")), c, Q(table), body);
    }
    return statements;
}

} // namespace SchemaSql
