#include "model/Category.h"

#include "app/clsCatalog.h"
#include "model/Categories.h"
#include "model/CategoryImageListInterface.h"
#include "model/ItemEditorWindowsInterface.h"
#include "model/Subject.h"
#include "model/SubjectViewInterface.h"
#include "platform/Database.h"
#include "storage/modBinaryField.h"
#include "storage/modDBOperations.h"

#include <QFile>
#include <QFileInfo>

namespace {

QString Quoted(QString text)
{
    text.replace(QLatin1Char('\''), QLatin1String("''"));
    return text;
}

// Yes/No values come back from lookups as True/False; older rows may hold numbers.
bool ToBool(const QString& text)
{
    if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    bool ok = false;
    const double number = text.toDouble(&ok);
    return ok && number != 0;
}

// Text written into a 255-character field is cut to its first 255 characters.
QString Text255(const QString& text) { return text.left(255); }

} // namespace

Category::Category(int id, Database* db) : m_id(id), m_db(db) {}

QString Category::Lookup(const QString& field, const QString& defaultValue, bool emptyIsDefault) const
{
    return modDBOperations::QueryValue(m_db,
                                       QStringLiteral("SELECT [") + field + QStringLiteral("] FROM [Categories] WHERE [ID] = ") +
                                           QString::number(m_id),
                                       defaultValue, emptyIsDefault);
}

DbError Category::Update(const QString& assignment) const
{
    if (!m_db)
        return {DbErrorNumber::NotOpen, QStringLiteral("The category belongs to no open catalog.")};
    const Result<int> done = m_db->Execute(QStringLiteral("UPDATE [Categories] SET ") + assignment +
                                           QStringLiteral(" WHERE [ID] = ") + QString::number(m_id));
    return done ? DbError{} : done.error();
}

DbError Category::UpdateText(const QString& field, const QString& text) const
{
    return Update(QStringLiteral("[") + field + QStringLiteral("] = '") + Quoted(Text255(text)) + QLatin1Char('\''));
}

DbError Category::SetName(const QString& name)
{
    if (DbError error = UpdateText(QStringLiteral("Name"), name))
        return error;
    m_name = Text255(name);
    return {};
}

DbError Category::SetTitleColumn(const QString& name)
{
    // The column carries the category's record of its title along with the field's new name.
    if (clsColumn* column = Columns().Item(m_titleColumn)) {
        if (!column->SetName(name))
            return {DbErrorNumber::ItemNotFound, QStringLiteral("The title column could not be renamed.")};
        return {};
    }
    if (DbError error = UpdateText(QStringLiteral("TitleColumn"), name))
        return error;
    m_titleColumn = Text255(name);
    return {};
}

QString Category::Description() const { return Lookup(QStringLiteral("Description")); }
DbError Category::SetDescription(const QString& text) { return UpdateText(QStringLiteral("Description"), text); }

QString Category::SingleDisplay() const { return Lookup(QStringLiteral("SingleDisplay"), m_name, true); }
DbError Category::SetSingleDisplay(const QString& text) { return UpdateText(QStringLiteral("SingleDisplay"), text); }

int Category::Parent() const { return Lookup(QStringLiteral("Parent"), QStringLiteral("0"), true).toInt(); }

DbError Category::SetParent(int parentId)
{
    // Walk up from the new parent: meeting this category means the parent is one of its descendants.
    QSet<int> seen;
    for (int ancestor = parentId; ancestor != 0 && !seen.contains(ancestor);) {
        if (ancestor == m_id)
            return {DbErrorNumber::DataTypeMismatch,
                    QStringLiteral("A category cannot behave as a sub category of itself or of one of its own sub "
                                   "categories.")};
        seen.insert(ancestor);
        ancestor = modDBOperations::QueryValue(m_db,
                                               QStringLiteral("SELECT [Parent] FROM [Categories] WHERE [ID] = ") +
                                                   QString::number(ancestor),
                                               QStringLiteral("0"), true)
                       .toInt();
    }
    if (DbError error = Update(QStringLiteral("[Parent] = ") + QString::number(parentId)))
        return error;
    UpdateParent();
    const Result<int> items = m_db->Execute(QStringLiteral("UPDATE [") + DBName() + QStringLiteral("] SET [ParentID] = 0"));
    return items ? DbError{} : items.error();
}

bool Category::DrawFromParent() const { return ToBool(Lookup(QStringLiteral("DrawFromParent"), QStringLiteral("0"), true)); }

DbError Category::SetDrawFromParent(bool on)
{
    return Update(QStringLiteral("[DrawFromParent] = ") + (on ? QStringLiteral("True") : QStringLiteral("False")));
}

bool Category::TreeHidden() const { return ToBool(Lookup(QStringLiteral("Hidden"), QStringLiteral("0"), true)); }

