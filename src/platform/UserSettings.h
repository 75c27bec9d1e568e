#pragma once
#include <QString>

// The per-user settings: text values under application "Kestrowan", section "Settings", kept in an INI
// file in the user's configuration folder (~/.config/Kestrowan/Kestrowan.ini). Keys are used as given
// ("Font", "Last Directory", ...); "/" and "\" in a key would open a sub-section, so keys never hold them.
namespace UserSettings
{

// The stored text, or defaultValue when the key was never saved. A saved empty text is returned as such.
QString Get(const QString& key, const QString& defaultValue = {});
// Saves value and writes the store to disk at once.
void Set(const QString& key, const QString& value);

// Sends every later Get and Set to the INI file iniFilePath instead of the user's store; the empty
// text goes back to the user's store.
void SetStorePathForTesting(const QString& iniFilePath);

} // namespace UserSettings
