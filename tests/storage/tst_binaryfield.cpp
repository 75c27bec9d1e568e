#include "CatalogFixture.h"

#include "storage/modBinaryField.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QtTest>

using namespace modBinaryField;

// Files stored whole in Long Binary fields: the header with the name, the chunking, and the way back out.
class TestBinaryField : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void chunksFollowTheHeader_data();
    void chunksFollowTheHeader();
    void storedFileComesBackByteForByte_data();
    void storedFileComesBackByteForByte();
    void nonAsciiNameKeepsItsLetters();
    void twoExtractionsGiveTwoTemporaryFiles();
    void extractingAnotherKindOfFieldWritesNothing();
    void overlongNameIsRefused();
    void unreadableFileIsAnError();
    void appendedNameCannotLeaveTheTargetFolder();

private:
    QString WriteFile(const QString& name, const QByteArray& bytes);
    // Stores the file in [ktbl2].[Image] of a new row; returns the row's ID.
    int StoreInNewRow(const QString& path);
    std::unique_ptr<Recordset> OpenRow(int id);

    std::unique_ptr<CatalogFixture> m_fx;
    QStringList m_temporaries;
};

void TestBinaryField::init()
{
    m_fx = std::make_unique<CatalogFixture>();
    QVERIFY(m_fx->OpenNew());
}

void TestBinaryField::cleanup()
{
    for (const QString& file : m_temporaries)
        QFile::remove(file);
    m_temporaries.clear();
    m_fx.reset();
}

QString TestBinaryField::WriteFile(const QString& name, const QByteArray& bytes)
{
    const QString path = m_fx->path(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qWarning("could not write %s", qPrintable(path));
    return path;
}

int TestBinaryField::StoreInNewRow(const QString& path)
{
    Result<std::unique_ptr<Recordset>> table = m_fx->db().OpenRecordset("ktbl2", RecordsetType::Table);
    if (!table)
        return 0;
    Recordset& rs = *table.value();
    rs.AddNew();
    const int id = rs.Value("ID").toInt();
    rs.SetValue("Name", "Someone");
    if (DbError error = StoreFileInField(rs, "Image", path)) {
        qWarning("store failed: %s", qPrintable(error.message));
        return 0;
    }
    return rs.Update() ? 0 : id;
}

std::unique_ptr<Recordset> TestBinaryField::OpenRow(int id)
{
    Result<std::unique_ptr<Recordset>> rows =
        m_fx->db().OpenRecordset(QString("SELECT [Name],[Image] FROM [ktbl2] WHERE [ID] = %1").arg(id), RecordsetType::Dynaset);
    return rows ? std::move(rows.value()) : nullptr;
}

static QByteArray Pattern(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 251) & 0xFF);
    return bytes;
}

void TestBinaryField::chunksFollowTheHeader_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QList<int>>("chunks"); // sizes after the header
    QTest::newRow("empty file") << 0 << QList<int>{};
    QTest::newRow("exactly one chunk") << 32768 << QList<int>{32768};
    QTest::newRow("one byte more") << 32769 << QList<int>{32768, 1};
    QTest::newRow("100000 bytes") << 100000 << QList<int>{32768, 32768, 32768, 1696};
}

void TestBinaryField::chunksFollowTheHeader()
{
    QFETCH(int, size);
    QFETCH(QList<int>, chunks);
    const QString path = WriteFile("pic.ico", Pattern(size));
    QList<QByteArray> received;
    QVERIFY(!StoreFileChunks(path, [&](const QByteArray& chunk) {
        received << chunk;
        return DbError{};
    }));
    QVERIFY(!received.isEmpty());
    // Header: the length of "pic.ico", then the name in UTF-16 little-endian.
    QCOMPARE(received.first(), QByteArray("\x07p\0i\0c\0.\0i\0c\0o\0", 15));
    QList<int> sizes;
    for (int i = 1; i < received.size(); ++i)
        sizes << int(received.at(i).size());
    QCOMPARE(sizes, chunks);
}

void TestBinaryField::storedFileComesBackByteForByte_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("0 bytes") << 0;
    QTest::newRow("32768 bytes") << 32768;
    QTest::newRow("100000 bytes") << 100000;
}

void TestBinaryField::storedFileComesBackByteForByte()
{
    QFETCH(int, size);
    QByteArray content = Pattern(size);
    if (size > 10)
        content[size / 2] = '\0';
    const int id = StoreInNewRow(WriteFile("photo.jpg", content));
    QVERIFY(id > 0);
    std::unique_ptr<Recordset> row = OpenRow(id);
    QVERIFY(row && !row->Eof());
    QCOMPARE(row->FieldSize(1), qint64(1 + 2 * 9 + size));
    QCOMPARE(ReadStoredFileName(*row, 1), QString("photo.jpg"));
    QCOMPARE(ReadStoredFile(*row, 1), content);

    const Result<QString> extracted = ExtractFieldToFile(*row, 1);
    QVERIFY(extracted);
    m_temporaries << *extracted;
    QFile file(*extracted);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), content);

    // A chosen target, with and without the stored name after it.
    const QString folder = m_fx->path("out/");
    QVERIFY(QDir().mkpath(folder));
    const Result<QString> named = ExtractFieldToFile(*row, 1, folder, true);
    QVERIFY(named);
    QCOMPARE(*named, folder + "photo.jpg");
    const Result<QString> plain = ExtractFieldToFile(*row, 1, folder + "copy.bin", false);
    QVERIFY(plain);
    QCOMPARE(QFileInfo(*plain).size(), qint64(size));
}

