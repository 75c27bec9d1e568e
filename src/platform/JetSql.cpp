#include "platform/JetSql.h"

#include "platform/JetDate.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>

#include <optional>
#include <vector>

namespace JetSql
{
namespace
{

// ---- tokens of the dialect -------------------------------------------------------------------------------------

enum class Kind {
    Blank,
    Word,    // bare name or keyword
    Bracket, // [name]; value holds the name
    Raw,     // passed through as written: `name`, or a number run into letters such as 0x1F
    String,  // 'text' or "text"; value holds the text
    Date,    // #...#; value holds the text between the signs
    Number,
    Punct,
};

struct Token {
    Kind kind;
    qsizetype begin;
    qsizetype end;
    QString value;
};

DbError SyntaxError(const QString& message)
{
    return DbError{DbErrorNumber::SyntaxError, message};
}

// The statement text from the given position, short enough for a message.
QString Excerpt(const QString& sql, qsizetype from)
{
    constexpr qsizetype Longest = 80;
    QString text = sql.mid(from).trimmed();
    if (text.size() > Longest)
        text = text.left(Longest) + QStringLiteral("...");
    return text;
}

bool IsBlank(QChar c)
{
    return c.isSpace();
}
bool IsDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}
bool IsWordStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_') || (c.unicode() >= 0x80 && !c.isSpace());
}
bool IsWordChar(QChar c)
{
    return IsWordStart(c) || IsDigit(c) || c == QLatin1Char('$');
}

