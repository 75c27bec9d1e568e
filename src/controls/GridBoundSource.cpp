#include "controls/GridBoundSource.h"

#include "controls/GridMemoryOrder.h"
#include "platform/FieldValue.h"
#include "platform/JetSql.h"
#include "platform/SqlFunctions.h"
#include "platform/SqliteValues.h"
#include "platform/StatementCache.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <unordered_map>

namespace
{
QString Q(const QString& name)
{
    return JetSql::QuoteIdentifier(name);
}

DbError Prepare(sqlite3* db, const QString& sql, StatementPtr* statement)
{
    sqlite3_stmt* raw = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &raw, nullptr);
    statement->reset(raw);
    if (rc != SQLITE_OK)
        return SqliteError(db, rc);
    return {};
}

// Runs a prepared statement to its end, a row at a time; the statement is reset on every way out, so no
// read stays open on the file between calls.
template <typename RowFn> DbError Step(sqlite3* db, sqlite3_stmt* stmt, const QVariantList& params, RowFn onRow)
{
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    int rc = SqliteValues::BindAll(stmt, params);
    if (rc == SQLITE_OK)
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
            onRow(stmt);
    const DbError error = rc == SQLITE_DONE ? DbError{} : SqliteError(db, rc);
    sqlite3_reset(stmt);
    return error;
}

// Storage class order of SQLite: Null, numbers, text, blobs.
int StorageClass(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return 0;
    switch (v.typeId()) {
    case QMetaType::QString:
        return 2;
    case QMetaType::QByteArray:
        return 3;
    default:
        return 1;
    }
}

// Appends a value's exact stored form to a hash key.
void AppendRaw(std::string& key, sqlite3_stmt* stmt, int column)
{
    const int type = sqlite3_column_type(stmt, column);
    key.push_back(char('0' + type));
    switch (type) {
    case SQLITE_INTEGER: {
        const sqlite3_int64 v = sqlite3_column_int64(stmt, column);
        key.append(reinterpret_cast<const char*>(&v), sizeof v);
        break;
    }
    case SQLITE_FLOAT: {
        const double v = sqlite3_column_double(stmt, column);
        key.append(reinterpret_cast<const char*>(&v), sizeof v);
        break;
    }
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
        const void* data = type == SQLITE_TEXT ? static_cast<const void*>(sqlite3_column_text(stmt, column))
                                               : sqlite3_column_blob(stmt, column);
        const int size = sqlite3_column_bytes(stmt, column);
        key.append(reinterpret_cast<const char*>(&size), sizeof size);
        if (data)
            key.append(static_cast<const char*>(data), size_t(size));
        break;
    }
    default:
        break;
    }
}
} // namespace

GridBoundSource::~GridBoundSource() = default;

Result<std::unique_ptr<GridBoundSource>> GridBoundSource::Open(Database& db, const QString& recordSource)
{
    if (!db.isOpen())
        return DbError{DbErrorNumber::NotOpen, QStringLiteral("The catalog is not open.")};
    const Result<JetSql::Translated> translated = JetSql::Translate(recordSource);
    if (!translated)
        return translated.error();
    const JetSql::SelectShape shape = JetSql::AnalyzeSelect(translated->sql);
    if (!shape.isSelect)
        return DbError{3065, QStringLiteral("Only a SELECT statement can be shown in the grid.")};
    std::unique_ptr<GridBoundSource> source(new GridBoundSource(db));
    if (shape.singleTable && !shape.aggregateOrDistinct && db.TableExists(shape.baseTable)) {
        source->m_base = shape.baseTable;
        if (!source->OpenPaged(shape.selectList, shape.fromAndRest, translated->params))
            return source;
        // A FROM clause the keys cannot follow (an alias, say) still reads fine as a whole.
        source.reset(new GridBoundSource(db));
    }
    if (DbError error = source->OpenMaterialized(translated->sql, translated->params))
        return error;
    return source;
}

