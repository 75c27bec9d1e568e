#include "platform/StatementCache.h"

CachedStatement::CachedStatement(CachedStatement&& other) noexcept : m_cache(other.m_cache), m_stmt(other.m_stmt)
{
    other.m_cache = nullptr;
    other.m_stmt = nullptr;
}

CachedStatement& CachedStatement::operator=(CachedStatement&& other) noexcept
{
    if (this != &other) {
        release();
        m_cache = other.m_cache;
        m_stmt = other.m_stmt;
        other.m_cache = nullptr;
        other.m_stmt = nullptr;
    }
    return *this;
}

CachedStatement::~CachedStatement() { release(); }

void CachedStatement::release()
{
    if (m_cache && m_stmt)
        m_cache->giveBack(m_stmt);
    m_cache = nullptr;
    m_stmt = nullptr;
}

CachedStatement StatementCache::acquire(const QString& sql, DbError* error)
{
    std::vector<Entry>& entries = m_entries[sql];
    for (Entry& entry : entries) {
        if (!entry.inUse) {
            entry.inUse = true;
            entry.lastUse = ++m_clock;
            return CachedStatement(this, entry.stmt.get());
        }
    }
    evictIfFull();
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v3(m_db, utf8.constData(), int(utf8.size()), SQLITE_PREPARE_PERSISTENT, &raw, nullptr);
    if (rc != SQLITE_OK || !raw) {
        sqlite3_finalize(raw);
        if (error)
            *error = rc != SQLITE_OK ? SqliteError(m_db, rc)
                                     : DbError{DbErrorNumber::SyntaxError, QStringLiteral("The statement is empty.")};
        if (auto it = m_entries.find(sql); it != m_entries.end() && it->second.empty())
            m_entries.erase(it);
        return {};
    }
    std::vector<Entry>& slot = m_entries[sql]; // evictIfFull may have rehashed
    slot.push_back(Entry{StatementPtr(raw), true, ++m_clock});
    m_sqlOf.insert(raw, sql);
    return CachedStatement(this, raw);
}

void StatementCache::giveBack(sqlite3_stmt* stmt)
{
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    const auto sql = m_sqlOf.constFind(stmt);
    if (sql == m_sqlOf.constEnd())
        return;
    auto it = m_entries.find(*sql);
    if (it == m_entries.end())
        return;
    for (Entry& entry : it->second)
        if (entry.stmt.get() == stmt)
            entry.inUse = false;
}

void StatementCache::evictIfFull()
{
    if (m_sqlOf.size() < MaxStatements)
        return;
    // Drop the older half of the idle statements; cheaper than keeping an exact LRU order on every hit.
    std::vector<quint64> ages;
    for (const auto& [sql, entries] : m_entries)
        for (const Entry& entry : entries)
            if (!entry.inUse)
                ages.push_back(entry.lastUse);
    if (ages.empty())
        return;
    std::nth_element(ages.begin(), ages.begin() + ages.size() / 2, ages.end());
    dropIdle(ages[ages.size() / 2]);
}

void StatementCache::clear() { dropIdle(m_clock); }

void StatementCache::dropIdle(quint64 usedBefore)
{
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        std::vector<Entry>& entries = it->second;
        for (auto e = entries.begin(); e != entries.end();) {
            if (!e->inUse && e->lastUse <= usedBefore) {
                m_sqlOf.remove(e->stmt.get());
                e = entries.erase(e);
            } else {
                ++e;
            }
        }
        if (entries.empty())
            it = m_entries.erase(it);
        else
            ++it;
    }
}
