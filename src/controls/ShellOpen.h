#pragma once
#include <QString>

// Opens a document, a web address or a mail address with the program the desktop has for it.
namespace ShellOpen {
// True when the desktop reported that it started something.
bool Open(const QString& target);
// For tests: records targets instead of opening them.
void SetRecorderForTesting(QStringList* opened);
} // namespace ShellOpen
