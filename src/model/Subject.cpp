#include "model/Subject.h"

#include "app/clsCatalog.h"
#include "model/Category.h"
#include "model/GroupingInterface.h"
#include "model/ItemViewInterface.h"
#include "model/SubjectViewInterface.h"
#include "model/clsQuery.h"
#include "platform/Database.h"
#include "platform/UserInterface.h"
#include "storage/modDBOperations.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <functional>

namespace {

QString Quoted(QString text)
{
    text.replace(QLatin1Char('\''), QLatin1String("''"));
    return text;
}

QString InvalidNameMessage(const QString& name)
{
    return QStringLiteral("'") + name +
           QStringLiteral("' is an invalid subject because of either a single quote or exclamation mark in the name.");
}

// The category ID in a category key ("ktbl12" gives 12); 0 when the key is not one.
int CategoryIdOfKey(const QString& key)
{
    if (!key.startsWith(QLatin1String("ktbl"), Qt::CaseInsensitive))
        return 0;
    bool ok = false;
    const int id = key.mid(4).toInt(&ok);
    return ok && id > 0 ? id : 0;
}

// "57A" gives "57"; a category node key stays as it is.
QString SubjectKeyOfNode(const QString& nodeKey)
{
    if (nodeKey.endsWith(QLatin1Char('A')) && Subject::IsNumericKey(nodeKey.chopped(1)))
        return nodeKey.chopped(1);
    return nodeKey;
}

struct TreeRow {
    qint64 id = 0;
    qint64 parent = 0;
    QString name;
};

} // namespace

Subject::Subject(const QString& id, SubjectViewInterface* view) : m_id(id), m_view(view) {}

bool Subject::IsNumericKey(const QString& key)
{
    static const QRegularExpression digits(QStringLiteral("^\\s*\\d+\\s*$"));
    return digits.match(key).hasMatch();
}

qint64 Subject::TreeID() const { return IsCategory() ? 0 : m_id.trimmed().toLongLong(); }

QString Subject::NodeKey() const { return SubjectViewInterface::NodeKey(m_id); }

bool Subject::HasNode() const { return m_view && m_view->HasNode(NodeKey()); }

Category* Subject::category() const
{
    if (m_categoryId < 0) {
        if (IsCategory())
            m_categoryId = CategoryIdOfKey(m_id);
        else
            m_categoryId = modDBOperations::QueryValue(Catalog().database(),
                                                       QStringLiteral("SELECT [CID] FROM [Tree] WHERE [ID] = ") +
                                                           QString::number(TreeID()),
                                                       QStringLiteral("0"), true)
                               .toInt();
    }
    return m_categoryId > 0 ? Catalog().categories().Item(m_categoryId) : nullptr;
}

clsQuery Subject::Query() const
{
    clsQuery query(*this);
    if (!IsCategory())
        query.ReadData();
    return query;
}

void Subject::MakeSelected() const
{
    if (SubjectViewInterface* view = Catalog().Subjects)
        view->SetSelected(m_id);
}

bool Subject::Rename(const QString& newName) const
{
    if (modDBOperations::IsInvalidName(newName)) {
        Ui().ShowMessage(InvalidNameMessage(newName));
        return false;
    }
    if (IsCategory()) {
        Category* owner = category();
        if (!owner || owner->SetName(newName))
            return false;
    } else {
        Database* db = Catalog().database();
        if (!db || !db->Execute(QStringLiteral("UPDATE [Tree] SET [Subject] = '") + Quoted(newName.left(255)) +
                                QStringLiteral("' WHERE [ID] = ") + QString::number(TreeID())))
            return false;
    }
    if (HasNode()) {
        m_view->SetNodeText(NodeKey(), newName);
        MakeSelected();
    }
    return true;
}

