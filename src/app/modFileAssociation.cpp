#include "app/modFileAssociation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

namespace
{

const QString kMimeType = QStringLiteral("application/x-kestrowan-catalog");

// Writes content unless the file already holds exactly that. Returns true when the file was written.
bool WriteIfChanged(const QString& filePath, const QByteArray& content)
{
    QFile existing(filePath);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == content)
        return false;
    existing.close();

    if (!QDir().mkpath(QFileInfo(filePath).absolutePath()))
        return false;
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(content) != content.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

// True when the file is there and the cache an update tool builds from it is missing or older.
bool CacheOutdated(const QString& cachePath, const QString& sourcePath)
{
    const QFileInfo source(sourcePath);
    if (!source.isFile())
        return false;
    const QFileInfo cache(cachePath);
    return !cache.exists() || cache.lastModified() < source.lastModified();
}

void StartUpdateTool(const QString& program, const QString& folder)
{
    const QString executable = QStandardPaths::findExecutable(program);
    if (executable.isEmpty())
        return;
    // Detached: start-up does not wait for the desktop's caches to be rebuilt.
    QProcess::startDetached(executable, {folder});
}

QByteArray MimePackage(const QString& extension)
{
    QString pattern = QStringLiteral("*.") + extension;
    pattern.replace(QLatin1Char('&'), QLatin1String("&amp;"))
        .replace(QLatin1Char('<'), QLatin1String("&lt;"))
        .replace(QLatin1Char('>'), QLatin1String("&gt;"))
        .replace(QLatin1Char('"'), QLatin1String("&quot;"));
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                          "  <mime-type type=\"%1\">\n"
                          "    <comment>Kestrowan Document</comment>\n"
                          "    <glob pattern=\"%2\"/>\n"
                          "  </mime-type>\n"
                          "</mime-info>\n")
        .arg(kMimeType, pattern)
        .toUtf8();
}

QByteArray DesktopEntry()
{
    QString program = QCoreApplication::applicationFilePath();
    if (program.isEmpty())
        program = QStringLiteral("kestrowan");
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Kestrowan\n"
                          "Exec=%1 %f\n"
                          "MimeType=%2;\n"
                          "Icon=kestrowan\n"
                          "Terminal=false\n"
                          "Categories=Office;Database;\n")
        .arg(modFileAssociation::DesktopExecProgram(program), kMimeType)
        .toUtf8();
}

} // namespace

namespace modFileAssociation
{

QString DesktopExecProgram(const QString& program)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = false;
    for (const QChar c : program)
        needsQuotes = needsQuotes || reserved.contains(c);

    QString argument;
    for (const QChar c : program) {
        if (c == QLatin1Char('%'))
            argument += QLatin1String("%%");
        else if (needsQuotes &&
                 (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\')))
            argument += QLatin1Char('\\') + QString(c);
        else
            argument += c;
    }
    if (needsQuotes)
        argument = QLatin1Char('"') + argument + QLatin1Char('"');

    QString value;
    for (const QChar c : argument) {
        if (c == QLatin1Char('\\'))
            value += QLatin1String("\\\\");
        else if (c == QLatin1Char('\n'))
            value += QLatin1String("\\n");
        else if (c == QLatin1Char('\t'))
            value += QLatin1String("\\t");
        else if (c == QLatin1Char('\r'))
            value += QLatin1String("\\r");
        else
            value += c;
    }
    return value;
}

void RegisterFileType(const QString& extension)
{
    QString bare = extension.trimmed();
    while (bare.startsWith(QLatin1Char('.')))
        bare.remove(0, 1);
    if (bare.isEmpty())
        return;

    const QString dataDir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dataDir.isEmpty())
        return;

    const QString mimeDir = dataDir + QStringLiteral("/mime");
    const QString mimeFile = mimeDir + QStringLiteral("/packages/kestrowan.xml");
    if (WriteIfChanged(mimeFile, MimePackage(bare)) || CacheOutdated(mimeDir + QStringLiteral("/mime.cache"), mimeFile))
        StartUpdateTool(QStringLiteral("update-mime-database"), mimeDir);

    const QString applicationsDir = dataDir + QStringLiteral("/applications");
    const QString desktopFile = applicationsDir + QStringLiteral("/kestrowan.desktop");
    if (WriteIfChanged(desktopFile, DesktopEntry()) ||
        CacheOutdated(applicationsDir + QStringLiteral("/mimeinfo.cache"), desktopFile))
        StartUpdateTool(QStringLiteral("update-desktop-database"), applicationsDir);
}

QString StartupPathFromArguments(const QStringList& arguments)
{
    if (arguments.size() < 2)
        return {};
    return arguments.mid(1).join(QLatin1Char(' ')).trimmed();
}

} // namespace modFileAssociation
