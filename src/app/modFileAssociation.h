#pragma once
#include <QString>
#include <QStringList>

// Tells the desktop that catalog files belong to this program, so that opening one starts the program
// with it. Called at every start.
namespace modFileAssociation
{

// Registers the catalog file type the freedesktop way, in the user's data folder
// (QStandardPaths::GenericDataLocation, normally ~/.local/share):
//   mime/packages/kestrowan.xml      MIME type application/x-kestrowan-catalog for "*.<extension>"
//   applications/kestrowan.desktop   desktop entry starting the running executable with the file
// extension may be given with or without its leading "." (".kst" or "kst"). A file is written only when
// its content differs, so registering again leaves both files byte for byte as they were. When something
// was written (or a cache is missing or older), update-mime-database and update-desktop-database are
// started detached if they exist. Every failure is silent: the program starts normally regardless.
void RegisterFileType(const QString& extension);

// program as one argument of a desktop entry's Exec key: quoted when it holds a blank or another reserved
// character, "%" doubled, and escaped as a desktop-file string value.
QString DesktopExecProgram(const QString& program);

// The file the desktop asked to open: every argument after the program name, joined by one blank and
// trimmed, read as one path (a path with blanks may arrive split into several arguments). Empty when
// there are none.
QString StartupPathFromArguments(const QStringList& arguments);

} // namespace modFileAssociation
