#include "model/clsColumn.h"

#include "app/clsCatalog.h"
#include "model/Category.h"
#include "platform/Database.h"
#include "platform/UserInterface.h"
#include "storage/modDBOperations.h"

#include <QRegularExpression>

#include <cmath>

namespace {

// The width of the letter "o" in the program's usual font, in twips; the core has no font metrics, so
// the default width is estimated from it.
constexpr double LetterWidthTwips = 90.0;
constexpr int MaxWidth = 32767; // widths are 16-bit values in the grid

QString Quoted(QString text)
{
    text.replace(QLatin1Char('\''), QLatin1String("''"));
    return text;
}

bool IsNumericText(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^-?\\d+$"));
    return number.match(text).hasMatch();
}

} // namespace

QString clsColumn::RowCondition(const QString& fieldName, int categoryId)
{
    return QStringLiteral(" WHERE [Name] = '") + Quoted(fieldName) + QStringLiteral("' AND [CID] = ") +
           QString::number(categoryId);
}

DbError clsColumn::AssignField(const FieldDef& field, Category* category)
{
    m_field = field;
    m_category = category;
    m_width = m_position = m_storedType = m_columnType = 0;
    m_hidden = false;
    m_isIdField = Catalog().IsIDField(field.name);
    if (!category)
        return {};
    Database* db = category->database();
    const QString where = RowCondition(field.name, category->ID());

    DbError error;
    if (modDBOperations::QueryCount(QStringLiteral("SELECT COUNT(*) FROM [Columns]") + where, db) == 0) {
        if (db) {
            const Result<int> added = db->Execute(QStringLiteral("INSERT INTO [Columns] ([CID],[Name]) VALUES (") +
                                                  QString::number(category->ID()) + QStringLiteral(",'") +
                                                  Quoted(field.name) + QStringLiteral("');"));
            if (!added)
                error = added.error();
        }
        // Catalogs of earlier versions marked some text columns with a property of the field itself.
        const int legacyType = modDBOperations::ReadProperty(db, {category->DBName(), field.name},
                                                             modDBOperations::KindInteger,
                                                             clsCatalog::Property_ColumnType)
                                   .toInt();
        if (!error && (legacyType == People || legacyType == AutoComplete || legacyType == InternetFile))
            SetColumnType(legacyType);
    }

    if (db) {
        Result<std::unique_ptr<Recordset>> row = db->OpenRecordset(
            QStringLiteral("SELECT [Width],[Position],[Hidden],[Type] FROM [Columns]") + where,
            RecordsetType::ForwardOnly, true);
        if (row && !row.value()->Eof()) {
            const Recordset& rs = *row.value();
            m_width = rs.Value(0).toInt();
            m_position = rs.Value(1).toInt();
            m_hidden = rs.Value(2).toBool();
            m_storedType = rs.Value(3).toInt();
        }
    }
    SetColumnType();
    return error;
}

void clsColumn::SetColumnType()
{
    switch (m_field.type) {
    case FieldType::Text:
        m_columnType = (m_storedType == People || m_storedType == AutoComplete || m_storedType == InternetFile ||
                        m_storedType == DateSelection)
                           ? m_storedType
                           : PlainText;
        break;
    case FieldType::Memo: m_columnType = Memo; break;
    case FieldType::LongBinary: m_columnType = Media; break;
    case FieldType::Integer: m_columnType = Integer; break;
    case FieldType::Long: m_columnType = LongInteger; break;
    case FieldType::Double: m_columnType = DoublePrecision; break;
    case FieldType::Boolean: m_columnType = Checkbox; break;
    case FieldType::Currency: m_columnType = Currency; break;
    case FieldType::DateTime: m_columnType = Date; break;
    }
}

DbError clsColumn::WriteSetting(const QString& setting, const QString& value)
{
    if (!m_category || !m_category->database())
        return {DbErrorNumber::NotOpen, QStringLiteral("The column belongs to no open category.")};
    const QString literal = IsNumericText(value) ? value : QStringLiteral("'") + Quoted(value) + QLatin1Char('\'');
    const Result<int> done = m_category->database()->Execute(QStringLiteral("UPDATE [Columns] SET [") + setting +
                                                             QStringLiteral("] = ") + literal +
                                                             RowCondition(m_field.name, m_category->ID()));
    return done ? DbError{} : done.error();
}

