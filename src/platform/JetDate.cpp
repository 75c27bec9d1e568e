#include "platform/JetDate.h"

namespace JetDate
{
namespace
{

constexpr int MinYear = 100;
constexpr int MaxYear = 9999;

// A wall-clock date-time. A local time that the clock skips (the hour lost when summer time starts) cannot be a
// valid local QDateTime; it keeps its fields as a UTC value instead, so what was written is what gets stored.
std::optional<QDateTime> Make(int year, int month, int day, int hour, int minute, int second)
{
    if (year < MinYear || year > MaxYear)
        return std::nullopt;
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    QDateTime local(date, time, Qt::LocalTime);
    if (local.isValid())
        return local;
    QDateTime wallClock(date, time, Qt::UTC);
    if (wallClock.isValid())
        return wallClock;
    return std::nullopt;
}

class Reader
{
public:
    explicit Reader(QStringView text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }
    QChar peek() const { return atEnd() ? QChar() : m_text[m_pos]; }
    bool take(QChar c)
    {
        if (peek() != c)
            return false;
        ++m_pos;
        return true;
    }
    bool skipBlanks()
    {
        const qsizetype start = m_pos;
        while (!atEnd() && (peek() == QLatin1Char(' ') || peek() == QLatin1Char('\t')))
            ++m_pos;
        return m_pos > start;
    }
    // Reads 1 to maxDigits ASCII digits; digits gets how many were read (0 when none).
    int number(int maxDigits, int* digits)
    {
        int value = 0;
        int count = 0;
        while (count < maxDigits && !atEnd() && peek() >= QLatin1Char('0') && peek() <= QLatin1Char('9')) {
            value = value * 10 + (peek().unicode() - '0');
            ++count;
            ++m_pos;
        }
        *digits = count;
        return value;
    }
    bool takeWord(QLatin1String word)
    {
        const QStringView rest = m_text.mid(m_pos);
        if (!rest.startsWith(word, Qt::CaseInsensitive))
            return false;
        m_pos += word.size();
        return true;
    }
    qsizetype pos() const { return m_pos; }
    void setPos(qsizetype pos) { m_pos = pos; }

private:
    QStringView m_text;
    qsizetype m_pos = 0;
};

struct Clock {
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// "H:mm", "H:mm:ss", optionally followed by AM or PM; must run to the end of the text.
std::optional<Clock> ReadTime(Reader& in)
{
    Clock clock;
    int digits = 0;
    clock.hour = in.number(2, &digits);
    if (digits == 0 || !in.take(QLatin1Char(':')))
        return std::nullopt;
    clock.minute = in.number(2, &digits);
    if (digits == 0)
        return std::nullopt;
    if (in.take(QLatin1Char(':'))) {
        clock.second = in.number(2, &digits);
        if (digits == 0)
            return std::nullopt;
    }
    in.skipBlanks();
    bool pm = false;
    bool twelveHour = false;
    if (in.takeWord(QLatin1String("AM"))) {
        twelveHour = true;
    } else if (in.takeWord(QLatin1String("PM"))) {
        twelveHour = pm = true;
    }
    in.skipBlanks();
    if (!in.atEnd())
        return std::nullopt;
    if (twelveHour) {
        if (clock.hour < 1 || clock.hour > 12)
            return std::nullopt;
        clock.hour = clock.hour % 12 + (pm ? 12 : 0);
    }
    if (clock.hour > 23 || clock.minute > 59 || clock.second > 59)
        return std::nullopt;
    return clock;
}

std::optional<QDateTime> Parse(QStringView text, bool acceptIsoT)
{
    Reader in(text.trimmed());
    if (in.atEnd())
        return std::nullopt;

    int digits1 = 0;
    const int first = in.number(4, &digits1);
    if (digits1 == 0)
        return std::nullopt;

    if (in.peek() == QLatin1Char(':')) {
        // A time alone.
        in.setPos(0);
        const auto clock = ReadTime(in);
        if (!clock)
            return std::nullopt;
        return Make(1899, 12, 30, clock->hour, clock->minute, clock->second);
    }

    const QChar separator = in.peek();
    if (separator != QLatin1Char('/') && separator != QLatin1Char('-'))
        return std::nullopt;
    in.take(separator);
    int digits2 = 0;
    const int second = in.number(2, &digits2);
    if (digits2 == 0 || !in.take(separator))
        return std::nullopt;
    int digits3 = 0;
    const int third = in.number(4, &digits3);
    if (digits3 == 0)
        return std::nullopt;

    int year = 0;
    int month = 0;
    int day = 0;
    const bool yearFirst = digits1 >= 3;
    if (yearFirst) {
        if (digits3 > 2)
            return std::nullopt;
        year = first;
        month = second;
        day = third;
    } else {
        month = first;
        day = second;
        year = third;
        if (digits3 <= 2)
            year += year < 30 ? 2000 : 1900;
    }

    Clock clock;
    if (!in.atEnd()) {
        const bool isoT = acceptIsoT && yearFirst && (in.peek() == QLatin1Char('T') || in.peek() == QLatin1Char('t'));
        if (isoT)
            in.take(in.peek());
        const bool blank = in.skipBlanks();
        if (!in.atEnd()) {
            if (!blank && !isoT)
                return std::nullopt;
            const auto time = ReadTime(in);
            if (!time)
                return std::nullopt;
            clock = *time;
        } else if (isoT) {
            return std::nullopt;
        }
    }
    return Make(year, month, day, clock.hour, clock.minute, clock.second);
}

bool Digits(QStringView text, qsizetype from, qsizetype count, int* value)
{
    int result = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        result = result * 10 + (c - u'0');
    }
    *value = result;
    return true;
}

void PutDigits(char16_t* out, int value, int count)
{
    for (int i = count - 1; i >= 0; --i) {
        out[i] = char16_t(u'0' + value % 10);
        value /= 10;
    }
}

} // namespace

std::optional<QDateTime> ParseLiteral(QStringView text)
{
    return Parse(text, false);
}

std::optional<QDateTime> ParseUserText(QStringView text)
{
    return Parse(text, true);
}

QString ToStorage(const QDateTime& dateTime)
{
    if (!dateTime.isValid())
        return QString();
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    if (date.year() < 0 || date.year() > MaxYear)
        return QString();
    QString text(19, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    PutDigits(out, date.year(), 4);
    out[4] = u'-';
    PutDigits(out + 5, date.month(), 2);
    out[7] = u'-';
    PutDigits(out + 8, date.day(), 2);
    out[10] = u' ';
    PutDigits(out + 11, time.hour(), 2);
    out[13] = u':';
    PutDigits(out + 14, time.minute(), 2);
    out[16] = u':';
    PutDigits(out + 17, time.second(), 2);
    return text;
}

std::optional<QDateTime> FromStorage(QStringView text)
{
    if (text.size() != 19 || text[4] != QLatin1Char('-') || text[7] != QLatin1Char('-') ||
        text[10] != QLatin1Char(' ') || text[13] != QLatin1Char(':') || text[16] != QLatin1Char(':'))
        return std::nullopt;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!Digits(text, 0, 4, &year) || !Digits(text, 5, 2, &month) || !Digits(text, 8, 2, &day) ||
        !Digits(text, 11, 2, &hour) || !Digits(text, 14, 2, &minute) || !Digits(text, 17, 2, &second))
        return std::nullopt;
    return Make(year, month, day, hour, minute, second);
}

} // namespace JetDate
