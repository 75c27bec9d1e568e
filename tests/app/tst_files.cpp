#include "app/clsFile.h"
#include "app/modFileAssociation.h"
#include "app/modFileOperations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

namespace
{

QString WithNuls(const QString& before, int count, const QString& after = {})
{
    return before + QString(count, QChar(u'\0')) + after;
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QHash<QString, QString> DesktopKeys(const QByteArray& content)
{
    QHash<QString, QString> keys;
    const QList<QByteArray> lines = content.split('\n');
    for (const QByteArray& line : lines) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            keys.insert(QString::fromUtf8(line.left(equals)), QString::fromUtf8(line.mid(equals + 1)));
    }
    return keys;
}

} // namespace

class tst_Files : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parts_data();
    void parts();
    void pathWithExtension_data();
    void pathWithExtension();
    void setPathCleans_data();
    void setPathCleans();
    void untouchedFileIsEmptyAndNotValid();
    void fileExists_data();
    void fileExists();
    void startupPath_data();
    void startupPath();
    void desktopExecProgram_data();
    void desktopExecProgram();

    void init();
    void cleanup();
    void registerWritesMimePackageAndDesktopEntry_data();
    void registerWritesMimePackageAndDesktopEntry();
    void registerTwiceLeavesFilesUntouched();
    void registerRepairsAChangedFile();
    void registerStartsUpdateToolsOnlyWhenNeeded();
    void registerIntoUnwritableDataDirIsSilent();

private:
    QString DataDir() const { return m_home->path() + QStringLiteral("/data"); }
    QString MimeFile() const { return DataDir() + QStringLiteral("/mime/packages/kestrowan.xml"); }
    QString DesktopFile() const { return DataDir() + QStringLiteral("/applications/kestrowan.desktop"); }

    std::unique_ptr<QTemporaryDir> m_home;
    QByteArray m_savedDataHome;
    QByteArray m_savedPath;
};

void tst_Files::parts_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<bool>("valid");

    QTest::newRow("full path") << "/data/Books.kst"
                               << "Books.kst"
                               << "/data/"
                               << "Books"
                               << "kst" << true;
    QTest::newRow("dot only in folder") << "/data.old/Books"
                                        << "Books"
                                        << "/data.old/"
                                        << "Books"
                                        << "old/Books" << true;
    QTest::newRow("no folder, no dot") << "Books"
                                       << "Books"
                                       << ""
                                       << "Books"
                                       << "Books" << true;
    QTest::newRow("no folder") << "Books.kst"
                               << "Books.kst"
                               << ""
                               << "Books"
                               << "kst" << true;
    QTest::newRow("two dots") << "/data/archive.tar.gz"
                              << "archive.tar.gz"
                              << "/data/"
                              << "archive.tar"
                              << "gz" << true;
    QTest::newRow("name is only an extension") << "/home/u/.kst"
                                               << ".kst"
                                               << "/home/u/"
                                               << ""
                                               << "kst" << true;
    QTest::newRow("folder only") << "/data/"
                                 << ""
                                 << "/data/"
                                 << ""
                                 << "/data/" << false;
    QTest::newRow("root") << "/"
                          << ""
                          << "/"
                          << ""
                          << "/" << false;
    QTest::newRow("empty") << ""
                           << ""
                           << ""
                           << ""
                           << "" << false;
    QTest::newRow("cancelled chooser") << "Cancel"
                                       << "Cancel"
                                       << ""
                                       << "Cancel"
                                       << "Cancel" << false;
    QTest::newRow("backslash is part of the name") << "C:\\Data\\Books.kst"
                                                   << "C:\\Data\\Books.kst"
                                                   << ""
                                                   << "C:\\Data\\Books"
                                                   << "kst" << true;
    QTest::newRow("blanks inside kept") << "/my data/My Books.kst"
                                        << "My Books.kst"
                                        << "/my data/"
                                        << "My Books"
                                        << "kst" << true;
}

