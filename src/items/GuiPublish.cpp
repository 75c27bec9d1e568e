#include "items/GuiPublish.h"

#include "app/clsCatalog.h"
#include "controls/ShellOpen.h"
#include "controls/clsCommonDialog.h"
#include "platform/UserInterface.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace GuiPublish
{

namespace
{

bool PageWritten(const QString& pagePath)
{
    const QFileInfo page(pagePath);
    return page.isFile() && page.size() > 0;
}

// The copy goes through QSaveFile too, so a failed copy leaves the person's old file as it was.
QString CopyPage(const QString& pagePath, const QString& target)
{
    QFile page(pagePath);
    if (!page.open(QIODevice::ReadOnly))
        return page.errorString();
    const QByteArray content = page.readAll();
    QSaveFile copy(target);
    if (!copy.open(QIODevice::WriteOnly) || copy.write(content) != content.size() || !copy.commit())
        return copy.errorString();
    return QString();
}

} // namespace

void DeliverPage(const QString& pagePath, int openType, QWidget* owner)
{
    if (openType == SaveToFile) {
        clsCommonDialog dialog;
        dialog.DialogTitle = QStringLiteral("Save HTML As...");
        dialog.Filter = QStringLiteral("HTML Document (*.htm)|*.htm");
        dialog.DefaultExt = QStringLiteral("htm");
        dialog.InitDir = Catalog().LastDirectory();
        const clsFile target = dialog.ShowSave(owner);
        if (!target.Valid() || !PageWritten(pagePath))
            return;
        const QString failure = CopyPage(pagePath, target.Path());
        if (!failure.isEmpty())
            Ui().ShowMessage(QStringLiteral("The page could not be saved as \"%1\".\r\n\r\n%2")
                                 .arg(QDir::toNativeSeparators(target.Path()), failure));
        return;
    }
    if (!PageWritten(pagePath)) {
        Ui().ShowMessage(QStringLiteral("The file does not exist.  Please contact the software author."));
        return;
    }
    // The browser not starting is not reported: the desktop has usually told the person already.
    ShellOpen::Open(pagePath);
}

} // namespace GuiPublish
