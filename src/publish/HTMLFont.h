#pragma once
#include <QString>

#include <optional>

// Hyperlinks and font tags of a published page. Texts are given as plain text and come back as HTML: the
// characters that would end a tag or an attribute (& < > ") are written as entities, so a value can never
// become markup.
class HTMLFont
{
public:
    // <A HREF="text">text</A>: the text is both the address and the label.
    static QString CreateHyperlink(const QString& text);
    // The text with CR LF pairs as <BR>, in STRONG, EM and U as set, then in a FONT tag when a colour, a face
    // or a size was given.
    QString CreateFontTag(const QString& text) const;

    // Colours are red in the lowest byte, green in the next, blue in the third.
    std::optional<quint32> Color() const { return m_color; }
    // Setting a colour, a face (even an empty one) or a size asks for a FONT tag.
    void SetColor(quint32 color)
    {
        m_color = color;
        m_fontTag = true;
    }
    QString Face() const { return m_face; }
    void SetFace(const QString& face)
    {
        m_face = face;
        m_fontTag = true;
    }
    void SetSize(qint16 size)
    {
        m_size = size;
        m_fontTag = true;
    }
    void SetBold(bool on) { m_bold = on; }
    void SetItalic(bool on) { m_italic = on; }
    void SetUnderline(bool on) { m_underline = on; }

    // "#RRGGBB" in upper-case hexadecimal.
    static QString ColorText(quint32 color);
    // The text with & < > " as entities and every character outside ASCII as a character reference, so the
    // page reads the same whatever encoding a browser assumes.
    static QString Escape(const QString& text);

private:
    std::optional<quint32> m_color;
    QString m_face;
    std::optional<qint16> m_size;
    bool m_bold = false;
    bool m_italic = false;
    bool m_underline = false;
    bool m_fontTag = false;
};