void tst_Files::parts()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QFETCH(QString, directory);
    QFETCH(QString, title);
    QFETCH(QString, extension);
    QFETCH(bool, valid);

    QCOMPARE(modFileOperations::FileNamePart(path), name);
    QCOMPARE(modFileOperations::DirectoryPart(path), directory);
    QCOMPARE(modFileOperations::TitlePart(path), title);
    QCOMPARE(modFileOperations::ExtensionPart(path), extension);

    const clsFile file(path);
    QCOMPARE(file.Path(), path);
    QCOMPARE(file.Name(), name);
    QCOMPARE(file.Directory(), directory);
    QCOMPARE(file.Title(), title);
    QCOMPARE(file.Extension(), extension);
    QCOMPARE(file.Valid(), valid);
}

void tst_Files::pathWithExtension_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("fileExtension");
    QTest::addColumn<QString>("expected");

    QTest::newRow("swapped") << "/data/Books.kst"
                             << "kxo"
                             << "/data/Books.kxo";
    QTest::newRow("empty extension keeps path") << "/data/Books.kst"
                                                << ""
                                                << "/data/Books.kst";
    QTest::newRow("added to a bare name") << "/data/Books"
                                          << "kst"
                                          << "/data/Books.kst";
    QTest::newRow("folder dot untouched") << "/data.old/Books"
                                          << "kst"
                                          << "/data.old/Books.kst";
    QTest::newRow("only the last one") << "/data/archive.tar.gz"
                                       << "zip"
                                       << "/data/archive.tar.zip";
    QTest::newRow("relative") << "Books.kst"
                              << "kxo"
                              << "Books.kxo";
    // A refused or empty choice must not turn into a usable-looking file such as "Cancel.kst".
    QTest::newRow("cancelled stays cancelled") << "Cancel"
                                               << "kst"
                                               << "Cancel";
    QTest::newRow("empty stays empty") << ""
                                       << "kst"
                                       << "";
    QTest::newRow("folder stays folder") << "/data/"
                                         << "kst"
                                         << "/data/";
}

void tst_Files::pathWithExtension()
{
    QFETCH(QString, path);
    QFETCH(QString, fileExtension);
    QFETCH(QString, expected);

    const clsFile file(path);
    QCOMPARE(file.Path(fileExtension), expected);
    QCOMPARE(file.Path(), path); // reading with an extension does not change the file

    clsFile set;
    set.SetPath(path, fileExtension);
    QCOMPARE(set.Path(), expected);
}

void tst_Files::setPathCleans_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("fileExtension");
    QTest::addColumn<QString>("expected");

    QTest::newRow("surrounding blanks") << "  /data/Books.kst  "
                                        << ""
                                        << "/data/Books.kst";
    QTest::newRow("NUL padding") << WithNuls("/data/Books.kst", 5) << ""
                                 << "/data/Books.kst";
    QTest::newRow("blanks before NUL padding") << WithNuls("/data/Books.kst  ", 3) << ""
                                               << "/data/Books.kst";
    QTest::newRow("blanks after NUL padding") << WithNuls("/data/Books.kst", 2, "  ") << ""
                                              << "/data/Books.kst";
    QTest::newRow("NUL inside") << WithNuls("/da", 1, "ta/Books.kst") << ""
                                << "/data/Books.kst";
    QTest::newRow("cleaned before the swap") << WithNuls(" /data/Books.kst ", 4) << "kxo"
                                             << "/data/Books.kxo";
    QTest::newRow("blanks inside kept") << " /my data/My Books.kst "
                                        << ""
                                        << "/my data/My Books.kst";
}

void tst_Files::setPathCleans()
{
    QFETCH(QString, raw);
    QFETCH(QString, fileExtension);
    QFETCH(QString, expected);

    clsFile file;
    file.SetPath(raw, fileExtension);
    QCOMPARE(file.Path(), expected);
    QVERIFY(file.Valid());
    if (fileExtension.isEmpty())
        QCOMPARE(clsFile(raw).Path(), expected);
}

