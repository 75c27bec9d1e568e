#include "app/clsCatalog.h"

#include "app/General.h"
#include "app/modFileOperations.h"
#include "model/SubjectViewInterface.h"
#include "platform/Recordset.h"
#include "platform/UserInterface.h"
#include "platform/UserSettings.h"
#include "storage/modDBCreation.h"
#include "storage/modDBOperations.h"
#include "storage/modDBUpgrade.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>

const QString clsCatalog::Property_ColumnType = QStringLiteral("ColumnType");

clsCatalog& Catalog()
{
    static clsCatalog catalog;
    return catalog;
}

clsCatalog::clsCatalog()
    : m_idFields{QStringLiteral("ID"),       QStringLiteral("Modified"), QStringLiteral("Created"),
                 QStringLiteral("Flag"),     QStringLiteral("TreeID"),   QStringLiteral("ParentID"),
                 QStringLiteral("RecordID"), QStringLiteral("RecordTreeID")}
{
}

clsCatalog::~clsCatalog() = default;

void clsCatalog::SetDatabase(std::unique_ptr<Database> db) { m_database = std::move(db); }

void clsCatalog::CloseDatabase()
{
    if (m_database)
        m_database->Close();
    m_database.reset();
}

bool clsCatalog::IsIDField(const QString& columnName) const { return m_idFields.contains(columnName, Qt::CaseInsensitive); }

QString clsCatalog::FontName()
{
    const QString stored = UserSettings::Get(QStringLiteral("Font"));
    m_fontName = stored.isEmpty() ? QStringLiteral("Tahoma") : stored;
    return m_fontName;
}

void clsCatalog::SetFontName(const QString& name)
{
    m_fontName = name;
    UserSettings::Set(QStringLiteral("Font"), name);
}

QString clsCatalog::LastDirectory() const
{
    return UserSettings::Get(QStringLiteral("Last Directory"), QCoreApplication::applicationDirPath() + QLatin1Char('/'));
}

void clsCatalog::SetLastDirectory(const QString& folder) { UserSettings::Set(QStringLiteral("Last Directory"), folder); }

QString clsCatalog::PlugInPath() const { return QCoreApplication::applicationDirPath() + QStringLiteral("/Categories"); }

void clsCatalog::OpenCatalog(clsFile file)
{
    m_lastOpenError = {};
    Ui().ProcessEvents();
    if (file.Extension().compare(QLatin1String("kxo"), Qt::CaseInsensitive) == 0) {
        const QString renamed = file.Path(QStringLiteral("kst"));
        if (QFile::exists(renamed) || !QFile::rename(file.Path(), renamed)) {
            // Renaming over an existing catalog would destroy it; say why nothing opened instead.
            m_lastOpenError = {DbErrorNumber::FileExists,
                               QStringLiteral("The file '%1' could not be renamed to '%2'.").arg(file.Path(), renamed)};
            Ui().ShowMessage(m_lastOpenError.message);
            return;
        }
        file.SetPath(renamed);
    }
    if (file.Extension().compare(QLatin1String("kst"), Qt::CaseInsensitive) != 0 || !file.Valid())
        return;

    BusyPointer busy;
    if (m_loaded)
        SetLoaded(false);
    Result<std::unique_ptr<Database>> opened = Database::Open(file.Path());
    if (!opened) {
        m_lastOpenError = opened.error();
        Ui().ShowMessage(QStringLiteral("The catalog '%1' could not be opened.\n\n%2").arg(file.Path(), opened.error().message));
        return;
    }
    m_database = std::move(opened.value());
    File = file;
    if (!modDBOperations::ItemExists(m_database->TableNames(), QStringLiteral("Catalog"))) {
        const DbError created = modDBCreation::CreateCatalogTable(*m_database);
        const QVariant version = modDBOperations::ReadProperty(m_database.get(), {}, modDBOperations::KindInteger,
                                                               QStringLiteral("ProgramDataVersion"));
        if (created || SetSetting(DataVersion, version.toInt())) {
            m_lastOpenError = created ? created : DbError{DbErrorNumber::CannotOpenFile, QStringLiteral("The settings could not be written.")};
            Ui().ShowMessage(QStringLiteral("The catalog '%1' could not be opened.\n\n%2").arg(file.Path(), m_lastOpenError.message));
            CloseDatabase();
            return;
        }
    }
    SetLoaded(true);

    if (Setting(DataVersion).toInt() < CurrentDataVersion) {
        Ui().ShowMessage(QStringLiteral("This catalog needs to be upgraded to a newer version to support additional "
                                        "features of the software."));
        Ui().ProcessEvents();
        if (!modDBUpgrade::UpgradeCatalog()) {
            m_lastOpenError = {DbErrorNumber::CannotOpenFile, QStringLiteral("The catalog was not upgraded.")};
            SetLoaded(false);
            return;
        }
    }

    m_categories = LoadCategories(m_database.get());
    Ui().ProgressShow(QStringLiteral("Opening Catalog..."), m_categories.Count() + 2);
    Ui().ProcessEvents();
    Ui().ProgressStep();
    for (const auto& category : m_categories) {
        category->ResetColumns();
        Ui().ProgressStep();
    }
    BuildSubjects(Subjects);
    Ui().ProgressStep();
    SetLastDirectory(file.Directory());
    Ui().ProgressClose();
    Ui().ProcessEvents();

    if (Setting(PasswordProtected) == QLatin1String("True") && !Ui().VerifyPassword()) {
        m_lastOpenError = {3029, QStringLiteral("Invalid password on password protected data.")};
        SetLoaded(false);
    }
}

