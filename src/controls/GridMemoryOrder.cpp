#include "controls/GridMemoryOrder.h"

#include "platform/JetDate.h"
#include "platform/SqlFunctions.h"

#include <QDateTime>

#include <algorithm>
#include <optional>

namespace GridMemoryOrder
{
namespace
{

std::optional<double> AsNumber(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool() ? -1.0 : 0.0;
    case QMetaType::QString: {
        bool ok = false;
        const double d = v.toString().trimmed().toDouble(&ok);
        return ok ? std::optional<double>(d) : std::nullopt;
    }
    case QMetaType::QDateTime:
        return std::nullopt;
    default: {
        bool ok = false;
        const double d = v.toDouble(&ok);
        return ok ? std::optional<double>(d) : std::nullopt;
    }
    }
}

std::optional<QDateTime> AsDate(const QVariant& v)
{
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime();
    if (v.typeId() == QMetaType::QDate)
        return QDateTime(v.toDate(), QTime(0, 0));
    if (v.typeId() == QMetaType::QString)
        return JetDate::ParseUserText(v.toString());
    return std::nullopt;
}

QString AsText(const QVariant& v)
{
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    if (v.typeId() == QMetaType::QDateTime)
        return JetDate::ToStorage(v.toDateTime());
    return v.toString();
}

template <typename T> int Order(const T& a, const T& b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

} // namespace

int Compare(const QVariant& a, const QVariant& b, GridColumn::SortKind kind)
{
    const bool nullA = !a.isValid() || a.isNull();
    const bool nullB = !b.isValid() || b.isNull();
    if (nullA || nullB)
        return nullA == nullB ? 0 : (nullA ? -1 : 1);
    if (kind == GridColumn::SortKind::Number) {
        const auto x = AsNumber(a);
        const auto y = AsNumber(b);
        if (x && y)
            return Order(*x, *y);
        if (x || y)
            return x ? -1 : 1;
    } else if (kind == GridColumn::SortKind::Date) {
        const auto x = AsDate(a);
        const auto y = AsDate(b);
        if (x && y)
            return Order(*x, *y);
        if (x || y)
            return x ? -1 : 1;
    }
    const int c = CompareNoCase(AsText(a), AsText(b));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

void Arrange(std::vector<qint64>& keys, const std::function<QVariant(qint64, int)>& valueOf,
             const QList<GridSource::OrderLevel>& groups, const QList<GridSource::OrderLevel>& sort,
             GridGroupTree* tree)
{
    const QList<GridSource::OrderLevel> all = groups + sort;
    if (all.isEmpty()) {
        *tree = GridGroupTree();
        return;
    }
    // Every record is its own tuple: a held list is small, and the tree merges the values that compare equal.
    QList<GridGroupTree::Level> levels;
    for (const GridSource::OrderLevel& order : all) {
        GridGroupTree::Level level;
        level.descending = order.descending;
        const GridColumn::SortKind kind = order.kind;
        level.compare = [kind](const QVariant& a, const QVariant& b) { return Compare(a, b, kind); };
        level.values.reserve(keys.size());
        for (const qint64 key : keys)
            level.values.push_back(valueOf(key, order.field));
        levels.append(std::move(level));
    }
    std::vector<std::vector<int>> tuples(keys.size(), std::vector<int>(size_t(all.size())));
    std::vector<int> tupleOf(keys.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        std::fill(tuples[i].begin(), tuples[i].end(), int(i));
        tupleOf[i] = int(i);
    }
    *tree = GridGroupTree::Build(keys, tupleOf, tuples, levels, int(groups.size()));
}

} // namespace GridMemoryOrder
