#pragma once
#include "platform/DbError.h"
#include "platform/FieldDef.h"

#include <QString>

class Category;

// One column of a category: a field of the category's data table, with what the field alone cannot say
// (the column type as the user chose it, width, position, visibility), kept in the column's [Columns]
// row, found by [CID] and [Name].
class clsColumn {
public:
    // Column type codes, as [Columns].[Type] stores them.
    enum Type {
        PlainText = 1,
        People = 2,
        AutoComplete = 3,
        Date = 4,
        Currency = 5,
        Media = 6,
        Memo = 7,
        InternetFile = 8,
        Integer = 9,
        LongInteger = 10,
        DoublePrecision = 11,
        Checkbox = 12,
        DateSelection = 13,
    };
    // Edit kinds and sort kinds of the item grid.
    enum EditKind { EditTextBox = 1, EditCheckBox = 2, EditCalendar = 4 };
    enum SortKind { SortText = 1, SortNumber = 2, SortDate = 3 };

    // Binds the column to a field of the category's data table and loads its settings; makes the
    // [Columns] row when there is none. Fails only when that row cannot be made.
    DbError AssignField(const FieldDef& field, Category* category);

    QString Name() const { return m_field.name; }
    // Renames the field and keeps the [Columns] row (and, for the title column, the category's record of
    // it) with it, all or nothing. On failure shows the rename message and returns false.
    bool SetName(const QString& newName);

    // The stored width when it is greater than 14; otherwise a default that grows with the name (twips).
    int Width() const;
    // True when a width was stored (the person sized the column), false while the default applies.
    bool HasStoredWidth() const { return m_width > 14; }
    DbError SetWidth(int width);
    int Position() const { return m_position; }
    DbError SetPosition(int position);
    bool Hidden() const { return m_hidden; }
    // The category's title column never takes the flag.
    DbError SetHidden(bool hidden);

    int ColumnType() const { return m_columnType; }
    // Writes [Type]; the field itself is not changed, so a type the field cannot have reads back as the
    // field's own type.
    DbError SetColumnType(int type);
    // Works the column type out from the field type and the stored type.
    void SetColumnType();

    // The field's default value text.
    QString DefaultValue() const { return m_field.defaultValue; }
    // Every " is " is taken out of the value first. On failure shows the default-value message.
    bool SetDefaultValue(const QString& value);

    int SortType() const;
    int EditType() const;
    QString Format() const;
    // False for Long Binary and Memo fields, which never become grid columns.
    bool IsViewable() const;
    bool IsIDField() const { return m_isIdField; }
    // Columns that cannot be renamed or deleted: "Category" in the People and Relational categories, and
    // the Relational category's title column.
    bool IsRequired() const;
    static bool IsRequiredName(const QString& name, const Category& category);

    const FieldDef& Field() const { return m_field; }
    Category* category() const { return m_category; }

    // The [Columns] row condition for a field name and category.
    static QString RowCondition(const QString& fieldName, int categoryId);

private:
    DbError WriteSetting(const QString& setting, const QString& value);

    FieldDef m_field;
    Category* m_category = nullptr;
    int m_width = 0;
    int m_position = 0;
    bool m_hidden = false;
    int m_storedType = 0;
    int m_columnType = 0;
    bool m_isIdField = false;
};
