// One-value lookups through the catalog engine against the same lookups through the bare SQLite API,
// on a catalog of 100,000 items. Prints the time per lookup and the ratio.
#include "app/clsCatalog.h"
#include "platform/Database.h"
#include "platform/UserInterface.h"
#include "storage/modDBCreation.h"
#include "storage/modDBOperations.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

namespace {
constexpr int Items = 100000;
constexpr int Lookups = 200000;

double PerLookupMicros(qint64 nanos) { return double(nanos) / Lookups / 1000.0; }
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.kst"));
    if (DbError error = modDBCreation::CreateCatalogFile(path)) {
        std::fprintf(stderr, "cannot create catalog: %s\n", qPrintable(error.message));
        return 1;
    }
    Result<std::unique_ptr<Database>> opened = Database::Open(path);
    if (!opened)
        return 1;
    Database& db = *opened.value();
    const Result<int> category = modDBCreation::CreateCategory(db, QStringLiteral("Books"), QStringLiteral("Title"), 0);
    if (!category)
        return 1;
    const QString table = QStringLiteral("ktbl%1").arg(*category);
    QElapsedTimer fill;
    fill.start();
    db.BeginTrans();
    {
        Result<std::unique_ptr<Recordset>> rows = db.OpenRecordset(table, RecordsetType::Table);
        Recordset& rs = *rows.value();
        for (int i = 1; i <= Items; ++i) {
            rs.AddNew();
            rs.SetValue(QStringLiteral("Title"), QStringLiteral("Book number %1").arg(i));
            rs.SetValue(QStringLiteral("TreeID"), i % 100);
            rs.Update();
        }
    }
    db.CommitTrans();
    std::printf("filled %d items through a result set in %lld ms\n", Items, fill.elapsed());

    std::vector<int> ids(Lookups);
    for (int& id : ids)
        id = 1 + int(QRandomGenerator::global()->bounded(Items));

    // Through the engine, as the model does it: SQL text in the catalog's dialect with the value in it.
    QElapsedTimer timer;
    qint64 checksum = 0;
    timer.start();
    for (int id : ids)
        checksum += modDBOperations::QueryValue(&db, QStringLiteral("SELECT [Title] FROM [") + table +
                                                         QStringLiteral("] WHERE [ID] = ") + QString::number(id))
                        .size();
    const qint64 engine = timer.nsecsElapsed();

    // Bare SQLite: the same statement text prepared, stepped and finalized each time.
    sqlite3* raw = db.handle();
    qint64 checksumBare = 0;
    timer.restart();
    for (int id : ids) {
        const QByteArray sql = (QStringLiteral("SELECT \"Title\" FROM \"") + table + QStringLiteral("\" WHERE \"ID\" = ") +
                                QString::number(id))
                                   .toUtf8();
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(raw, sql.constData(), int(sql.size()), &stmt, nullptr);
        if (sqlite3_step(stmt) == SQLITE_ROW)
            checksumBare += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))).size();
        sqlite3_finalize(stmt);
    }
    const qint64 bare = timer.nsecsElapsed();

    // Bare SQLite at its best: one statement prepared once and re-bound.
    sqlite3_stmt* stmt = nullptr;
    const QByteArray sql = (QStringLiteral("SELECT \"Title\" FROM \"") + table + QStringLiteral("\" WHERE \"ID\" = ?")).toUtf8();
    sqlite3_prepare_v2(raw, sql.constData(), int(sql.size()), &stmt, nullptr);
    timer.restart();
    for (int id : ids) {
        sqlite3_bind_int(stmt, 1, id);
        if (sqlite3_step(stmt) == SQLITE_ROW)
            checksumBare += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))).size();
        sqlite3_reset(stmt);
    }
    const qint64 prepared = timer.nsecsElapsed();
    sqlite3_finalize(stmt);

    std::printf("%d lookups of one value among %d items (checksums %lld / %lld)\n", Lookups, Items, checksum,
                checksumBare / 2);
    std::printf("engine (catalog SQL text):            %.2f us per lookup\n", PerLookupMicros(engine));
    std::printf("bare SQLite (prepare, step, finalize): %.2f us per lookup\n", PerLookupMicros(bare));
    std::printf("bare SQLite (one prepared statement):  %.2f us per lookup\n", PerLookupMicros(prepared));
    std::printf("ratio engine / bare prepare-per-lookup: %.2f\n", double(engine) / double(bare));
    std::printf("ratio engine / bare prepared-once:      %.2f\n", double(engine) / double(prepared));
    return 0;
}
