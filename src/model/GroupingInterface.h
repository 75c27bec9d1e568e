#pragma once
#include <QString>

// The grouping of an item grid, as a subject stores and restores it. The item view's grid implements it.
// Groups are counted from 0, outermost first; a group's column is named by the key of the grid column it
// groups, which is the field name; sort orders are 1 (ascending) and -1 (descending).
class GroupingInterface {
public:
    virtual ~GroupingInterface() = default;

    virtual int GroupCount() const = 0;
    virtual QString GroupColumnKey(int index) const = 0;
    virtual int GroupSortOrder(int index) const = 0;

    virtual void ClearGroups() = 0;
    // Adds an innermost group on the grid column with that key; false when the grid has no such column.
    virtual bool AddGroup(const QString& columnKey, int sortOrder) = 0;
    // Regroups the rows with every group collapsed.
    virtual void RegroupCollapsed() = 0;
};
