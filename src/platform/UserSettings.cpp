#include "platform/UserSettings.h"

#include <QSettings>
#include <QStringList>

#include <memory>

namespace
{

QString& StorePathOverride()
{
    static QString path;
    return path;
}

std::unique_ptr<QSettings> OpenStore()
{
    std::unique_ptr<QSettings> settings;
    if (StorePathOverride().isEmpty())
        settings = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Kestrowan"),
                                               QStringLiteral("Kestrowan"));
    else
        settings = std::make_unique<QSettings>(StorePathOverride(), QSettings::IniFormat);
    settings->beginGroup(QStringLiteral("Settings"));
    return settings;
}

} // namespace

namespace UserSettings
{

QString Get(const QString& key, const QString& defaultValue)
{
    const auto settings = OpenStore();
    if (!settings->contains(key))
        return defaultValue;
    const QVariant value = settings->value(key);
    // An unquoted comma in a hand-edited file makes the INI reader return a list; the text is what was meant.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

void Set(const QString& key, const QString& value)
{
    const auto settings = OpenStore();
    settings->setValue(key, value);
    settings->sync();
}

void SetStorePathForTesting(const QString& iniFilePath)
{
    StorePathOverride() = iniFilePath;
}

} // namespace UserSettings