DbError GridBoundSource::OpenPaged(const QString& selectList, const QString& fromAndRest, const QVariantList& params)
{
    const Result<TableDef> table = m_db.Table(m_base);
    if (!table)
        return table.error();
    m_base = table->name;
    m_indexes = table->indexes;
    for (const FieldDef& field : table->fields)
        if (field.isAutoIncrement())
            m_idField = field.name;
    m_inner = QStringLiteral("SELECT %1.rowid AS kst_key, %2 FROM %3").arg(Q(m_base), selectList, fromAndRest);
    m_params = params;

    QStringList marks;
    for (int i = 0; i < FetchSize; ++i)
        marks << QStringLiteral("?");
    m_fetchSql = QStringLiteral("SELECT %1.rowid, %2 FROM %1 WHERE %1.rowid IN (%3)")
                     .arg(Q(m_base), selectList, marks.join(QLatin1Char(',')));
    if (DbError error = Prepare(m_db.handle(), m_fetchSql, &m_fetch))
        return error;
    // The inner statement must run too (its WHERE clause is not part of the fetch).
    StatementPtr probe;
    if (DbError error = Prepare(m_db.handle(), QStringLiteral("SELECT * FROM (%1) WHERE 0").arg(m_inner), &probe))
        return error;
    sqlite3_stmt* fetch = m_fetch.get();
    for (int i = 1; i < sqlite3_column_count(fetch); ++i) {
        Field field;
        field.name = QString::fromUtf8(sqlite3_column_name(fetch, i));
        const char* origin = sqlite3_column_origin_name(fetch, i);
        if (origin)
            if (const FieldDef* def = table->field(QString::fromUtf8(origin)))
                field.def = *def;
        m_fields.push_back(field);
    }
    m_rows.setMaxCost(8 * 1024);
    return {};
}

DbError GridBoundSource::OpenMaterialized(const QString& sql, const QVariantList& params)
{
    m_materialized = true;
    StatementPtr statement;
    if (DbError error = Prepare(m_db.handle(), sql, &statement))
        return error;
    sqlite3_stmt* stmt = statement.get();
    for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
        Field field;
        field.name = QString::fromUtf8(sqlite3_column_name(stmt, i));
        const char* table = sqlite3_column_table_name(stmt, i);
        const char* origin = sqlite3_column_origin_name(stmt, i);
        if (table && origin)
            if (const Result<TableDef> def = m_db.Table(QString::fromUtf8(table)))
                if (const FieldDef* f = def->field(QString::fromUtf8(origin)))
                    field.def = *f;
        m_fields.push_back(field);
    }
    const DbError error = Step(m_db.handle(), stmt, params, [this](sqlite3_stmt* s) {
        QVariantList row;
        for (int i = 0; i < int(m_fields.size()); ++i)
            row.append(SqliteValues::Column(s, i));
        m_materializedRows.push_back(std::move(row));
    });
    if (error)
        return error;
    m_count = qint64(m_materializedRows.size());
    m_keys.resize(size_t(m_count));
    for (qint64 i = 0; i < m_count; ++i)
        m_keys[size_t(i)] = i + 1;
    m_full = true;
    m_countStale = false;
    return {};
}

QStringList GridBoundSource::FieldNames() const
{
    QStringList names;
    for (const Field& field : m_fields)
        names << field.name;
    return names;
}

const FieldDef* GridBoundSource::FieldInfo(int field) const
{
    if (field < 0 || field >= int(m_fields.size()) || !m_fields[size_t(field)].def)
        return nullptr;
    return &*m_fields[size_t(field)].def;
}

qint64 GridBoundSource::KeysInMemory() const
{
    return qint64(m_keys.size() + m_head.size() + m_tail.size() + m_appended.size());
}

// ---- Arranging ------------------------------------------------------------------------------------------------

QString GridBoundSource::OrderBy(const QList<OrderLevel>& levels, bool reverse) const
{
    QStringList terms;
    bool lastDescending = false;
    for (const OrderLevel& level : levels) {
        const Field& field = m_fields[size_t(level.field)];
        QString term = Q(field.name);
        // A number kept as text sorts by its value when the column asks for it.
        if (level.kind == GridColumn::SortKind::Number && field.def && IsTextType(field.def->type))
            term = QStringLiteral("CAST(%1 AS REAL)").arg(term);
        lastDescending = level.descending != reverse;
        terms << term + (lastDescending ? QStringLiteral(" DESC") : QString());
    }
    // Ties go by key, in the direction of the last level, so that an index on that field serves the order.
    terms << (lastDescending ? QStringLiteral("kst_key DESC") : QStringLiteral("kst_key"));
    return terms.join(QStringLiteral(", "));
}

