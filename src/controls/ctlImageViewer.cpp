#include "controls/ctlImageViewer.h"

#include "app/clsCatalog.h"
#include "controls/clsCommonDialog.h"
#include "platform/Recordset.h"
#include "platform/UserInterface.h"
#include "storage/modBinaryField.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>
#include <QScrollBar>

#include <algorithm>
#include <set>

namespace {

constexpr int SmallStep = 8;
// A damaged icon or TIFF can claim thousands of pictures; no real one has this many.
constexpr int MaxPicturesLooked = 256;

const QString NotAPicture = QStringLiteral("This does not appear to be a valid image file.");

// A file of several pictures that are not the frames of an animation (the sizes of an icon, the pages of
// a TIFF) shows its largest; an animation shows its first frame.
QImage ReadFrom(QImageReader& reader)
{
    reader.setAutoTransform(true);
    QImage best = reader.read();
    if (best.isNull() || reader.supportsAnimation())
        return best;
    const int count = std::min(reader.imageCount(), MaxPicturesLooked);
    for (int i = 1; i < count && reader.jumpToImage(i); ++i) {
        const QImage image = reader.read();
        if (qint64(image.width()) * image.height() > qint64(best.width()) * best.height())
            best = image;
    }
    return best;
}

QByteArray FormatOf(const QString& fileName) { return QFileInfo(fileName).suffix().toLower().toLatin1(); }

// Sets the field of the current record and saves the record in one update. A record its caller has open
// for editing or adding only takes the value: editing it again here would drop the caller's changes.
DbError SetFieldAndSave(Recordset& rs, int field, const QVariant& value)
{
    const bool ownEdit = rs.editMode() == Recordset::EditMode::None;
    if (ownEdit)
        if (DbError error = rs.Edit())
            return error;
    DbError error = rs.SetValue(field, value);
    if (!error && ownEdit)
        error = rs.Update();
    if (error && ownEdit)
        rs.CancelUpdate();
    return error;
}

} // namespace

ctlImageViewer::ctlImageViewer(QWidget* parent) : QAbstractScrollArea(parent)
{
    AdjustScrollBars();
}

QString ctlImageViewer::OpenFilter()
{
    std::set<QString> patterns;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        patterns.insert(QStringLiteral("*.") + QString::fromLatin1(format).toLower());
    if (patterns.count(QStringLiteral("*.bmp")))
        patterns.insert(QStringLiteral("*.dib")); // a bitmap by another name; the reader knows it by its bytes
    QStringList all(patterns.begin(), patterns.end());
    const QString allPatterns = all.join(QLatin1Char(';'));
    return QStringList{QStringLiteral("All Pictures (%1)").arg(allPatterns),
                       allPatterns,
                       QStringLiteral("PNG Images (*.png)"),
                       QStringLiteral("*.png"),
                       QStringLiteral("Bitmaps (*.bmp;*.dib)"),
                       QStringLiteral("*.bmp;*.dib"),
                       QStringLiteral("JPEG Images (*.jpg)"),
                       QStringLiteral("*.jpg"),
                       QStringLiteral("GIF Images (*.gif)"),
                       QStringLiteral("*.gif"),
                       QStringLiteral("Metafiles (*.wmf;*.emf)"),
                       QStringLiteral("*.wmf;*.emf"),
                       QStringLiteral("Icons (*.ico;*.cur)"),
                       QStringLiteral("*.ico;*.cur")}
        .join(QLatin1Char('|'));
}

QImage ctlImageViewer::ReadPicture(const QByteArray& bytes, const QString& name)
{
    // A picture is known by its bytes first, as when reading a file (a PNG saved under a .jpg name is
    // common); the name's extension only helps with the few formats that carry no signature.
    const QByteArray hint = FormatOf(name);
    for (const QByteArray& format : {QByteArray(), hint}) {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, format);
        const QImage picture = ReadFrom(reader);
        if (!picture.isNull() || hint.isEmpty())
            return picture;
    }
    return QImage();
}

void ctlImageViewer::Clear()
{
    m_picture = QPixmap();
    m_notice.clear();
    AdjustScrollBars();
    viewport()->update();
}

void ctlImageViewer::ShowPicture(const QImage& picture)
{
    m_picture = QPixmap::fromImage(picture);
    m_notice.clear();
    AdjustScrollBars();
    viewport()->update();
}

void ctlImageViewer::LoadImageFromField(const Recordset& rs, int field)
{
    Clear();
    if (rs.FieldSize(field) == 0)
        return;
    BusyPointer busy;
    const QString name = modBinaryField::ReadStoredFileName(rs, field);
    const QImage picture = ReadPicture(modBinaryField::ReadStoredFile(rs, field), name);
    if (!picture.isNull()) {
        ShowPicture(picture);
        return;
    }
    m_notice = name.isEmpty() ? QStringLiteral("This picture cannot be shown.")
                              : QStringLiteral("This picture cannot be shown (%1).").arg(name);
    viewport()->update();
}

void ctlImageViewer::LoadImageFromField(const Recordset& rs, const QString& field)
{
    LoadImageFromField(rs, rs.FieldIndex(field));
}

