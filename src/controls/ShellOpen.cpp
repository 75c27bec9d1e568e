#include "controls/ShellOpen.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>

namespace ShellOpen {
namespace {
QStringList* g_recorder = nullptr;
}

bool Open(const QString& target)
{
    if (target.trimmed().isEmpty())
        return false;
    if (g_recorder) {
        g_recorder->append(target);
        return true;
    }
    const QUrl url = QFileInfo::exists(target) ? QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath())
                                               : QUrl::fromUserInput(target);
    return QDesktopServices::openUrl(url);
}

void SetRecorderForTesting(QStringList* opened) { g_recorder = opened; }
} // namespace ShellOpen
