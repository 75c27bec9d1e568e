#pragma once
#include "app/clsFile.h"
#include "model/Categories.h"
#include "platform/Database.h"

#include <QString>
#include <QStringList>

#include <memory>

class SubjectViewInterface;

// The one catalog object of the process: the open catalog file, its categories and its settings.
class clsCatalog {
public:
    // Catalog settings, by their numbers; each is one field of the single row of [Catalog].
    enum SettingType {
        AutoComplete = 1,
        AutoAddName = 2,
        GridLines = 3,
        ItemEditorWidth = 5,
        ItemEditorHeight = 6,
        ItemEditorWindowState = 7,
        Name = 9,
        Description = 10,
        LastCompact = 16,
        PasswordProtected = 19,
        ProtectName = 20,
        ProtectPassword = 21,
        DataVersion = 22,
    };
    static constexpr int CurrentDataVersion = 12;
    static const QString Property_ColumnType;

    clsCatalog();
    ~clsCatalog();

    Database* database() const { return m_database.get(); }
    void SetDatabase(std::unique_ptr<Database> db);
    void CloseDatabase();
    Categories& categories() { return m_categories; }
    clsFile File;
    SubjectViewInterface* Subjects = nullptr;

    bool Loaded() const { return m_loaded; }
    // True runs the steps of entering the open state; false runs the close sequence.
    void SetLoaded(bool loaded);
    void OpenCatalog(clsFile file);
    // Why the last OpenCatalog left the catalog closed (empty when it opened or was ignored).
    const DbError& lastOpenError() const { return m_lastOpenError; }

    // The field a setting number maps to; empty for numbers that are not settings.
    static QString SettingField(int setting);
    QString Setting(int setting);
    DbError SetSetting(int setting, const QVariant& value);
    // Opens a closed, just compacted catalog file long enough to record today as its last compaction.
    void StampLastCompact(const QString& path);

    void BuildSubjects(SubjectViewInterface* view);
    bool IsIDField(const QString& columnName) const;
    QString FontName();
    void SetFontName(const QString& name);
    QString LastDirectory() const;
    void SetLastDirectory(const QString& folder);
    QString PlugInPath() const;

private:
    void EnterOpenState();
    void RunCloseSequence();
    QString SettingDefault(int setting) const;
    void EnsureSettingsRow();

    std::unique_ptr<Database> m_database;
    Categories m_categories;
    bool m_loaded = false;
    QString m_fontName;
    QStringList m_idFields;
    DbError m_lastOpenError;
};

// The catalog object of this process.
clsCatalog& Catalog();
