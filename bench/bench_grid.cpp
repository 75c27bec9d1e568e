// The data grid bound to a data table of 1,000,000 items (ten fields, the title indexed): the times a person
// waits for a bound grid and the memory it takes. Run: bench_grid [catalog]. The catalog is made once (in
// the temporary folder unless named) and reused by later runs.
#include "controls/GridModel.h"
#include "controls/GridTableView.h"
#include "controls/ctlDataGrid.h"
#include "platform/Database.h"
#include "BenchCatalog.h"

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
using namespace BenchCatalog;

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
