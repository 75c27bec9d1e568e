#include "cli/CliCommand.h"

#include "app/clsCatalog.h"
#include "model/Category.h"
#include "model/Subject.h"
#include "model/clsColumn.h"
#include "model/clsQuery.h"
#include "platform/JetDate.h"
#include "storage/modDBCreation.h"
#include "storage/modDBOperations.h"

#include <QRegularExpression>

namespace {

using Context = CliContext;

// The query builder's limit, which the command line keeps too.
constexpr int MaxCriteria = 35;

const QString InvalidQueryMessage =
    QStringLiteral("The query defined for this view is invalid. Please redefine the query in the subject's properties.");

// A category by its ID or, failing that, by its name (letter case ignored).
Category* FindCategory(Context& c, const QString& text)
{
    Categories& categories = Catalog().categories();
    bool numeric = false;
    const int id = text.trimmed().toInt(&numeric);
    if (numeric)
        if (Category* category = categories.Item(id))
            return category;
    for (const auto& category : categories)
        if (category->Name().compare(text, Qt::CaseInsensitive) == 0)
            return category.get();
    c.Fail(QStringLiteral("No category has the ID or name '%1'.").arg(text));
    return nullptr;
}

// Names typed for columns (and title columns) take letters a to z, digits and spaces, up to 50 of them.
bool IsColumnName(const QString& name)
{
    static const QRegularExpression allowed(QStringLiteral("^[A-Za-z0-9 ]{1,50}$"));
    return allowed.match(name).hasMatch();
}

const QString ColumnNameRule =
    QStringLiteral("A column name may hold only the letters a to z, the digits 0 to 9 and spaces, and at most 50 of them.");

// A column type code, or its caption in the new-column dialog's type tree.
int ColumnTypeOf(const QString& text)
{
    bool numeric = false;
    const int code = text.trimmed().toInt(&numeric);
    if (numeric)
        return code >= clsColumn::PlainText && code <= clsColumn::DateSelection ? code : 0;
    static const std::pair<const char*, int> captions[] = {
        {"Text", 1},     {"Plain Text", 1}, {"Auto-complete", 3},  {"People", 2},       {"Internet/File", 8},
        {"Memo/Rich Text", 7}, {"Date", 4}, {"Currency", 5},       {"Media", 6},        {"Checkbox", 12},
        {"Number", 9},   {"Integer", 9},    {"Long Integer", 10},  {"Double Precision", 11},
    };
    for (const auto& [caption, type] : captions)
        if (text.trimmed().compare(QLatin1String(caption), Qt::CaseInsensitive) == 0)
            return type;
    return 0;
}

bool TableHasField(const Category& category, const QString& name, QString* realName = nullptr)
{
    const Result<TableDef> table = Catalog().database()->Table(category.DBName());
    const FieldDef* field = table ? table->field(name) : nullptr;
    if (field && realName)
        *realName = field->name;
    return field != nullptr;
}

int AddCategory(Context& c)
{
    const QString name = c.args.value(2);
    const QString title = c.args.size() > 3 ? c.args.value(3) : QStringLiteral("Title");
    if (!c.OpenCatalog(c.args.value(1)))
        return 1;
    if (name.trimmed().isEmpty())
        return c.Fail(QStringLiteral("Please enter a value for the category's name."));
    if (name.size() > 50)
        return c.Fail(QStringLiteral("A category name may have at most 50 characters."));
    for (const auto& category : Catalog().categories())
        if (category->Name().compare(name, Qt::CaseInsensitive) == 0)
            return c.Fail(QStringLiteral("A category with this name already exists."));
    if (title.trimmed().isEmpty())
        return c.Fail(QStringLiteral("Please enter a value for the title column's name."));
    if (!IsColumnName(title))
        return c.Fail(ColumnNameRule);
    if (Catalog().IsIDField(title))
        return c.Fail(QStringLiteral("'%1' is the name of a field every category keeps for itself; please choose a "
                                     "different name for the title column.")
                          .arg(title));
    const Result<int> id = modDBCreation::CreateCategory(*Catalog().database(), name, title, Category::Ordinary);
    if (!id)
        return c.Fail(QStringLiteral("The category could not be created: %1").arg(id.error().message));
    Catalog().categories().Add(*id, Catalog().database());
    c.out << *id << Qt::endl;
    return 0;
}

int AddColumn(Context& c)
{
    if (!c.OpenCatalog(c.args.value(1)))
        return 1;
    Category* category = FindCategory(c, c.args.value(2));
    if (!category)
        return 1;
    const QString name = c.args.value(3);
    const int type = ColumnTypeOf(c.args.value(4));
    if (type == 0)
        return c.Fail(QStringLiteral("'%1' is not a column type: give a code from 1 to 13 or one of Text, Plain Text, "
                                     "Auto-complete, People, Internet/File, Memo/Rich Text, Date, Currency, Media, "
                                     "Checkbox, Number, Integer, Long Integer, Double Precision.")
                          .arg(c.args.value(4)));
    // The new-column dialog's checks, in its order.
    if (TableHasField(*category, name))
        return c.Fail(QStringLiteral("A column with this name already exists."));
    if (name.isEmpty())
        return c.Fail(QStringLiteral("Please type a name for the new column."));
    if (!IsColumnName(name))
        return c.Fail(ColumnNameRule);
    if (Catalog().IsIDField(name))
        return c.Fail(QStringLiteral("'%1' is the name of a field every category keeps for itself; please choose a "
                                     "different name.")
                          .arg(name));
    // AddField reports its own failure.
    if (!modDBOperations::AddField(*Catalog().database(), category->DBName(), name, type, false, false, false, 0, category))
        return 1;
    category->ResetColumns();
    return 0;
}

int Columns(Context& c)
{
    if (!c.OpenCatalog(c.args.value(1)))
        return 1;
    Category* category = FindCategory(c, c.args.value(2));
    if (!category)
        return 1;
    for (const auto& column : category->Columns())
        c.out << column->Name() << '\t' << column->ColumnType() << '\t' << column->Width() << '\t' << column->Position()
              << '\t' << (column->Hidden() ? "hidden" : "visible") << '\t' << (column->IsIDField() ? "system" : "editable")
              << '\t' << column->DefaultValue() << '\n';
    c.out.flush();
    return 0;
}

int AddSubject(Context& c)
{
    if (!c.OpenCatalog(c.args.value(1)))
        return 1;
    Category* category = FindCategory(c, c.args.value(2));
    if (!category)
        return 1;
    const Result<qint64> id = Subject::Create(*category, c.args.value(3), c.args.value(4));
    if (!id)
        return c.Fail(id.error().message);
    c.out << *id << Qt::endl;
    return 0;
}

// A subject of the open catalog by its key, with its category loaded; otherwise says why not.
bool FindSubject(Context& c, const QString& key, bool treeOnly, Subject* subject)
{
    *subject = Subject(key.trimmed());
    const bool exists = subject->IsCategory()
                            ? !treeOnly && subject->category()
                            : modDBOperations::QueryCount(QStringLiteral("SELECT COUNT(*) FROM [Tree] WHERE [ID] = ") +
                                                              QString::number(subject->TreeID()),
                                                          Catalog().database()) == 1;
    if (!exists || !subject->category()) {
        c.Fail(treeOnly ? QStringLiteral("No subject has the ID '%1'.").arg(key)
                        : QStringLiteral("No subject has the key '%1'.").arg(key));
        return false;
    }
    return true;
}

int SetCriteria(Context& c)
{
    if (!c.OpenCatalog(c.args.value(1)))
        return 1;
    Subject subject;
    if (!FindSubject(c, c.args.value(2), true, &subject))
        return 1;
    const QStringList criteria = c.args.mid(3);
    if (criteria.size() % 3 != 0)
        return c.Fail(QStringLiteral("Criteria come in threes: COLUMN CONDITION VALUE."));
    if (criteria.size() / 3 > MaxCriteria)
        return c.Fail(QStringLiteral("A maximum of only %1 search criteria are possible.").arg(MaxCriteria));

    clsQuery query = subject.Query();
    query.Clear();
    const Category& category = *subject.category();
    for (int i = 0; i < criteria.size(); i += 3) {
        QString column;
        if (!TableHasField(category, criteria.at(i), &column))
            return c.Fail(QStringLiteral("The category '%1' has no column '%2'.").arg(category.Name(), criteria.at(i)));
        bool numeric = false;
        const int condition = criteria.at(i + 1).trimmed().toInt(&numeric);
        if (!numeric || clsQueryItem::ConditionCaption(condition).isEmpty())
            return c.Fail(QStringLiteral("'%1' is not a condition: give 1 Contains, 2 Does Not Contain, 3 Begins With, "
                                         "4 Equals, 5 Does Not Begin With, 6 Does Not Equal, 7 Is Greater Than or "
                                         "8 Is Less Than.")
                              .arg(criteria.at(i + 1)));
        const QString value = criteria.at(i + 2);
        if (value.contains(QLatin1Char('\r')) || value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\t')))
            return c.Fail(QStringLiteral("A criterion's value cannot hold tabs or line breaks."));
        query.Add(column, condition, value);
    }
    if (query.Count() == 0) {
        if (DbError error = query.SetDefinable(false))
            return c.Fail(QStringLiteral("Error %1: %2").arg(error.number).arg(error.message));
        return 0;
    }
    if (DbError error = query.SetDefinable(true))
        return c.Fail(QStringLiteral("Error %1: %2").arg(error.number).arg(error.message));
    if (DbError error = query.WriteData())
        return c.Fail(QStringLiteral("Error %1: %2").arg(error.number).arg(error.message));
    return 0;
}

int List(Context& c)
{
    if (!c.OpenCatalog(c.args.value(1)))
        return 1;
    Subject subject;
    if (!FindSubject(c, c.args.value(2), false, &subject))
        return 1;
    Category& category = *subject.category();
    clsQuery query = subject.Query();
    if (!query.Valid())
        return c.Fail(InvalidQueryMessage);

    // The item view's record source: every viewable column, system fields included, in column order.
    QStringList names;
    for (const auto& column : category.Columns())
        if (column->IsViewable())
            names << column->Name();
    if (names.isEmpty())
        return c.Fail(QStringLiteral("The category '%1' has no columns to show.").arg(category.Name()));
    QString sql = QStringLiteral("SELECT [") + names.join(QStringLiteral("],[")) + QStringLiteral("] FROM ") +
                  query.SQLString(false);
    QStringList order;
    if (TableHasField(category, category.TitleColumn()))
        order << QStringLiteral("[") + category.TitleColumn() + QLatin1Char(']');
    if (TableHasField(category, QStringLiteral("ID")))
        order << QStringLiteral("[ID]"); // equal titles keep the order they were added in
    if (!order.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + order.join(QLatin1Char(','));

    Result<std::unique_ptr<Recordset>> rows = Catalog().database()->OpenRecordset(sql, RecordsetType::ForwardOnly, true);
    if (!rows)
        return c.Fail(InvalidQueryMessage);
    return c.PrintRows(*rows.value(), names);
}

} // namespace

const std::vector<CliCommand>& ModelCommands()
{
    static const std::vector<CliCommand> commands = {
        {"add-category", 3, AddCategory,
         "add-category PATH NAME [TITLE-COLUMN]\n"
         "                        add a category (title column \"Title\" unless given); prints its ID"},
        {"add-column", 5, AddColumn,
         "add-column PATH CATEGORY NAME TYPE\n"
         "                        add a column; TYPE is a code 1-13 or a type name (Plain Text, People,\n"
         "                        Auto-complete, Internet/File, Memo/Rich Text, Date, Currency, Media,\n"
         "                        Checkbox, Integer, Long Integer, Double Precision)"},
        {"columns", 3, Columns,
         "columns PATH CATEGORY   the category's columns: name, type code, width, position, hidden,\n"
         "                        editable or system, default value (tab-separated)"},
        {"add-subject", 4, AddSubject,
         "add-subject PATH CATEGORY NAME [PARENT-SUBJECT-ID]\n"
         "                        add a subject to the category (under the parent subject); prints its ID"},
        {"set-criteria", 3, SetCriteria,
         "set-criteria PATH SUBJECT-ID [COLUMN CONDITION VALUE]...\n"
         "                        make the subject a query subject with these criteria (conditions 1-8:\n"
         "                        Contains, Does Not Contain, Begins With, Equals, Does Not Begin With,\n"
         "                        Does Not Equal, Is Greater Than, Is Less Than); none makes it plain again"},
        {"list", 3, List,
         "list PATH SUBJECT-KEY   the items the item view shows for the subject (a subject ID, or \"ktbl\"\n"
         "                        and a category ID for the whole category), by title (tab-separated)"},
    };
    return commands;
}
