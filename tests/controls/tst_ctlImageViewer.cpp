// The image viewer over the "Cover" column of a catalog item: pictures chosen, stored, shown, written out
// and cleared, with every check on what reaches the catalog file or the written file.
#include "../model/ModelFixture.h"

#include "controls/clsCommonDialog.h"
#include "controls/ctlImageViewer.h"
#include "storage/modBinaryField.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QScrollBar>
#include <QtTest>

namespace {

// Qt writes no GIF, so the test makes one: a 4-colour picture coded with a clear code before every second
// pixel, which keeps every code 3 bits wide.
QByteArray GifBytes(QSize size)
{
    QByteArray gif("GIF89a");
    const auto le16 = [&gif](int v) { gif.append(char(v & 0xFF)).append(char(v >> 8)); };
    le16(size.width());
    le16(size.height());
    gif.append("\x81\x00\x00", 3); // a global table of 4 colours
    gif.append("\x00\x00\x00\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF", 12);
    gif.append(',');
    le16(0);
    le16(0);
    le16(size.width());
    le16(size.height());
    gif.append('\0');
    gif.append('\x02'); // minimum code size: clear is 4, end is 5

    QByteArray data;
    quint32 bits = 0;
    int count = 0;
    const auto put = [&](int code) {
        bits |= quint32(code) << count;
        for (count += 3; count >= 8; count -= 8, bits >>= 8)
            data.append(char(bits & 0xFF));
    };
    const int pixels = size.width() * size.height();
    for (int i = 0; i < pixels; ++i) {
        if (i % 2 == 0)
            put(4);
        put(i % 4);
    }
    put(5);
    if (count > 0)
        data.append(char(bits & 0xFF));
    for (qsizetype at = 0; at < data.size(); at += 255) {
        const QByteArray block = data.mid(at, 255);
        gif.append(char(block.size())).append(block);
    }
    gif.append('\0').append(';');
    return gif;
}

// An icon holding one PNG picture of each size, square; the largest is not the first.
QByteArray IconOfSizes(const QList<int>& sizes)
{
    QByteArray icon;
    const auto le16 = [&icon](int v) { icon.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); };
    QList<QByteArray> pictures;
    for (const int size : sizes) {
        QImage image(size, size, QImage::Format_ARGB32);
        image.fill(Qt::blue);
        QBuffer buffer(&pictures.emplace_back());
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "png");
    }
    le16(0);
    le16(1);
    le16(int(sizes.size()));
    qsizetype offset = 6 + 16 * sizes.size();
    for (qsizetype i = 0; i < sizes.size(); ++i) {
        icon.append(char(sizes[i])).append(char(sizes[i])).append('\0').append('\0');
        le16(1);
        le16(32);
        le16(int(pictures[i].size()));
        le16(0);
        le16(int(offset));
        le16(0);
        offset += pictures[i].size();
    }
    for (const QByteArray& picture : pictures)
        icon.append(picture);
    return icon;
}

QByteArray Junk() { return QByteArray("\x01\x00\x09\x00 not a picture \xFF\x00 at all", 32); }

} // namespace

class tst_ctlImageViewer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void picturesAreStoredAndShown_data();
    void picturesAreStoredAndShown();
    void refusedOrCancelledChoiceLeavesTheField_data();
    void refusedOrCancelledChoiceLeavesTheField();
    void pictureJoinsTheCallersPendingEdit();
    void unshowableStoredFileStaysAndIsNamed();
    void savingProposesTheStoredNameAndWritesThePicture_data();
    void savingProposesTheStoredNameAndWritesThePicture();
    void clearedFieldHasNoImageToSave();
    void scrollBarsCountInPixelsAndStartTopLeft();

private:
    // A picture file of the given size in the test folder, in the format its name says unless told.
    QString WritePicture(const QString& name, QSize size, QByteArray format = QByteArray());
    QString WriteFile(const QString& name, const QByteArray& bytes);
    std::unique_ptr<Recordset> OpenItem();
    QByteArray StoredValue();
    // Stores the file through the open dialog; true when the viewer accepted it.
    bool StoreThroughDialog(const QString& path);

    std::unique_ptr<ModelFixture> m_fx;
    std::unique_ptr<Recordset> m_rs;
    ctlImageViewer* m_viewer = nullptr;
    int m_item = 0;
};

