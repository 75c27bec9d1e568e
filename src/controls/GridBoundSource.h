#pragma once
#include "controls/GridSource.h"
#include "platform/Database.h"

#include <QCache>

#include <functional>

#include <memory>
#include <optional>
#include <vector>

// The records of an SQL statement in the catalog's dialect, over the open catalog file.
//
// A statement on one table (the item view's "SELECT fields FROM [table] WHERE ...") is never read whole: the
// source counts its rows once, then asks the database for the keys it needs in the arranged order (the first
// screen, the last one, all of them only when a row far from both ends is wanted) and reads the values of
// 64 rows at a time, when they come into view. Sorting and grouping are the database's: grouping reads the
// group fields of every row once, in table order, and counts the groups in memory. Values are written through
// the engine, which applies the field rules; only tables with an auto-numbered field can be written.
// Any other statement (several tables, DISTINCT, GROUP BY) is read into memory once, read-only.
class GridBoundSource : public GridSource
{
public:
    static Result<std::unique_ptr<GridBoundSource>> Open(Database& db, const QString& recordSource);
    ~GridBoundSource() override;

    bool IsBound() const override { return true; }
    QStringList FieldNames() const override;
    bool Updatable() const override { return !m_materialized && !m_idField.isEmpty(); }
    // The field of the base table behind a column of the statement; null for computed columns.
    const FieldDef* FieldInfo(int field) const;
    QString BaseTable() const { return m_base; }
    // The base table's auto-numbered field ("ID"), whose value is each record's key.
    QString IdField() const { return m_idField; }
    Database& database() const { return m_db; }

    DbError Arrange(const QList<OrderLevel>& groups, const QList<OrderLevel>& sort) override;
    qint64 Count() const override { return m_count + qint64(m_appended.size()); }
    qint64 ArrangedCount() const override { return m_count; }
    qint64 KeyAt(qint64 position) override;
    qint64 PositionOf(qint64 key) override;
    QVariant Value(qint64 position, int field) override;

    DbError Write(qint64 key, int field, const QVariant& value) override;
    Result<qint64> Insert(const QHash<int, QVariant>& values) override;
    DbError Remove(qint64 key) override;
    void Forget(qint64 key) override { m_rows.remove(key); }
    void ForgetAll() override { m_rows.clear(); }
    void Append(qint64 key) override;

    // How many keys the source holds in memory (for the benchmark's account of memory).
    qint64 KeysInMemory() const;

private:
    struct Field {
        QString name;
        std::optional<FieldDef> def;
    };
    explicit GridBoundSource(Database& db) : m_db(db) {}
    DbError OpenPaged(const QString& selectList, const QString& fromAndRest, const QVariantList& params);
    DbError OpenMaterialized(const QString& sql, const QVariantList& params);
    QString OrderBy(const QList<OrderLevel>& levels, bool reverse) const;
    DbError LoadKeys(std::vector<qint64>* keys, const QString& orderBy, qint64 limit) const;
    DbError LoadAll();
    DbError Count(qint64* count) const;
    // One pass over the rows in key order: each record's key and, for each level's field, which of the
    // distinct values met it has.
    struct Scan {
        std::vector<qint64> keys;
        std::vector<int> tupleOf;
        std::vector<std::vector<int>> tuples;
        std::vector<std::vector<QVariant>> values;
    };
    DbError ScanFields(const QList<OrderLevel>& levels, Scan* scan) const;
    QList<GridGroupTree::Level> TreeLevels(const QList<OrderLevel>& levels, Scan& scan) const;
    // Whether an index gives the sort order (then the database sorts; otherwise memory does).
    bool SortServedByIndex() const;
    DbError Group(const QList<OrderLevel>& groups);
    std::function<int(const QVariant&, const QVariant&)> Comparer(const OrderLevel& level) const;
    // Grouped records sorted by an index are put in order group by group, when a group's records are first
    // wanted: a grouping shown collapsed never waits for the order of a million records.
    void EnsureOrdered(qint64 position);
    DbError OrderLeaf(int node);
    DbError OrderAllLeaves();
    DbError FetchAround(qint64 position);
    int CompareStored(int field, const QVariant& a, const QVariant& b) const;
    Result<std::unique_ptr<Recordset>> OpenRow(qint64 key) const;

    Database& m_db;
    bool m_materialized = false;
    std::vector<Field> m_fields;
    QString m_base;
    QString m_idField;
    QList<IndexDef> m_indexes;
    QString m_inner; // SQLite: the statement with each row's key in front, as kst_key
    QVariantList m_params;
    QString m_fetchSql; // SQLite: the values of up to FetchSize rows by key
    StatementPtr m_fetch;

    QList<OrderLevel> m_sort;
    QString m_orderBy; // of the current arrangement, ascending
    QString m_reverseOrderBy;
    qint64 m_count = 0;
    bool m_countStale = true;
    bool m_full = false;
    std::vector<qint64> m_keys; // all keys in order, once m_full
    std::vector<qint64> m_head; // the first keys in order
    std::vector<qint64> m_tail; // the last keys, last one first
    std::vector<qint64> m_appended;
    bool m_leavesPending = false;
    std::vector<char> m_leafOrdered; // by group node
    StatementPtr m_sortFetch;        // the sort fields of up to FetchSize rows by key

    std::vector<QVariantList> m_materializedRows; // stored values, by key - 1
    QCache<qint64, QVariantList> m_rows;          // values as the engine gives them, by key

    static constexpr int FetchSize = 64;
};