void clsCatalog::SetLoaded(bool loaded)
{
    if (loaded)
        EnterOpenState();
    else
        RunCloseSequence();
}

void clsCatalog::EnterOpenState()
{
    Ui().EnableCatalogCommands(true);
    Ui().SetCloseCommandEnabled(true);
    Ui().SetRepairCommandEnabled(false);
    if (Setting(PasswordProtected) != QLatin1String("True"))
        Ui().SetPasswordCommand(QStringLiteral("Set &Password"), QStringLiteral("2"));
    else
        Ui().SetPasswordCommand(QStringLiteral("Unset &Password"), QStringLiteral("3"));
    m_loaded = true;
}

void clsCatalog::RunCloseSequence()
{
    // Every step runs whatever happened before it, so closing twice or closing a half-open catalog is safe.
    Ui().EnableCatalogCommands(false);
    BusyPointer busy;
    Ui().SetCloseCommandEnabled(false);
    Ui().SetRepairCommandEnabled(true);
    Ui().UnloadSecondaryForms();
    Ui().ResetItemViews();
    CloseDatabase();
    m_categories.Clear();
    m_fontName.clear();
    Ui().ClearMainWindowTexts();
    Ui().SetCloseCommandEnabled(false);
    Ui().SetRepairCommandEnabled(true);
    Ui().SetSubjectViewEnabled(false);
    Ui().ProcessEvents();
    m_loaded = false;
}

void clsCatalog::BuildSubjects(SubjectViewInterface* view)
{
    // Without a subject view (the command-line tool, tests) there is no tree to build.
    if (!view)
        return;
    view->SetRedraw(false);
    for (const auto& category : m_categories)
        category->BuildSubjects(view);
    // Sub categories move under their parents once every category has its node.
    for (const auto& category : m_categories)
        category->UpdateParent();
    view->Collapse();
    view->Sort();
    view->SetRedraw(true);
}

QString clsCatalog::SettingField(int setting)
{
    switch (setting) {
    case AutoComplete: return QStringLiteral("AutoComplete");
    case AutoAddName: return QStringLiteral("AutoAddName");
    case GridLines: return QStringLiteral("GridLines");
    case ItemEditorWidth: return QStringLiteral("ItemEditorWidth");
    case ItemEditorHeight: return QStringLiteral("ItemEditorHeight");
    case ItemEditorWindowState: return QStringLiteral("ItemEditorWindowState");
    case Name: return QStringLiteral("Name");
    case Description: return QStringLiteral("Description");
    case LastCompact: return QStringLiteral("LastCompact");
    case PasswordProtected: return QStringLiteral("PasswordProtected");
    case ProtectName: return QStringLiteral("ProtectName");
    case ProtectPassword: return QStringLiteral("ProtectPassword");
    case DataVersion: return QStringLiteral("DataVersion");
    default: return QString();
    }
}

QString clsCatalog::SettingDefault(int setting) const
{
    switch (setting) {
    case AutoComplete:
    case AutoAddName: return QStringLiteral("True");
    case GridLines:
    case PasswordProtected: return QStringLiteral("False");
    case ItemEditorWidth: return QString::number(Ui().MainWindowWidth() / 2);
    case ItemEditorHeight: return QString::number(Ui().MainWindowHeight() / 2);
    case ItemEditorWindowState:
    case DataVersion: return QStringLiteral("0");
    case LastCompact: return QStringLiteral("Unknown");
    default: return QString();
    }
}

void clsCatalog::EnsureSettingsRow()
{
    if (modDBOperations::QueryCount(QStringLiteral("SELECT COUNT(*) FROM [Catalog]"), m_database.get()) != 0)
        return;
    Result<std::unique_ptr<Recordset>> table = m_database->OpenRecordset(QStringLiteral("Catalog"), RecordsetType::Table);
    if (!table)
        return;
    if (!table.value()->AddNew())
        table.value()->Update();
}

QString clsCatalog::Setting(int setting)
{
    const QString field = SettingField(setting);
    if (field.isEmpty() || !m_database)
        return SettingDefault(setting);
    EnsureSettingsRow();
    return modDBOperations::QueryValue(m_database.get(), QStringLiteral("SELECT [") + field + QStringLiteral("] FROM [Catalog]"),
                                       SettingDefault(setting), true);
}

DbError clsCatalog::SetSetting(int setting, const QVariant& value)
{
    const QString field = SettingField(setting);
    if (field.isEmpty())
        return {DbErrorNumber::ItemNotFound, QStringLiteral("%1 is not a catalog setting.").arg(setting)};
    if (!m_database)
        return {DbErrorNumber::NotOpen, QStringLiteral("No catalog is open.")};
    EnsureSettingsRow();
    Result<std::unique_ptr<Recordset>> table = m_database->OpenRecordset(QStringLiteral("Catalog"), RecordsetType::Table);
    if (!table)
        return table.error();
    Recordset& rs = *table.value();
    if (DbError error = rs.MoveFirst())
        return error;
    if (DbError error = rs.Edit())
        return error;
    if (DbError error = rs.SetValue(field, value)) {
        rs.CancelUpdate();
        return error;
    }
    return rs.Update();
}

void clsCatalog::StampLastCompact(const QString& path)
{
    Result<std::unique_ptr<Database>> opened = Database::Open(path);
    if (!opened)
        return;
    m_database = std::move(opened.value());
    if (modDBOperations::ItemExists(m_database->TableNames(), QStringLiteral("Catalog")))
        SetSetting(LastCompact, QDateTime(QDate::currentDate(), QTime(0, 0)));
    CloseDatabase();
}
