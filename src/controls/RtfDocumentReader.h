#pragma once
#include <QByteArrayView>
#include <QStringView>

class QTextCursor;
class QTextDocument;

// Rich text (RTF) into the document of a memo box, by the rules of RtfReader: every paragraph becomes a block
// with its alignment, every run of text is inserted with its bold, italic, underline, strike-through, font face,
// size and colour. What the text does not say (a run without font or size, the automatic colour) is left to the
// document's default font and the palette. Text that is not RTF arrives as plain lines, one block each.
namespace RtfDocumentReader
{
// Replaces the document's content. The load is no step the user can undo, and the document is left unmodified.
void Read(QStringView rtf, QTextDocument& document);
// The bytes of an .rtf file, whose literal bytes above 0x7F are in the document's code page.
void Read(QByteArrayView rtf, QTextDocument& document);

// Inserts at the cursor as pasting would: the first paragraph continues the cursor's block, the last one is
// continued by the text after the cursor. The cursor ends after the inserted text.
void Insert(QStringView rtf, QTextCursor& cursor);
} // namespace RtfDocumentReader
