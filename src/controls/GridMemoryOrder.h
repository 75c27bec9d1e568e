#pragma once
#include "controls/GridSource.h"

#include <functional>
#include <vector>

// Sorting and grouping of records held in memory (an unbound grid, a bound one over a statement the engine
// cannot page), by the columns' sort kinds.
namespace GridMemoryOrder
{

// Orders a, b by kind: Null first, then numbers by value (Number), date-times (Date) or text without regard to
// case (Text). Values that do not read as the kind come after those that do, as text.
int Compare(const QVariant& a, const QVariant& b, GridColumn::SortKind kind);

// Puts keys (every record's key) in order by the sort levels, ties kept in key order, then into groups when
// group levels are given. valueOf reads one field of a record by key.
void Arrange(std::vector<qint64>& keys, const std::function<QVariant(qint64, int)>& valueOf,
             const QList<GridSource::OrderLevel>& groups, const QList<GridSource::OrderLevel>& sort,
             GridGroupTree* tree);

} // namespace GridMemoryOrder
