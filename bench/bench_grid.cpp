// The data grid bound to a data table of 1,000,000 items (ten fields, the title indexed): the times a person
// waits for a bound grid and the memory it takes. Run: bench_grid [catalog]. The catalog is made once (in
// the temporary folder unless named) and reused by later runs.
#include "controls/GridModel.h"
#include "controls/GridTableView.h"
#include "controls/ctlDataGrid.h"
#include "platform/Database.h"
#include "storage/modDBCreation.h"
#include "storage/modDBOperations.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace
{
constexpr int Items = 1000000;

// Resident and peak resident memory of the process, in megabytes.
double MemoryMb(const char* key)
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
bool MakeCatalog(const QString& path, QString* table)
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

QString FindTable(Database& db)
{
    for (const QString& name : db.TableNames())
        if (name.startsWith(QLatin1String("ktbl"))) {
            const Result<QVariant> count = db.LookupValue(QStringLiteral("SELECT count(*) FROM [%1]").arg(name));
            if (count && count->toInt() == Items)
                return name;
        }
    return QString();
}

struct Figure {
    const char* what;
    double ms;
    double limit;
};
} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString path =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::temp().filePath(QStringLiteral("kestrowan-bench-grid.kst"));

    QString table;
    if (!QFile::exists(path) && !MakeCatalog(path, &table))
        return 1;
    Result<std::unique_ptr<Database>> opened = Database::Open(path);
    if (!opened) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(path));
        return 1;
    }
    Database& db = *opened.value();
    table = FindTable(db);
    if (table.isEmpty()) {
        std::fprintf(stderr, "%s has no table of %d items; remove it to make it again\n", qPrintable(path), Items);
        return 1;
    }
    std::printf("catalog %s, table %s, %d items\n", qPrintable(path), qPrintable(table), Items);

    // The grid's memory is the process's own (anonymous) memory, less what SQLite holds for the connection;
    // the file itself is mapped into memory by the engine and counts as the file's, not the grid's.
    const auto gridMemory = [] { return MemoryMb("RssAnon:") - double(sqlite3_memory_used()) / (1024.0 * 1024.0); };
    const double baseline = gridMemory();
    const double baselineRss = MemoryMb("VmRSS:");
    ctlDataGrid grid;
    grid.resize(1200, 800);
    grid.show();
    QApplication::processEvents();
    GridTableView* view = grid.TableView();
    const auto show = [&] {
        view->viewport()->repaint(); // paints synchronously: every visible cell is read
        view->verticalHeader()->viewport()->repaint();
    };
    const auto time = [&](const std::function<void()>& action) {
        QElapsedTimer timer;
        timer.start();
        action();
        show();
        return double(timer.nsecsElapsed()) / 1e6;
    };
    const auto column = [&](const char* key) { return grid.ColumnByKey(QString::fromLatin1(key))->Index(); };

    std::vector<Figure> figures;
    grid.SetDatabase(&db);
    grid.SetRecordSource(QStringLiteral("SELECT [ID],[TreeID],[ParentID],[Created],[Modified],[Flag],[Title],[Author],"
                                        "[Year],[Price] FROM [%1]")
                             .arg(table));
    // The first bind reads the file from disk; the figure is the bind a person repeats (the file in the
    // system's cache), the median of five.
    grid.Rebind();
    std::vector<double> binds;
    for (int i = 0; i < 5; ++i)
        binds.push_back(time([&] { grid.Rebind(); }));
    std::sort(binds.begin(), binds.end());
    figures.push_back({"rebind and show the first screen", binds[2], 100});
    figures.push_back({"jump to the last row", time([&] { grid.SetRow(grid.RowCount()); }), 100});
    figures.push_back({"jump back to the first row", time([&] { grid.SetRow(1); }), 100});

    const auto sortBy = [&](const char* key, GridColumn::SortOrder order) {
        return time([&] {
            grid.ClearSortKeys();
            grid.AddSortKey(column(key), order);
            grid.RowCount(); // the arrangement takes effect when the rows are next looked at
        });
    };
    figures.push_back({"sort by the title, ascending", sortBy("Title", GridColumn::SortOrder::Ascending), 300});
    figures.push_back({"sort by the title, descending", sortBy("Title", GridColumn::SortOrder::Descending), 300});
    figures.push_back({"jump to the last row, sorted", time([&] { grid.SetRow(grid.RowCount()); }), 100});
    figures.push_back({"rebind sorted by the title (as the item view loads)", time([&] { grid.Rebind(); }), 100});
    figures.push_back({"page down 20 times from the top", time([&] {
                           grid.SetRow(1);
                           for (int i = 0; i < 20; ++i) {
                               view->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
                               show();
                           }
                       }),
                       2000});
    figures.push_back(
        {"jump to the middle row (reads every key)", time([&] { grid.SetRow(grid.RowCount() / 2); }), 1000});
    figures.push_back({"sort by the year (unindexed number)", sortBy("Year", GridColumn::SortOrder::Ascending), 2000});
    figures.push_back(
        {"sort by the author (unindexed text)", sortBy("Author", GridColumn::SortOrder::Ascending), 2000});
    figures.push_back({"jump to the middle row, by author", time([&] { grid.SetRow(grid.RowCount() / 2); }), 2000});

    sortBy("Title", GridColumn::SortOrder::Ascending);
    figures.push_back({"group by the author (1,000 groups), collapsed", time([&] {
                           grid.ClearGroups();
                           grid.AddGroup(column("Author"), GridColumn::SortOrder::Ascending);
                           grid.Regroup(true);
                       }),
                       1000});
    const int groups = grid.RowCount();
    figures.push_back({"regroup expanded", time([&] { grid.Regroup(false); }), 1000});
    figures.push_back({"jump to the last row, grouped", time([&] { grid.SetRow(grid.RowCount()); }), 100});
    figures.push_back({"group by author and year, collapsed", time([&] {
                           grid.AddGroup(column("Year"), GridColumn::SortOrder::Descending);
                           grid.Regroup(true);
                       }),
                       0});
    figures.push_back({"select all (Ctrl+A)", time([&] { grid.SelectAll(); }), 100});
    const double afterAll = gridMemory();
    const double afterAllRss = MemoryMb("VmRSS:");
    const double peak = MemoryMb("VmHWM:");

    std::printf("\n%-52s %10s %8s\n", "", "ms", "target");
    bool met = true;
    for (const Figure& figure : figures) {
        if (figure.limit <= 0) { // a figure for information, without a target
            std::printf("%-52s %10.1f %8s\n", figure.what, figure.ms, "-");
            continue;
        }
        const bool ok = figure.ms < figure.limit;
        met = met && ok;
        std::printf("%-52s %10.1f %8.0f %s\n", figure.what, figure.ms, figure.limit, ok ? "ok" : "SLOW");
    }
    std::printf("\ngroups shown collapsed: %d (rows %d after two levels)\n", groups, grid.RowCount());
    std::printf("process memory: resident %.1f MB before the grid, %.1f MB after everything above (the catalog "
                "file mapped in included), peak %.1f MB\n",
                baselineRss, afterAllRss, peak);
    std::printf("grid memory (own memory less SQLite's): %.1f MB after everything above\n", afterAll - baseline);
    const bool memoryOk = afterAll - baseline < 150;
    std::printf("grid memory under 150 MB: %s\n", memoryOk ? "ok" : "TOO MUCH");
    return met && memoryOk ? 0 : 2;
}