DbError Tokenize(const QString& sql, std::vector<Token>& tokens)
{
    const qsizetype n = sql.size();
    qsizetype i = 0;
    auto at = [&sql, n](qsizetype k) { return k < n ? sql[k] : QChar(); };
    while (i < n) {
        const QChar c = sql[i];
        const qsizetype start = i;
        if (IsBlank(c)) {
            while (i < n && IsBlank(sql[i]))
                ++i;
            tokens.push_back({Kind::Blank, start, i, {}});
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            QString value;
            ++i;
            for (;;) {
                if (i >= n)
                    return SyntaxError(QStringLiteral("Syntax error (missing closing quote) in query expression '%1'.")
                                           .arg(Excerpt(sql, start)));
                if (sql[i] == c) {
                    if (at(i + 1) == c) {
                        value += c;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += sql[i++];
            }
            tokens.push_back({Kind::String, start, i, value});
        } else if (c == QLatin1Char('[')) {
            const qsizetype close = sql.indexOf(QLatin1Char(']'), i + 1);
            if (close < 0)
                return SyntaxError(QStringLiteral("Syntax error (missing closing bracket) in query expression '%1'.")
                                       .arg(Excerpt(sql, start)));
            i = close + 1;
            tokens.push_back({Kind::Bracket, start, i, sql.mid(start + 1, close - start - 1)});
        } else if (c == QLatin1Char('`')) {
            ++i;
            for (;;) {
                if (i >= n)
                    return SyntaxError(QStringLiteral("Syntax error (missing closing quote) in query expression '%1'.")
                                           .arg(Excerpt(sql, start)));
                if (sql[i] == c) {
                    if (at(i + 1) == c) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            tokens.push_back({Kind::Raw, start, i, {}});
        } else if (c == QLatin1Char('#')) {
            const qsizetype close = sql.indexOf(QLatin1Char('#'), i + 1);
            if (close < 0)
                return SyntaxError(
                    QStringLiteral("Syntax error in date in query expression '%1'.").arg(Excerpt(sql, start)));
            i = close + 1;
            tokens.push_back({Kind::Date, start, i, sql.mid(start + 1, close - start - 1)});
        } else if (IsDigit(c) || (c == QLatin1Char('.') && IsDigit(at(i + 1)))) {
            while (IsDigit(at(i)))
                ++i;
            if (at(i) == QLatin1Char('.')) {
                ++i;
                while (IsDigit(at(i)))
                    ++i;
            }
            if ((at(i) == QLatin1Char('e') || at(i) == QLatin1Char('E')) &&
                (IsDigit(at(i + 1)) ||
                 ((at(i + 1) == QLatin1Char('+') || at(i + 1) == QLatin1Char('-')) && IsDigit(at(i + 2))))) {
                i += 2;
                while (IsDigit(at(i)))
                    ++i;
            }
            Kind kind = Kind::Number;
            if (IsWordChar(at(i))) {
                // Not a plain number (hex, or a typo): left for SQLite to judge, never a parameter.
                while (IsWordChar(at(i)))
                    ++i;
                kind = Kind::Raw;
            }
            tokens.push_back({kind, start, i, {}});
        } else if (IsWordStart(c)) {
            while (i < n && IsWordChar(sql[i]))
                ++i;
            tokens.push_back({Kind::Word, start, i, {}});
        } else {
            static const char* const pairs[] = {"<>", "<=", ">=", "!=", "==", "||"};
            qsizetype length = 1;
            for (const char* pair : pairs)
                if (c == QLatin1Char(pair[0]) && at(i + 1) == QLatin1Char(pair[1]))
                    length = 2;
            i += length;
            tokens.push_back({Kind::Punct, start, i, {}});
        }
    }
    return DbError::None();
}

// ---- translation -----------------------------------------------------------------------------------------------

enum class Clause { None, SelectList, From, Where, GroupBy, Having, OrderBy, Limit, Set, Values, Other };

// Where a literal may become a placeholder.
bool TakesParameters(Clause clause)
{
    return clause == Clause::Where || clause == Clause::Having || clause == Clause::Set || clause == Clause::Values;
}

// Clauses whose nested parentheses keep their literals too: a value in the select list names its column, a number in
// ORDER BY or GROUP BY is a column position, and placeholders in the select list would break AnalyzeSelect's promise.
bool Freezes(Clause clause)
{
    return clause == Clause::SelectList || clause == Clause::OrderBy || clause == Clause::GroupBy ||
           clause == Clause::Limit;
}

struct Level {
    Clause clause = Clause::None;
    bool frozen = false;
    QString limit; // " LIMIT n" from a TOP n, written at the end of this level
};

QString SqlString(const QString& text)
{
    QString quoted;
    quoted.reserve(text.size() + 2);
    quoted += QLatin1Char('\'');
    for (const QChar c : text) {
        if (c == QLatin1Char('\''))
            quoted += QLatin1Char('\'');
        quoted += c;
    }
    quoted += QLatin1Char('\'');
    return quoted;
}

// Text that would turn into a comment or a numbered placeholder when glued to what precedes it.
void Append(QString& out, const QString& text)
{
    if (!out.isEmpty() && !text.isEmpty()) {
        const QChar last = out.back();
        const QChar first = text.front();
        if ((last == QLatin1Char('-') && first == QLatin1Char('-')) ||
            (last == QLatin1Char('/') && first == QLatin1Char('*')) || (last == QLatin1Char('?') && IsDigit(first)))
            out += QLatin1Char(' ');
    }
    out += text;
}

class Translator
{
public:
    Translator(const QString& sql, std::vector<Token> tokens, bool parameterize)
        : m_sql(sql), m_tokens(std::move(tokens)), m_parameterize(parameterize)
    {
    }

    Result<Translated> run()
    {
        matchParentheses();
        decideParameterisation();
        Level top;
        QString sql = emit(0, int(m_tokens.size()), top);
        if (m_error)
            return m_error;
        while (!sql.isEmpty() && sql.back().isSpace())
            sql.chop(1);
        sql += top.limit;
        return Translated{sql, m_params};
    }

private:
    QStringView raw(int i) const
    {
        return QStringView(m_sql).mid(m_tokens[i].begin, m_tokens[i].end - m_tokens[i].begin);
    }
    bool isWord(int i, const char* word) const
    {
        return i >= 0 && i < int(m_tokens.size()) && m_tokens[i].kind == Kind::Word &&
               raw(i).compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }
    bool isPunct(int i, const char* text) const
    {
        return i >= 0 && i < int(m_tokens.size()) && m_tokens[i].kind == Kind::Punct && raw(i) == QLatin1String(text);
    }
    bool isName(int i) const
    {
        return i >= 0 && i < int(m_tokens.size()) &&
               (m_tokens[i].kind == Kind::Word || m_tokens[i].kind == Kind::Bracket || m_tokens[i].kind == Kind::Raw);
    }
    int nextSignificant(int i, int end) const
    {
        while (i < end && m_tokens[i].kind == Kind::Blank)
            ++i;
        return i < end ? i : -1;
    }
    int previousSignificant(int i) const
    {
        --i;
        while (i >= 0 && m_tokens[i].kind == Kind::Blank)
            --i;
        return i;
    }
    int afterBlanks(int i, int end) const
    {
        while (i < end && m_tokens[i].kind == Kind::Blank)
            ++i;
        return i;
    }

    void matchParentheses()
    {
        m_match.assign(m_tokens.size(), -1);
        std::vector<int> open;
        for (int i = 0; i < int(m_tokens.size()); ++i) {
            if (isPunct(i, "(")) {
                open.push_back(i);
            } else if (isPunct(i, ")") && !open.empty()) {
                m_match[open.back()] = i;
                m_match[i] = open.back();
                open.pop_back();
            }
        }
    }

    void decideParameterisation()
    {
        if (!m_parameterize)
            return;
        const int first = nextSignificant(0, int(m_tokens.size()));
        if (!(isWord(first, "SELECT") || isWord(first, "INSERT") || isWord(first, "UPDATE") ||
              isWord(first, "DELETE"))) {
            m_parameterize = false; // DDL and views cannot take parameters
            return;
        }
        for (int i = 0; i < int(m_tokens.size()); ++i) {
            if (isPunct(i, "?") || ((isPunct(i, ":") || isPunct(i, "@") || isPunct(i, "$")) &&
                                    i + 1 < int(m_tokens.size()) && m_tokens[i + 1].kind == Kind::Word)) {
                m_parameterize = false; // the caller binds this statement's values
                return;
            }
        }
    }

    void literal(QString& out, const Level& level, QVariant value, const QString& text)
    {
        if (m_parameterize && !level.frozen && TakesParameters(level.clause)) {
            Append(out, QStringLiteral("?"));
            m_params.append(std::move(value));
        } else {
            Append(out, text);
        }
    }

    static QVariant NumberValue(QStringView text)
    {
        bool whole = true;
        for (const QChar c : text)
            if (!IsDigit(c))
                whole = false;
        if (whole) {
            bool ok = false;
            const qint64 value = text.toLongLong(&ok);
            if (ok)
                return QVariant(value);
        }
        return QVariant(text.toDouble());
    }

    Level childOf(const Level& level) const { return Level{level.clause, level.frozen || Freezes(level.clause), {}}; }

    // Comma-separated arguments of the call whose "(" is at open: pairs of [begin, end).
    std::vector<std::pair<int, int>> arguments(int open) const
    {
        std::vector<std::pair<int, int>> args;
        const int close = m_match[open];
        int begin = open + 1;
        for (int i = begin; i < close; ++i) {
            if (isPunct(i, "(") && m_match[i] > i)
                i = m_match[i];
            else if (isPunct(i, ",")) {
                args.emplace_back(begin, i);
                begin = i + 1;
            }
        }
        if (nextSignificant(open + 1, close) >= 0 || !args.empty())
            args.emplace_back(begin, close);
        return args;
    }

    QString emitArgument(const std::pair<int, int>& range, const Level& level)
    {
        Level child = childOf(level);
        return emit(range.first, range.second, child).trimmed();
    }

    // The call of a dialect function at i (its "(" at open) in SQLite terms, or nullopt to leave it as written.
    std::optional<QString> function(int i, int open, const Level& level, int* last)
    {
        const QStringView name = raw(i);
        auto is = [&name](const char* candidate) {
            return name.compare(QLatin1String(candidate), Qt::CaseInsensitive) == 0;
        };
        *last = m_match[open];
        const auto args = arguments(open);

        if (args.empty()) {
            if (is("Now"))
                return QStringLiteral("strftime('%Y-%m-%d %H:%M:%S','now','localtime')");
            if (is("Date"))
                return QStringLiteral("strftime('%Y-%m-%d 00:00:00','now','localtime')");
            if (is("Time"))
                return QStringLiteral("strftime('1899-12-30 %H:%M:%S','now','localtime')");
            return std::nullopt;
        }

        static const char* const renamed[][2] = {{"UCase", "upper"}, {"LCase", "lower"}, {"Len", "length"},
                                                 {"Trim", "trim"},   {"LTrim", "ltrim"}, {"RTrim", "rtrim"},
                                                 {"Mid", "substr"}};
        for (const auto& pair : renamed) {
            if (is(pair[0])) {
                *last = i; // only the name changes; the arguments are translated as usual
                return QString::fromLatin1(pair[1]);
            }
        }

        if (args.size() == 2 && (is("Left") || is("Right") || is("Nz"))) {
            const QString text = emitArgument(args[0], level);
            const QString count = emitArgument(args[1], level);
            if (is("Left"))
                return QStringLiteral("substr(%1,1,%2)").arg(text, count);
            if (is("Nz"))
                return QStringLiteral("ifnull(%1,%2)").arg(text, count);
            // The count is written twice; its placeholders, if any, are taken twice in the same order.
            const QString again = emitArgument(args[1], level);
            return QStringLiteral("substr(%1,-(%2),%3)").arg(text, count, again);
        }
        if (args.size() == 1) {
            const char* format = is("Year") ? "%Y" : is("Month") ? "%m" : is("Day") ? "%d" : nullptr;
            if (format)
                return QStringLiteral("CAST(strftime('%1',%2) AS INTEGER)")
                    .arg(QLatin1String(format), emitArgument(args[0], level));
        }
        return std::nullopt;
    }

    // SELECT's predicates: DISTINCTROW goes, DISTINCT and ALL stay, TOP n becomes a LIMIT at the end of the level.
    int selectPredicates(int i, int end, Level& level, QString& out)
    {
        int last = i;
        for (;;) {
            const int k = nextSignificant(last + 1, end);
            if (k < 0)
                return last;
            if (isWord(k, "DISTINCTROW")) {
                for (int b = last + 1; b < k; ++b)
                    Append(out, raw(b).toString());
                last = afterBlanks(k + 1, end) - 1;
            } else if (isWord(k, "DISTINCT") || isWord(k, "ALL")) {
                for (int b = last + 1; b <= k; ++b)
                    Append(out, raw(b).toString());
                last = k;
            } else if (isWord(k, "TOP")) {
                const int count = nextSignificant(k + 1, end);
                if (count < 0 || m_tokens[count].kind != Kind::Number ||
                    NumberValue(raw(count)).typeId() != QMetaType::LongLong) {
                    m_error =
                        SyntaxError(QStringLiteral("Syntax error: TOP needs a whole number in query expression '%1'.")
                                        .arg(Excerpt(m_sql, m_tokens[k].begin)));
                    return end;
                }
                if (isWord(nextSignificant(count + 1, end), "PERCENT")) {
                    m_error = SyntaxError(QStringLiteral("TOP n PERCENT is not supported in query expression '%1'.")
                                              .arg(Excerpt(m_sql, m_tokens[k].begin)));
                    return end;
                }
                for (int b = last + 1; b < k; ++b)
                    Append(out, raw(b).toString());
                level.limit = QStringLiteral(" LIMIT ") + raw(count).toString();
                last = afterBlanks(count + 1, end) - 1;
            } else {
                return last;
            }
        }
    }

    // DELETE * FROM and DELETE [t].* FROM lose the "*".
    int deleteTarget(int i, int end, QString& out)
    {
        const int k = nextSignificant(i + 1, end);
        int star = -1;
        if (isPunct(k, "*"))
            star = k;
        else if (isName(k) && isPunct(nextSignificant(k + 1, end), ".") &&
                 isPunct(nextSignificant(nextSignificant(k + 1, end) + 1, end), "*"))
            star = nextSignificant(nextSignificant(k + 1, end) + 1, end);
        if (star < 0)
            return i;
        for (int b = i + 1; b < k; ++b)
            Append(out, raw(b).toString());
        return afterBlanks(star + 1, end) - 1;
    }

    QString emit(int begin, int end, Level& level)
    {
        QString out;
        for (int i = begin; i < end && !m_error; ++i) {
            const Token& t = m_tokens[i];
            switch (t.kind) {
            case Kind::Blank:
            case Kind::Raw:
                Append(out, raw(i).toString());
                break;
            case Kind::Bracket:
                Append(out, QuoteIdentifier(t.value));
                break;
            case Kind::String:
                literal(out, level, QVariant(t.value), SqlString(t.value));
                break;
            case Kind::Number:
                literal(out, level, NumberValue(raw(i)), raw(i).toString());
                break;
            case Kind::Date: {
                const auto date = JetDate::ParseLiteral(t.value);
                if (!date) {
                    m_error = SyntaxError(
                        QStringLiteral("Syntax error in date in query expression '%1'.").arg(raw(i).toString()));
                    break;
                }
                const QString stored = JetDate::ToStorage(*date);
                literal(out, level, QVariant(stored), SqlString(stored));
                break;
            }
            case Kind::Punct:
                if (isPunct(i, "(") && m_match[i] > i) {
                    Level child = childOf(level);
                    const QString inner = emit(i + 1, m_match[i], child);
                    Append(out, QStringLiteral("("));
                    out += inner;
                    out += child.limit;
                    out += QLatin1Char(')');
                    i = m_match[i];
                } else if (isPunct(i, "&")) {
                    Append(out, QStringLiteral("||"));
                } else if (isPunct(i, "!") && isName(previousSignificant(i)) && isName(i + 1)) {
                    Append(out, QStringLiteral(".")); // [Table]![Field]
                } else {
                    Append(out, raw(i).toString());
                }
                break;
            case Kind::Word:
                i = word(i, end, level, out);
                break;
            }
        }
        return out;
    }

    // Handles the word at i; returns the last token it consumed.
    int word(int i, int end, Level& level, QString& out)
    {
        if (isPunct(previousSignificant(i), ".")) {
            Append(out, raw(i).toString()); // a name after "table."
            return i;
        }
        const int next = nextSignificant(i + 1, end);
        const bool call = isPunct(next, "(") && m_match[next] > next;
        if (call) {
            int last = i;
            if (const auto replaced = function(i, next, level, &last)) {
                Append(out, *replaced);
                return last;
            }
        }
        struct Keyword {
            const char* word;
            Clause clause;
        };
        static const Keyword keywords[] = {
            {"SELECT", Clause::SelectList}, {"FROM", Clause::From},     {"JOIN", Clause::From},
            {"ON", Clause::From},           {"WHERE", Clause::Where},   {"GROUP", Clause::GroupBy},
            {"HAVING", Clause::Having},     {"ORDER", Clause::OrderBy}, {"LIMIT", Clause::Limit},
            {"OFFSET", Clause::Limit},      {"UNION", Clause::None},    {"INTERSECT", Clause::None},
            {"EXCEPT", Clause::None},       {"SET", Clause::Set},       {"VALUES", Clause::Values},
            {"INTO", Clause::Other},        {"UPDATE", Clause::Other},  {"INSERT", Clause::Other},
            {"DELETE", Clause::Other},
        };
        for (const Keyword& keyword : keywords) {
            if (!isWord(i, keyword.word))
                continue;
            level.clause = keyword.clause;
            Append(out, raw(i).toString());
            if (keyword.clause == Clause::SelectList)
                return selectPredicates(i, end, level, out);
            if (isWord(i, "DELETE"))
                return deleteTarget(i, end, out);
            return i;
        }
        if (!call) {
            if (isWord(i, "True")) {
                literal(out, level, QVariant(qint64(-1)), QStringLiteral("-1"));
                return i;
            }
            if (isWord(i, "False")) {
                literal(out, level, QVariant(qint64(0)), QStringLiteral("0"));
                return i;
            }
            if (isWord(i, "Mod")) {
                Append(out, QStringLiteral("%"));
                return i;
            }
        }
        Append(out, raw(i).toString());
        return i;
    }

    const QString& m_sql;
    std::vector<Token> m_tokens;
    std::vector<int> m_match;
    bool m_parameterize;
    QVariantList m_params;
    DbError m_error;
};

Result<Translated> TranslateText(const QString& jetSql, bool parameterize)
{
    std::vector<Token> tokens;
    if (const DbError error = Tokenize(jetSql, tokens))
        return error;

    // One statement only; a closing ";" is allowed.
    for (size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.kind != Kind::Punct || jetSql[t.begin] != QLatin1Char(';'))
            continue;
        for (size_t k = i + 1; k < tokens.size(); ++k)
            if (tokens[k].kind != Kind::Blank)
                return SyntaxError(QStringLiteral("Characters found after end of SQL statement: '%1'.")
                                       .arg(Excerpt(jetSql, tokens[k].begin)));
        tokens.resize(i);
        break;
    }
    bool empty = true;
    for (const Token& t : tokens)
        if (t.kind != Kind::Blank)
            empty = false;
    if (empty)
        return SyntaxError(QStringLiteral("The SQL statement is empty."));

    return Translator(jetSql, std::move(tokens), parameterize).run();
}

// Recently translated statements: the program runs the same texts over and over. Two generations make a cheap
// approximation of least-recently-used: a full generation becomes the old one, and a hit there is promoted.
class TranslationCache
{
public:
    std::optional<Translated> find(const QString& sql)
    {
        QMutexLocker lock(&m_mutex);
        auto it = m_current.constFind(sql);
        if (it != m_current.constEnd())
            return *it;
        it = m_previous.constFind(sql);
        if (it == m_previous.constEnd())
            return std::nullopt;
        const Translated found = *it;
        insertLocked(sql, found);
        return found;
    }
    void insert(const QString& sql, const Translated& translated)
    {
        QMutexLocker lock(&m_mutex);
        insertLocked(sql, translated);
    }

private:
    static constexpr qsizetype Generation = 256;
    void insertLocked(const QString& sql, const Translated& translated)
    {
        if (m_current.size() >= Generation) {
            m_previous = std::move(m_current);
            m_current = QHash<QString, Translated>();
            m_current.reserve(Generation);
        }
        m_current.insert(sql, translated);
    }

    QMutex m_mutex;
    QHash<QString, Translated> m_current;
    QHash<QString, Translated> m_previous;
};

// ---- the shape of a SQLite statement ---------------------------------------------------------------------------

enum class SqlKind { Blank, Word, Name, String, Open, Close, Comma, Dot, Other };

struct SqlToken {
    SqlKind kind;
    qsizetype begin;
    qsizetype end;
};

std::vector<SqlToken> TokenizeSqlite(const QString& sql)
{
    std::vector<SqlToken> tokens;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    auto closing = [&sql, n](qsizetype from, QChar quote) {
        qsizetype k = from + 1;
        while (k < n) {
            if (sql[k] == quote) {
                if (quote != QLatin1Char(']') && k + 1 < n && sql[k + 1] == quote) {
                    k += 2;
                    continue;
                }
                return k + 1;
            }
            ++k;
        }
        return n;
    };
    while (i < n) {
        const QChar c = sql[i];
        const qsizetype start = i;
        SqlKind kind = SqlKind::Other;
        if (IsBlank(c)) {
            while (i < n && IsBlank(sql[i]))
                ++i;
            kind = SqlKind::Blank;
        } else if (c == QLatin1Char('-') && i + 1 < n && sql[i + 1] == QLatin1Char('-')) {
            while (i < n && sql[i] != QLatin1Char('\n'))
                ++i;
            kind = SqlKind::Blank;
        } else if (c == QLatin1Char('/') && i + 1 < n && sql[i + 1] == QLatin1Char('*')) {
            const qsizetype close = sql.indexOf(QLatin1String("*/"), i + 2);
            i = close < 0 ? n : close + 2;
            kind = SqlKind::Blank;
        } else if (c == QLatin1Char('\'')) {
            i = closing(i, c);
            kind = SqlKind::String;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('`')) {
            i = closing(i, c);
            kind = SqlKind::Name;
        } else if (c == QLatin1Char('[')) {
            i = closing(i, QLatin1Char(']'));
            kind = SqlKind::Name;
        } else if (IsWordStart(c)) {
            while (i < n && IsWordChar(sql[i]))
                ++i;
            kind = SqlKind::Word;
        } else {
            ++i;
            kind = c == QLatin1Char('(')   ? SqlKind::Open
                   : c == QLatin1Char(')') ? SqlKind::Close
                   : c == QLatin1Char(',') ? SqlKind::Comma
                   : c == QLatin1Char('.') ? SqlKind::Dot
                                           : SqlKind::Other;
        }
        tokens.push_back({kind, start, i});
    }
    return tokens;
}

QString Unquote(QStringView text)
{
    if (text.size() >= 2) {
        const QChar first = text.front();
        if (first == QLatin1Char('"') || first == QLatin1Char('`')) {
            QString name = text.mid(1, text.size() - 2).toString();
            name.replace(QString(2, first), QString(first));
            return name;
        }
        if (first == QLatin1Char('['))
            return text.mid(1, text.size() - 2).toString();
    }
    return text.toString();
}

} // namespace

Result<Translated> Translate(const QString& jetSql)
{
    return Translate(jetSql, true);
}

Result<Translated> Translate(const QString& jetSql, bool parameterize)
{
    static TranslationCache withParameters;
    static TranslationCache withoutParameters;
    TranslationCache& cache = parameterize ? withParameters : withoutParameters;
    if (auto hit = cache.find(jetSql))
        return *std::move(hit);
    Result<Translated> result = TranslateText(jetSql, parameterize);
    if (result)
        cache.insert(jetSql, result.value());
    return result;
}

QString QuoteIdentifier(QStringView name)
{
    QString quoted;
    quoted.reserve(name.size() + 2);
    quoted += QLatin1Char('"');
    for (const QChar c : name) {
        if (c == QLatin1Char('"'))
            quoted += QLatin1Char('"');
        quoted += c;
    }
    quoted += QLatin1Char('"');
    return quoted;
}

SelectShape AnalyzeSelect(const QString& sqliteSql)
{
    SelectShape shape;
    const std::vector<SqlToken> tokens = TokenizeSqlite(sqliteSql);
    const int count = int(tokens.size());
    auto text = [&](int i) { return QStringView(sqliteSql).mid(tokens[i].begin, tokens[i].end - tokens[i].begin); };
    auto isWord = [&](int i, const char* word) {
        return i >= 0 && i < count && tokens[i].kind == SqlKind::Word &&
               text(i).compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    };
    auto next = [&](int i) {
        while (i < count && tokens[i].kind == SqlKind::Blank)
            ++i;
        return i < count ? i : -1;
    };

    int i = next(0);
    if (!isWord(i, "SELECT"))
        return shape;
    shape.isSelect = true;
    int k = next(i + 1);
    if (isWord(k, "DISTINCT")) {
        shape.aggregateOrDistinct = true;
        i = k;
    } else if (isWord(k, "ALL")) {
        i = k;
    }
    const qsizetype listBegin = i + 1 < count ? tokens[i + 1].begin : sqliteSql.size();

    // Walk the top level: the select list until FROM, then the FROM clause until the next clause.
    enum class Part { List, FromClause, Rest } part = Part::List;
    int depth = 0;
    int fromToken = -1;
    bool expectTable = false;
    for (int t = i + 1; t < count; ++t) {
        const SqlKind kind = tokens[t].kind;
        if (kind == SqlKind::Blank)
            continue;
        if (kind == SqlKind::Open) {
            if (expectTable) {
                expectTable = false; // a sub-select as the source: no base table
                shape.singleTable = false;
            }
            ++depth;
            continue;
        }
        if (kind == SqlKind::Close) {
            depth = depth > 0 ? depth - 1 : 0;
            continue;
        }
        if (part == Part::List && depth == 0 && kind == SqlKind::Word) {
            static const char* const aggregates[] = {"count", "sum", "min", "max", "avg", "total", "group_concat"};
            const int after = next(t + 1);
            if (after >= 0 && tokens[after].kind == SqlKind::Open)
                for (const char* aggregate : aggregates)
                    if (isWord(t, aggregate))
                        shape.aggregateOrDistinct = true;
        }
        if (depth > 0)
            continue;
        if (isWord(t, "UNION") || isWord(t, "INTERSECT") || isWord(t, "EXCEPT")) {
            shape.aggregateOrDistinct = true;
            part = Part::Rest;
            continue;
        }
        if (isWord(t, "GROUP"))
            shape.aggregateOrDistinct = true;
        if (part == Part::List) {
            if (isWord(t, "FROM")) {
                fromToken = t;
                part = Part::FromClause;
                expectTable = true;
                shape.singleTable = true;
            }
            continue;
        }
        if (part == Part::FromClause) {
            if (expectTable && (kind == SqlKind::Word || kind == SqlKind::Name)) {
                expectTable = false;
                shape.baseTable = Unquote(text(t));
                const int dot = next(t + 1);
                if (dot >= 0 && tokens[dot].kind == SqlKind::Dot) {
                    const int second = next(dot + 1);
                    if (second >= 0 && (tokens[second].kind == SqlKind::Word || tokens[second].kind == SqlKind::Name)) {
                        shape.baseTable = Unquote(text(second)); // schema.table
                        t = second;
                    }
                }
                continue;
            }
            static const char* const ends[] = {"WHERE", "GROUP", "HAVING", "ORDER", "LIMIT", "WINDOW"};
            bool ended = false;
            for (const char* word : ends)
                ended = ended || isWord(t, word);
            if (ended) {
                part = Part::Rest;
                continue;
            }
            if (kind == SqlKind::Comma || isWord(t, "JOIN"))
                shape.singleTable = false;
        }
    }
    if (fromToken < 0) {
        shape.selectList = sqliteSql.mid(listBegin).trimmed();
        return shape;
    }
    shape.selectList = sqliteSql.mid(listBegin, tokens[fromToken].begin - listBegin).trimmed();
    shape.fromAndRest = sqliteSql.mid(tokens[fromToken].end).trimmed();
    if (shape.baseTable.isEmpty())
        shape.singleTable = false;
    return shape;
}

} // namespace JetSql
