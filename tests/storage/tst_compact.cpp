#include "CatalogFixture.h"

#include "storage/modDBOperations.h"

#include <QCryptographicHash>
#include <QtTest>

using modDBOperations::CompactCatalogFile;

// Repair and compaction never lose the catalog: whatever step fails, the file is there under its own name.
class TestCompact : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void compactingAClosedCatalogStampsTheDate();
    void compactingKeepsTheDataAndShrinksTheFile();
    void compactingWhileAnotherCatalogIsOpenLeavesTheDate();
    void aFailureHalfWayRestoresTheOriginal();
    void anExistingTempFileIsReportedNotOverwritten();
    void aDamagedFileIsReportedAndLeftAlone();
    void anInvalidPathIsRefusedSilently();

private:
    static QByteArray Hash(const QString& path);
};

QByteArray TestCompact::Hash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

void TestCompact::compactingAClosedCatalogStampsTheDate()
{
    CatalogFixture fx;
    const QString file = fx.NewCatalog();
    {
        Result<std::unique_ptr<Database>> db = Database::Open(file);
        QVERIFY(db);
        QVERIFY(db.value()->Execute("UPDATE [Catalog] SET [LastCompact] = #1/1/2001#"));
    }
    DbError error;
    QVERIFY(CompactCatalogFile(clsFile(file), &error));
    QVERIFY(!QFile::exists(fx.path("temp.kst")));
    QVERIFY(!Catalog().database()); // the catalog object does not keep the file open
    Result<std::unique_ptr<Database>> db = Database::Open(file);
    QVERIFY(db);
    QCOMPARE(db.value()->LookupValue("SELECT [LastCompact] FROM [Catalog]")->toDate(), QDate::currentDate());
}

void TestCompact::compactingKeepsTheDataAndShrinksTheFile()
{
    CatalogFixture fx;
    const QString file = fx.NewCatalog();
    {
        Result<std::unique_ptr<Database>> db = Database::Open(file);
        QVERIFY(db);
        QVERIFY(!db.value()->BeginTrans());
        for (int i = 0; i < 3000; ++i)
            QVERIFY(db.value()->Execute(QString("INSERT INTO [ktbl2] ([Name],[Notes]) VALUES ('P%1','%2')")
                                            .arg(i)
                                            .arg(QString(200, QChar('a' + i % 26)))));
        QVERIFY(!db.value()->CommitTrans());
        QVERIFY(db.value()->Execute("DELETE * FROM [ktbl2] WHERE [ID] > 10"));
    }
    const qint64 before = QFileInfo(file).size();
    QVERIFY(CompactCatalogFile(clsFile(file)));
    QVERIFY(QFileInfo(file).size() < before);
    Result<std::unique_ptr<Database>> db = Database::Open(file);
    QVERIFY(db);
    QCOMPARE(modDBOperations::QueryCount("SELECT COUNT(*) FROM [ktbl2]", db.value().get()), 10);
    // The numbering carries on after the highest number ever given, compaction or not.
    QVERIFY(db.value()->Execute("INSERT INTO [ktbl2] ([Name]) VALUES ('Next')"));
    QCOMPARE(modDBOperations::QueryValue(db.value().get(), "SELECT [ID] FROM [ktbl2] WHERE [Name] = 'Next'"), QString("3001"));
}

void TestCompact::compactingWhileAnotherCatalogIsOpenLeavesTheDate()
{
    CatalogFixture fx;
    QVERIFY(fx.OpenNew("open.kst"));
    const QString other = fx.NewCatalog("other.kst");
    {
        Result<std::unique_ptr<Database>> db = Database::Open(other);
        QVERIFY(db);
        QVERIFY(db.value()->Execute("UPDATE [Catalog] SET [LastCompact] = #1/1/2001#"));
    }
    QVERIFY(CompactCatalogFile(clsFile(other)));
    QVERIFY(Catalog().Loaded());
    QCOMPARE(Catalog().File.Name(), QString("open.kst"));
    Result<std::unique_ptr<Database>> db = Database::Open(other);
    QCOMPARE(db.value()->LookupValue("SELECT [LastCompact] FROM [Catalog]")->toDate(), QDate(2001, 1, 1));
    // The open catalog itself is not compacted under its own feet.
    DbError error;
    QVERIFY(!CompactCatalogFile(Catalog().File, &error));
    QVERIFY(!error.message.isEmpty());
}

