#include "controls/GridGroupTree.h"

#include <algorithm>
#include <numeric>

namespace
{
struct Builder {
    const QList<GridGroupTree::Level>& levels;
    const std::vector<std::vector<int>>& tuples;
    const std::vector<std::vector<int>>& rank; // per level, the rank of each value
    const std::vector<int>& leafTuple;         // representative tuple of each innermost run
    const std::vector<qint64>& offsets;        // first record position of each run, plus the end
    int groupLevels;
    std::vector<GridGroupTree::Node>& nodes;

    int Rank(int tuple, int level) const { return rank[size_t(level)][size_t(tuples[size_t(tuple)][size_t(level)])]; }

    // Makes the groups of one level over the runs [begin, end), whose outer levels are equal.
    std::vector<int> Make(int level, size_t begin, size_t end, int parent)
    {
        std::vector<int> made;
        size_t run = begin;
        while (run < end) {
            size_t next = run + 1;
            while (next < end && Rank(leafTuple[run], level) == Rank(leafTuple[next], level))
                ++next;
            const int index = int(nodes.size());
            GridGroupTree::Node node;
            node.level = level;
            node.value = levels[level].values[size_t(tuples[size_t(leafTuple[run])][size_t(level)])];
            node.first = offsets[run];
            node.count = offsets[next] - offsets[run];
            node.parent = parent;
            nodes.push_back(std::move(node));
            if (level + 1 < groupLevels) {
                std::vector<int> children = Make(level + 1, run, next, index);
                nodes[size_t(index)].children = std::move(children);
            }
            made.push_back(index);
            run = next;
        }
        return made;
    }
};
} // namespace

