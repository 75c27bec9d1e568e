#include "controls/RtfDocumentWriter.h"

#include <QColor>
#include <QFont>
#include <QStringList>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QTextFragment>

#include <algorithm>
#include <cmath>

namespace
{
QString Escaped(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'\\':
        case u'{':
        case u'}':
            out += u'\\';
            out += c;
            break;
        case u'\t':
            out += QStringLiteral("\\tab ");
            break;
        case QChar::LineSeparator:
            out += QStringLiteral("\\line ");
            break;
        case QChar::Nbsp:
            out += QStringLiteral("\\~");
            break;
        case QChar::SoftHyphen:
            out += QStringLiteral("\\-");
            break;
        case 0x2011: // non-breaking hyphen
            out += QStringLiteral("\\_");
            break;
        case QChar::ObjectReplacementCharacter:
            break; // a picture or other object, which a memo does not keep
        default:
            if (c.unicode() >= 0x20 && c.unicode() < 0x7F)
                out += c;
            else if (c.unicode() >= 0x80)
                // RTF numbers are signed 16-bit; characters beyond the BMP go as their two surrogates.
                out += QStringLiteral("\\u%1?").arg(qint16(c.unicode()));
            break; // other control characters are no text
        }
    }
    return out;
}

// Font faces or colours in the order of first use; the index is the number the text refers to them by.
template <class T> int IndexIn(QList<T>& table, const T& value)
{
    const qsizetype index = table.indexOf(value);
    if (index >= 0)
        return int(index);
    table.append(value);
    return int(table.size() - 1);
}

int HalfPoints(const QFont& font)
{
    double points = font.pointSizeF();
    if (points <= 0 && font.pixelSize() > 0)
        points = font.pixelSize() * 72.0 / 96.0; // a size in pixels, taken at the usual screen resolution
    if (points <= 0)
        points = 12;
    return std::clamp(int(std::lround(points * 2)), 1, 3276);
}

QString AlignmentWords(Qt::Alignment alignment)
{
    switch (alignment & Qt::AlignHorizontal_Mask & ~Qt::AlignAbsolute) {
    case Qt::AlignHCenter:
        return QStringLiteral("\\qc");
    case Qt::AlignRight:
        return QStringLiteral("\\qr");
    case Qt::AlignJustify:
        return QStringLiteral("\\qj");
    default:
        return {};
    }
}
} // namespace

QString RtfDocumentWriter::Write(const QTextDocument& document)
{
    const QFont base = document.defaultFont();
    QStringList fonts{base.family()}; // \deff0: the document's own font
    QList<QColor> colors;

    QString body;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        body += QStringLiteral("\\pard") + AlignmentWords(block.blockFormat().alignment());
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            const QString text = Escaped(fragment.text());
            if (text.isEmpty())
                continue;
            const QTextCharFormat format = fragment.charFormat();
            const QFont font = format.font().resolve(base);
            body += QStringLiteral("{\\f%1\\fs%2").arg(IndexIn(fonts, font.family())).arg(HalfPoints(font));
            if (font.bold())
                body += QStringLiteral("\\b");
            if (font.italic())
                body += QStringLiteral("\\i");
            if (format.fontUnderline())
                body += QStringLiteral("\\ul");
            if (font.strikeOut())
                body += QStringLiteral("\\strike");
            const QBrush foreground = format.foreground();
            if (foreground.style() != Qt::NoBrush)
                body += QStringLiteral("\\cf%1").arg(IndexIn(colors, foreground.color().toRgb()) + 1);
            body += u' ' + text + u'}';
        }
        body += QStringLiteral("\\par\r\n");
    }

    QString rtf = QStringLiteral("{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\r\n{\\fonttbl");
    for (qsizetype i = 0; i < fonts.size(); ++i) {
        QString name = Escaped(fonts[i]);
        name.remove(u';');
        rtf += QStringLiteral("{\\f%1\\fnil %2;}").arg(i).arg(name);
    }
    // Entry 0 is empty: the automatic colour, which runs without a colour of their own keep.
    rtf += QStringLiteral("}\r\n{\\colortbl;");
    for (const QColor& color : colors)
        rtf += QStringLiteral("\\red%1\\green%2\\blue%3;").arg(color.red()).arg(color.green()).arg(color.blue());
    rtf += QStringLiteral("}\r\n") + body + u'}';
    return rtf;
}
