#include "platform/FieldDef.h"

QString FieldTypeName(FieldType type)
{
    switch (type) {
    case FieldType::Boolean: return QStringLiteral("Yes/No");
    case FieldType::Integer: return QStringLiteral("Integer");
    case FieldType::Long: return QStringLiteral("Long");
    case FieldType::Currency: return QStringLiteral("Currency");
    case FieldType::Double: return QStringLiteral("Double");
    case FieldType::DateTime: return QStringLiteral("Date/Time");
    case FieldType::Text: return QStringLiteral("Text");
    case FieldType::LongBinary: return QStringLiteral("Long Binary");
    case FieldType::Memo: return QStringLiteral("Memo");
    }
    return QStringLiteral("Unknown");
}

bool IsTextType(FieldType type) { return type == FieldType::Text || type == FieldType::Memo; }

int TableDef::fieldIndex(const QString& fieldName) const
{
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

const FieldDef* TableDef::field(const QString& fieldName) const
{
    const int i = fieldIndex(fieldName);
    return i < 0 ? nullptr : &fields[i];
}

const IndexDef* TableDef::index(const QString& indexName) const
{
    for (const IndexDef& index : indexes)
        if (index.name.compare(indexName, Qt::CaseInsensitive) == 0)
            return &index;
    return nullptr;
}