void tst_ctlImageViewer::init()
{
    m_fx = std::make_unique<ModelFixture>();
    QVERIFY(m_fx->Setup());
    m_item = m_fx->AddItem(m_fx->books, "[Title]", "'Emma'");
    QVERIFY(m_item > 0);
    m_rs = OpenItem();
    QVERIFY(m_rs && !m_rs->Eof());
    m_viewer = new ctlImageViewer;
    clsCommonDialog::PendingAnswersForTesting().clear();
}

void tst_ctlImageViewer::cleanup()
{
    delete m_viewer;
    m_viewer = nullptr;
    m_rs.reset();
    m_fx.reset();
    clsCommonDialog::PendingAnswersForTesting().clear();
}

QString tst_ctlImageViewer::WriteFile(const QString& name, const QByteArray& bytes)
{
    QFile file(m_fx->path(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qWarning("could not write %s", qPrintable(name));
    return file.fileName();
}

QString tst_ctlImageViewer::WritePicture(const QString& name, QSize size, QByteArray format)
{
    if (format.isEmpty())
        format = QFileInfo(name).suffix().toLatin1();
    if (format == "gif")
        return WriteFile(name, GifBytes(size));
    if (format == "icon of sizes")
        return WriteFile(name, IconOfSizes({16, size.width(), 32}));
    QImage image(size, QImage::Format_ARGB32);
    image.fill(QColor(200, 40, 90));
    QImageWriter writer(m_fx->path(name), format);
    if (!writer.write(image))
        qWarning("could not write %s: %s", qPrintable(name), qPrintable(writer.errorString()));
    return m_fx->path(name);
}

std::unique_ptr<Recordset> tst_ctlImageViewer::OpenItem()
{
    Result<std::unique_ptr<Recordset>> rs = m_fx->db().OpenRecordset(
        QString("SELECT [ID],[Title],[Cover] FROM [%1] WHERE [ID] = %2").arg(m_fx->books->DBName()).arg(m_item),
        RecordsetType::Dynaset);
    return rs ? std::move(rs.value()) : nullptr;
}

QByteArray tst_ctlImageViewer::StoredValue()
{
    const Result<QVariant> value = m_fx->db().LookupValue(
        QString("SELECT [Cover] FROM [%1] WHERE [ID] = %2").arg(m_fx->books->DBName()).arg(m_item));
    return value ? value->toByteArray() : QByteArray("lookup failed");
}

bool tst_ctlImageViewer::StoreThroughDialog(const QString& path)
{
    clsCommonDialog::QueueAnswerForTesting(path);
    return m_viewer->LoadImageFromFile(*m_rs, "Cover");
}

void tst_ctlImageViewer::picturesAreStoredAndShown_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QSize>("size");
    QTest::newRow("BMP") << "picture.bmp" << QByteArray() << QSize(40, 30);
    QTest::newRow("JPEG") << "photo.jpg" << QByteArray() << QSize(41, 27);
    QTest::newRow("GIF") << "drawing.gif" << QByteArray() << QSize(7, 5);
    QTest::newRow("PNG") << "scan.png" << QByteArray() << QSize(33, 65);
    QTest::newRow("ICO") << "symbol.ico" << QByteArray() << QSize(32, 32);
    QTest::newRow("ICO of three sizes, largest shown") << "sizes.ico" << QByteArray("icon of sizes") << QSize(48, 48);
    QTest::newRow("PNG named .jpg") << "misnamed.jpg" << QByteArray("png") << QSize(19, 3);
}

void tst_ctlImageViewer::picturesAreStoredAndShown()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, format);
    QFETCH(QSize, size);
    const QString path = WritePicture(name, size, format);
    QVERIFY(StoreThroughDialog(path));
    QCOMPARE(m_fx->ui.messages, QStringList());
    QCOMPARE(m_viewer->Picture().size(), size);

    // The open dialog's first file type takes every picture Qt reads, this one among them.
    const clsCommonDialog& asked = clsCommonDialog::LastQuestionForTesting();
    QCOMPARE(asked.DialogTitle, QString("Open Image"));
    QCOMPARE(asked.InitDir, Catalog().LastDirectory());
    const QStringList filter = asked.Filter.split('|');
    QVERIFY(filter.first().startsWith("All Pictures"));
    QVERIFY(filter.at(1).split(';').contains("*." + QFileInfo(name).suffix()));
    QVERIFY(filter.contains("Metafiles (*.wmf;*.emf)"));

    // What reached the catalog, read through a fresh record set, and shown by a fresh viewer.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    std::unique_ptr<Recordset> fresh = OpenItem();
    const int cover = fresh->FieldIndex("Cover");
    QCOMPARE(modBinaryField::ReadStoredFileName(*fresh, cover), name);
    QCOMPARE(modBinaryField::ReadStoredFile(*fresh, cover), file.readAll());
    ctlImageViewer other;
    other.LoadImageFromField(*fresh, "Cover");
    QCOMPARE(other.Picture().size(), size);
    QVERIFY(!other.HoldsUnshowableFile());
}