bool ctlImageViewer::LoadImageFromFile(Recordset& rs, int field)
{
    clsCommonDialog chooser;
    chooser.DialogTitle = QStringLiteral("Open Image");
    chooser.Filter = OpenFilter();
    chooser.InitDir = Catalog().LastDirectory();
    const clsFile file = chooser.ShowOpen(window());

    // The picture is read and checked before the field is touched, and the field takes the whole stored
    // file in one update, so a refused file never leaves the field half written.
    QImage picture;
    DbError error;
    if (file.Valid()) {
        BusyPointer busy;
        QImageReader reader(file.Path());
        picture = ReadFrom(reader);
        if (!picture.isNull()) {
            QByteArray stored;
            error = modBinaryField::StoreFileChunks(file.Path(), [&stored](const QByteArray& chunk) {
                stored.append(chunk);
                return DbError{};
            });
            if (!error)
                error = SetFieldAndSave(rs, field, stored);
        }
    }
    if (file.Valid() && !picture.isNull() && !error) {
        ShowPicture(picture);
        return true;
    }
    if (file.Valid())
        Ui().ShowMessage(picture.isNull() ? NotAPicture : error.message);
    // Whatever happened, the viewer shows what the field holds.
    LoadImageFromField(rs, field);
    return false;
}

bool ctlImageViewer::LoadImageFromFile(Recordset& rs, const QString& field)
{
    return LoadImageFromFile(rs, rs.FieldIndex(field));
}

bool ctlImageViewer::SaveImageToFile(const Recordset& rs, int field)
{
    if (rs.FieldSize(field) == 0) {
        Ui().ShowMessage(QStringLiteral("There is no image available to save."));
        return false;
    }
    QString storedName = modBinaryField::ReadStoredFileName(rs, field);
    storedName = QFileInfo(storedName.replace(QLatin1Char('\\'), QLatin1Char('/'))).fileName();
    const QString extension = QFileInfo(storedName).suffix();

    clsCommonDialog chooser;
    chooser.DialogTitle = QStringLiteral("Save Image");
    chooser.InitDir = Catalog().LastDirectory();
    chooser.FileName = storedName;
    chooser.DefaultExt = extension;
    chooser.Filter = extension.isEmpty() ? QStringLiteral("All Files (*.*)|*.*")
                                         : QStringLiteral("%1 Files (*.%2)|*.%2").arg(extension.toUpper(), extension);
    const clsFile file = chooser.ShowSave(window());
    if (!file.Valid())
        return false;

    QString failure;
    {
        BusyPointer busy;
        const QByteArray format = FormatOf(file.Path());
        const QImage picture = m_picture.isNull() ? ReadPicture(modBinaryField::ReadStoredFile(rs, field), storedName)
                                                  : m_picture.toImage();
        QSaveFile out(file.Path());
        if (!out.open(QIODevice::WriteOnly)) {
            failure = out.errorString();
        } else if (!picture.isNull() && QImageWriter::supportedImageFormats().contains(format)) {
            QImageWriter writer(&out, format);
            if (!writer.write(picture))
                failure = writer.errorString();
        } else if (!format.isEmpty() && format == FormatOf(storedName)) {
            // Qt writes no GIF and shows no metafile, but the stored file is in the format asked for already.
            const QByteArray bytes = modBinaryField::ReadStoredFile(rs, field);
            if (out.write(bytes) != bytes.size())
                failure = out.errorString();
        } else {
            failure = QStringLiteral("A picture cannot be written as a file of this type.");
        }
        if (failure.isEmpty() && !out.commit())
            failure = out.errorString();
    }
    if (failure.isEmpty())
        return true;
    Ui().ShowMessage(QStringLiteral("The file '%1' could not be written: %2").arg(file.Path(), failure));
    return false;
}

bool ctlImageViewer::SaveImageToFile(const Recordset& rs, const QString& field)
{
    return SaveImageToFile(rs, rs.FieldIndex(field));
}

bool ctlImageViewer::ClearImageFromField(Recordset& rs, int field)
{
    if (DbError error = SetFieldAndSave(rs, field, QVariant())) {
        Ui().ShowMessage(error.message);
        return false;
    }
    Clear();
    return true;
}

bool ctlImageViewer::ClearImageFromField(Recordset& rs, const QString& field)
{
    return ClearImageFromField(rs, rs.FieldIndex(field));
}

void ctlImageViewer::AdjustScrollBars()
{
    // Steps are in pixels; a bar's range is how far the picture overhangs the viewport. Every new picture,
    // and every new size, starts again from the top-left corner.
    const QSize view = viewport()->size();
    QScrollBar* bars[] = {horizontalScrollBar(), verticalScrollBar()};
    const int overhang[] = {m_picture.width() - view.width(), m_picture.height() - view.height()};
    const int extent[] = {view.width(), view.height()};
    for (int i = 0; i < 2; ++i) {
        bars[i]->setRange(0, std::max(0, overhang[i]));
        bars[i]->setPageStep(std::max(1, extent[i] / 2));
        bars[i]->setSingleStep(SmallStep);
        bars[i]->setValue(0);
    }
}

void ctlImageViewer::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    AdjustScrollBars();
}

void ctlImageViewer::scrollContentsBy(int dx, int dy) { viewport()->scroll(dx, dy); }

void ctlImageViewer::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    if (!m_picture.isNull()) {
        painter.drawPixmap(-horizontalScrollBar()->value(), -verticalScrollBar()->value(), m_picture);
    } else if (!m_notice.isEmpty()) {
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(viewport()->rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, m_notice);
    }
}