void tst_Files::untouchedFileIsEmptyAndNotValid()
{
    clsFile file;
    QCOMPARE(file.Path(), QString());
    QVERIFY(!file.Valid());

    // Blanks and padding alone leave nothing to open.
    file.SetPath(WithNuls("   ", 3, " "));
    QCOMPARE(file.Path(), QString());
    QVERIFY(!file.Valid());
    file.SetPath(WithNuls(" Cancel", 2));
    QCOMPARE(file.Path(), QStringLiteral("Cancel"));
    QVERIFY(!file.Valid());
}

void tst_Files::fileExists_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::addColumn<bool>("expected");

    QTest::newRow("file with content") << "full.kst" << true;
    QTest::newRow("empty file") << "empty.kst" << false;
    QTest::newRow("missing file") << "missing.kst" << false;
    QTest::newRow("folder") << "folder" << false;
    QTest::newRow("folder with trailing slash") << "folder/" << false;
    QTest::newRow("empty path") << "" << false;
}

void tst_Files::fileExists()
{
    QFETCH(QString, relativePath);
    QFETCH(bool, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(WriteAll(dir.filePath(QStringLiteral("full.kst")), "x"));
    QVERIFY(WriteAll(dir.filePath(QStringLiteral("empty.kst")), QByteArray()));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));

    const QString path = relativePath.isEmpty() ? QString() : dir.path() + QLatin1Char('/') + relativePath;
    QCOMPARE(modFileOperations::FileExists(path), expected);
}

void tst_Files::startupPath_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected");

    QTest::newRow("no arguments at all") << QStringList() << QString();
    QTest::newRow("program only") << QStringList{"kestrowan"} << QString();
    QTest::newRow("one path") << QStringList{"kestrowan", "/data/Books.kst"} << "/data/Books.kst";
    QTest::newRow("path with a blank in one argument")
        << QStringList{"kestrowan", "/my data/My Books.kst"} << "/my data/My Books.kst";
    QTest::newRow("path split at its blanks")
        << QStringList{"kestrowan", "/my", "data/My", "Books.kst"} << "/my data/My Books.kst";
    QTest::newRow("surrounding blanks") << QStringList{"kestrowan", "  /data/Books.kst "} << "/data/Books.kst";
}

void tst_Files::startupPath()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    QCOMPARE(modFileAssociation::StartupPathFromArguments(arguments), expected);
}

void tst_Files::desktopExecProgram_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain") << "/usr/bin/kestrowan"
                           << "/usr/bin/kestrowan";
    QTest::newRow("blank") << "/opt/My Apps/kestrowan"
                           << "\"/opt/My Apps/kestrowan\"";
    QTest::newRow("percent is no field code") << "/opt/100%/kestrowan"
                                              << "/opt/100%%/kestrowan";
    // Inside quotes " ` $ \ take a backslash, and every backslash is doubled again for the string value.
    QTest::newRow("double quote") << "/opt/a\"b/k"
                                  << "\"/opt/a\\\\\"b/k\"";
    QTest::newRow("dollar") << "/opt/$x/k"
                            << "\"/opt/\\\\$x/k\"";
    QTest::newRow("backslash") << "/opt/a\\b/k"
                               << "\"/opt/a\\\\\\\\b/k\"";
    QTest::newRow("single quote") << "/opt/it's/k"
                                  << "\"/opt/it's/k\"";
}

void tst_Files::desktopExecProgram()
{
    QFETCH(QString, program);
    QFETCH(QString, expected);
    QCOMPARE(modFileAssociation::DesktopExecProgram(program), expected);
}

void tst_Files::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    m_savedDataHome = qgetenv("XDG_DATA_HOME");
    m_savedPath = qgetenv("PATH");
    qputenv("XDG_DATA_HOME", DataDir().toLocal8Bit());
    // No update tools unless a test provides its own.
    const QString bin = m_home->path() + QStringLiteral("/bin");
    QVERIFY(QDir().mkpath(bin));
    qputenv("PATH", bin.toLocal8Bit());
}