void TestCompact::aFailureHalfWayRestoresTheOriginal()
{
    CatalogFixture fx;
    const QString file = fx.NewCatalog();
    const QByteArray original = Hash(file);
    DbError error;
    // The copy writes part of a file, then fails, as a full disk would.
    const bool compacted = CompactCatalogFile(clsFile(file), &error, [](const QString&, const QString& target) {
        QFile partial(target);
        partial.open(QIODevice::WriteOnly);
        partial.write("half a catalog");
        return DbError{DbErrorNumber::Io, QStringLiteral("The disk is full.")};
    });
    QVERIFY(!compacted);
    QCOMPARE(error.number, DbErrorNumber::Io);
    QVERIFY(error.message.contains("The disk is full."));
    QVERIFY(error.message.contains("restored"));
    QCOMPARE(Hash(file), original);
    QVERIFY(!QFile::exists(fx.path("temp.kst")));
    Catalog().OpenCatalog(clsFile(file));
    QVERIFY(Catalog().Loaded());
}

void TestCompact::anExistingTempFileIsReportedNotOverwritten()
{
    CatalogFixture fx;
    const QString file = fx.NewCatalog();
    const QByteArray original = Hash(file);
    QFile temp(fx.path("temp.kst"));
    QVERIFY(temp.open(QIODevice::WriteOnly));
    temp.write("someone's file");
    temp.close();
    DbError error;
    QVERIFY(!CompactCatalogFile(clsFile(file), &error));
    QCOMPARE(error.number, DbErrorNumber::FileExists);
    QVERIFY(error.message.contains("temp.kst"));
    QCOMPARE(Hash(file), original);
    QVERIFY(temp.open(QIODevice::ReadOnly));
    QCOMPARE(temp.readAll(), QByteArray("someone's file"));
}

void TestCompact::aDamagedFileIsReportedAndLeftAlone()
{
    CatalogFixture fx;
    const QString file = fx.NewCatalog();
    {
        Result<std::unique_ptr<Database>> db = Database::Open(file);
        QVERIFY(!db.value()->BeginTrans());
        for (int i = 0; i < 2000; ++i)
            QVERIFY(db.value()->Execute(QString("INSERT INTO [ktbl2] ([Name]) VALUES ('Person %1')").arg(i)));
        QVERIFY(!db.value()->CommitTrans());
    }
    {
        // Scribble over the middle of the file, where the table's pages are.
        QFile raw(file);
        QVERIFY(raw.open(QIODevice::ReadWrite));
        const qint64 size = raw.size();
        raw.seek(size / 2);
        raw.write(QByteArray(8192, '\x5a'));
    }
    const QByteArray damaged = Hash(file);
    DbError error;
    QVERIFY(!CompactCatalogFile(clsFile(file), &error));
    QVERIFY(error.message.contains("damaged"));
    QCOMPARE(Hash(file), damaged);
    QVERIFY(!QFile::exists(fx.path("temp.kst")));
}

void TestCompact::anInvalidPathIsRefusedSilently()
{
    CatalogFixture fx;
    DbError error;
    QVERIFY(!CompactCatalogFile(clsFile("Cancel"), &error));
    QVERIFY(error.message.isEmpty());
    QVERIFY(!CompactCatalogFile(clsFile(fx.dir.path() + "/"), &error));
    QVERIFY(fx.ui.messages.isEmpty());
}

QTEST_GUILESS_MAIN(TestCompact)
#include "tst_compact.moc"