DbError Category::SetTreeHidden(bool hidden)
{
    if (DbError error = Update(QStringLiteral("[Hidden] = ") + (hidden ? QStringLiteral("True") : QStringLiteral("False"))))
        return error;
    // Rebuilding the node also rebuilds the sub categories that hung below it, wherever they now belong.
    QSet<int> done;
    RebuildNodes(done);
    return {};
}

QString Category::DefaultMedia() const { return Lookup(QStringLiteral("DefaultMedia")); }
DbError Category::SetDefaultMedia(const QString& columnName) { return UpdateText(QStringLiteral("DefaultMedia"), columnName); }
QString Category::DefaultMemo() const { return Lookup(QStringLiteral("DefaultMemo")); }
DbError Category::SetDefaultMemo(const QString& columnName) { return UpdateText(QStringLiteral("DefaultMemo"), columnName); }

Category* Category::DrawCategory()
{
    if (DrawFromParent() && IsChild())
        if (Category* parent = Catalog().categories().Item(Parent()))
            return parent;
    return this;
}

QString Category::ImageMain() const
{
    switch (m_type) {
    case People: return QStringLiteral("Person Color");
    case Relational: return QStringLiteral("Relational");
    default: return QStringLiteral("Folder 256");
    }
}

QString Category::ImageMainSelected() const
{
    switch (m_type) {
    case People: return QStringLiteral("Person Color");
    case Relational: return QStringLiteral("Relational");
    default: return QStringLiteral("Open Folder");
    }
}

Subject Category::RootSubject() const
{
    if (SubjectViewInterface* view = Catalog().Subjects)
        return view->Item(DBName());
    return Subject(DBName());
}

clsColumns& Category::Columns()
{
    if (!m_columns.category())
        m_columns.SetCategory(this);
    if (m_columns.Count() == 0)
        m_columns.Reset();
    return m_columns;
}

clsColumns Category::EditableColumns()
{
    clsColumns editable;
    editable.SetCategory(this);
    for (const clsColumns::Ptr& column : Columns())
        if (!column->IsIDField())
            editable.AddByCol(column);
    return editable;
}

Categories Category::ChildList() const
{
    Categories children;
    for (const auto& category : Catalog().categories()) {
        if (category->ID() == m_id || category->CType() == Relational)
            continue;
        if (IsParentOf(category->ID()))
            children.Add(category->ID(), m_db);
    }
    return children;
}

void Category::LoadValues()
{
    m_columns.SetCategory(this);
    m_name = Lookup(QStringLiteral("Name"));
    m_type = Lookup(QStringLiteral("Type"), QStringLiteral("0")).toInt();
    m_titleColumn = Lookup(QStringLiteral("TitleColumn"));
    SetListImage(false, QString());
}

DbError Category::SetListImage(bool newImage, const QString& filePath)
{
    CategoryImageListInterface* list = CategoryImageListInterface::Main();
    if (!list && !newImage && filePath.isEmpty())
        return {}; // no picture to set and nothing to store
    if (list && !list->HasImage(DBName()))
        list->SetBuiltInCopy(DBName(), QStringLiteral("Plain Document"));
    if (!m_db)
        return {DbErrorNumber::NotOpen, QStringLiteral("The category belongs to no open catalog.")};

    Result<std::unique_ptr<Recordset>> opened = m_db->OpenRecordset(
        QStringLiteral("SELECT [BinImageMain] FROM [Categories] WHERE [ID] = ") + QString::number(m_id),
        RecordsetType::Dynaset);
    if (!opened)
        return opened.error();
    Recordset& rs = *opened.value();
    if (rs.Eof())
        return {DbErrorNumber::NoCurrentRecord, QStringLiteral("The category %1 has no row.").arg(m_id)};

    // Each stored icon replaces the one before: appending to a field that holds a file would join them.
    const auto store = [&rs](const QString& path) -> DbError {
        if (DbError error = rs.Edit())
            return error;
        if (DbError error = rs.SetValue(0, QVariant()))
            return error;
        if (DbError error = modBinaryField::StoreFileInField(rs, 0, path)) {
            rs.CancelUpdate();
            return error;
        }
        return rs.Update();
    };
    if (newImage && list) {
        const QString chosen = list->ChooseIconFile(QStringLiteral("Select an Icon..."), QStringLiteral("Icons (*.ico)|*.ico"));
        if (!chosen.isEmpty() && QFileInfo(chosen).isFile())
            if (DbError error = store(chosen))
                return error;
    }
    if (!filePath.isEmpty())
        if (DbError error = store(filePath))
            return error;

    if (!list)
        return {};
    switch (m_type) {
    case People: list->SetBuiltInCopy(DBName(), QStringLiteral("Person")); break;
    case Relational: list->SetBuiltInCopy(DBName(), QStringLiteral("Relational")); break;
    default:
        if (rs.FieldSize(0) > 0) {
            const Result<QString> file = modBinaryField::ExtractFieldToFile(rs, 0);
            if (!file)
                return file.error();
            list->LoadFromFile(DBName(), *file);
            QFile::remove(*file);
        }
        break;
    }
    return {};
}