void TestBinaryField::nonAsciiNameKeepsItsLetters()
{
    const QString name = QString::fromUtf8("Bücher_Ωμέγα_本.ico");
    const int id = StoreInNewRow(WriteFile(name, "icon"));
    QVERIFY(id > 0);
    std::unique_ptr<Recordset> row = OpenRow(id);
    QVERIFY(row && !row->Eof());
    QCOMPARE(ReadStoredFileName(*row, 1), name);
    QCOMPARE(row->GetChunk(1, 0, 1), QByteArray(1, char(name.size())));
    // "ü" is U+00FC: low byte first.
    QCOMPARE(row->GetChunk(1, 3, 2), QByteArray("\xFC\x00", 2));
    const Result<QString> extracted = ExtractFieldToFile(*row, 1);
    QVERIFY(extracted);
    m_temporaries << *extracted;
    QCOMPARE(QFileInfo(*extracted).size(), qint64(4));
}

void TestBinaryField::twoExtractionsGiveTwoTemporaryFiles()
{
    const int id = StoreInNewRow(WriteFile("a.ico", "same bytes"));
    std::unique_ptr<Recordset> row = OpenRow(id);
    QVERIFY(row && !row->Eof());
    const Result<QString> first = ExtractFieldToFile(*row, 1);
    const Result<QString> second = ExtractFieldToFile(*row, 1);
    QVERIFY(first && second);
    m_temporaries << *first << *second;
    QVERIFY(*first != *second);
    QVERIFY(QFileInfo(*first).fileName().startsWith("cat"));
    QVERIFY(QFileInfo(*second).fileName().startsWith("cat"));
    QFile a(*first), b(*second);
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    QCOMPARE(a.readAll(), QByteArray("same bytes"));
    QCOMPARE(b.readAll(), QByteArray("same bytes"));
}

void TestBinaryField::extractingAnotherKindOfFieldWritesNothing()
{
    const int id = StoreInNewRow(WriteFile("a.ico", "x"));
    std::unique_ptr<Recordset> row = OpenRow(id);
    QVERIFY(row && !row->Eof());
    const QString target = m_fx->path("never.txt");
    const Result<QString> result = ExtractFieldToFile(*row, 0, target); // [Name] is a Text field
    QVERIFY(result);
    QVERIFY(result->isEmpty());
    QVERIFY(!QFileInfo::exists(target));
}

void TestBinaryField::overlongNameIsRefused()
{
    int chunks = 0;
    const DbError error = StoreFileChunks(m_fx->path(QString(256, 'n')), [&](const QByteArray&) {
        ++chunks;
        return DbError{};
    });
    QVERIFY(error);
    QCOMPARE(chunks, 0);
}

void TestBinaryField::unreadableFileIsAnError()
{
    Result<std::unique_ptr<Recordset>> table = m_fx->db().OpenRecordset("ktbl2", RecordsetType::Table);
    QVERIFY(table);
    table.value()->AddNew();
    QVERIFY(StoreFileInField(*table.value(), "Image", m_fx->path("missing.ico")));
    QCOMPARE(table.value()->FieldSize(table.value()->FieldIndex("Image")), qint64(0));
}

void TestBinaryField::appendedNameCannotLeaveTheTargetFolder()
{
    // A stored name is data from the file: one that climbs out of the folder is cut to its name part.
    QByteArray stored;
    const QString name = "..\\..\\evil.txt";
    stored.append(char(name.size()));
    for (const QChar c : name)
        stored.append(char(c.unicode())).append('\0');
    stored.append("payload");
    QVERIFY(m_fx->db().Execute("INSERT INTO [ktbl2] ([Name]) VALUES ('Holder')"));
    std::unique_ptr<Recordset> row = OpenRow(m_fx->db().LookupValue("SELECT MAX([ID]) FROM [ktbl2]")->toInt());
    QVERIFY(row && !row->Eof());
    QVERIFY(!row->Edit());
    QVERIFY(!row->SetValue(1, stored));
    QVERIFY(!row->Update());
    row = OpenRow(m_fx->db().LookupValue("SELECT MAX([ID]) FROM [ktbl2]")->toInt());

    const QString folder = m_fx->path("deep/inner/");
    QVERIFY(QDir().mkpath(folder));
    const Result<QString> written = ExtractFieldToFile(*row, 1, folder, true);
    QVERIFY(written);
    QCOMPARE(*written, folder + "evil.txt");
    QVERIFY(QFileInfo::exists(folder + "evil.txt"));
}

QTEST_GUILESS_MAIN(TestBinaryField)
#include "tst_binaryfield.moc"
