#include "publish/HTMLFont.h"

#include <QList>

QString HTMLFont::Escape(const QString& text)
{
    QString html;
    html.reserve(text.size());
    for (const uint code : text.toUcs4()) {
        switch (code) {
        case U'&':
            html += QLatin1String("&amp;");
            break;
        case U'<':
            html += QLatin1String("&lt;");
            break;
        case U'>':
            html += QLatin1String("&gt;");
            break;
        case U'"':
            html += QLatin1String("&quot;");
            break;
        default:
            if (code < 0x80)
                html += QChar(char16_t(code));
            else
                html += QLatin1String("&#") + QString::number(code) + QLatin1Char(';');
        }
    }
    return html;
}

QString HTMLFont::ColorText(quint32 color)
{
    const auto part = [color](int shift) {
        return QStringLiteral("%1").arg((color >> shift) & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
    };
    return QLatin1Char('#') + part(0) + part(8) + part(16);
}

QString HTMLFont::CreateHyperlink(const QString& text)
{
    const QString html = Escape(text);
    return QStringLiteral("<A HREF=\"") + html + QStringLiteral("\">") + html + QStringLiteral("</A>");
}

QString HTMLFont::CreateFontTag(const QString& text) const
{
    QString html = Escape(text).replace(QLatin1String("\r\n"), QLatin1String("<BR>"));
    if (m_bold)
        html = QStringLiteral("<STRONG>") + html + QStringLiteral("</STRONG>");
    if (m_italic)
        html = QStringLiteral("<EM>") + html + QStringLiteral("</EM>");
    if (m_underline)
        html = QStringLiteral("<U>") + html + QStringLiteral("</U>");
    if (!m_fontTag)
        return html;
    QString attributes;
    if (!m_face.isEmpty())
        attributes += QStringLiteral(" FACE=\"") + Escape(m_face.toUpper()) + QLatin1Char('"');
    if (m_size)
        attributes += QStringLiteral(" SIZE=\"") + QString::number(*m_size) + QLatin1Char('"');
    if (m_color)
        attributes += QStringLiteral(" COLOR=\"") + ColorText(*m_color) + QLatin1Char('"');
    return QStringLiteral("<FONT") + attributes + QLatin1Char('>') + html + QStringLiteral("</FONT>");
}