GridGroupTree GridGroupTree::Build(std::vector<qint64>& keys, const std::vector<int>& tupleOf,
                                   const std::vector<std::vector<int>>& tuples, const QList<Level>& levels,
                                   int groupLevels)
{
    GridGroupTree tree;
    const int levelCount = int(levels.size());
    groupLevels = std::clamp(groupLevels, 0, levelCount);
    tree.m_levels = groupLevels;
    if (levelCount == 0)
        return tree;

    // Each level's values are put in order once; equal ones share a rank.
    std::vector<std::vector<int>> rank(static_cast<size_t>(levelCount));
    for (int l = 0; l < levelCount; ++l) {
        const Level& level = levels[l];
        std::vector<int> order(level.values.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&level](int a, int b) {
            return level.compare(level.values[size_t(a)], level.values[size_t(b)]) < 0;
        });
        std::vector<int>& levelRank = rank[size_t(l)];
        levelRank.assign(level.values.size(), 0);
        int r = 0;
        for (size_t i = 0; i < order.size(); ++i) {
            if (i > 0 && level.compare(level.values[size_t(order[i - 1])], level.values[size_t(order[i])]) != 0)
                ++r;
            levelRank[size_t(order[i])] = r;
        }
        if (level.descending)
            for (int& value : levelRank)
                value = r - value;
    }
    // Each tuple's ranks side by side, so that sorting the tuples reads one flat array; up to four levels
    // of small ranks fold into one number.
    const size_t tupleCount = tuples.size();
    std::vector<int> ranks(tupleCount * size_t(levelCount));
    for (size_t t = 0; t < tupleCount; ++t)
        for (int l = 0; l < levelCount; ++l)
            ranks[t * size_t(levelCount) + size_t(l)] = rank[size_t(l)][size_t(tuples[t][size_t(l)])];
    std::vector<int> widths(static_cast<size_t>(levelCount), 1);
    int bits = 0;
    for (int l = 0; l < levelCount; ++l) {
        const std::vector<int>& levelRanks = rank[size_t(l)];
        const int largest = levelRanks.empty() ? 0 : *std::max_element(levelRanks.begin(), levelRanks.end());
        while ((largest >> widths[size_t(l)]) > 0)
            ++widths[size_t(l)];
        bits += widths[size_t(l)];
    }
    std::vector<quint64> folded;
    if (bits <= 64) {
        folded.resize(tupleCount);
        for (size_t t = 0; t < tupleCount; ++t) {
            quint64 value = 0;
            for (int l = 0; l < levelCount; ++l)
                value = (value << widths[size_t(l)]) | quint64(ranks[t * size_t(levelCount) + size_t(l)]);
            folded[t] = value;
        }
    }
    const auto less = [&](int a, int b) {
        if (!folded.empty())
            return folded[size_t(a)] < folded[size_t(b)];
        const int* x = &ranks[size_t(a) * size_t(levelCount)];
        const int* y = &ranks[size_t(b) * size_t(levelCount)];
        return std::lexicographical_compare(x, x + levelCount, y, y + levelCount);
    };
    std::vector<int> order(tupleCount);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), less);

    // Tuples that rank equal on every level (the same text in another letter case) go together.
    std::vector<int> runOfTuple(tuples.size(), 0);
    std::vector<int> runTuple;
    for (const int tuple : order) {
        if (runTuple.empty() || less(runTuple.back(), tuple))
            runTuple.push_back(tuple);
        runOfTuple[size_t(tuple)] = int(runTuple.size()) - 1;
    }

    std::vector<qint64> offsets(runTuple.size() + 1, 0);
    for (const int tuple : tupleOf)
        ++offsets[size_t(runOfTuple[size_t(tuple)]) + 1];
    std::partial_sum(offsets.begin(), offsets.end(), offsets.begin());
    std::vector<qint64> next(offsets.begin(), offsets.end() - 1);
    std::vector<qint64> placed(keys.size());
    for (size_t i = 0; i < keys.size(); ++i)
        placed[size_t(next[size_t(runOfTuple[size_t(tupleOf[i])])]++)] = keys[i];
    keys.swap(placed);

    if (groupLevels > 0) {
        tree.m_nodes.reserve(std::min(runTuple.size() * size_t(groupLevels), keys.size() * size_t(groupLevels)) + 1);
        Builder builder{levels, tuples, rank, runTuple, offsets, groupLevels, tree.m_nodes};
        tree.m_roots = builder.Make(0, 0, runTuple.size(), -1);
        tree.SetAllExpanded(false);
    }
    return tree;
}

void GridGroupTree::Resize(int index)
{
    Node& n = m_nodes[size_t(index)];
    if (n.count == 0) {
        n.rows = 0; // a group whose records were all deleted takes no row
        return;
    }
    n.rows = 1;
    if (!n.expanded)
        return;
    if (n.level == m_levels - 1) {
        n.rows += n.count;
        return;
    }
    n.childStart.resize(n.children.size());
    for (size_t i = 0; i < n.children.size(); ++i) {
        n.childStart[i] = n.rows;
        n.rows += m_nodes[size_t(n.children[i])].rows;
    }
}

void GridGroupTree::RebuildRoots()
{
    m_rootStart.resize(m_roots.size());
    m_rows = 0;
    for (size_t i = 0; i < m_roots.size(); ++i) {
        m_rootStart[i] = m_rows;
        m_rows += m_nodes[size_t(m_roots[i])].rows;
    }
}

void GridGroupTree::SetAllExpanded(bool expanded)
{
    // Children always come after their parent, so going backwards sizes every child before its parent.
    for (Node& n : m_nodes)
        n.expanded = expanded;
    for (int i = int(m_nodes.size()) - 1; i >= 0; --i)
        Resize(i);
    RebuildRoots();
}

void GridGroupTree::SetExpanded(int index, bool expanded)
{
    if (index < 0 || index >= int(m_nodes.size()))
        return;
    m_nodes[size_t(index)].expanded = expanded;
    for (int n = index; n >= 0; n = m_nodes[size_t(n)].parent)
        Resize(n);
    RebuildRoots();
}

