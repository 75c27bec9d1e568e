#pragma once
#include <QString>

// Path pieces and the file-existence test behind clsFile. Folders end with "/"; the extension follows the
// last ".". None of the path functions fails: odd input simply gives the parts as defined.
namespace modFileOperations
{

// The text after the last "/"; the whole path when it has none.
QString FileNamePart(const QString& path);
// The text up to and including the last "/"; empty when there is none.
QString DirectoryPart(const QString& path);
// The text after the last "." of the whole path (even when that "." is in a folder name); the whole path
// when it has no ".".
QString ExtensionPart(const QString& path);
// FileNamePart without its extension: the file name before its last "."; the whole file name when it has none.
QString TitlePart(const QString& path);

// True only for a regular file whose length can be read and is greater than 0. Empty, missing and
// unreadable files, folders and errors of any kind give false.
bool FileExists(const QString& path);

} // namespace modFileOperations
