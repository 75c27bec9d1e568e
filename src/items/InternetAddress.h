#pragma once
#include <QString>

// The address an Internet/File cell opens: an e-mail address (it holds "@") gets "mailto:" in front, text
// without a known protocol gets "http://"; a file path (beginning with "/" or "file:") stays as it is. Empty
// text gives an empty address.
QString InternetAddress(const QString& cellText);
