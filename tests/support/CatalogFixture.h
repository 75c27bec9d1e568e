#pragma once
#include "RecordingUserInterface.h"

#include "app/clsCatalog.h"
#include "platform/UserSettings.h"
#include "storage/modDBCreation.h"

#include <QTemporaryDir>
#include <QTest>

// A temporary folder with its own user settings and a recording user interface; makes and opens catalogs
// there, and closes whatever is open when the test ends.
class CatalogFixture {
public:
    CatalogFixture() { UserSettings::SetStorePathForTesting(dir.filePath(QStringLiteral("settings.ini"))); }
    ~CatalogFixture()
    {
        if (Catalog().Loaded())
            Catalog().SetLoaded(false);
        Catalog().CloseDatabase();
        UserSettings::SetStorePathForTesting(QString());
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    // A brand-new catalog file; empty path on failure (the test then fails on its own check).
    QString NewCatalog(const QString& name = QStringLiteral("test.kst"))
    {
        const QString file = path(name);
        const DbError error = modDBCreation::CreateCatalogFile(file);
        if (error)
            qWarning("catalog not created: %s", qPrintable(error.message));
        return error ? QString() : file;
    }

    // Creates and opens a catalog through the catalog object, as the program does.
    bool OpenNew(const QString& name = QStringLiteral("test.kst"))
    {
        const QString file = NewCatalog(name);
        if (file.isEmpty())
            return false;
        Catalog().OpenCatalog(clsFile(file));
        return Catalog().Loaded();
    }

    Database& db() { return *Catalog().database(); }

    QTemporaryDir dir;
    RecordingUserInterface ui;
};
