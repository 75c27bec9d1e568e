#include "app/GuiUserInterface.h"
#include "app/clsCatalog.h"
#include "app/frmMain.h"
#include "app/modFileAssociation.h"
#include "app/modFileOperations.h"
#include "tree/ctlSubjectView.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrowan"));
    QApplication::setOrganizationName(QStringLiteral("Kestrowan"));
    QApplication::setDesktopFileName(QStringLiteral("kestrowan"));

    modFileAssociation::RegisterFileType(QStringLiteral(".kst"));
    frmMain main;
    // Every catalog that opens builds its subject tree in the main window.
    Catalog().Subjects = main.SubjectView();
    GuiUserInterface ui(&main);
    SetUi(&ui);
    main.show();
    QCoreApplication::processEvents();

    // The whole command line is one path, as the desktop hands over an unquoted file name.
    const QString path = modFileAssociation::StartupPathFromArguments(QCoreApplication::arguments());
    if (!path.isEmpty() && modFileOperations::FileExists(path))
        Catalog().OpenCatalog(clsFile(path));
    else
        main.ShowOpenDialog();

    const int result = QApplication::exec();
    SetUi(nullptr);
    return result;
}
