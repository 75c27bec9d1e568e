#pragma once
#include "model/HashTable.h"
#include "platform/DbError.h"
#include "platform/Result.h"

#include <QString>

class Category;
class clsQuery;
class GroupingInterface;
class SubjectViewInterface;

// One subject, addressed by its key: the decimal [Tree].[ID] of a plain or query subject, or a category's
// data table name ("ktbl12") for the category's root subject. A light value: everything but its category
// is read from the database when asked.
class Subject {
public:
    explicit Subject(const QString& id = QString(), SubjectViewInterface* view = nullptr);

    QString ID() const { return m_id; }
    // The view that made the subject, and the subject's node in it (empty when it has none).
    SubjectViewInterface* view() const { return m_view; }
    QString NodeKey() const;
    bool HasNode() const;

    // True when the key is not numeric: the subject is a category's root.
    bool IsCategory() const { return !IsNumericKey(m_id); }
    // The subject's category from the catalog's collection, found once and kept; nullptr when there is
    // none (a [Tree] row that is gone, a category that is not loaded).
    Category* category() const;
    // A new query of this subject, filled with its stored criteria.
    clsQuery Query() const;

    // Makes this subject the selected subject of the main subject view.
    void MakeSelected() const;
    // Gives the subject (or the category, for a root) a new name. An empty name, or one with "!", "'" or
    // ".", is refused with a message.
    bool Rename(const QString& newName) const;
    // The subjects below this one, depth first: node texts with text, otherwise subject keys. Read from
    // the tree when the subject has a node, else from the database in the order the tree would show.
    HashTable ChildSubjects(bool text) const;
    // Shows the subject's items in the main item view. False, after the invalid-query message, when the
    // subject's query cannot run.
    bool OpenSubject() const;
    // Moves the subject under newParent (a subject of the same category, or its root). Refused, with
    // nothing written, for a category root, a parent in another category, and the subject itself or one
    // of its descendants.
    bool UpdateParent(const Subject& newParent) const;

    // Free notes; a category root has none, and setting them does nothing.
    QString Notes() const;
    DbError SetNotes(const QString& notes) const;

    // The grouping of the subject's item grid, as stored in [Tree].[Groups] (or [Categories].[Groups] for
    // a root): per level the field name, CR and the sort order 1 or -1; levels joined by LF; at most four.
    DbError SaveGrouping(const GroupingInterface& grid) const;
    void RetrieveGrouping(GroupingInterface& grid) const;
    static QString GroupingText(const GroupingInterface& grid);

    // The [Tree].[ID] of a subject key; 0 for a category key.
    qint64 TreeID() const;
    static bool IsNumericKey(const QString& key);

    // Adds a plain subject named name to the category, under the subject parentKey (a numeric key of the
    // same category) or at its top (the empty text or the category key). Returns the new subject's ID.
    static Result<qint64> Create(Category& category, const QString& name, const QString& parentKey = QString());

private:
    QString m_id;
    SubjectViewInterface* m_view = nullptr;
    mutable int m_categoryId = -1; // -1 until looked up, 0 when there is none
};
