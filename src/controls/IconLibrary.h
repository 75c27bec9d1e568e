#pragma once
#include <QIcon>
#include <QString>

// The program's 16x16 pictures, by the keys the windows use ("Folder 256", "Open Folder", "Plain Document",
// "Person", "Person Color", "Relational", "Magnify", the toolbar's "Refresh", "Add", ...). An unknown key
// gives a null icon.
namespace IconLibrary {
QIcon Icon(const QString& key);
QPixmap Pixmap(const QString& key, int size = 16);
// The program's own picture, for windows and the desktop entry.
QIcon ApplicationIcon();
} // namespace IconLibrary