HashTable Subject::ChildSubjects(bool text) const
{
    HashTable result;
    if (HasNode()) {
        QSet<QString> seen;
        const std::function<void(const QString&)> walk = [&](const QString& nodeKey) {
            for (const QString& child : m_view->ChildKeys(nodeKey)) {
                if (seen.contains(child))
                    continue;
                seen.insert(child);
                result.Add(text ? m_view->NodeText(child) : SubjectKeyOfNode(child));
                walk(child);
            }
        };
        walk(NodeKey());
        return result;
    }

    // No tree at hand: the nesting of the category's [Tree] rows, each level by name as the tree sorts it.
    Category* owner = category();
    Database* db = Catalog().database();
    if (!owner || !db)
        return result;
    Result<std::unique_ptr<Recordset>> rows =
        db->OpenRecordset(QStringLiteral("SELECT [ID],[ParentID],[Subject] FROM [Tree] WHERE [CID] = ") +
                              QString::number(owner->ID()),
                          RecordsetType::ForwardOnly, true);
    if (!rows)
        return result;
    QList<TreeRow> all;
    QSet<qint64> ids;
    for (Recordset& rs = *rows.value(); !rs.Eof(); rs.MoveNext()) {
        all.append({rs.Value(0).toLongLong(), rs.Value(1).toLongLong(), rs.Value(2).toString()});
        ids.insert(all.last().id);
    }
    QHash<qint64, QList<TreeRow>> children; // parent 0: directly under the category
    for (const TreeRow& row : all)
        children[row.parent != row.id && ids.contains(row.parent) ? row.parent : 0].append(row);
    for (auto& list : children)
        std::stable_sort(list.begin(), list.end(), [](const TreeRow& a, const TreeRow& b) {
            return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
        });
    QSet<qint64> seen;
    const std::function<void(qint64)> walk = [&](qint64 parent) {
        for (const TreeRow& row : children.value(parent)) {
            if (seen.contains(row.id))
                continue;
            seen.insert(row.id);
            result.Add(text ? row.name : QString::number(row.id));
            walk(row.id);
        }
    };
    walk(TreeID());
    return result;
}

bool Subject::OpenSubject() const
{
    clsQuery query = Query();
    if (!query.Valid()) {
        Ui().ShowMessage(QStringLiteral("The query defined for this view is invalid. Please redefine the query in the "
                                        "subject's properties."));
        return false;
    }
    ItemViewInterface* itemView = ItemViewInterface::Main();
    if (!itemView)
        return true;
    const Category* owner = category();
    itemView->SetSubject(*this);
    itemView->SetViewType(query.IsDefinable() ? 1 : (owner && owner->CType() == Category::Relational ? 4 : 0));
    itemView->RefreshView();
    return true;
}

bool Subject::UpdateParent(const Subject& newParent) const
{
    Database* db = Catalog().database();
    const Category* owner = category();
    if (!db || IsCategory() || !owner || newParent.category() != owner)
        return false;
    // The new parent must not be the subject itself or lie below it.
    QSet<qint64> seen;
    for (qint64 ancestor = newParent.TreeID(); ancestor != 0 && !seen.contains(ancestor);) {
        if (ancestor == TreeID())
            return false;
        seen.insert(ancestor);
        ancestor = modDBOperations::QueryValue(db, QStringLiteral("SELECT [ParentID] FROM [Tree] WHERE [ID] = ") +
                                                       QString::number(ancestor),
                                               QStringLiteral("0"), true)
                       .toLongLong();
    }
    if (HasNode() && !m_view->MoveNode(NodeKey(), newParent.NodeKey()))
        return false;
    return bool(db->Execute(QStringLiteral("UPDATE [Tree] SET [ParentID] = ") + QString::number(newParent.TreeID()) +
                            QStringLiteral(" WHERE [ID] = ") + QString::number(TreeID())));
}

QString Subject::Notes() const
{
    if (IsCategory())
        return QString();
    return modDBOperations::QueryValue(Catalog().database(),
                                       QStringLiteral("SELECT [Notes] FROM [Tree] WHERE [ID] = ") + QString::number(TreeID()));
}

DbError Subject::SetNotes(const QString& notes) const
{
    if (IsCategory())
        return {};
    Database* db = Catalog().database();
    if (!db)
        return {DbErrorNumber::NotOpen, QStringLiteral("No catalog is open.")};
    const Result<int> done = db->Execute(QStringLiteral("UPDATE [Tree] SET [Notes] = '") + Quoted(notes) +
                                         QStringLiteral("' WHERE [ID] = ") + QString::number(TreeID()));
    return done ? DbError{} : done.error();
}

QString Subject::GroupingText(const GroupingInterface& grid)
{
    // Four levels at most: a reader takes no more.
    QStringList levels;
    for (int i = 0; i < grid.GroupCount() && i < 4; ++i)
        levels << grid.GroupColumnKey(i) + QLatin1Char('\r') + (grid.GroupSortOrder(i) < 0 ? QStringLiteral("-1") : QStringLiteral("1"));
    return levels.join(QLatin1Char('\n'));
}

