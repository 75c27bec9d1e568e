#pragma once
#include <QString>

class QTextDocument;

// The document of a memo box as rich text (RTF), to store in a memo column.
//
// Every block becomes a paragraph ending in \par, with its alignment; every run of text a group with its font
// face, size, bold, italic, underline, strike-through and colour, all taken as they show, so that a run in the
// document's default font is written with that font. The font and colour tables hold what the document uses.
// The text is 7-bit: characters above 0x7E are written as \uN with "?" as the fallback for older readers.
// Pictures and other embedded objects are not written. RtfDocumentReader reads the result back to the same text
// and formatting.
namespace RtfDocumentWriter
{
QString Write(const QTextDocument& document);
} // namespace RtfDocumentWriter
