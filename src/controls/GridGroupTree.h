#pragma once
#include <QList>
#include <QVariant>

#include <functional>
#include <vector>

// The records of a grouped grid: their keys in display order and a tree of groups over ranges of them, with
// each group's expansion and the mapping between display rows and groups or records.
//
// Display rows count from 0 here; each group shows as one header row, followed, when it is expanded, by its
// subgroups or (at the innermost level) its records.
class GridGroupTree
{
public:
    // One level of order: the distinct values met at that level, their order and its direction.
    struct Level {
        bool descending = false;
        // Negative, 0 or positive; values that compare 0 fall into one group.
        std::function<int(const QVariant&, const QVariant&)> compare;
        std::vector<QVariant> values;
    };
    struct Node {
        int level = 0;    // 0 for the outermost level
        QVariant value;   // the group's value, as read from its first record
        qint64 first = 0; // position of its first record among the keys
        qint64 count = 0; // records in the group
        int parent = -1;
        std::vector<int> children;
        bool expanded = false;
        qint64 rows = 1;                // display rows: its header and, when expanded, everything under it
        std::vector<qint64> childStart; // display row of each child's header, relative to this header
    };
    // What a display row shows.
    struct Place {
        int node = -1;        // the group whose header this is, or -1 for a record
        qint64 position = -1; // the record's position among the keys, or -1 for a header
    };

    GridGroupTree() = default;

    // Puts records in order by the levels and makes groups of the first groupLevels of them. keys holds the
    // record keys and comes back in order; tupleOf[i] names the entry of tuples that record keys[i] has:
    // for each level, the index of its value among that level's values. Records with equal values keep the
    // order they came in. Each level's distinct values are compared once, so a million records with a
    // thousand distinct values cost a thousand values' sorting and a pass over the records.
    static GridGroupTree Build(std::vector<qint64>& keys, const std::vector<int>& tupleOf,
                               const std::vector<std::vector<int>>& tuples, const QList<Level>& levels,
                               int groupLevels);

    // Replaces each group's value (read as stored, for comparing) by the form shown.
    void ConvertValues(const std::function<QVariant(int level, const QVariant&)>& convert);

    bool IsEmpty() const { return m_levels == 0; }
    int LevelCount() const { return m_levels; }
    const std::vector<Node>& Nodes() const { return m_nodes; }
    const std::vector<int>& Roots() const { return m_roots; }
    const Node& node(int index) const { return m_nodes[size_t(index)]; }
    bool IsLeaf(int index) const { return m_nodes[size_t(index)].level == m_levels - 1; }

    // Expansion.
    void SetAllExpanded(bool expanded);
    void SetExpanded(int node, bool expanded);
    // Display rows the groups take.
    qint64 RowCount() const { return m_rows; }
    Place Locate(qint64 row) const;
    qint64 RowOfNode(int node) const;
    // The display row of a record; -1 when a collapsed group hides it.
    qint64 RowOfPosition(qint64 position) const;
    // The innermost group holding a record position, or -1.
    int LeafOf(qint64 position) const;
    // Takes a record out of the counts (after it was deleted); positions after it move up by one.
    void RemovePosition(qint64 position);

private:
    void Resize(int node);
    void RebuildRoots();
    int Find(const std::vector<int>& nodes, qint64 position) const;

    int m_levels = 0;
    std::vector<Node> m_nodes;
    std::vector<int> m_roots;
    std::vector<qint64> m_rootStart;
    qint64 m_rows = 0;
};
