#include "storage/modBinaryField.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace modBinaryField {
namespace {

// The name part of a path, whichever separator it uses.
QString NamePart(const QString& path)
{
    QString name = path;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
}

qint64 HeaderLength(const Recordset& rs, int fieldIndex)
{
    const QByteArray count = rs.GetChunk(fieldIndex, 0, 1);
    if (count.isEmpty())
        return 0;
    return 1 + 2 * qint64(quint8(count.at(0)));
}

} // namespace

DbError StoreFileChunks(const QString& path, const ChunkSink& sink)
{
    const QString name = NamePart(path);
    if (name.size() > 255)
        return {DbErrorNumber::DataTypeMismatch,
                QStringLiteral("The file name '%1' is longer than 255 characters and cannot be stored.").arg(name)};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {DbErrorNumber::FileNotFound,
                QStringLiteral("The file '%1' could not be read: %2").arg(path, file.errorString())};

    QByteArray header;
    header.reserve(1 + 2 * name.size());
    header.append(char(quint8(name.size())));
    for (const QChar c : name) {
        header.append(char(c.unicode() & 0xFF));
        header.append(char(c.unicode() >> 8));
    }
    if (DbError error = sink(header))
        return error;

    qint64 remaining = file.size();
    while (remaining > 0) {
        const QByteArray chunk = file.read(qMin<qint64>(remaining, ChunkSize));
        if (chunk.isEmpty())
            return {DbErrorNumber::Io, QStringLiteral("The file '%1' could not be read: %2").arg(path, file.errorString())};
        if (DbError error = sink(chunk))
            return error;
        remaining -= chunk.size();
    }
    return {};
}

DbError StoreFileInField(Recordset& rs, int fieldIndex, const QString& path)
{
    return StoreFileChunks(path, [&](const QByteArray& chunk) { return rs.AppendChunk(fieldIndex, chunk); });
}

DbError StoreFileInField(Recordset& rs, const QString& fieldName, const QString& path)
{
    const int index = rs.FieldIndex(fieldName);
    if (index < 0)
        return {DbErrorNumber::ItemNotFound, QStringLiteral("Item not found in this collection: '%1'.").arg(fieldName)};
    return StoreFileInField(rs, index, path);
}

QString ReadStoredFileName(const Recordset& rs, int fieldIndex)
{
    const qint64 header = HeaderLength(rs, fieldIndex);
    if (header <= 1)
        return QString();
    const QByteArray bytes = rs.GetChunk(fieldIndex, 1, header - 1);
    QString name;
    name.reserve(int(bytes.size() / 2));
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        name.append(QChar(char16_t(quint8(bytes.at(i)) | (quint8(bytes.at(i + 1)) << 8))));
    return name;
}

QByteArray ReadStoredFile(const Recordset& rs, int fieldIndex)
{
    const FieldDef* field = rs.FieldInfo(fieldIndex);
    if (!field || field->type != FieldType::LongBinary)
        return QByteArray();
    const qint64 header = HeaderLength(rs, fieldIndex);
    const qint64 size = rs.FieldSize(fieldIndex);
    return size > header ? rs.GetChunk(fieldIndex, header, size - header) : QByteArray();
}

Result<QString> ExtractFieldToFile(const Recordset& rs, int fieldIndex, const QString& targetPath, bool appendName)
{
    const FieldDef* field = rs.FieldInfo(fieldIndex);
    if (!field || field->type != FieldType::LongBinary)
        return QString();
    const qint64 header = HeaderLength(rs, fieldIndex);

    QString target;
    if (targetPath.isEmpty()) {
        target = MakeTempFileName(QStringLiteral("cat"));
        if (target.isEmpty())
            return DbError{DbErrorNumber::Io, QStringLiteral("No temporary file could be made.")};
    } else if (appendName) {
        // The stored name comes from the file; only its name part may choose where the copy goes.
        QString name = NamePart(ReadStoredFileName(rs, fieldIndex));
        if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
            name = QStringLiteral("file");
        target = targetPath + name;
    } else {
        target = targetPath;
    }

    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return DbError{DbErrorNumber::Io, QStringLiteral("The file '%1' could not be written: %2").arg(target, out.errorString())};
    const qint64 size = rs.FieldSize(fieldIndex);
    for (qint64 offset = header; offset < size; offset += ChunkSize) {
        const QByteArray chunk = rs.GetChunk(fieldIndex, offset, ChunkSize);
        if (out.write(chunk) != chunk.size())
            return DbError{DbErrorNumber::Io,
                           QStringLiteral("The file '%1' could not be written: %2").arg(target, out.errorString())};
    }
    if (!out.flush())
        return DbError{DbErrorNumber::Io, QStringLiteral("The file '%1' could not be written: %2").arg(target, out.errorString())};
    return target;
}

QString MakeTempFileName(const QString& prefix)
{
    QTemporaryFile file(QDir(QDir::tempPath()).filePath(prefix + QStringLiteral("XXXXXX.tmp")));
    file.setAutoRemove(false);
    if (!file.open())
        return QString();
    return QFileInfo(file.fileName()).absoluteFilePath();
}

} // namespace modBinaryField
