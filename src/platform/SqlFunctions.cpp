#include "platform/SqlFunctions.h"

#include <QChar>
#include <QString>

#include <sqlite3.h>

#include <cstring>
#include <vector>

namespace
{

constexpr char32_t MaxCodePoint = 0x10FFFF;
// Bytes that are not valid UTF-8 become values above every code point, one per byte value,
// so that they still compare consistently and never equal real characters.
constexpr char32_t InvalidByteBase = 0x110000;

inline char32_t Fold(char32_t c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    if (c > MaxCodePoint)
        return c;
    return QChar::toCaseFolded(c);
}

// Reads UTF-8 one code point at a time; never reads past the end, whatever the bytes are.
class Utf8Cursor
{
public:
    Utf8Cursor() = default;
    Utf8Cursor(const unsigned char* begin, const unsigned char* end) : m_p(begin), m_end(end) {}
    bool atEnd() const { return m_p >= m_end; }
    char32_t next()
    {
        const unsigned char lead = *m_p++;
        if (lead < 0x80)
            return lead;
        int extra = 0;
        char32_t c = 0;
        char32_t minimum = 0;
        if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            c = lead & 0x1F;
            minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            c = lead & 0x0F;
            minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            c = lead & 0x07;
            minimum = 0x10000;
        } else {
            return InvalidByteBase + lead;
        }
        if (m_end - m_p < extra)
            return InvalidByteBase + lead;
        for (int i = 0; i < extra; ++i) {
            if ((m_p[i] & 0xC0) != 0x80)
                return InvalidByteBase + lead;
            c = (c << 6) | (m_p[i] & 0x3F);
        }
        if (c < minimum || c > MaxCodePoint || (c >= 0xD800 && c <= 0xDFFF))
            return InvalidByteBase + lead;
        m_p += extra;
        return c;
    }

private:
    const unsigned char* m_p = nullptr;
    const unsigned char* m_end = nullptr;
};

class Utf16Cursor
{
public:
    Utf16Cursor() = default;
    explicit Utf16Cursor(QStringView text)
        : m_p(reinterpret_cast<const char16_t*>(text.utf16())), m_end(m_p + text.size())
    {
    }
    bool atEnd() const { return m_p >= m_end; }
    char32_t next()
    {
        const char16_t unit = *m_p++;
        if (QChar::isHighSurrogate(unit) && m_p < m_end && QChar::isLowSurrogate(*m_p))
            return QChar::surrogateToUcs4(unit, *m_p++);
        return unit;
    }

private:
    const char16_t* m_p = nullptr;
    const char16_t* m_end = nullptr;
};

// The letter an accented Latin letter is written on (é gives e), so that sorting puts Émile among the E's.
// Covers the Latin-1 and Latin Extended-A/B blocks; other characters are their own base.
inline char32_t BaseLetter(char32_t folded)
{
    constexpr char32_t First = 0xC0, Last = 0x24F;
    if (folded < First || folded > Last)
        return folded;
    static const std::vector<char32_t> table = [] {
        std::vector<char32_t> bases(Last - First + 1);
        for (char32_t c = First; c <= Last; ++c) {
            char32_t base = c;
            if (QChar::decompositionTag(c) == QChar::Canonical) {
                const QString parts = QChar::decomposition(c);
                if (!parts.isEmpty() && parts.at(0).unicode() < 0x80)
                    base = Fold(parts.at(0).unicode());
            }
            bases[c - First] = base;
        }
        return bases;
    }();
    return table[folded - First];
}

// Orders by the letters without accents first and, where those are the same, by the letters with their
// accents; letter case never counts. Equal exactly when the case-folded texts are equal.
template <class Cursor> int CompareFolded(Cursor a, Cursor b)
{
    int accentOrder = 0;
    for (;;) {
        if (a.atEnd())
            return b.atEnd() ? accentOrder : -1;
        if (b.atEnd())
            return 1;
        const char32_t x = Fold(a.next());
        const char32_t y = Fold(b.next());
        if (x == y)
            continue;
        const char32_t baseX = BaseLetter(x);
        const char32_t baseY = BaseLetter(y);
        if (baseX != baseY)
            return baseX < baseY ? -1 : 1;
        if (accentOrder == 0)
            accentOrder = x < y ? -1 : 1;
    }
}

int CollateNoCase(void*, int length1, const void* data1, int length2, const void* data2)
{
    const auto* a = static_cast<const unsigned char*>(data1);
    const auto* b = static_cast<const unsigned char*>(data2);
    const int common = length1 < length2 ? length1 : length2;
    int i = 0;
    for (; i < common; ++i) {
        const unsigned char x = a[i];
        const unsigned char y = b[i];
        if ((x | y) & 0x80)
            break;
        if (x != y) {
            const int fx = int(Fold(x));
            const int fy = int(Fold(y));
            if (fx != fy)
                return fx - fy;
        }
    }
    if (i == common && (i == length1 || i == length2))
        return length1 - length2;
    // Everything before i was equal ASCII, so both texts are at a character boundary here.
    return CompareFolded(Utf8Cursor(a + i, a + length1), Utf8Cursor(b + i, b + length2));
}