DbError GridBoundSource::LoadKeys(std::vector<qint64>* keys, const QString& orderBy, qint64 limit) const
{
    QString sql = QStringLiteral("SELECT kst_key FROM (%1) ORDER BY %2").arg(m_inner, orderBy);
    if (limit >= 0)
        sql += QStringLiteral(" LIMIT %1").arg(limit);
    StatementPtr statement;
    if (DbError error = Prepare(m_db.handle(), sql, &statement))
        return error;
    keys->clear();
    if (limit >= 0)
        keys->reserve(size_t(limit));
    else
        keys->reserve(size_t(m_count));
    return Step(m_db.handle(), statement.get(), m_params,
                [keys](sqlite3_stmt* s) { keys->push_back(sqlite3_column_int64(s, 0)); });
}

DbError GridBoundSource::Count(qint64* count) const
{
    StatementPtr statement;
    if (DbError error = Prepare(m_db.handle(), QStringLiteral("SELECT count(*) FROM (%1)").arg(m_inner), &statement))
        return error;
    return Step(m_db.handle(), statement.get(), m_params,
                [count](sqlite3_stmt* s) { *count = sqlite3_column_int64(s, 0); });
}

DbError GridBoundSource::LoadAll()
{
    std::vector<qint64> keys;
    if (SortServedByIndex()) {
        if (DbError error = LoadKeys(&keys, m_orderBy, -1))
            return error;
    } else {
        // The database would sort every row through the catalog's collation; ranking the distinct values
        // once and placing the keys by rank gives the same order far sooner.
        Scan scan;
        if (DbError error = ScanFields(m_sort, &scan))
            return error;
        keys = std::move(scan.keys);
        std::vector<int> tupleOf = std::move(scan.tupleOf);
        if (m_sort.last().descending) {
            // Ties go by key in the last level's direction, as the database's order has them.
            std::reverse(keys.begin(), keys.end());
            std::reverse(tupleOf.begin(), tupleOf.end());
        }
        GridGroupTree::Build(keys, tupleOf, scan.tuples, TreeLevels(m_sort, scan), 0);
    }
    m_keys.swap(keys);
    m_count = qint64(m_keys.size());
    m_full = true;
    m_head.clear();
    m_tail.clear();
    m_head.shrink_to_fit();
    m_tail.shrink_to_fit();
    return {};
}

DbError GridBoundSource::Arrange(const QList<OrderLevel>& groups, const QList<OrderLevel>& sort)
{
    m_groups = GridGroupTree();
    m_sort = sort;
    if (m_materialized) {
        m_keys.resize(m_materializedRows.size());
        for (size_t i = 0; i < m_keys.size(); ++i)
            m_keys[i] = qint64(i) + 1;
        GridMemoryOrder::Arrange(
            m_keys,
            [this](qint64 key, int field) {
                return FieldValue::FromStorage(FieldInfo(field), m_materializedRows[size_t(key - 1)].value(field));
            },
            groups, sort, &m_groups);
        return {};
    }
    m_orderBy = OrderBy(sort, false);
    m_reverseOrderBy = OrderBy(sort, true);
    m_sortFetch.reset();
    m_leavesPending = false;
    m_leafOrdered.clear();
    m_full = false;
    m_keys.clear();
    m_keys.shrink_to_fit();
    m_head.clear();
    m_tail.clear();
    // Added records are part of the table now; a new arrangement finds them where they belong.
    if (!m_appended.empty())
        m_countStale = true;
    m_appended.clear();
    if (!groups.isEmpty())
        return Group(groups);
    if (m_countStale) {
        if (DbError error = Count(&m_count))
            return error;
        m_countStale = false;
    }
    // The first screen at once; everything else when it is asked for.
    return LoadKeys(&m_head, m_orderBy, std::min<qint64>(m_count, 256));
}

