#include "app/modFileOperations.h"

#include <QFileInfo>

namespace modFileOperations
{

QString FileNamePart(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString DirectoryPart(const QString& path)
{
    return path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString ExtensionPart(const QString& path)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? path : path.mid(dot + 1);
}

QString TitlePart(const QString& path)
{
    const QString name = FileNamePart(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

bool FileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    // A folder has a size on most file systems but is no file to open.
    const QFileInfo info(path);
    return info.isFile() && info.size() > 0;
}

} // namespace modFileOperations