// ---- LIKE -------------------------------------------------------------------------------------------------------

// A compiled pattern. Every element but Star matches exactly one character, which lets the matcher
// remember only the last star and stay at O(value length x pattern length) whatever the pattern.
class LikePattern
{
public:
    enum class Kind : unsigned char { Literal, AnyOne, Digit, Set, Star };
    struct Element {
        Kind kind;
        bool negated;
        char32_t folded; // Literal
        unsigned setBegin, setEnd;
    };
    struct SetItem {
        char32_t low, high; // a single character is low == high, stored folded
        bool single;
    };

    template <class Cursor> static LikePattern Compile(Cursor in, char32_t escape, bool hasEscape)
    {
        std::vector<char32_t> text;
        while (!in.atEnd())
            text.push_back(in.next());
        LikePattern pattern;
        pattern.m_escape = escape;
        pattern.m_hasEscape = hasEscape;
        const size_t n = text.size();
        for (size_t i = 0; i < n; ++i) {
            const char32_t c = text[i];
            if (hasEscape && c == escape) {
                pattern.addLiteral(i + 1 < n ? text[++i] : c);
                continue;
            }
            switch (c) {
            case U'*':
                if (pattern.m_elements.empty() || pattern.m_elements.back().kind != Kind::Star)
                    pattern.m_elements.push_back({Kind::Star, false, 0, 0, 0});
                break;
            case U'?':
                pattern.m_elements.push_back({Kind::AnyOne, false, 0, 0, 0});
                break;
            case U'#':
                pattern.m_elements.push_back({Kind::Digit, false, 0, 0, 0});
                break;
            case U'[': {
                size_t close = i + 1;
                while (close < n && text[close] != U']')
                    ++close;
                if (close >= n) {
                    pattern.addLiteral(c); // no closing bracket: the bracket stands for itself
                    break;
                }
                pattern.addSet(text.data() + i + 1, text.data() + close);
                i = close;
                break;
            }
            default:
                pattern.addLiteral(c);
                break;
            }
        }
        return pattern;
    }

    bool sameEscape(char32_t escape, bool hasEscape) const
    {
        return hasEscape == m_hasEscape && (!hasEscape || escape == m_escape);
    }

    template <class Cursor> bool matches(Cursor s) const
    {
        const size_t n = m_elements.size();
        size_t pi = 0;
        size_t starNext = SIZE_MAX; // element after the last star seen
        Cursor starResume;          // where the text after that star resumes on a mismatch
        for (;;) {
            if (pi < n && m_elements[pi].kind == Kind::Star) {
                ++pi;
                if (pi == n)
                    return true;
                starNext = pi;
                starResume = s;
                continue;
            }
            if (pi < n && !s.atEnd()) {
                Cursor after = s;
                if (matchOne(m_elements[pi], after.next())) {
                    s = after;
                    ++pi;
                    continue;
                }
            } else if (pi == n && s.atEnd()) {
                return true;
            }
            if (starNext == SIZE_MAX || starResume.atEnd())
                return false;
            starResume.next();
            s = starResume;
            pi = starNext;
        }
    }

private:
    void addLiteral(char32_t c) { m_elements.push_back({Kind::Literal, false, Fold(c), 0, 0}); }

    void addSet(const char32_t* begin, const char32_t* end)
    {
        if (begin == end)
            return; // "[]" stands for the empty text
        bool negated = false;
        if (*begin == U'!' && end - begin > 1) {
            negated = true;
            ++begin;
        }
        const auto first = unsigned(m_items.size());
        for (const char32_t* p = begin; p < end;) {
            if (end - p >= 3 && p[1] == U'-') {
                m_items.push_back({p[0], p[2], false});
                p += 3;
            } else {
                m_items.push_back({Fold(p[0]), Fold(p[0]), true});
                ++p;
            }
        }
        m_elements.push_back({Kind::Set, negated, 0, first, unsigned(m_items.size())});
    }

    bool inSet(const Element& e, char32_t c) const
    {
        const char32_t folded = Fold(c);
        for (unsigned i = e.setBegin; i < e.setEnd; ++i) {
            const SetItem& item = m_items[i];
            if (item.single) {
                if (folded == item.low)
                    return true;
                continue;
            }
            // A range holds the character when it holds any case form of it.
            auto within = [&item](char32_t x) { return x >= item.low && x <= item.high; };
            if (within(c) || within(folded))
                return true;
            if (c <= MaxCodePoint && (within(QChar::toLower(c)) || within(QChar::toUpper(c))))
                return true;
        }
        return false;
    }

    bool matchOne(const Element& e, char32_t c) const
    {
        switch (e.kind) {
        case Kind::Literal:
            return Fold(c) == e.folded;
        case Kind::AnyOne:
            return true;
        case Kind::Digit:
            return c >= U'0' && c <= U'9';
        case Kind::Set:
            return inSet(e, c) != e.negated;
        case Kind::Star:
            break;
        }
        return false;
    }

