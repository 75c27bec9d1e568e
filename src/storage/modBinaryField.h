#pragma once
#include "platform/Recordset.h"
#include "platform/Result.h"

#include <QByteArray>
#include <QString>

#include <functional>

// Files kept whole inside Long Binary fields (category pictures, Media columns), together with their
// names. Layout of a stored file: one byte N (the name's length in UTF-16 code units, 0 to 255), the name
// without folder as 2 x N bytes of UTF-16 little-endian, then the file's bytes unchanged. An empty field
// holds no file.
namespace modBinaryField {

constexpr int ChunkSize = 32768;

// Receives one chunk of a stored file; an error stops the storing.
using ChunkSink = std::function<DbError(const QByteArray& chunk)>;

// Hands the stored form of the file at path to sink: the header first, then the file's bytes in chunks
// of ChunkSize and a last, shorter chunk. Names longer than 255 characters and unreadable files fail.
DbError StoreFileChunks(const QString& path, const ChunkSink& sink);

// Appends the stored form of the file to the field of the row being added or edited; the caller saves
// the row. The field is expected to be empty.
DbError StoreFileInField(Recordset& rs, int fieldIndex, const QString& path);
DbError StoreFileInField(Recordset& rs, const QString& fieldName, const QString& path);

// The name held in the field's header; empty for an empty field.
QString ReadStoredFileName(const Recordset& rs, int fieldIndex);

// The stored file's bytes, read into memory without a temporary file; empty for an empty field and for a
// field that is not a Long Binary field.
QByteArray ReadStoredFile(const Recordset& rs, int fieldIndex);

// Writes the stored file's bytes to a file and returns its path: a new temporary file (prefix "cat") when
// targetPath is empty, targetPath followed by the stored name when appendName is set, targetPath
// otherwise. The empty text, with no file written, when the field is not a Long Binary field. File-system
// failures are errors.
Result<QString> ExtractFieldToFile(const Recordset& rs, int fieldIndex, const QString& targetPath = QString(),
                                   bool appendName = false);

// A new, empty file with a unique name beginning with prefix in the user's temporary folder; its full
// path, or the empty text when none could be made.
QString MakeTempFileName(const QString& prefix);

} // namespace modBinaryField
