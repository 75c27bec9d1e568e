#pragma once
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

#include <memory>

// A Windows code page in which rich text writes characters as bytes (\'hh and literal bytes above 0x7F).
// Code page 1252 is built in; the others come from Qt's converters where the platform has them, and a page
// nobody can decode falls back to 1252 so that text still shows, slightly wrong, instead of vanishing.
class RtfCodePage
{
public:
    static constexpr int Western = 1252;

    explicit RtfCodePage(int number = Western);

    // The page that is decoded: the one asked for, or 1252 when that one is not available.
    int Number() const { return m_number; }

    // Bytes of complete characters; bytes that are no character of the page become U+FFFD.
    QString Decode(QByteArrayView bytes) const;

    // True for the first byte of a two-byte character of the Far East code pages (932, 936, 949, 950, 1361).
    bool IsLeadByte(quint8 byte) const;

    // The code page a font's \fcharset stands for; 0 for the charsets that mean "the document's code page"
    // (ANSI, default, symbol) and for numbers nobody knows.
    static int FromCharset(int charset);

private:
    int m_number = Western;
    std::shared_ptr<QStringDecoder> m_decoder; // none for 1252
};
