#pragma once
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The plain text of a memo, for publishing and searching.
//
// Paragraphs and the line breaks inside them become CR LF, the catalog's line break; the last paragraph gets none,
// so "{\rtf1 one\par two\par}" gives "one\r\ntwo" (word processors end every paragraph, the last one too, with \par).
// Tabs stay tabs, optional hyphens (\-) vanish, and everything else is the text as the reader shows it.
// Text that is not RTF comes back unchanged.
namespace RtfPlainText
{
QString FromRtf(QStringView text);
// The bytes of an .rtf file; plain text given this way is read in code page 1252.
QString FromRtf(QByteArrayView bytes);
} // namespace RtfPlainText
