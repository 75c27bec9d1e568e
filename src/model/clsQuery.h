#pragma once
#include "model/Subject.h"
#include "model/clsQueryItem.h"
#include "platform/DbError.h"

#include <QString>
#include <QVariant>

#include <list>

// A subject's criteria and the FROM clause they give. For a query subject the criteria are stored in its
// [Tree].[Criteria]; any other subject's query yields the items filed in it. A soft query is never stored
// (the advanced search keeps one on a category's root).
//
// Stored form: one record per criterion, records separated by CR with none after the last; a record is
// "Field" LF column TAB "Condition" LF number TAB "Value" LF value. Two characters or fewer mean none.
class clsQuery {
public:
    explicit clsQuery(const Subject& subject = Subject());

    const Subject& subject() const { return m_subject; }

    // Appends a criterion; its comparison kind is worked out from the column's field.
    clsQueryItem* Add(const QString& column, int condition, const QVariant& value);
    bool Remove(int position);
    bool Remove(const QString& key);
    // nullptr when there is no such criterion; positions count from 1.
    clsQueryItem* Item(int position);
    clsQueryItem* Item(const QString& key);
    int Count() const { return int(m_items.size()); }
    void Clear() { m_items.clear(); }

    auto begin() { return m_items.begin(); }
    auto end() { return m_items.end(); }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

    // The FROM clause: the category's table, filtered by the criteria joined with OR (for a query subject
    // with criteria, or any soft query), by [TreeID] for a plain subject, or not at all for a root.
    // Criteria whose column is gone are dropped first, and the stored text is rewritten without them.
    // The empty text when the subject has no category.
    QString SQLString(bool softQuery);
    // Whether "SELECT COUNT(*) FROM " + SQLString(false) runs.
    bool Valid();

    // Whether the subject is a query subject. Setting it off also clears the stored criteria.
    bool IsDefinable() const;
    DbError SetDefinable(bool definable);

    // Replaces the criteria by the stored ones; records naming a column that is gone, and damaged
    // records, are skipped.
    void ReadData();
    // Stores the criteria for the subject.
    DbError WriteData() const;
    // The stored form of the criteria.
    QString CriteriaText() const;

private:
    int KindOfColumn(const QString& column) const;
    QStringList FieldNames() const;

    Subject m_subject;
    std::list<clsQueryItem> m_items; // a list: the items Add returns stay where they are
    int m_nextKey = 1;
    bool m_staleOnRead = false; // ReadData skipped records whose column is gone
};
