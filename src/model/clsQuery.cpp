#include "model/clsQuery.h"

#include "app/clsCatalog.h"
#include "model/Category.h"
#include "model/SubjectViewInterface.h"
#include "platform/Database.h"
#include "storage/modDBOperations.h"

#include <iterator>

clsQuery::clsQuery(const Subject& subject) : m_subject(subject) {}

QStringList clsQuery::FieldNames() const
{
    QStringList names;
    const Category* category = m_subject.category();
    Database* db = Catalog().database();
    if (!category || !db)
        return names;
    const Result<TableDef> table = db->Table(category->DBName());
    if (table)
        for (const FieldDef& field : table->fields)
            names << field.name;
    return names;
}

int clsQuery::KindOfColumn(const QString& column) const
{
    const Category* category = m_subject.category();
    Database* db = Catalog().database();
    if (!category || !db)
        return clsQueryItem::TextKind;
    const Result<TableDef> table = db->Table(category->DBName());
    const FieldDef* field = table ? table->field(column) : nullptr;
    if (!field)
        return clsQueryItem::TextKind;
    switch (field->type) {
    case FieldType::Integer:
    case FieldType::Long:
    case FieldType::Double:
    case FieldType::Currency:
    case FieldType::Boolean: return clsQueryItem::NumberKind;
    case FieldType::DateTime: return clsQueryItem::DateKind;
    default: return clsQueryItem::TextKind;
    }
}

clsQueryItem* clsQuery::Add(const QString& column, int condition, const QVariant& value)
{
    clsQueryItem item;
    item.SetColumn(column);
    item.SetCondition(condition);
    item.SetValue(value);
    item.SetQueryColumnType(KindOfColumn(column));
    item.SetKey(QStringLiteral("Q") + QString::number(m_nextKey++));
    m_items.push_back(item);
    return &m_items.back();
}

bool clsQuery::Remove(int position)
{
    if (position < 1 || position > Count())
        return false;
    m_items.erase(std::next(m_items.begin(), position - 1));
    return true;
}

bool clsQuery::Remove(const QString& key)
{
    for (auto it = m_items.begin(); it != m_items.end(); ++it)
        if (it->Key() == key) {
            m_items.erase(it);
            return true;
        }
    return false;
}

clsQueryItem* clsQuery::Item(int position)
{
    if (position < 1 || position > Count())
        return nullptr;
    return &*std::next(m_items.begin(), position - 1);
}

clsQueryItem* clsQuery::Item(const QString& key)
{
    for (clsQueryItem& item : m_items)
        if (item.Key() == key)
            return &item;
    return nullptr;
}

QString clsQuery::SQLString(bool softQuery)
{
    const Category* category = m_subject.category();
    if (!category)
        return QString();
    const QString table = QStringLiteral("[") + category->DBName() + QLatin1Char(']');

    const QStringList fields = FieldNames();
    const auto stale = [&fields](const clsQueryItem& item) { return !modDBOperations::ItemExists(fields, item.Column()); };
    const bool dropped = std::erase_if(m_items, stale) > 0;
    if (dropped || m_staleOnRead) {
        m_staleOnRead = false;
        WriteData();
    }

    if ((!m_items.empty() && IsDefinable()) || softQuery) {
        if (m_items.empty())
            return table;
        QString entries;
        for (const clsQueryItem& item : m_items)
            entries += QStringLiteral(" OR ") + item.SQLEntry();
        return table + QStringLiteral(" WHERE ") + entries.mid(3);
    }
    if (m_subject.IsCategory())
        return table;
    return table + QStringLiteral(" WHERE [TreeID] = ") + QString::number(m_subject.TreeID());
}

bool clsQuery::Valid()
{
    Database* db = Catalog().database();
    const QString source = SQLString(false);
    if (!db || source.isEmpty())
        return false;
    Result<std::unique_ptr<Recordset>> rows =
        db->OpenRecordset(QStringLiteral("SELECT COUNT(*) FROM ") + source, RecordsetType::ForwardOnly, true);
    if (!rows)
        return false;
    const Recordset& rs = *rows.value();
    return !rs.Eof() && !rs.lastError();
}

bool clsQuery::IsDefinable() const
{
    if (m_subject.IsCategory())
        return false;
    return modDBOperations::QueryValue(Catalog().database(),
                                       QStringLiteral("SELECT [Type] FROM [Tree] WHERE [ID] = ") +
                                           QString::number(m_subject.TreeID()),
                                       QStringLiteral("0"), true) == QLatin1String("1");
}

