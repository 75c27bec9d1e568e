#pragma once
#include "CatalogFixture.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include "app/clsCatalog.h"
#include "model/Category.h"
#include "model/Subject.h"
#include "platform/Recordset.h"
#include "storage/modDBCreation.h"
#include "storage/modDBOperations.h"

// An open catalog with an ordinary category "Books" holding one column of each kind the model treats
// differently, and helpers to add subjects and items.
class ModelFixture : public CatalogFixture {
public:
    // The catalog is made once per test program and copied for each test: making it costs far more than
    // copying it.
    bool Setup()
    {
        static QTemporaryDir templateDir;
        static QString templateFile;
        if (templateFile.isEmpty()) {
            const QString file = templateDir.filePath(QStringLiteral("template.kst"));
            if (!OpenNew(QStringLiteral("build.kst")))
                return false;
            books = AddCategory(QStringLiteral("Books"));
            if (!books)
                return false;
            const std::pair<const char*, int> columns[] = {{"Author", 1}, {"Year", 9},   {"Price", 5},  {"Bought", 4},
                                                           {"Read", 12},  {"Ratio", 11}, {"Pages", 10}, {"Notes", 7},
                                                           {"Genre", 3},  {"Cover", 6}};
            for (const auto& [name, code] : columns)
                if (!modDBOperations::AddField(db(), books->DBName(), QString::fromUtf8(name), code, false, false,
                                               false, 0, books))
                    return false;
            Catalog().SetLoaded(false);
            if (!QFile::copy(path(QStringLiteral("build.kst")), file))
                return false;
            templateFile = file;
        }
        const QString copy = path(QStringLiteral("test.kst"));
        QFile::remove(copy);
        if (!QFile::copy(templateFile, copy))
            return false;
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
        Catalog().OpenCatalog(clsFile(copy));
        if (!Catalog().Loaded())
            return false;
        books = nullptr;
        for (const auto& category : Catalog().categories())
            if (category->Name() == QLatin1String("Books"))
                books = category.get();
        return books != nullptr;
    }

    Category* AddCategory(const QString& name, const QString& title = QStringLiteral("Title"))
    {
        const Result<int> id = modDBCreation::CreateCategory(db(), name, title, Category::Ordinary);
        return id ? Catalog().categories().Add(*id, &db()) : nullptr;
    }

    QString NewSubject(Category* category, const QString& name, const QString& parent = QString())
    {
        const Result<qint64> id = Subject::Create(*category, name, parent);
        return id ? QString::number(*id) : QString();
    }

    // Inserts an item; values is the part after VALUES, fields the bracketed list.
    int AddItem(Category* category, const QString& fields, const QString& values)
    {
        if (!db().Execute(QStringLiteral("INSERT INTO [%1] (%2) VALUES (%3)").arg(category->DBName(), fields, values)))
            return 0;
        return db().LookupValue(QStringLiteral("SELECT MAX([ID]) FROM [%1]").arg(category->DBName()))->toInt();
    }

    QString Value(const QString& sql) { return modDBOperations::QueryValue(&db(), sql); }
    // The first field of every row of a statement, as text, in the order read.
    QStringList Column(const QString& sql)
    {
        Result<std::unique_ptr<Recordset>> rows = db().OpenRecordset(sql, RecordsetType::ForwardOnly, true);
        if (!rows)
            return {QStringLiteral("statement failed: ") + rows.error().message};
        QStringList found;
        for (Recordset& rs = *rows.value(); !rs.Eof(); rs.MoveNext())
            found << rs.Value(0).toString();
        return found;
    }
    qint64 Count(const QString& sql) { return modDBOperations::QueryCount(sql, &db()); }

    Category* books = nullptr;
};