bool Category::IsParentOf(int categoryId) const
{
    return modDBOperations::QueryValue(m_db,
                                       QStringLiteral("SELECT [Parent] FROM [Categories] WHERE [ID] = ") +
                                           QString::number(categoryId),
                                       QStringLiteral("0"), true)
               .toInt() == m_id;
}

void Category::PlaceNode()
{
    SubjectViewInterface* view = Catalog().Subjects;
    if (!view || !view->HasNode(DBName()))
        return;
    const Category* parent = IsChild() ? Catalog().categories().Item(Parent()) : nullptr;
    // Under a hidden parent, or one the tree refuses, the category stays at the root.
    if (parent && parent != this && !TreeHidden() && !parent->TreeHidden() && view->HasNode(parent->DBName()) &&
        view->MoveNode(DBName(), parent->DBName()))
        return;
    view->MoveNode(DBName(), QString());
}

void Category::RebuildNodes(QSet<int>& done)
{
    SubjectViewInterface* view = Catalog().Subjects;
    if (!view || done.contains(m_id))
        return;
    done.insert(m_id);
    // Removing the node takes the nodes of the sub categories below it along; they are built again too.
    ClearSubjects();
    BuildSubjects(view);
    PlaceNode();
    for (const auto& category : Catalog().categories())
        if (category.get() != this && IsParentOf(category->ID()))
            category->RebuildNodes(done);
    view->Sort();
}

void Category::UpdateParent()
{
    SubjectViewInterface* view = Catalog().Subjects;
    if (!view)
        return;
    if (IsChild()) {
        PlaceNode();
        view->Sort();
        return;
    }
    QSet<int> done;
    RebuildNodes(done);
}

void Category::BuildSubjects(SubjectViewInterface* view)
{
    if (!view)
        return;
    const bool hidden = TreeHidden();
    if (!(hidden && view == Catalog().Subjects)) {
        const QString icon = m_type == People       ? QStringLiteral("People")
                             : m_type == Relational ? QStringLiteral("Relational")
                                                    : QStringLiteral("Special Folder");
        view->AddNode(QString(), DBName(), m_name, DBName(), icon, icon);
    }
    if (hidden || !m_db)
        return;

    Result<std::unique_ptr<Recordset>> rows = m_db->OpenRecordset(
        QStringLiteral("SELECT * FROM [Tree] WHERE [CID] = ") + QString::number(m_id) + QLatin1Char(';'),
        RecordsetType::Snapshot, true);
    if (!rows)
        return;
    QList<QPair<qint64, qint64>> nesting;
    QSet<qint64> ids;
    for (Recordset& rs = *rows.value(); !rs.Eof(); rs.MoveNext()) {
        const qint64 id = rs.Value(QStringLiteral("ID")).toLongLong();
        const bool isQuery = rs.Value(QStringLiteral("Type")).toInt() == 1;
        view->AddNode(DBName(), QString::number(id) + QLatin1Char('A'), rs.Value(QStringLiteral("Subject")).toString(), id,
                      isQuery ? QStringLiteral("Magnify") : ImageMain(),
                      isQuery ? QStringLiteral("Magnify") : ImageMainSelected());
        ids.insert(id);
        nesting.append({id, rs.Value(QStringLiteral("ParentID")).toLongLong()});
    }
    // A subject hangs under its parent subject when that subject is one of this category's; otherwise
    // (0, empty, deleted, another category's) directly under the category node.
    for (const auto& [id, parent] : nesting)
        if (parent != 0 && parent != id && ids.contains(parent))
            view->MoveNode(QString::number(id) + QLatin1Char('A'), QString::number(parent) + QLatin1Char('A'));
    view->Sort();
}

void Category::ClearSubjects()
{
    if (SubjectViewInterface* view = Catalog().Subjects)
        view->Remove(DBName());
}

void Category::ClearItems()
{
    if (ItemEditorWindowsInterface* windows = ItemEditorWindowsInterface::Main())
        windows->CloseEditorsOfCategory(m_id);
}

DbError Category::ResetColumns()
{
    if (!m_columns.category())
        m_columns.SetCategory(this);
    return m_columns.Reset();
}

QList<QPair<int, QString>> Category::FillListSubjects() const
{
    QList<QPair<int, QString>> list{{0, QString()}};
    if (!m_db)
        return list;
    Result<std::unique_ptr<Recordset>> rows =
        m_db->OpenRecordset(QStringLiteral("SELECT [ID],[Subject] FROM [Tree] WHERE [CID] = ") + QString::number(m_id) +
                                QStringLiteral(" AND ([Type] = 0 OR [Type] IS NULL) ORDER BY [Subject]"),
                            RecordsetType::ForwardOnly, true);
    if (!rows)
        return list;
    for (Recordset& rs = *rows.value(); !rs.Eof(); rs.MoveNext())
        list.append({rs.Value(0).toInt(), rs.Value(1).toString()});
    return list;
}