void tst_ctlImageViewer::refusedOrCancelledChoiceLeavesTheField_data()
{
    QTest::addColumn<QString>("answer"); // a file in the test folder, or "Cancel"
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    const QString refused = "This does not appear to be a valid image file.";
    QTest::newRow("text under a picture's name") << "notes.png" << Junk() << refused;
    QTest::newRow("metafile") << "scan.wmf" << Junk() << refused;
    QTest::newRow("empty file") << "empty.jpg" << QByteArray() << refused;
    QTest::newRow("cancelled") << "Cancel" << QByteArray() << QString();
}

void tst_ctlImageViewer::refusedOrCancelledChoiceLeavesTheField()
{
    QFETCH(QString, answer);
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    QVERIFY(StoreThroughDialog(WritePicture("kept.png", QSize(20, 10))));
    const QByteArray before = StoredValue();
    QVERIFY(!before.isEmpty());

    QVERIFY(!StoreThroughDialog(answer == "Cancel" ? answer : WriteFile(answer, content)));
    QCOMPARE(m_fx->ui.messages, message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(StoredValue(), before);
    QCOMPARE(m_rs->editMode(), Recordset::EditMode::None);
    QCOMPARE(m_fx->ui.busyDepth, 0);
    // The viewer still shows what the field holds.
    QCOMPARE(m_viewer->Picture().size(), QSize(20, 10));
}

void tst_ctlImageViewer::pictureJoinsTheCallersPendingEdit()
{
    // The item editor may have the record open with changes of its own; they must survive the picture.
    QVERIFY(!m_rs->Edit());
    QVERIFY(!m_rs->SetValue("Title", "Persuasion"));
    QVERIFY(StoreThroughDialog(WritePicture("cover.png", QSize(12, 9))));
    QCOMPARE(m_rs->editMode(), Recordset::EditMode::Editing);
    QVERIFY(StoredValue().isEmpty()); // saved with the caller's changes, not before them
    QVERIFY(!m_rs->Update());
    QCOMPARE(m_fx->Value(QString("SELECT [Title] FROM [%1] WHERE [ID] = %2").arg(m_fx->books->DBName()).arg(m_item)),
             QString("Persuasion"));
    std::unique_ptr<Recordset> fresh = OpenItem();
    QCOMPARE(modBinaryField::ReadStoredFileName(*fresh, fresh->FieldIndex("Cover")), QString("cover.png"));
}

void tst_ctlImageViewer::unshowableStoredFileStaysAndIsNamed()
{
    const QByteArray metafile = Junk();
    QVERIFY(!m_rs->Edit());
    QVERIFY(!modBinaryField::StoreFileInField(*m_rs, "Cover", WriteFile("scan.wmf", metafile)));
    QVERIFY(!m_rs->Update());
    const QByteArray before = StoredValue();

    m_viewer->LoadImageFromField(*m_rs, "Cover");
    QVERIFY(m_viewer->Picture().isNull());
    QVERIFY(m_viewer->HoldsUnshowableFile());
    QCOMPARE(m_viewer->Notice(), QString("This picture cannot be shown (scan.wmf)."));
    QCOMPARE(m_fx->ui.messages, QStringList());
    QCOMPARE(StoredValue(), before);

    // Written out under its own type, it comes back as it was stored.
    const QString target = m_fx->path("copy.wmf");
    clsCommonDialog::QueueAnswerForTesting(target);
    QVERIFY(m_viewer->SaveImageToFile(*m_rs, "Cover"));
    QCOMPARE(clsCommonDialog::LastQuestionForTesting().FileName, QString("scan.wmf"));
    QFile file(target);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), metafile);

    // A picture chosen afterwards replaces it and the notice goes.
    QVERIFY(StoreThroughDialog(WritePicture("new.png", QSize(5, 5))));
    QVERIFY(!m_viewer->HoldsUnshowableFile());
}

