#pragma once
#include "platform/RtfCharFormat.h"
#include "platform/RtfParagraphFormat.h"

#include <QString>

// What RtfReader hands its text to. A document arrives as paragraphs, each as zero or more runs of text followed
// by the end of the paragraph with its format. Runs hold printable characters, '\t' for tabs and
// QChar::LineSeparator (U+2028) for line breaks inside a paragraph; never CR or LF.
class RtfSink
{
public:
    virtual ~RtfSink() = default;

    virtual void Text(const QString& text, const RtfCharFormat& format) = 0;
    virtual void ParagraphEnd(const RtfParagraphFormat& format) = 0;
};