DbError Subject::SaveGrouping(const GroupingInterface& grid) const
{
    Database* db = Catalog().database();
    if (!db)
        return {DbErrorNumber::NotOpen, QStringLiteral("No catalog is open.")};
    const QString text = QStringLiteral("'") + Quoted(GroupingText(grid)) + QLatin1Char('\'');
    const Result<int> done =
        IsCategory() ? db->Execute(QStringLiteral("UPDATE [Categories] SET [Groups] = ") + text +
                                   QStringLiteral(" WHERE [ID] = ") + QString::number(CategoryIdOfKey(m_id)))
                     : db->Execute(QStringLiteral("UPDATE [Tree] SET [Groups] = ") + text + QStringLiteral(" WHERE [ID] = ") +
                                   QString::number(TreeID()));
    return done ? DbError{} : done.error();
}

void Subject::RetrieveGrouping(GroupingInterface& grid) const
{
    Database* db = Catalog().database();
    category();
    const int categoryId = IsCategory() ? CategoryIdOfKey(m_id) : qMax(m_categoryId, 0);
    const QString text =
        IsCategory() ? modDBOperations::QueryValue(db, QStringLiteral("SELECT [Groups] FROM [Categories] WHERE [ID] = ") +
                                                           QString::number(categoryId))
                     : modDBOperations::QueryValue(db, QStringLiteral("SELECT [Groups] FROM [Tree] WHERE [ID] = ") +
                                                           QString::number(TreeID()));
    if (text.isEmpty() || !db)
        return;
    const Result<TableDef> table = db->Table(QStringLiteral("ktbl") + QString::number(categoryId));
    QStringList fields;
    if (table)
        for (const FieldDef& field : table->fields)
            fields << field.name;

    grid.ClearGroups();
    const QStringList levels = text.split(QLatin1Char('\n'));
    for (int i = 0; i < levels.size() && i < 4; ++i) {
        const QString& level = levels.at(i);
        const qsizetype cr = level.indexOf(QLatin1Char('\r'));
        const QString field = cr < 0 ? level : level.left(cr);
        const int order = cr >= 0 && level.mid(cr + 1).trimmed() == QLatin1String("-1") ? -1 : 1;
        // A level whose column was deleted or renamed is skipped.
        if (modDBOperations::ItemExists(fields, field))
            grid.AddGroup(field, order);
    }
    grid.RegroupCollapsed();
}

Result<qint64> Subject::Create(Category& category, const QString& name, const QString& parentKey)
{
    if (modDBOperations::IsInvalidName(name))
        return DbError{3075, InvalidNameMessage(name)};
    Database* db = category.database();
    if (!db)
        return DbError{DbErrorNumber::NotOpen, QStringLiteral("No catalog is open.")};
    qint64 parent = 0;
    if (!parentKey.isEmpty() && parentKey.compare(category.DBName(), Qt::CaseInsensitive) != 0) {
        parent = IsNumericKey(parentKey) ? parentKey.trimmed().toLongLong() : 0;
        if (parent <= 0 ||
            modDBOperations::QueryCount(QStringLiteral("SELECT COUNT(*) FROM [Tree] WHERE [ID] = ") + QString::number(parent) +
                                            QStringLiteral(" AND [CID] = ") + QString::number(category.ID()),
                                        db) != 1)
            return DbError{DbErrorNumber::ItemNotFound, QStringLiteral("'%1' is not a subject of the category '%2'.")
                                                            .arg(parentKey, category.Name())};
    }
    Result<std::unique_ptr<Recordset>> table = db->OpenRecordset(QStringLiteral("Tree"), RecordsetType::Table);
    if (!table)
        return table.error();
    Recordset& rs = *table.value();
    if (DbError error = rs.AddNew())
        return error;
    const qint64 id = rs.Value(QStringLiteral("ID")).toLongLong();
    for (const auto& [field, value] : {std::pair{"CID", QVariant(category.ID())}, std::pair{"ParentID", QVariant(parent)},
                                       std::pair{"Subject", QVariant(name.left(255))}, std::pair{"Type", QVariant(0)}})
        if (DbError error = rs.SetValue(QString::fromUtf8(field), value)) {
            rs.CancelUpdate();
            return error;
        }
    if (DbError error = rs.Update())
        return error;
    return id;
}
