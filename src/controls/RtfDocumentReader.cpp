#include "controls/RtfDocumentReader.h"

#include "platform/RtfReader.h"
#include "platform/RtfSink.h"

#include <QColor>
#include <QFont>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace
{
Qt::Alignment AlignmentOf(RtfParagraphFormat::Alignment alignment)
{
    switch (alignment) {
    case RtfParagraphFormat::Alignment::Center:
        return Qt::AlignHCenter;
    case RtfParagraphFormat::Alignment::Right:
        return Qt::AlignRight;
    case RtfParagraphFormat::Alignment::Justify:
        return Qt::AlignJustify;
    case RtfParagraphFormat::Alignment::Left:
        break;
    }
    return Qt::AlignLeft;
}

QTextCharFormat CharFormatOf(const RtfCharFormat& format)
{
    // Bold, italic, underline and strike-through are always set, so that inserted text never takes them over from
    // the text around the cursor.
    QTextCharFormat result;
    result.setFontWeight(format.bold ? QFont::Bold : QFont::Normal);
    result.setFontItalic(format.italic);
    result.setFontUnderline(format.underline);
    result.setFontStrikeOut(format.strikeOut);
    if (!format.fontFamily.isEmpty())
        result.setFontFamilies(QStringList{format.fontFamily});
    if (format.fontSizeHalfPoints > 0)
        result.setFontPointSize(format.fontSizeHalfPoints / 2.0);
    if (format.color)
        result.setForeground(QColor(format.color->red, format.color->green, format.color->blue));
    return result;
}

// Builds blocks at a cursor. A paragraph's block is started only when something arrives for it, so that the
// end of the last paragraph leaves no empty block behind.
class CursorSink : public RtfSink
{
public:
    explicit CursorSink(QTextCursor& cursor) : m_cursor(cursor) {}

    void Text(const QString& text, const RtfCharFormat& format) override
    {
        StartBlock();
        m_cursor.insertText(text, CharFormatOf(format));
    }

    void ParagraphEnd(const RtfParagraphFormat& format) override
    {
        StartBlock();
        QTextBlockFormat block;
        block.setAlignment(AlignmentOf(format.alignment));
        m_cursor.mergeBlockFormat(block);
        m_blockEnded = true;
    }

private:
    void StartBlock()
    {
        if (m_blockEnded)
            m_cursor.insertBlock();
        m_blockEnded = false;
    }

    QTextCursor& m_cursor;
    bool m_blockEnded = false;
};

template <class Input> void ReadInto(Input rtf, QTextDocument& document)
{
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    document.clear();
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    CursorSink sink(cursor);
    RtfReader(sink).Read(rtf);
    cursor.endEditBlock();
    document.setUndoRedoEnabled(undo);
    document.setModified(false);
}
} // namespace

void RtfDocumentReader::Read(QStringView rtf, QTextDocument& document)
{
    ReadInto(rtf, document);
}

void RtfDocumentReader::Read(QByteArrayView rtf, QTextDocument& document)
{
    ReadInto(rtf, document);
}

void RtfDocumentReader::Insert(QStringView rtf, QTextCursor& cursor)
{
    cursor.beginEditBlock();
    CursorSink sink(cursor);
    RtfReader(sink).Read(rtf);
    cursor.endEditBlock();
}
