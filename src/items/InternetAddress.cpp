#include "items/InternetAddress.h"

#include <QStringList>

QString InternetAddress(const QString& cellText)
{
    const QString text = cellText.trimmed();
    if (text.isEmpty())
        return QString();
    if (text.contains(QLatin1Char('@')))
        return text.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive) ? text : QStringLiteral("mailto:") + text;
    // A file of this computer opens with its own program, not as a web site.
    if (text.startsWith(QLatin1Char('/')) || text.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        return text;
    // Protocols are recognised whatever their case: "HTTP://host" is an address as it stands.
    for (const char* protocol : {"http://", "ftp://", "news://", "https://"})
        if (text.contains(QLatin1String(protocol), Qt::CaseInsensitive))
            return text;
    return QStringLiteral("http://") + text;
}
