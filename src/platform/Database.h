#pragma once
#include "platform/FieldDef.h"
#include "platform/Result.h"
#include "platform/SqliteHandles.h"
#include "platform/StatementCache.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

class Recordset;

enum class RecordsetType { Table = 1, Dynaset = 2, Snapshot = 4, ForwardOnly = 8 };

// Types of custom properties, numbered like field types (1 Yes/No, 3 Integer, 4 Long, 10 Text, ...).
enum class PropertyType : int { Boolean = 1, Integer = 3, Long = 4, Double = 7, DateTime = 8, Text = 10 };

// Whose property list: the database (both names empty), a table (field empty) or a field.
struct PropertyOwner {
    QString table;
    QString field;
};

struct Property {
    QString name;
    PropertyType type = PropertyType::Text;
    QVariant value;
};

// The catalog engine: a catalog file opened for reading and writing. SQLite underneath; the catalog's SQL
// dialect, field types and rules, table definitions, indexes and custom properties on top.
class Database {
public:
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Makes a new, empty catalog-format file; refuses a path that exists.
    static Result<std::unique_ptr<Database>> Create(const QString& path);
    // Opens a catalog-format file. Missing, empty, damaged and foreign files are refused with error 3049
    // (3024 when missing) and left as they were.
    static Result<std::unique_ptr<Database>> Open(const QString& path);

    QString path() const { return m_path; }
    bool isOpen() const { return m_db != nullptr; }
    void Close();

    // SQL in the catalog's dialect.
    Result<int> Execute(const QString& sql);
    Result<std::unique_ptr<Recordset>> OpenRecordset(const QString& tableOrSql,
                                                     RecordsetType type = RecordsetType::Dynaset,
                                                     bool readOnly = false);
    // The first field of the first row, read through the statement cache. A missing row gives error 3021;
    // Null gives an invalid QVariant.
    Result<QVariant> LookupValue(const QString& sql);

    // Transactions nest; an outer rollback undoes the inner commits too.
    DbError BeginTrans();
    DbError CommitTrans();
    DbError Rollback();
    int transactionDepth() const { return m_transactionDepth; }

    // Table definitions. Every change is atomic: whole or not at all.
    QStringList TableNames() const;
    bool TableExists(const QString& name) const;
    Result<TableDef> Table(const QString& name) const; // fields in ordinal order, and indexes
    DbError CreateTable(const TableDef& table);
    DbError DeleteTable(const QString& name);
    DbError RenameTable(const QString& oldName, const QString& newName);
    DbError AppendField(const QString& table, const FieldDef& field);
    DbError DeleteField(const QString& table, const QString& field);
    DbError RenameField(const QString& table, const QString& oldName, const QString& newName);
    DbError SetFieldDefault(const QString& table, const QString& field, const QString& defaultValue);
    // Puts the fields in order of the given positions; fields with equal positions keep their order.
    DbError SetFieldOrdinals(const QString& table, const QHash<QString, int>& positions);
    DbError CreateIndex(const QString& table, const IndexDef& index);
    DbError DeleteIndex(const QString& table, const QString& indexName);

    // Custom properties of the database, a table or a field.
    Result<Property> GetProperty(const PropertyOwner& owner, const QString& name) const; // 3270 when absent
    QList<Property> Properties(const PropertyOwner& owner) const;
    DbError SetProperty(const PropertyOwner& owner, const QString& name, const QVariant& value,
                        PropertyType type = PropertyType::Text);
    DbError DeleteProperty(const PropertyOwner& owner, const QString& name);

    // Maintenance of files that are not open.
    static DbError Repair(const QString& path);                       // integrity check; fails on damage
    static DbError Compact(const QString& source, const QString& target); // a fresh, dense copy

    sqlite3* handle() const { return m_db.get(); }

private:
    friend class Recordset;
    friend class Transaction;
    explicit Database(SqlitePtr db, QString path);

    DbError Prepare(const QString& sqliteSql, CachedStatement* statement);
    DbError RunSqlite(const QString& sqliteSql, const QVariantList& params = {});
    Result<QVariant> LookupSqlite(const QString& sqliteSql, const QVariantList& params = {});
    // Prepares (from the cache), binds and steps to the first row; 3021 when there is none.
    DbError StepToFirstRow(const QString& sqliteSql, const QVariantList& params, CachedStatement* statement);
    DbError ExecuteDdl(const QStringList& statements);
    DbError ExecuteFieldChange(const QString& table, const std::function<DbError()>& change);
    const TableDef* CachedTable(const QString& name) const;
    void ForgetTable(const QString& name) const;
    DbError RebuildTable(const QString& table, const QList<FieldDef>& newFields);
    DbError WriteFieldRecord(const QString& table, const FieldDef& field);
    DbError RecreateTriggers(const QString& table);
    QString FreeIndexName(const QString& table, const QString& index) const;
    qint64 ReserveId(const QString& table, const QString& idField);

    SqlitePtr m_db;
    QString m_path;
    std::unique_ptr<StatementCache> m_statements;
    mutable QHash<QString, TableDef> m_tables; // by case-folded name
    QSet<Recordset*> m_recordsets;             // open result sets, closed with the database
    int m_transactionDepth = 0;
};

// Runs a block atomically: commits when told to, rolls back otherwise (on every way out).
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    const DbError& error() const { return m_error; }
    DbError Commit();

private:
    Database& m_db;
    DbError m_error;
    bool m_open = false;
};

// Result sets come with the database: every caller that opens one uses it.
#include "platform/Recordset.h"