void tst_ctlImageViewer::savingProposesTheStoredNameAndWritesThePicture_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QByteArray>("format"); // what the written file turns out to be
    QTest::newRow("jpg") << "scan.jpg" << "JPG Files (*.jpg)|*.jpg" << "out.jpg" << QByteArray("jpeg");
    QTest::newRow("gif, which Qt does not write") << "photo.gif" << "GIF Files (*.gif)|*.gif" << "out.gif"
                                                  << QByteArray("gif");
    QTest::newRow("another type typed in") << "photo.png" << "PNG Files (*.png)|*.png" << "out.bmp"
                                           << QByteArray("bmp");
    QTest::newRow("no type typed in") << "photo.png" << "PNG Files (*.png)|*.png" << "out" << QByteArray("png");
}

void tst_ctlImageViewer::savingProposesTheStoredNameAndWritesThePicture()
{
    QFETCH(QString, stored);
    QFETCH(QString, filter);
    QFETCH(QString, target);
    QFETCH(QByteArray, format);
    const QSize size(23, 17);
    QVERIFY(StoreThroughDialog(WritePicture(stored, size)));

    clsCommonDialog::QueueAnswerForTesting(m_fx->path(target));
    QVERIFY(m_viewer->SaveImageToFile(*m_rs, "Cover"));
    QCOMPARE(m_fx->ui.messages, QStringList());
    const clsCommonDialog& asked = clsCommonDialog::LastQuestionForTesting();
    QCOMPARE(asked.DialogTitle, QString("Save Image"));
    QCOMPARE(asked.FileName, stored);
    QCOMPARE(asked.Filter, filter);

    const QString written = QFileInfo(target).suffix().isEmpty() ? m_fx->path(target) + "." + QFileInfo(stored).suffix()
                                                                 : m_fx->path(target);
    QImageReader reader(written);
    QCOMPARE(reader.format(), format);
    QCOMPARE(reader.read().size(), size);
}

void tst_ctlImageViewer::clearedFieldHasNoImageToSave()
{
    QVERIFY(StoreThroughDialog(WritePicture("cover.png", QSize(8, 8))));
    QVERIFY(m_viewer->ClearImageFromField(*m_rs, "Cover"));
    QVERIFY(StoredValue().isEmpty());
    QVERIFY(m_viewer->Picture().isNull());

    clsCommonDialog::QueueAnswerForTesting(m_fx->path("never.png"));
    QVERIFY(!m_viewer->SaveImageToFile(*m_rs, "Cover"));
    QCOMPARE(m_fx->ui.messages, QStringList{"There is no image available to save."});
    QCOMPARE(clsCommonDialog::PendingAnswersForTesting().size(), 1); // no dialog was shown
    QVERIFY(!QFile::exists(m_fx->path("never.png")));
}

void tst_ctlImageViewer::scrollBarsCountInPixelsAndStartTopLeft()
{
    m_viewer->resize(160, 120);
    m_viewer->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_viewer));
    QVERIFY(StoreThroughDialog(WritePicture("big.png", QSize(500, 400))));
    QScrollBar* h = m_viewer->horizontalScrollBar();
    QScrollBar* v = m_viewer->verticalScrollBar();
    const QSize view = m_viewer->viewport()->size();
    QCOMPARE(h->maximum(), 500 - view.width());
    QCOMPARE(v->maximum(), 400 - view.height());
    QCOMPARE(h->singleStep(), 8);
    QCOMPARE(v->pageStep(), view.height() / 2);

    h->setValue(100);
    v->setValue(50);
    m_viewer->resize(200, 150);
    QTRY_COMPARE(h->value(), 0);
    QCOMPARE(v->value(), 0);
    QCOMPARE(h->maximum(), 500 - m_viewer->viewport()->width());

    h->setValue(100);
    m_viewer->Clear();
    QCOMPARE(h->maximum(), 0);
    QCOMPARE(h->value(), 0);
}

QTEST_MAIN(tst_ctlImageViewer)
#include "tst_ctlImageViewer.moc"
