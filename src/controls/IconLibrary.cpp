#include "controls/IconLibrary.h"

#include <QHash>

static void InitIconResources() { Q_INIT_RESOURCE(icons); }

namespace IconLibrary {
namespace {
const QHash<QString, QString>& Files()
{
    static const QHash<QString, QString> files = [] {
        InitIconResources(); // the pictures live in a static library: register them before first use
        return QHash<QString, QString>{
            {QStringLiteral("Folder 256"), QStringLiteral("folder")},
            {QStringLiteral("Open Folder"), QStringLiteral("folder-open")},
            {QStringLiteral("Plain Document"), QStringLiteral("plain-document")},
            {QStringLiteral("Person"), QStringLiteral("person")},
            {QStringLiteral("Person Color"), QStringLiteral("person-color")},
            {QStringLiteral("People"), QStringLiteral("person")},
            {QStringLiteral("Special Folder"), QStringLiteral("category-folder")},
            {QStringLiteral("Relational"), QStringLiteral("relational")},
            {QStringLiteral("Magnify"), QStringLiteral("magnify")},
            {QStringLiteral("Open Book"), QStringLiteral("open-book")},
            {QStringLiteral("Refresh"), QStringLiteral("refresh")},
            {QStringLiteral("Expanded Tree"), QStringLiteral("expanded-tree")},
            {QStringLiteral("Add"), QStringLiteral("add")},
            {QStringLiteral("Delete"), QStringLiteral("delete")},
            {QStringLiteral("Move to Folder"), QStringLiteral("move-to-folder")},
            {QStringLiteral("Columns"), QStringLiteral("columns")},
            {QStringLiteral("Properties"), QStringLiteral("properties")},
            {QStringLiteral("Search"), QStringLiteral("search")},
            {QStringLiteral("Open"), QStringLiteral("open")},
            {QStringLiteral("Close"), QStringLiteral("close")},
            {QStringLiteral("Exit"), QStringLiteral("exit")},
            {QStringLiteral("Settings"), QStringLiteral("settings")},
            {QStringLiteral("Help"), QStringLiteral("help")},
            {QStringLiteral("About"), QStringLiteral("about")},
            {QStringLiteral("New Subject"), QStringLiteral("new-subject")},
            {QStringLiteral("New Item"), QStringLiteral("new-item")},
            {QStringLiteral("Search and Replace"), QStringLiteral("search-replace")},
            {QStringLiteral("Import"), QStringLiteral("import")},
            {QStringLiteral("Export"), QStringLiteral("export")},
            {QStringLiteral("Password"), QStringLiteral("password")},
            {QStringLiteral("Dewey"), QStringLiteral("dewey")},
            {QStringLiteral("Email"), QStringLiteral("email")},
            {QStringLiteral("Home Page"), QStringLiteral("home-page")},
            {QStringLiteral("Information"), QStringLiteral("information")},
            {QStringLiteral("Warning"), QStringLiteral("warning")},
            {QStringLiteral("Error"), QStringLiteral("error")},
            {QStringLiteral("Up"), QStringLiteral("up")},
            {QStringLiteral("Down"), QStringLiteral("down")},
        };
    }();
    return files;
}
} // namespace

QIcon Icon(const QString& key)
{
    const auto file = Files().constFind(key);
    if (file == Files().constEnd())
        return QIcon();
    return QIcon(QStringLiteral(":/icons/%1.png").arg(*file));
}

QPixmap Pixmap(const QString& key, int size) { return Icon(key).pixmap(size, size); }

QIcon ApplicationIcon()
{
    Files();
    QIcon icon(QStringLiteral(":/icons/kestrowan-32.png"));
    icon.addFile(QStringLiteral(":/icons/person.png"));
    return icon;
}

} // namespace IconLibrary