    std::vector<Element> m_elements;
    std::vector<SetItem> m_items;
    char32_t m_escape = 0;
    bool m_hasEscape = false;
};

void DeletePattern(void* pattern)
{
    delete static_cast<LikePattern*>(pattern);
}

void LikeFunction(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    const unsigned char* patternText = sqlite3_value_text(argv[0]);
    const int patternBytes = sqlite3_value_bytes(argv[0]);
    const unsigned char* valueText = sqlite3_value_text(argv[1]);
    const int valueBytes = sqlite3_value_bytes(argv[1]);
    if (!patternText || !valueText)
        return; // NULL
    char32_t escape = 0;
    bool hasEscape = false;
    if (argc == 3) {
        const unsigned char* escapeText = sqlite3_value_text(argv[2]);
        if (!escapeText)
            return;
        const int escapeBytes = sqlite3_value_bytes(argv[2]);
        Utf8Cursor cursor(escapeText, escapeText + escapeBytes);
        if (!cursor.atEnd())
            escape = cursor.next();
        if (escapeBytes == 0 || !cursor.atEnd()) {
            sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
            return;
        }
        hasEscape = true;
    }
    sqlite3* db = sqlite3_context_db_handle(context);
    if (patternBytes > sqlite3_limit(db, SQLITE_LIMIT_LIKE_PATTERN_LENGTH, -1)) {
        sqlite3_result_error(context, "LIKE or GLOB pattern too complex", -1);
        return;
    }

    // A constant pattern is compiled once per statement, not once per row.
    auto* pattern = static_cast<LikePattern*>(sqlite3_get_auxdata(context, 0));
    if (!pattern || !pattern->sameEscape(escape, hasEscape)) {
        pattern = new LikePattern(
            LikePattern::Compile(Utf8Cursor(patternText, patternText + patternBytes), escape, hasEscape));
        sqlite3_set_auxdata(context, 0, pattern, DeletePattern);
        // set_auxdata may have freed it already (out of memory); fetch it back rather than trust the pointer
        pattern = static_cast<LikePattern*>(sqlite3_get_auxdata(context, 0));
        if (!pattern) {
            const LikePattern local =
                LikePattern::Compile(Utf8Cursor(patternText, patternText + patternBytes), escape, hasEscape);
            sqlite3_result_int(context, local.matches(Utf8Cursor(valueText, valueText + valueBytes)) ? 1 : 0);
            return;
        }
    }
    sqlite3_result_int(context, pattern->matches(Utf8Cursor(valueText, valueText + valueBytes)) ? 1 : 0);
}

// ---- upper / lower ----------------------------------------------------------------------------------------------

template <bool ToUpper> void CaseFunction(sqlite3_context* context, int, sqlite3_value** argv)
{
    const unsigned char* text = sqlite3_value_text(argv[0]);
    if (!text)
        return;
    const int bytes = sqlite3_value_bytes(argv[0]);
    bool ascii = true;
    for (int i = 0; i < bytes && ascii; ++i)
        ascii = text[i] < 0x80;
    if (ascii) {
        auto* out = static_cast<char*>(sqlite3_malloc64(sqlite3_uint64(bytes) + 1));
        if (!out) {
            sqlite3_result_error_nomem(context);
            return;
        }
        for (int i = 0; i < bytes; ++i) {
            const char c = char(text[i]);
            if (ToUpper)
                out[i] = (c >= 'a' && c <= 'z') ? char(c - 32) : c;
            else
                out[i] = (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
        }
        out[bytes] = 0;
        sqlite3_result_text(context, out, bytes, sqlite3_free);
        return;
    }
    const QString value = QString::fromUtf8(reinterpret_cast<const char*>(text), bytes);
    const QByteArray mapped = (ToUpper ? value.toUpper() : value.toLower()).toUtf8();
    sqlite3_result_text(context, mapped.constData(), int(mapped.size()), SQLITE_TRANSIENT);
}

} // namespace

void RegisterCatalogFunctions(sqlite3* db)
{
    constexpr int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    sqlite3_create_collation(db, "NOCASE", SQLITE_UTF8, nullptr, CollateNoCase);
    sqlite3_create_function(db, "like", 2, flags, nullptr, LikeFunction, nullptr, nullptr);
    sqlite3_create_function(db, "like", 3, flags, nullptr, LikeFunction, nullptr, nullptr);
    sqlite3_create_function(db, "upper", 1, flags, nullptr, CaseFunction<true>, nullptr, nullptr);
    sqlite3_create_function(db, "lower", 1, flags, nullptr, CaseFunction<false>, nullptr, nullptr);
}

bool JetLike(QStringView value, QStringView pattern)
{
    return LikePattern::Compile(Utf16Cursor(pattern), 0, false).matches(Utf16Cursor(value));
}

int CompareNoCase(QStringView a, QStringView b)
{
    return CompareFolded(Utf16Cursor(a), Utf16Cursor(b));
}