void tst_Files::cleanup()
{
    qputenv("XDG_DATA_HOME", m_savedDataHome);
    qputenv("PATH", m_savedPath);
    m_home.reset();
}

void tst_Files::registerWritesMimePackageAndDesktopEntry_data()
{
    QTest::addColumn<QString>("extension");
    QTest::newRow("with dot") << ".kst";
    QTest::newRow("without dot") << "kst";
}

void tst_Files::registerWritesMimePackageAndDesktopEntry()
{
    QFETCH(QString, extension);
    modFileAssociation::RegisterFileType(extension);

    // The MIME package: well-formed, one type with the catalog glob.
    const QByteArray mime = ReadAll(MimeFile());
    QVERIFY(!mime.isEmpty());
    QXmlStreamReader xml(mime);
    QString type, pattern, comment;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("mime-type"))
            type = xml.attributes().value(QLatin1String("type")).toString();
        else if (xml.name() == QLatin1String("glob"))
            pattern = xml.attributes().value(QLatin1String("pattern")).toString();
        else if (xml.name() == QLatin1String("comment"))
            comment = xml.readElementText();
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(type, QStringLiteral("application/x-kestrowan-catalog"));
    QCOMPARE(pattern, QStringLiteral("*.kst"));
    QCOMPARE(comment, QStringLiteral("Kestrowan Document"));

    // The desktop entry starts this very executable with the file.
    const QByteArray desktop = ReadAll(DesktopFile());
    QVERIFY(desktop.startsWith("[Desktop Entry]\n"));
    const QHash<QString, QString> keys = DesktopKeys(desktop);
    QCOMPARE(keys.value("Type"), QStringLiteral("Application"));
    QCOMPARE(keys.value("Name"), QStringLiteral("Kestrowan"));
    QCOMPARE(keys.value("Exec"), QCoreApplication::applicationFilePath() + QStringLiteral(" %f"));
    QVERIFY(QFileInfo(QCoreApplication::applicationFilePath()).isAbsolute());
    QCOMPARE(keys.value("MimeType"), QStringLiteral("application/x-kestrowan-catalog;"));
    QCOMPARE(keys.value("Icon"), QStringLiteral("kestrowan"));
    QCOMPARE(keys.value("Terminal"), QStringLiteral("false"));
    QCOMPARE(keys.value("Categories"), QStringLiteral("Office;Database;"));
}

void tst_Files::registerTwiceLeavesFilesUntouched()
{
    modFileAssociation::RegisterFileType(QStringLiteral(".kst"));
    const QByteArray mime = ReadAll(MimeFile());
    const QByteArray desktop = ReadAll(DesktopFile());
    QVERIFY(!mime.isEmpty());
    QVERIFY(!desktop.isEmpty());

    // Dated back, so that any rewrite shows even within the same second.
    const QDateTime old = QDateTime::currentDateTimeUtc().addDays(-3);
    for (const QString& path : {MimeFile(), DesktopFile()}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(old, QFileDevice::FileModificationTime));
    }

    modFileAssociation::RegisterFileType(QStringLiteral(".kst"));
    QCOMPARE(ReadAll(MimeFile()), mime);
    QCOMPARE(ReadAll(DesktopFile()), desktop);
    QCOMPARE(QFileInfo(MimeFile()).lastModified().toSecsSinceEpoch(), old.toSecsSinceEpoch());
    QCOMPARE(QFileInfo(DesktopFile()).lastModified().toSecsSinceEpoch(), old.toSecsSinceEpoch());
    // Nothing but the two files (no temporary leftovers).
    QCOMPARE(QDir(DataDir() + "/applications").entryList(QDir::Files), QStringList{"kestrowan.desktop"});
    QCOMPARE(QDir(DataDir() + "/mime/packages").entryList(QDir::Files), QStringList{"kestrowan.xml"});
}

