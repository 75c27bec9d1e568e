#pragma once
#include <QString>

// Facts about the program shown in the about box and used for its links.
namespace ProgramInfo {
constexpr int Major = 0;
constexpr int Minor = 1;
constexpr int Revision = 0;
inline QString LegalCopyright() { return QStringLiteral("Copyright \u00A9 2026 The Kestrowan developers"); }
inline QString ReproductionNotice()
{
    return QStringLiteral("Warning: this program is protected by copyright law. Unauthorized reproduction or "
                          "distribution of this program, or any portion of it, may result in civil and criminal "
                          "penalties.");
}
inline QString HomePage() { return QStringLiteral("https://kestrowan.example.org/"); }
inline QString SupportAddress() { return QStringLiteral("support@kestrowan.example.org"); }
inline QString TemplatesPage() { return QStringLiteral("https://kestrowan.example.org/categories/"); }
} // namespace ProgramInfo
