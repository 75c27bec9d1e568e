// The benchmarks' catalog: one category "Books" of 1,000,000 items (ID, TreeID, ParentID, Created, Modified,
// Flag, Title indexed, Author of 1,000 names, Year, Price), made once and reused by later runs.
#pragma once
#include "platform/Database.h"
#include "storage/modDBCreation.h"
#include "storage/modDBOperations.h"

#include <QElapsedTimer>
#include <QFile>

#include <cstdio>

namespace BenchCatalog
{
constexpr int Items = 1000000;

// Resident and peak resident memory of the process, in megabytes.
inline double MemoryMb(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

const char* const Adjectives[] = {"Silent", "Golden",   "Hidden", "Broken", "Distant", "Crimson", "Quiet",   "Wild",
                                  "Last",   "Northern", "Secret", "Winter", "Burning", "Lost",    "Painted", "Endless"};
const char* const Nouns[] = {"River",  "Garden",  "Mountain", "Harbour", "Letter", "Kingdom", "Lantern", "Forest",
                             "Voyage", "Orchard", "Island",   "Bridge",  "Empire", "Meadow",  "Mirror",  "Tower"};
const char* const Surnames[] = {
    "Austen",   "Bronte",  "Conrad",   "Dickens",   "Eliot",   "Forster", "Gaskell",  "Hardy",   "Irving",
    "James",    "Kipling", "Lawrence", "Melville",  "Nabokov", "Orwell",  "Poe",      "Quincey", "Rushdie",
    "Scott",    "Twain",   "Updike",   "Verne",     "Woolf",   "Yeats",   "Zola",     "Atwood",  "Borges",
    "Calvino",  "Defoe",   "Ellison",  "Faulkner",  "Greene",  "Huxley",  "Ishiguro", "Joyce",   "Kafka",
    "Lessing",  "Mann",    "Naipaul",  "Ondaatje",  "Proust",  "Rhys",    "Sterne",   "Tolstoy", "Undset",
    "Vonnegut", "Wharton", "Xenophon", "Yourcenar", "Zweig"};
const char* const Given[] = {"Anne",  "Boris", "Clara", "David", "Edith", "Frank", "Grace", "Henry", "Iris", "John",
                             "Karen", "Leo",   "Mary",  "Nora",  "Oscar", "Paul",  "Rose",  "Simon", "Tess", "Walter"};

// Makes the catalog: one category whose table has ID, TreeID, ParentID, Created, Modified, Flag, Title
// (indexed), Author (1,000 names), Year and Price. The rows go in through one prepared statement in one
// transaction; the title index is built after them, which is far quicker than keeping it up to date.
inline bool MakeCatalog(const QString& path, QString* table)
{
    if (DbError error = modDBCreation::CreateCatalogFile(path)) {
        std::fprintf(stderr, "cannot create catalog: %s\n", qPrintable(error.message));
        return false;
    }
    Result<std::unique_ptr<Database>> opened = Database::Open(path);
    if (!opened)
        return false;
    Database& db = *opened.value();
    const Result<int> category = modDBCreation::CreateCategory(db, QStringLiteral("Books"), QStringLiteral("Title"), 0);
    if (!category)
        return false;
    *table = QStringLiteral("ktbl%1").arg(*category);
    modDBOperations::AddField(db, *table, QStringLiteral("Author"), 1, false, false, true, 0, *category);
    modDBOperations::AddField(db, *table, QStringLiteral("Year"), 10, false, false, true, 0, *category);
    modDBOperations::AddField(db, *table, QStringLiteral("Price"), 5, false, false, true, 0, *category);
    db.DeleteIndex(*table, QStringLiteral("Title"));

    QElapsedTimer timer;
    timer.start();
    sqlite3* h = db.handle();
    sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    const QByteArray sql =
        QStringLiteral("INSERT INTO \"%1\" (TreeID, ParentID, Created, Modified, Flag, Title, Author, "
                       "Year, Price) VALUES (?, 0, ?, ?, ?, ?, ?, ?, ?)")
            .arg(*table)
            .toUtf8();
    sqlite3_prepare_v2(h, sql.constData(), -1, &insert, nullptr);
    quint32 x = 20240611;
    for (int i = 1; i <= Items; ++i) {
        x = x * 1664525u + 1013904223u;
        const QByteArray title = QStringLiteral("The %1 %2 %3")
                                     .arg(QLatin1String(Adjectives[(x >> 4) % 16]), QLatin1String(Nouns[(x >> 9) % 16]))
                                     .arg((x >> 14) % 100000)
                                     .toUtf8();
        const quint32 author = (x >> 7) % 1000;
        const QByteArray name = QStringLiteral("%1, %2")
                                    .arg(QLatin1String(Surnames[author % 50]), QLatin1String(Given[author / 50]))
                                    .toUtf8();
        const QByteArray created = QStringLiteral("20%1-%2-%3 10:00:00")
                                       .arg(10 + (x >> 3) % 14)
                                       .arg(1 + (x >> 5) % 12, 2, 10, QLatin1Char('0'))
                                       .arg(1 + (x >> 11) % 28, 2, 10, QLatin1Char('0'))
                                       .toUtf8();
        sqlite3_bind_int(insert, 1, int(x % 200));
        sqlite3_bind_text(insert, 2, created.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, created.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 4, int((x >> 20) % 9));
        sqlite3_bind_text(insert, 5, title.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 6, name.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 7, 1800 + int((x >> 12) % 224));
        sqlite3_bind_double(insert, 8, double((x >> 6) % 10000) / 100.0);
        if (sqlite3_step(insert) != SQLITE_DONE) {
            std::fprintf(stderr, "insert failed: %s\n", sqlite3_errmsg(h));
            return false;
        }
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
    std::printf("filled %d items in %lld ms; ", Items, timer.elapsed());
    timer.restart();
    IndexDef index;
    index.name = QStringLiteral("Title");
    index.fields = {QStringLiteral("Title")};
    if (DbError error = db.CreateIndex(*table, index)) {
        std::fprintf(stderr, "index failed: %s\n", qPrintable(error.message));
        return false;
    }
    std::printf("title index in %lld ms\n", timer.elapsed());
    return true;
}

inline QString FindTable(Database& db)
{
    for (const QString& name : db.TableNames())
        if (name.startsWith(QLatin1String("ktbl"))) {
            const Result<QVariant> count = db.LookupValue(QStringLiteral("SELECT count(*) FROM [%1]").arg(name));
            if (count && count->toInt() == Items)
                return name;
        }
    return QString();
}

// One measured figure and the time it must stay under (0: no target).
struct Figure {
    const char* what;
    double ms;
    double limit;
};
} // namespace BenchCatalog