void tst_Files::registerRepairsAChangedFile()
{
    modFileAssociation::RegisterFileType(QStringLiteral(".kst"));
    const QByteArray desktop = ReadAll(DesktopFile());
    const QByteArray mime = ReadAll(MimeFile());

    // As after moving the program: an entry pointing elsewhere, and a truncated package.
    QVERIFY(WriteAll(DesktopFile(), "[Desktop Entry]\nExec=/old/place/kestrowan %f\n"));
    QVERIFY(WriteAll(MimeFile(), mime.left(mime.size() / 2)));
    modFileAssociation::RegisterFileType(QStringLiteral(".kst"));
    QCOMPARE(ReadAll(DesktopFile()), desktop);
    QCOMPARE(ReadAll(MimeFile()), mime);
}

void tst_Files::registerStartsUpdateToolsOnlyWhenNeeded()
{
    // Stand-ins for the desktop's tools: each logs the folder it was given and builds its cache there
    // (shell built-ins only, PATH holds nothing else).
    const QString bin = m_home->path() + QStringLiteral("/bin");
    const QString log = m_home->path() + QStringLiteral("/tools.log");
    const auto tool = [&](const QString& name, const QString& cache) {
        const QString script = bin + QLatin1Char('/') + name;
        const QByteArray text = "#!/bin/sh\necho \"" + name.toUtf8() + " $1\" >> '" + log.toUtf8() + "'\n: > \"$1/" +
                                cache.toUtf8() + "\"\n";
        QVERIFY(WriteAll(script, text));
        QVERIFY(QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    };
    tool(QStringLiteral("update-mime-database"), QStringLiteral("mime.cache"));
    tool(QStringLiteral("update-desktop-database"), QStringLiteral("mimeinfo.cache"));

    modFileAssociation::RegisterFileType(QStringLiteral(".kst"));
    const QByteArray expected = "update-mime-database " + DataDir().toUtf8() + "/mime\n" + "update-desktop-database " +
                                DataDir().toUtf8() + "/applications\n";
    QTRY_COMPARE_WITH_TIMEOUT(ReadAll(log).size(), expected.size(), 10000);
    QByteArrayList lines = ReadAll(log).split('\n');
    std::sort(lines.begin(), lines.end());
    QByteArrayList expectedLines = expected.split('\n');
    std::sort(expectedLines.begin(), expectedLines.end());
    QCOMPARE(lines, expectedLines);
    QTRY_VERIFY(QFileInfo::exists(DataDir() + "/mime/mime.cache"));
    QTRY_VERIFY(QFileInfo::exists(DataDir() + "/applications/mimeinfo.cache"));

    // Files unchanged and caches up to date: nothing to rebuild.
    modFileAssociation::RegisterFileType(QStringLiteral(".kst"));
    QTest::qWait(500);
    QCOMPARE(ReadAll(log).size(), expected.size());

    // A lost cache is rebuilt.
    QVERIFY(QFile::remove(DataDir() + "/mime/mime.cache"));
    modFileAssociation::RegisterFileType(QStringLiteral(".kst"));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(DataDir() + "/mime/mime.cache"), 10000);
}

void tst_Files::registerIntoUnwritableDataDirIsSilent()
{
    // A file where the data folder should be: no folder can be made below it, whatever the user's rights.
    const QString blocker = m_home->path() + QStringLiteral("/blocker");
    QVERIFY(WriteAll(blocker, "not a folder"));
    qputenv("XDG_DATA_HOME", (blocker + QStringLiteral("/data")).toLocal8Bit());

    modFileAssociation::RegisterFileType(QStringLiteral(".kst"));
    QVERIFY(QFileInfo(blocker).isFile());
    QCOMPARE(ReadAll(blocker), QByteArray("not a folder"));

    // A package path taken by a folder cannot be replaced; the desktop entry is still written.
    qputenv("XDG_DATA_HOME", DataDir().toLocal8Bit());
    QVERIFY(QDir().mkpath(MimeFile()));
    modFileAssociation::RegisterFileType(QStringLiteral(".kst"));
    QVERIFY(QFileInfo(MimeFile()).isDir());
    QVERIFY(QFileInfo(DesktopFile()).isFile());
}

QTEST_GUILESS_MAIN(tst_Files)
#include "tst_files.moc"
