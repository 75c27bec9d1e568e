#pragma once
#include "platform/DbError.h"
#include "platform/SqliteHandles.h"

#include <QHash>
#include <QString>

#include <unordered_map>
#include <vector>

class StatementCache;

// A prepared statement borrowed from the cache; handed back (reset, bindings cleared) when it goes away.
class CachedStatement {
public:
    CachedStatement() = default;
    CachedStatement(CachedStatement&& other) noexcept;
    CachedStatement& operator=(CachedStatement&& other) noexcept;
    CachedStatement(const CachedStatement&) = delete;
    CachedStatement& operator=(const CachedStatement&) = delete;
    ~CachedStatement();

    sqlite3_stmt* get() const { return m_stmt; }
    explicit operator bool() const { return m_stmt != nullptr; }
    void release();

private:
    friend class StatementCache;
    CachedStatement(StatementCache* cache, sqlite3_stmt* stmt) : m_cache(cache), m_stmt(stmt) {}
    StatementCache* m_cache = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
};

// Prepared statements kept by their SQL text, so repeated lookups skip SQLite's parser and planner.
// A statement in use is never handed out twice; a second user of the same text gets its own.
class StatementCache {
public:
    explicit StatementCache(sqlite3* db) : m_db(db) {}
    ~StatementCache() = default;

    CachedStatement acquire(const QString& sql, DbError* error);
    // Drops every statement not in use; schema changes call it so old plans do not pin dropped tables.
    void clear();

private:
    friend class CachedStatement;
    struct Entry {
        StatementPtr stmt;
        bool inUse = false;
        quint64 lastUse = 0;
    };
    void giveBack(sqlite3_stmt* stmt);
    void evictIfFull();
    // Finalizes the statements not in use that were last used at or before the given tick.
    void dropIdle(quint64 usedBefore);

    sqlite3* m_db;
    std::unordered_map<QString, std::vector<Entry>> m_entries;
    QHash<sqlite3_stmt*, QString> m_sqlOf;
    quint64 m_clock = 0;
    static constexpr int MaxStatements = 256;
};

DbError SqliteError(sqlite3* db, int rc);