int GridBoundSource::CompareStored(int field, const QVariant& a, const QVariant& b) const
{
    const int ca = StorageClass(a);
    const int cb = StorageClass(b);
    if (ca != cb)
        return ca < cb ? -1 : 1;
    switch (ca) {
    case 0:
        return 0;
    case 1: {
        const double x = a.toDouble();
        const double y = b.toDouble();
        if (a.typeId() == QMetaType::LongLong && b.typeId() == QMetaType::LongLong) {
            const qint64 i = a.toLongLong();
            const qint64 j = b.toLongLong();
            return i < j ? -1 : (i > j ? 1 : 0);
        }
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    case 2: {
        const FieldDef* def = FieldInfo(field);
        // Text fields compare as the catalog's NOCASE collation does; dates and other text by code point.
        const int c = def && IsTextType(def->type) ? CompareNoCase(a.toString(), b.toString())
                                                   : a.toString().compare(b.toString());
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    default: {
        const int c = a.toByteArray().compare(b.toByteArray());
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    }
}

bool GridBoundSource::SortServedByIndex() const
{
    if (m_sort.isEmpty())
        return true; // key order
    const Field& field = m_fields[size_t(m_sort.first().field)];
    if (!field.def || (m_sort.first().kind == GridColumn::SortKind::Number && IsTextType(field.def->type)))
        return false;
    for (const IndexDef& index : m_indexes)
        if (!index.fields.isEmpty() && index.fields.first().compare(field.def->name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

DbError GridBoundSource::ScanFields(const QList<OrderLevel>& levels, Scan* scan) const
{
    QStringList fields;
    for (const OrderLevel& level : levels)
        fields << Q(m_fields[size_t(level.field)].name);
    StatementPtr statement;
    if (DbError error = Prepare(
            m_db.handle(), QStringLiteral("SELECT kst_key, %1 FROM (%2)").arg(fields.join(QLatin1Char(',')), m_inner),
            &statement))
        return error;
    const size_t count = size_t(levels.size());
    const size_t expected = size_t(std::max<qint64>(m_count, 0));
    std::vector<std::unordered_map<std::string, int>> valueIds(count);
    scan->values.assign(count, {});
    scan->keys.reserve(expected);
    std::vector<int> rowIds; // each row's value number on each level
    rowIds.reserve(expected * count);
    std::string raw;
    bool inKeyOrder = true;
    const DbError error = Step(m_db.handle(), statement.get(), m_params, [&](sqlite3_stmt* s) {
        for (size_t l = 0; l < count; ++l) {
            raw.clear();
            AppendRaw(raw, s, int(l) + 1);
            auto found = valueIds[l].find(raw);
            if (found == valueIds[l].end()) {
                scan->values[l].push_back(SqliteValues::Column(s, int(l) + 1));
                found = valueIds[l].emplace(raw, int(scan->values[l].size()) - 1).first;
            }
            rowIds.push_back(found->second);
        }
        const qint64 key = sqlite3_column_int64(s, 0);
        if (!scan->keys.empty() && key < scan->keys.back())
            inKeyOrder = false;
        scan->keys.push_back(key);
    });
    if (error)
        return error;

    // Rows with the same value on every level share a tuple. The value numbers are small, so a table
    // addressed by them finds a row's tuple without hashing (a hash of a million rows waits on memory).
    const size_t rows = scan->keys.size();
    scan->tupleOf.resize(rows);
    quint64 combinations = 1;
    for (size_t l = 0; l < count && combinations <= (quint64(1) << 24); ++l)
        combinations *= quint64(std::max<size_t>(scan->values[l].size(), 1));
    const auto tupleIds = [&](size_t row) {
        return std::vector<int>(rowIds.begin() + ptrdiff_t(row * count), rowIds.begin() + ptrdiff_t((row + 1) * count));
    };
    if (combinations <= (quint64(1) << 24)) {
        std::vector<int> slot(size_t(combinations), -1);
        for (size_t row = 0; row < rows; ++row) {
            quint64 at = 0;
            for (size_t l = 0; l < count; ++l)
                at = at * quint64(scan->values[l].size()) + quint64(rowIds[row * count + l]);
            int& tuple = slot[size_t(at)];
            if (tuple < 0) {
                tuple = int(scan->tuples.size());
                scan->tuples.push_back(tupleIds(row));
            }
            scan->tupleOf[row] = tuple;
        }
    } else {
        std::unordered_map<std::string, int> byIds;
        for (size_t row = 0; row < rows; ++row) {
            const std::string packed(reinterpret_cast<const char*>(&rowIds[row * count]), count * sizeof(int));
            auto found = byIds.find(packed);
            if (found == byIds.end()) {
                scan->tuples.push_back(tupleIds(row));
                found = byIds.emplace(packed, int(scan->tuples.size()) - 1).first;
            }
            scan->tupleOf[row] = found->second;
        }
    }
    if (!inKeyOrder) {
        std::vector<size_t> order(rows);
        for (size_t i = 0; i < rows; ++i)
            order[i] = i;
        std::sort(order.begin(), order.end(), [scan](size_t a, size_t b) { return scan->keys[a] < scan->keys[b]; });
        std::vector<qint64> keys(rows);
        std::vector<int> tupleOf(rows);
        for (size_t i = 0; i < rows; ++i) {
            keys[i] = scan->keys[order[i]];
            tupleOf[i] = scan->tupleOf[order[i]];
        }
        scan->keys.swap(keys);
        scan->tupleOf.swap(tupleOf);
    }
    return {};
}

std::function<int(const QVariant&, const QVariant&)> GridBoundSource::Comparer(const OrderLevel& level) const
{
    const int field = level.field;
    const FieldDef* def = FieldInfo(field);
    if (level.kind == GridColumn::SortKind::Number && def && IsTextType(def->type)) {
        // As CAST(text AS REAL): the number the text begins with, 0 when none; Null first.
        return [](const QVariant& a, const QVariant& b) {
            const bool nullA = !a.isValid() || a.isNull();
            const bool nullB = !b.isValid() || b.isNull();
            if (nullA || nullB)
                return nullA == nullB ? 0 : (nullA ? -1 : 1);
            const double x = std::strtod(a.toString().toUtf8().constData(), nullptr);
            const double y = std::strtod(b.toString().toUtf8().constData(), nullptr);
            return x < y ? -1 : (x > y ? 1 : 0);
        };
    }
    return [this, field](const QVariant& a, const QVariant& b) { return CompareStored(field, a, b); };
}

QList<GridGroupTree::Level> GridBoundSource::TreeLevels(const QList<OrderLevel>& levels, Scan& scan) const
{
    QList<GridGroupTree::Level> made;
    for (int l = 0; l < levels.size(); ++l) {
        GridGroupTree::Level level;
        level.descending = levels[l].descending;
        level.values = std::move(scan.values[size_t(l)]);
        level.compare = Comparer(levels[l]);
        made.append(std::move(level));
    }
    return made;
}

void GridBoundSource::EnsureOrdered(qint64 position)
{
    const int leaf = m_groups.LeafOf(position);
    if (leaf >= 0 && leaf < int(m_leafOrdered.size()) && !m_leafOrdered[size_t(leaf)])
        OrderLeaf(leaf);
}

DbError GridBoundSource::OrderLeaf(int node)
{
    const GridGroupTree::Node& leaf = m_groups.node(node);
    QStringList fields;
    for (const OrderLevel& level : m_sort) {
        const FieldDef* def = FieldInfo(level.field);
        if (!def)
            return OrderAllLeaves();
        fields << Q(def->name);
    }
    // A large group is ordered with all the others by the index at once.
    if (leaf.count > 4096)
        return OrderAllLeaves();
    if (!m_sortFetch) {
        QStringList marks;
        for (int i = 0; i < FetchSize; ++i)
            marks << QStringLiteral("?");
        if (DbError error = Prepare(m_db.handle(),
                                    QStringLiteral("SELECT rowid, %1 FROM %2 WHERE rowid IN (%3)")
                                        .arg(fields.join(QLatin1Char(',')), Q(m_base), marks.join(QLatin1Char(','))),
                                    &m_sortFetch))
            return error;
    }
    QHash<qint64, QVariantList> values;
    values.reserve(int(leaf.count));
    for (qint64 start = 0; start < leaf.count; start += FetchSize) {
        QVariantList params;
        for (qint64 i = start; i < std::min(leaf.count, start + FetchSize); ++i)
            params.append(m_keys[size_t(leaf.first + i)]);
        while (params.size() < FetchSize)
            params.append(QVariant());
        const DbError error = Step(m_db.handle(), m_sortFetch.get(), params, [&](sqlite3_stmt* s) {
            QVariantList row;
            for (int l = 0; l < m_sort.size(); ++l)
                row.append(SqliteValues::Column(s, l + 1));
            values.insert(sqlite3_column_int64(s, 0), row);
        });
        if (error)
            return error;
    }
    std::vector<std::function<int(const QVariant&, const QVariant&)>> compare;
    for (const OrderLevel& level : m_sort)
        compare.push_back(Comparer(level));
    const bool lastDescending = m_sort.last().descending;
    const auto begin = m_keys.begin() + ptrdiff_t(leaf.first);
    std::sort(begin, begin + ptrdiff_t(leaf.count), [&](qint64 a, qint64 b) {
        const QVariantList& x = values[a];
        const QVariantList& y = values[b];
        for (int l = 0; l < m_sort.size(); ++l) {
            const int c = compare[size_t(l)](x.value(l), y.value(l));
            if (c != 0)
                return m_sort[l].descending ? c > 0 : c < 0;
        }
        return lastDescending ? a > b : a < b; // ties by key, as the database orders them
    });
    m_leafOrdered[size_t(node)] = 1;
    return {};
}

DbError GridBoundSource::OrderAllLeaves()
{
    std::vector<qint64> sorted;
    if (DbError error = LoadKeys(&sorted, m_orderBy, -1))
        return error;
    const size_t count = size_t(m_count);
    // Where each key stands now and which innermost group that place belongs to.
    std::vector<int> leafAt(count, -1);
    for (size_t n = 0; n < m_groups.Nodes().size(); ++n)
        if (m_groups.IsLeaf(int(n))) {
            const GridGroupTree::Node& leaf = m_groups.node(int(n));
            for (qint64 p = leaf.first; p < leaf.first + leaf.count; ++p)
                leafAt[size_t(p)] = int(n);
        }
    qint64 low = 0;
    qint64 high = -1;
    for (size_t p = 0; p < count; ++p) {
        low = p == 0 ? m_keys[p] : std::min(low, m_keys[p]);
        high = p == 0 ? m_keys[p] : std::max(high, m_keys[p]);
    }
    std::unordered_map<qint64, size_t> sparse;
    std::vector<qint64> dense;
    const bool useDense = high - low + 1 <= 4 * qint64(count) + 1024;
    if (useDense) {
        dense.assign(size_t(high - low + 1), -1);
        for (size_t p = 0; p < count; ++p)
            dense[size_t(m_keys[p] - low)] = qint64(p);
    } else {
        for (size_t p = 0; p < count; ++p)
            sparse.emplace(m_keys[p], p);
    }
    const auto placeOf = [&](qint64 key) -> qint64 {
        if (useDense)
            return key >= low && key <= high ? dense[size_t(key - low)] : -1;
        const auto it = sparse.find(key);
        return it == sparse.end() ? -1 : qint64(it->second);
    };
    std::vector<qint64> next(m_groups.Nodes().size(), 0);
    for (size_t n = 0; n < next.size(); ++n)
        next[n] = m_groups.node(int(n)).first;
    std::vector<qint64> placed(m_keys);
    std::vector<char> done(count, 0);
    for (const qint64 key : sorted) {
        const qint64 at = placeOf(key);
        if (at < 0 || leafAt[size_t(at)] < 0)
            continue; // added since the groups were made
        placed[size_t(next[size_t(leafAt[size_t(at)])]++)] = key;
        done[size_t(at)] = 1;
    }
    // Keys the order no longer has (deleted meanwhile) stay at their group's end.
    for (size_t p = 0; p < count; ++p)
        if (!done[p] && leafAt[p] >= 0)
            placed[size_t(next[size_t(leafAt[p])]++)] = m_keys[p];
    m_keys.swap(placed);
    std::fill(m_leafOrdered.begin(), m_leafOrdered.end(), 1);
    m_leavesPending = false;
    return {};
}

DbError GridBoundSource::Group(const QList<OrderLevel>& groups)
{
    // One pass over the rows in table order reads every record's group values (and sort values, when no
    // index gives the order); the distinct values are ranked in memory, which is far quicker than letting
    // the database sort a million rows by them.
    const bool sortInMemory = !SortServedByIndex();
    QList<OrderLevel> scanned = groups;
    if (sortInMemory)
        scanned += m_sort;
    Scan scan;
    if (DbError error = ScanFields(scanned, &scan))
        return error;
    std::vector<qint64> keys;
    std::vector<int> tupleOf;
    if (m_sort.isEmpty() || sortInMemory) {
        keys = std::move(scan.keys);
        tupleOf = std::move(scan.tupleOf);
        if (sortInMemory && m_sort.last().descending) {
            std::reverse(keys.begin(), keys.end());
            std::reverse(tupleOf.begin(), tupleOf.end());
        }
    } else {
        // The index gives the order inside each group, read when the group is first opened.
        keys = std::move(scan.keys);
        tupleOf = std::move(scan.tupleOf);
    }
    m_groups = GridGroupTree::Build(keys, tupleOf, scan.tuples, TreeLevels(scanned, scan), int(groups.size()));
    m_leavesPending = !m_sort.isEmpty() && !sortInMemory;
    if (m_leavesPending)
        m_leafOrdered.assign(m_groups.Nodes().size(), 0);
    m_groups.ConvertValues([this, &groups](int level, const QVariant& stored) {
        return FieldValue::FromStorage(FieldInfo(groups[level].field), stored);
    });
    m_keys.swap(keys);
    m_count = qint64(m_keys.size());
    m_countStale = false;
    m_full = true;
    return {};
}

// ---- Reading --------------------------------------------------------------------------------------------------

qint64 GridBoundSource::KeyAt(qint64 position)
{
    if (position < 0 || position >= Count())
        return -1;
    if (position >= m_count)
        return m_appended[size_t(position - m_count)];
    if (m_leavesPending)
        EnsureOrdered(position);
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (m_full)
            return position < qint64(m_keys.size()) ? m_keys[size_t(position)] : -1;
        if (position < qint64(m_head.size()))
            return m_head[size_t(position)];
        if (position >= m_count - qint64(m_tail.size()))
            return m_tail[size_t(m_count - 1 - position)];
        // Scrolling on from either end reads a longer stretch from that end; a jump into the middle reads
        // every key once (a few megabytes for a million rows).
        constexpr qint64 StretchLimit = 16384;
        const qint64 head = qint64(m_head.size());
        const qint64 tail = qint64(m_tail.size());
        DbError error;
        if (position < 2 * head + 512 && head < StretchLimit)
            error = LoadKeys(&m_head, m_orderBy, std::min(m_count, std::max(2 * head, position + 512)));
        else if (m_count - 1 - position < 2 * tail + 512 && tail < StretchLimit)
            error =
                LoadKeys(&m_tail, m_reverseOrderBy, std::min(m_count, std::max(2 * tail, m_count - position + 512)));
        else
            error = LoadAll();
        if (error)
            return -1;
    }
    return -1;
}

qint64 GridBoundSource::PositionOf(qint64 key)
{
    for (size_t i = 0; i < m_appended.size(); ++i)
        if (m_appended[i] == key)
            return m_count + qint64(i);
    if (!m_full) {
        for (size_t i = 0; i < m_head.size(); ++i)
            if (m_head[i] == key)
                return qint64(i);
        for (size_t i = 0; i < m_tail.size(); ++i)
            if (m_tail[i] == key)
                return m_count - 1 - qint64(i);
        if (LoadAll())
            return -1;
    }
    auto it = std::find(m_keys.begin(), m_keys.end(), key);
    if (it != m_keys.end() && m_leavesPending) {
        // Its group is put in order first: that may move it.
        EnsureOrdered(qint64(it - m_keys.begin()));
        it = std::find(m_keys.begin(), m_keys.end(), key);
    }
    return it == m_keys.end() ? -1 : qint64(it - m_keys.begin());
}

DbError GridBoundSource::FetchAround(qint64 position)
{
    // The 64 rows around the one asked for, in one statement: a screen of rows costs one or two reads.
    const qint64 start = position - position % FetchSize;
    QVariantList keys;
    for (qint64 p = start; p < std::min(Count(), start + FetchSize); ++p) {
        const qint64 key = KeyAt(p);
        if (key >= 0 && !m_rows.contains(key))
            keys.append(key);
    }
    const qint64 wanted = KeyAt(position);
    if (!keys.contains(QVariant(wanted)))
        keys.append(wanted);
    QVariantList params = keys;
    while (params.size() < FetchSize)
        params.append(QVariant());
    QHash<qint64, bool> found;
    const DbError error = Step(m_db.handle(), m_fetch.get(), params, [&](sqlite3_stmt* s) {
        auto* row = new QVariantList;
        row->reserve(int(m_fields.size()));
        for (int i = 0; i < int(m_fields.size()); ++i)
            row->append(FieldValue::FromStorage(FieldInfo(i), SqliteValues::Column(s, i + 1)));
        const qint64 key = sqlite3_column_int64(s, 0);
        found.insert(key, true);
        m_rows.insert(key, row, 1);
    });
    // A row deleted by someone else shows empty rather than being asked for again and again.
    for (const QVariant& key : keys)
        if (!found.contains(key.toLongLong()))
            m_rows.insert(key.toLongLong(), new QVariantList, 1);
    return error;
}

QVariant GridBoundSource::Value(qint64 position, int field)
{
    if (field < 0 || field >= int(m_fields.size()))
        return QVariant();
    const qint64 key = KeyAt(position);
    if (key < 0)
        return QVariant();
    if (m_materialized)
        return FieldValue::FromStorage(FieldInfo(field), m_materializedRows[size_t(key - 1)].value(field));
    if (!m_rows.contains(key))
        FetchAround(position);
    const QVariantList* row = m_rows.object(key);
    return row ? row->value(field) : QVariant();
}

// ---- Writing --------------------------------------------------------------------------------------------------

Result<std::unique_ptr<Recordset>> GridBoundSource::OpenRow(qint64 key) const
{
    return m_db.OpenRecordset(QStringLiteral("SELECT * FROM [%1] WHERE [%2] = %3").arg(m_base, m_idField).arg(key),
                              RecordsetType::Dynaset);
}

DbError GridBoundSource::Write(qint64 key, int field, const QVariant& value)
{
    if (!Updatable())
        return {DbErrorNumber::ReadOnly, QStringLiteral("The grid's records cannot be changed.")};
    const FieldDef* def = FieldInfo(field);
    if (!def)
        return {3164, QStringLiteral("The field '%1' cannot be updated.").arg(m_fields[size_t(field)].name)};
    Result<std::unique_ptr<Recordset>> row = OpenRow(key);
    if (!row)
        return row.error();
    Recordset& rs = *row.value();
    if (rs.Eof())
        return {DbErrorNumber::NoCurrentRecord, QStringLiteral("The record is deleted.")};
    if (DbError error = rs.Edit())
        return error;
    if (DbError error = rs.SetValue(def->name, value))
        return error;
    if (DbError error = rs.Update())
        return error;
    Forget(key);
    return {};
}

Result<qint64> GridBoundSource::Insert(const QHash<int, QVariant>& values)
{
    if (!Updatable())
        return DbError{DbErrorNumber::ReadOnly, QStringLiteral("The grid's records cannot be changed.")};
    Result<std::unique_ptr<Recordset>> opened =
        m_db.OpenRecordset(QStringLiteral("SELECT * FROM [%1] WHERE False").arg(m_base), RecordsetType::Dynaset);
    if (!opened)
        return opened.error();
    Recordset& rs = *opened.value();
    if (DbError error = rs.AddNew())
        return error;
    for (auto it = values.begin(); it != values.end(); ++it) {
        const FieldDef* def = FieldInfo(it.key());
        if (!def || def->isAutoIncrement())
            continue;
        if (DbError error = rs.SetValue(def->name, it.value()))
            return error;
    }
    if (DbError error = rs.Update())
        return error;
    return rs.LastModified().toLongLong();
}

void GridBoundSource::Append(qint64 key)
{
    m_appended.push_back(key);
}

DbError GridBoundSource::Remove(qint64 key)
{
    if (!Updatable())
        return {DbErrorNumber::ReadOnly, QStringLiteral("The grid's records cannot be changed.")};
    Result<std::unique_ptr<Recordset>> row = OpenRow(key);
    if (!row)
        return row.error();
    Recordset& rs = *row.value();
    if (!rs.Eof())
        if (DbError error = rs.Delete())
            return error;
    Forget(key);
    const auto appended = std::find(m_appended.begin(), m_appended.end(), key);
    if (appended != m_appended.end()) {
        m_appended.erase(appended);
        return {};
    }
    if (!m_full)
        return LoadAll(); // the keys read again leave the deleted row out
    const auto it = std::find(m_keys.begin(), m_keys.end(), key);
    if (it == m_keys.end())
        return {};
    const qint64 position = qint64(it - m_keys.begin());
    m_keys.erase(m_keys.begin() + position);
    --m_count;
    if (!m_groups.IsEmpty())
        m_groups.RemovePosition(position);
    return {};
}
