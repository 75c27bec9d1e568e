#pragma once
#include <QString>
#include <QStringList>

// Field types of a catalog table, numbered as the catalog format has always numbered them.
enum class FieldType : int {
    Boolean = 1,    // Yes/No: True is -1, False is 0
    Integer = 3,    // 16-bit
    Long = 4,       // 32-bit
    Currency = 5,   // four decimals
    Double = 7,
    DateTime = 8,
    Text = 10,      // limited by size
    LongBinary = 11,
    Memo = 12,
};

// Display names as the schema listing shows them ("Text", "Yes/No", "Long Binary", ...).
QString FieldTypeName(FieldType type);
bool IsTextType(FieldType type);

namespace FieldAttribute {
constexpr int FixedSize = 1;
constexpr int VariableLength = 2;
constexpr int AutoIncrement = 16;
} // namespace FieldAttribute

// The text size a Text field gets when none is given.
constexpr int DefaultTextSize = 50;

struct FieldDef {
    QString name;
    FieldType type = FieldType::Text;
    int size = 0; // characters, for Text only
    int attributes = 0;
    bool required = false;
    bool allowZeroLength = false;
    QString defaultValue; // as the catalog format keeps it: "0", "\"text\"", "GenUniqueID()", ...
    int ordinalPosition = 0;

    bool isAutoIncrement() const { return attributes & FieldAttribute::AutoIncrement; }
};

struct IndexDef {
    QString name;
    QStringList fields;
    bool primary = false;
    bool unique = false;
    bool required = false;
    bool ignoreNulls = false;
    bool clustered = false;
};

// A table definition: built up field by field before it is appended to a database, or read back from one.
struct TableDef {
    QString name;
    QList<FieldDef> fields;
    QList<IndexDef> indexes;

    int fieldIndex(const QString& fieldName) const;
    const FieldDef* field(const QString& fieldName) const;
    const IndexDef* index(const QString& indexName) const;
};
