#pragma once
#include <QByteArrayView>
#include <QStringView>

class RtfSink;

// Reads rich text (RTF) and hands it to a sink as runs of formatted text and paragraph ends (see RtfSink).
//
// It understands what memo boxes and common word processors write: paragraphs and line breaks, bold, italic,
// underline, strike-through, font face and size, text colour, alignment, tabs, Unicode (\uN with \ucN fallbacks),
// \'hh bytes in the document's code page (\ansicpg, 1252 when unsaid) or the font's (\fcharset), the special
// character words, \plain, \pard, and formatting scoped by groups. Destinations it does not show (font, colour
// and style tables, document information, pictures, objects, headers, footers, footnotes, field instructions and
// every \* group it does not know) are skipped. Table cells become tabs and table rows paragraphs.
//
// Damaged input is read as far as it makes sense and never fails: unbalanced braces, truncation, absurd numbers,
// binary junk and deep nesting only lose formatting, and \bin data is stepped over. Text after the document's
// closing brace is ignored.
//
// Text that is not RTF (it does not start with "{\rtf", blanks allowed before it) is taken as plain text: every
// line becomes a paragraph, CR LF, CR and LF all ending one, and the text arrives in the sink unformatted.
class RtfReader
{
public:
    explicit RtfReader(RtfSink& sink) : m_sink(sink) {}

    // Text as stored in the catalog: characters above 0x7F are taken as the characters they are.
    void Read(QStringView text);

    // The bytes of an .rtf file: literal bytes above 0x7F are in the document's code page, as RTF means them.
    // Plain text given this way is read in code page 1252.
    void Read(QByteArrayView bytes);

    static bool IsRtf(QStringView text);
    static bool IsRtf(QByteArrayView bytes);

    // Groups nested deeper than this share the formatting state of the deepest one kept, so that a hostile
    // document cannot make the reader's memory grow with its nesting.
    static constexpr int MaxDepth = 256;

private:
    void ReadPlainText(QStringView text);

    RtfSink& m_sink;
};
