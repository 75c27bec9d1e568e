#include "platform/RtfCodePage.h"

#include <QStringList>

namespace
{
// Code page 1252 differs from Latin-1 only in 0x80-0x9F. The five unassigned bytes map to the C1 controls of the
// same number, as Windows maps them, so that nothing is lost.
constexpr char16_t Cp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                     0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QStringList NamesFor(int number)
{
    // ICU's "cpNNN" is sometimes an IBM variant of the page, so the Windows names come first.
    switch (number) {
    case 932:
        return {"windows-31j", "Shift_JIS"};
    case 936:
        return {"windows-936", "GBK"};
    case 949:
        return {"windows-949", "EUC-KR"};
    case 950:
        return {"windows-950", "Big5"};
    case 1361:
        return {"johab", "x-Johab"};
    case 10000:
        return {"macintosh", "x-mac-roman"};
    case 65001:
        return {"UTF-8"};
    default:
        return {QStringLiteral("windows-%1").arg(number), QStringLiteral("cp%1").arg(number),
                QStringLiteral("IBM%1").arg(number)};
    }
}

bool IsDoubleBytePage(int number)
{
    return number == 932 || number == 936 || number == 949 || number == 950 || number == 1361;
}
} // namespace

RtfCodePage::RtfCodePage(int number)
{
    if (number == Western || number <= 0)
        return;
    for (const QString& name : NamesFor(number)) {
        auto decoder = std::make_shared<QStringDecoder>(name.toLatin1().constData(), QStringDecoder::Flag::Stateless);
        if (decoder->isValid()) {
            m_decoder = std::move(decoder);
            m_number = number;
            return;
        }
    }
}

QString RtfCodePage::Decode(QByteArrayView bytes) const
{
    if (m_decoder)
        return m_decoder->decode(bytes);
    QString text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        const auto byte = quint8(c);
        text.append(QChar(byte >= 0x80 && byte < 0xA0 ? Cp1252High[byte - 0x80] : char16_t(byte)));
    }
    return text;
}

bool RtfCodePage::IsLeadByte(quint8 byte) const
{
    if (!IsDoubleBytePage(m_number))
        return false;
    if (m_number == 932)
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    return byte >= 0x81 && byte <= 0xFE;
}

int RtfCodePage::FromCharset(int charset)
{
    switch (charset) {
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 130:
        return 1361;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 254:
        return 437;
    case 255:
        return 850;
    default:
        return 0;
    }
}