DbError clsQuery::SetDefinable(bool definable)
{
    Database* db = Catalog().database();
    if (m_subject.IsCategory())
        return {};
    if (!db)
        return {DbErrorNumber::NotOpen, QStringLiteral("No catalog is open.")};
    const QString where = QStringLiteral(" WHERE [ID] = ") + QString::number(m_subject.TreeID());
    if (definable) {
        const Result<int> done = db->Execute(QStringLiteral("UPDATE [Tree] SET [Type] = 1") + where);
        if (!done)
            return done.error();
    } else {
        for (const QString& statement : {QStringLiteral("UPDATE [Tree] SET [Type] = 0"), QStringLiteral("UPDATE [Tree] SET [Criteria] = ''")}) {
            const Result<int> done = db->Execute(statement + where);
            if (!done)
                return done.error();
        }
        // The criteria are gone from the file; a later WriteData must not bring them back.
        m_items.clear();
    }
    if (m_subject.HasNode()) {
        const Category* category = m_subject.category();
        if (definable)
            m_subject.view()->SetNodeImages(m_subject.NodeKey(), QStringLiteral("Magnify"), QStringLiteral("Magnify"));
        else if (category)
            m_subject.view()->SetNodeImages(m_subject.NodeKey(), category->ImageMain(), category->ImageMainSelected());
    }
    return {};
}

void clsQuery::ReadData()
{
    m_items.clear();
    m_staleOnRead = false;
    Database* db = Catalog().database();
    if (m_subject.IsCategory() || !db)
        return;
    QString criteria;
    {
        Result<std::unique_ptr<Recordset>> row = db->OpenRecordset(
            QStringLiteral("SELECT * FROM [Tree] WHERE [ID] = ") + QString::number(m_subject.TreeID()),
            RecordsetType::ForwardOnly, true);
        if (!row || row.value()->Eof())
            return;
        criteria = row.value()->Value(QStringLiteral("Criteria")).toString();
    }
    if (criteria.size() <= 2 || criteria.trimmed().isEmpty())
        return;

    const QStringList fields = FieldNames();
    for (const QString& record : criteria.split(QLatin1Char('\r'))) {
        QString column, value;
        bool hasColumn = false;
        int condition = 0;
        for (const QString& part : record.split(QLatin1Char('\t'))) {
            const qsizetype lf = part.indexOf(QLatin1Char('\n'));
            if (lf < 0)
                continue;
            const QString name = part.left(lf);
            const QString text = part.mid(lf + 1).section(QLatin1Char('\n'), 0, 0);
            if (name.compare(QLatin1String("Field"), Qt::CaseInsensitive) == 0) {
                column = text;
                hasColumn = true;
            } else if (name.compare(QLatin1String("Condition"), Qt::CaseInsensitive) == 0) {
                bool ok = false;
                condition = text.trimmed().toInt(&ok);
                if (!ok)
                    condition = 0;
            } else if (name.compare(QLatin1String("Value"), Qt::CaseInsensitive) == 0) {
                value = text;
            }
        }
        // A damaged record (no column, no usable condition) is skipped; a missing value counts as empty.
        if (!hasColumn || column.isEmpty() || condition < clsQueryItem::Contains || condition > clsQueryItem::IsLessThan)
            continue;
        if (!modDBOperations::ItemExists(fields, column)) {
            m_staleOnRead = true;
            continue;
        }
        Add(column, condition, value);
    }
}

QString clsQuery::CriteriaText() const
{
    QString text;
    for (const clsQueryItem& item : m_items)
        text += item.WritableEntry();
    text.chop(1);
    return text;
}

DbError clsQuery::WriteData() const
{
    Database* db = Catalog().database();
    if (m_subject.IsCategory())
        return {};
    if (!db)
        return {DbErrorNumber::NotOpen, QStringLiteral("No catalog is open.")};
    Result<std::unique_ptr<Recordset>> row = db->OpenRecordset(
        QStringLiteral("SELECT [Criteria] FROM [Tree] WHERE [ID] = ") + QString::number(m_subject.TreeID()),
        RecordsetType::Dynaset);
    if (!row)
        return row.error();
    Recordset& rs = *row.value();
    if (rs.Eof())
        return {DbErrorNumber::NoCurrentRecord, QStringLiteral("The subject %1 has no row.").arg(m_subject.ID())};
    if (DbError error = rs.Edit())
        return error;
    if (DbError error = rs.SetValue(0, CriteriaText())) {
        rs.CancelUpdate();
        return error;
    }
    return rs.Update();
}
