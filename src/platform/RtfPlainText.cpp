#include "platform/RtfPlainText.h"

#include "platform/RtfCodePage.h"
#include "platform/RtfReader.h"
#include "platform/RtfSink.h"

namespace
{
class PlainTextSink : public RtfSink
{
public:
    void Text(const QString& text, const RtfCharFormat&) override
    {
        for (QChar c : text) {
            if (c == QChar::LineSeparator)
                m_paragraph += QStringLiteral("\r\n");
            else if (c != QChar::SoftHyphen)
                m_paragraph += c;
        }
    }

    void ParagraphEnd(const RtfParagraphFormat&) override
    {
        if (m_paragraphs++ > 0)
            m_text += QStringLiteral("\r\n");
        m_text += m_paragraph;
        m_paragraph.clear();
    }

    QString Result() const { return m_text; }

private:
    QString m_text;
    QString m_paragraph;
    int m_paragraphs = 0;
};
} // namespace

QString RtfPlainText::FromRtf(QStringView text)
{
    if (!RtfReader::IsRtf(text))
        return text.toString();
    PlainTextSink sink;
    RtfReader(sink).Read(text);
    return sink.Result();
}

QString RtfPlainText::FromRtf(QByteArrayView bytes)
{
    if (!RtfReader::IsRtf(bytes))
        return RtfCodePage().Decode(bytes);
    PlainTextSink sink;
    RtfReader(sink).Read(bytes);
    return sink.Result();
}