bool clsColumn::SetName(const QString& newName)
{
    const auto failed = [] {
        Ui().ShowMessage(QStringLiteral("An error occurred while attempting to change the name of a column."));
        return false;
    };
    Database* db = m_category ? m_category->database() : nullptr;
    if (!db || newName.trimmed().isEmpty())
        return failed();
    const QString oldName = m_field.name;
    const bool isTitle = oldName.compare(m_category->TitleColumn(), Qt::CaseInsensitive) == 0;

    // The field, its [Columns] row and the category's title column change together or not at all.
    Transaction transaction(*db);
    if (transaction.error() || db->RenameField(m_category->DBName(), oldName, newName))
        return failed();
    if (!db->Execute(QStringLiteral("UPDATE [Columns] SET [Name] = '") + Quoted(newName) + QLatin1Char('\'') +
                     RowCondition(oldName, m_category->ID())))
        return failed();
    if (isTitle && !db->Execute(QStringLiteral("UPDATE [Categories] SET [TitleColumn] = '") + Quoted(newName) +
                                QStringLiteral("' WHERE [ID] = ") + QString::number(m_category->ID())))
        return failed();
    if (transaction.Commit())
        return failed();

    const Result<TableDef> table = db->Table(m_category->DBName());
    if (table && table->field(newName))
        m_field = *table->field(newName);
    else
        m_field.name = newName;
    if (isTitle)
        m_category->m_titleColumn = newName;
    return true;
}

int clsColumn::Width() const
{
    if (m_width > 14)
        return qMin(m_width, MaxWidth);
    const double estimate = std::round(LetterWidthTwips * double(m_field.name.size()) * 1.5);
    return int(qMin(estimate, double(MaxWidth)));
}

DbError clsColumn::SetWidth(int width)
{
    if (DbError error = WriteSetting(QStringLiteral("Width"), QString::number(width)))
        return error;
    m_width = width;
    return {};
}

DbError clsColumn::SetPosition(int position)
{
    if (DbError error = WriteSetting(QStringLiteral("Position"), QString::number(position)))
        return error;
    m_position = position;
    return {};
}

DbError clsColumn::SetHidden(bool hidden)
{
    // The title column stays visible: field names compare without regard to case.
    if (m_category && m_field.name.compare(m_category->TitleColumn(), Qt::CaseInsensitive) == 0)
        return {};
    if (DbError error = WriteSetting(QStringLiteral("Hidden"), hidden ? QStringLiteral("-1") : QStringLiteral("0")))
        return error;
    m_hidden = hidden;
    return {};
}

DbError clsColumn::SetColumnType(int type)
{
    if (DbError error = WriteSetting(QStringLiteral("Type"), QString::number(type)))
        return error;
    m_storedType = type;
    m_columnType = type;
    SetColumnType();
    return {};
}

bool clsColumn::SetDefaultValue(const QString& value)
{
    QString text = value;
    text.remove(QStringLiteral(" is "));
    Database* db = m_category ? m_category->database() : nullptr;
    if (!db || db->SetFieldDefault(m_category->DBName(), m_field.name, text)) {
        Ui().ShowMessage(QStringLiteral("An error occurred while attempting to change the default value of a column."));
        return false;
    }
    m_field.defaultValue = text;
    return true;
}

int clsColumn::SortType() const
{
    switch (m_columnType) {
    case Date: return SortDate;
    case Currency:
    case Integer:
    case LongInteger:
    case DoublePrecision:
    case Checkbox: return SortNumber;
    default: return SortText;
    }
}

int clsColumn::EditType() const
{
    switch (m_columnType) {
    case Date:
    case DateSelection: return EditCalendar;
    case Checkbox: return EditCheckBox;
    default: return EditTextBox;
    }
}

QString clsColumn::Format() const
{
    switch (m_columnType) {
    case Date: return QStringLiteral("Short Date");
    case Currency: return QStringLiteral("Currency");
    default: return QString();
    }
}

bool clsColumn::IsViewable() const { return m_field.type != FieldType::LongBinary && m_field.type != FieldType::Memo; }

bool clsColumn::IsRequired() const { return m_category && IsRequiredName(m_field.name, *m_category); }

bool clsColumn::IsRequiredName(const QString& name, const Category& category)
{
    const bool isCategoryColumn = name.compare(QLatin1String("Category"), Qt::CaseInsensitive) == 0;
    switch (category.CType()) {
    case Category::People: return isCategoryColumn;
    case Category::Relational:
        return isCategoryColumn || name.compare(category.TitleColumn(), Qt::CaseInsensitive) == 0;
    default: return false;
    }
}