GridGroupTree::Place GridGroupTree::Locate(qint64 row) const
{
    Place place;
    if (row < 0 || row >= m_rows)
        return place;
    const auto root = std::upper_bound(m_rootStart.begin(), m_rootStart.end(), row) - 1;
    int index = m_roots[size_t(root - m_rootStart.begin())];
    qint64 relative = row - *root;
    for (;;) {
        const Node& n = m_nodes[size_t(index)];
        if (relative == 0) {
            place.node = index;
            return place;
        }
        if (n.level == m_levels - 1) {
            place.position = n.first + relative - 1;
            return place;
        }
        const auto child = std::upper_bound(n.childStart.begin(), n.childStart.end(), relative) - 1;
        relative -= *child;
        index = n.children[size_t(child - n.childStart.begin())];
    }
}

int GridGroupTree::Find(const std::vector<int>& nodes, qint64 position) const
{
    // Children are in record order; the last one starting at or before the position holds it (empty groups
    // share their start with the next one and are passed over).
    const auto after = std::upper_bound(nodes.begin(), nodes.end(), position,
                                        [this](qint64 p, int n) { return p < m_nodes[size_t(n)].first; });
    for (auto it = after; it != nodes.begin();) {
        --it;
        const Node& n = m_nodes[size_t(*it)];
        if (position >= n.first && position < n.first + n.count)
            return int(it - nodes.begin());
        if (n.count > 0)
            break;
    }
    return -1;
}

qint64 GridGroupTree::RowOfNode(int index) const
{
    if (index < 0 || index >= int(m_nodes.size()) || m_nodes[size_t(index)].rows == 0)
        return -1;
    std::vector<int> path;
    for (int n = index; n >= 0; n = m_nodes[size_t(n)].parent)
        path.push_back(n);
    std::reverse(path.begin(), path.end());
    const int rootIndex = int(std::find(m_roots.begin(), m_roots.end(), path.front()) - m_roots.begin());
    qint64 row = m_rootStart[size_t(rootIndex)];
    for (size_t i = 1; i < path.size(); ++i) {
        const Node& parent = m_nodes[size_t(path[i - 1])];
        if (!parent.expanded)
            return -1;
        const auto it = std::find(parent.children.begin(), parent.children.end(), path[i]);
        row += parent.childStart[size_t(it - parent.children.begin())];
    }
    return row;
}

qint64 GridGroupTree::RowOfPosition(qint64 position) const
{
    int at = Find(m_roots, position);
    if (at < 0)
        return -1;
    qint64 row = m_rootStart[size_t(at)];
    int index = m_roots[size_t(at)];
    for (;;) {
        const Node& n = m_nodes[size_t(index)];
        if (!n.expanded)
            return -1;
        if (n.level == m_levels - 1)
            return row + 1 + (position - n.first);
        at = Find(n.children, position);
        if (at < 0)
            return -1;
        row += n.childStart[size_t(at)];
        index = n.children[size_t(at)];
    }
}

int GridGroupTree::LeafOf(qint64 position) const
{
    int at = Find(m_roots, position);
    if (at < 0)
        return -1;
    int index = m_roots[size_t(at)];
    while (m_nodes[size_t(index)].level < m_levels - 1) {
        const Node& n = m_nodes[size_t(index)];
        at = Find(n.children, position);
        if (at < 0)
            return -1;
        index = n.children[size_t(at)];
    }
    return index;
}

void GridGroupTree::RemovePosition(qint64 position)
{
    for (Node& n : m_nodes) {
        if (n.first > position)
            --n.first;
        else if (position < n.first + n.count)
            --n.count;
    }
    for (int i = int(m_nodes.size()) - 1; i >= 0; --i)
        Resize(i);
    RebuildRoots();
}

void GridGroupTree::ConvertValues(const std::function<QVariant(int, const QVariant&)>& convert)
{
    for (Node& n : m_nodes)
        n.value = convert(n.level, n.value);
}
