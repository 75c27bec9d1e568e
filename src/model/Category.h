#pragma once
#include "model/clsColumns.h"
#include "platform/DbError.h"

#include <QList>
#include <QPair>
#include <QSet>
#include <QString>

class Categories;
class Database;
class Subject;
class SubjectViewInterface;

// One category of a catalog: a kind of record with its own data table ("ktbl" + ID), its own columns and
// its own subject tree. Only the name, the type and the title column are kept in memory; every other
// property is read from and written to its [Categories] row on each access, so the database is always the
// truth. Setters return the database's error of their statement.
class Category {
public:
    enum Type { Ordinary = 0, People = 1, Relational = 2 };

    Category(int id, Database* db);
    Category(const Category&) = delete;
    Category& operator=(const Category&) = delete;

    int ID() const { return m_id; }
    Database* database() const { return m_db; }
    QString DBName() const { return QStringLiteral("ktbl") + QString::number(m_id); }

    QString Name() const { return m_name; }
    DbError SetName(const QString& name);
    int CType() const { return m_type; }
    QString TitleColumn() const { return m_titleColumn; }
    // Renames the title column's field (keeping its column settings) and records the new name. When the
    // field cannot be renamed the column reports it and the category keeps the old name.
    DbError SetTitleColumn(const QString& name);

    QString Description() const;
    DbError SetDescription(const QString& text);
    // The word for one item; the category's name when none is stored.
    QString SingleDisplay() const;
    DbError SetSingleDisplay(const QString& text);
    // The parent category's ID, 0 for none.
    int Parent() const;
    // Records the parent, places the category's node under it (or at the root) and makes every item of
    // the category a top-level item. A parent that is the category itself or one of its sub categories
    // is refused: the tree could not show the loop.
    DbError SetParent(int parentId);
    bool DrawFromParent() const;
    DbError SetDrawFromParent(bool on);
    // Whether the main subject view leaves the category out ("Visible in Subject View" inverted).
    bool TreeHidden() const;
    DbError SetTreeHidden(bool hidden);
    QString DefaultMedia() const;
    DbError SetDefaultMedia(const QString& columnName);
    QString DefaultMemo() const;
    DbError SetDefaultMemo(const QString& columnName);

    bool IsChild() const { return Parent() != 0; }
    // The category whose people and auto-complete values this one uses: its parent when it draws from
    // its parent, otherwise itself.
    Category* DrawCategory();
    // Icon names of the category's plain subjects, normal and selected.
    QString ImageMain() const;
    QString ImageMainSelected() const;
    // The category's root subject, as the main subject view makes it.
    Subject RootSubject() const;
    // The category's columns; filled on first use.
    clsColumns& Columns();
    // A new collection with the same column objects, leaving out the fixed fields.
    clsColumns EditableColumns();
    // Fresh categories for every category of the catalog that behaves as a sub category of this one,
    // the Relational category excepted.
    Categories ChildList() const;

    // Binds the columns and reads the cached values, then sets the category's picture.
    void LoadValues();
    // Sets the category's picture in the main window's category image list; with newImage the user first
    // chooses an icon file, with filePath that file is stored as the category's icon.
    DbError SetListImage(bool newImage, const QString& filePath);
    bool IsParentOf(int categoryId) const;
    // Places the category's node in the main subject view: under its parent's node when it has a parent
    // and neither is hidden, otherwise built again at the root; its sub categories follow it.
    void UpdateParent();
    // Adds the category's node and its subjects' nodes to the view.
    void BuildSubjects(SubjectViewInterface* view);
    // Removes the category's node, with everything below it, from the main subject view.
    void ClearSubjects();
    // Closes the stand-alone item editors that show the category's items.
    void ClearItems();
    DbError ResetColumns();
    // Empties the column collection so that it is read again on next use.
    void ForgetColumns() { m_columns.Clear(); }
    // The category's plain subjects by name, after an entry for no subject: (0, "").
    QList<QPair<int, QString>> FillListSubjects() const;

private:
    friend class clsColumn; // a renamed title column updates the cache

    QString Lookup(const QString& field, const QString& defaultValue = QString(), bool emptyIsDefault = false) const;
    DbError Update(const QString& assignment) const;
    DbError UpdateText(const QString& field, const QString& text) const;
    void PlaceNode();
    void RebuildNodes(QSet<int>& done);

    int m_id;
    Database* m_db;
    QString m_name;
    int m_type = Ordinary;
    QString m_titleColumn;
    clsColumns m_columns;
};
