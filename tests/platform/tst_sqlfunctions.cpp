#include "platform/SqlFunctions.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QtTest>

#include <sqlite3.h>

#include <memory>

namespace
{

struct Closer {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Db = std::unique_ptr<sqlite3, Closer>;

Db OpenMemory(bool catalogFunctions)
{
    sqlite3* raw = nullptr;
    if (sqlite3_open(":memory:", &raw) != SQLITE_OK) {
        sqlite3_close_v2(raw);
        return nullptr;
    }
    Db db(raw);
    if (catalogFunctions)
        RegisterCatalogFunctions(db.get());
    return db;
}

struct Finalizer {
    void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalizer>;

// The first column of the only row of sql with two text parameters; an invalid QVariant for NULL,
// the error message as a QString prefixed "error:" when the statement fails.
QVariant Scalar(sqlite3* db, const char* sql, const QString& a = QString(), const QString& b = QString())
{
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &raw, nullptr) != SQLITE_OK)
        return QStringLiteral("error:") + QString::fromUtf8(sqlite3_errmsg(db));
    Statement stmt(raw);
    const QByteArray first = a.toUtf8();
    const QByteArray second = b.toUtf8();
    if (sqlite3_bind_parameter_count(raw) >= 1)
        sqlite3_bind_text(raw, 1, first.constData(), int(first.size()), SQLITE_TRANSIENT);
    if (sqlite3_bind_parameter_count(raw) >= 2)
        sqlite3_bind_text(raw, 2, second.constData(), int(second.size()), SQLITE_TRANSIENT);
    const int rc = sqlite3_step(raw);
    if (rc != SQLITE_ROW)
        return QStringLiteral("error:") + QString::fromUtf8(sqlite3_errmsg(db));
    switch (sqlite3_column_type(raw, 0)) {
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(raw, 0)));
    default:
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(raw, 0)));
    }
}

int Sign(qint64 value)
{
    return value < 0 ? -1 : value > 0 ? 1 : 0;
}

// -1, 0 or 1 as SQLite orders a and b under the NOCASE collation of db.
int SqlOrder(sqlite3* db, const QString& a, const QString& b)
{
    const QVariant order = Scalar(db, "SELECT (?1 > ?2 COLLATE NOCASE) - (?1 < ?2 COLLATE NOCASE)", a, b);
    return int(order.toLongLong());
}

QString RandomText(QRandomGenerator& random, const QString& alphabet, int longest)
{
    const int length = random.bounded(longest + 1);
    QString text;
    for (int i = 0; i < length; ++i) {
        // Characters outside the BMP are kept whole.
        const int at = random.bounded(int(alphabet.size()));
        if (alphabet[at].isLowSurrogate() && at > 0)
            text += alphabet.mid(at - 1, 2);
        else if (alphabet[at].isHighSurrogate() && at + 1 < alphabet.size())
            text += alphabet.mid(at, 2);
        else
            text += alphabet[at];
    }
    return text;
}

} // namespace

class TestSqlFunctions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void jetLike_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("matches");

        QTest::newRow("same text") << "abc"
                                   << "abc" << true;
        QTest::newRow("case ignored") << "ABC"
                                      << "abc" << true;
        QTest::newRow("accent case ignored") << "é"
                                             << "É" << true;
        QTest::newRow("accent is not the bare letter") << "é"
                                                       << "e" << false;
        QTest::newRow("longer value") << "abcd"
                                      << "abc" << false;
        QTest::newRow("empty pattern, empty value") << ""
                                                    << "" << true;
        QTest::newRow("empty pattern") << "a"
                                       << "" << false;
        QTest::newRow("star alone, empty value") << ""
                                                 << "*" << true;
        QTest::newRow("star prefix") << "abc"
                                     << "a*" << true;
        QTest::newRow("star suffix") << "abc"
                                     << "*c" << true;
        QTest::newRow("contains") << "xxabcxx"
                                  << "*BC*" << true;
        QTest::newRow("contains, missing") << "xxabxcx"
                                           << "*bc*" << false;
        QTest::newRow("star run") << "abc"
                                  << "a**c" << true;
        QTest::newRow("star needs backtracking") << "abcabd"
                                                 << "*abd" << true;
        QTest::newRow("two stars") << "mississippi"
                                   << "m*iss*ppi" << true;
        QTest::newRow("two stars, no match") << "mississippi"
                                             << "m*iss*x" << false;
        QTest::newRow("accented contains") << "Ébène"
                                           << "*BÈNE" << true;
        QTest::newRow("question mark") << "abc"
                                       << "a?c" << true;
        QTest::newRow("question mark needs a character") << "ac"
                                                         << "a?c" << false;
        QTest::newRow("question mark is one character") << "abbc"
                                                        << "a?c" << false;
        QTest::newRow("question mark takes a whole non-BMP character") << QString::fromUtf8("\xF0\x9D\x92\x9C"
                                                                                            "b")
                                                                       << "?b" << true;
        QTest::newRow("hash digit") << "a1c"
                                    << "a#c" << true;
        QTest::newRow("hash refuses letter") << "abc"
                                             << "a#c" << false;
        QTest::newRow("list") << "b"
                              << "[abc]" << true;
        QTest::newRow("list, case ignored") << "B"
                                            << "[abc]" << true;
        QTest::newRow("list, missing") << "d"
                                       << "[abc]" << false;
        QTest::newRow("range") << "m"
                               << "[a-z]" << true;
        QTest::newRow("range, other case") << "M"
                                           << "[a-z]" << true;
        QTest::newRow("range, digit") << "5"
                                      << "[a-z]" << false;
        QTest::newRow("range of accented letters, other case") << "É"
                                                               << "[à-ÿ]" << true;
        QTest::newRow("negated list") << "d"
                                      << "[!abc]" << true;
        QTest::newRow("negated list refuses listed") << "a"
                                                     << "[!abc]" << false;
        QTest::newRow("negated list refuses other case") << "A"
                                                         << "[!abc]" << false;
        QTest::newRow("negated range") << "5"
                                       << "[!a-z]" << true;
        QTest::newRow("hyphen last is literal") << "-"
                                                << "[a-]" << true;
        QTest::newRow("hyphen first is literal") << "-"
                                                 << "[-a]" << true;
        QTest::newRow("hyphen list refuses other") << "b"
                                                   << "[a-]" << false;
        QTest::newRow("bracketed star") << "a*c"
                                        << "a[*]c" << true;
        QTest::newRow("bracketed star is not a wildcard") << "abc"
                                                          << "a[*]c" << false;
        QTest::newRow("bracketed question mark") << "a?c"
                                                 << "a[?]c" << true;
        QTest::newRow("bracketed question mark is not a wildcard") << "abc"
                                                                   << "a[?]c" << false;
        QTest::newRow("bracketed hash") << "a#c"
                                        << "a[#]c" << true;
        QTest::newRow("bracketed hash is not a wildcard") << "a1c"
                                                          << "a[#]c" << false;
        QTest::newRow("empty brackets match nothing") << "ab"
                                                      << "a[]b" << true;
        QTest::newRow("percent is ordinary") << "50%"
                                             << "50%" << true;
        QTest::newRow("percent is not a wildcard") << "500"
                                                   << "50%" << false;
        QTest::newRow("underscore is ordinary") << "a_c"
                                                << "a_c" << true;
        QTest::newRow("underscore is not a wildcard") << "abc"
                                                      << "a_c" << false;
        QTest::newRow("unclosed bracket is literal") << "[abc"
                                                     << "[abc" << true;
        QTest::newRow("unclosed bracket after star") << "x["
                                                     << "*[" << true;
        QTest::newRow("unclosed bracket, other text") << "abc"
                                                      << "[abc" << false;
        QTest::newRow("closing bracket alone is literal") << "a]"
                                                          << "a]" << true;
    }
    void jetLike()
    {
        QFETCH(QString, value);
        QFETCH(QString, pattern);
        QFETCH(bool, matches);
        QCOMPARE(JetLike(value, pattern), matches);

        // The SQL operator gives the same answer (SQLite calls like(pattern, value)).
        const Db db = OpenMemory(true);
        QCOMPARE(Scalar(db.get(), "SELECT ?1 LIKE ?2", value, pattern), QVariant(qint64(matches ? 1 : 0)));
    }

    void manyStarsStayFast()
    {
        const QString value(20000, QLatin1Char('a'));
        const QString pattern = QStringLiteral("*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b");
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!JetLike(value, pattern));
        const Db db = OpenMemory(true);
        QCOMPARE(Scalar(db.get(), "SELECT ?1 LIKE ?2", value, pattern), QVariant(qint64(0)));
        QVERIFY2(timer.elapsed() < 5000, "matching went exponential");
    }

    void likeOperands_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QVariant>("result");
        QTest::newRow("NULL value") << "SELECT NULL LIKE 'a*'" << QVariant();
        QTest::newRow("NULL pattern") << "SELECT 'a' LIKE NULL" << QVariant();
        QTest::newRow("NOT LIKE") << "SELECT 'abc' NOT LIKE 'x*'" << QVariant(qint64(1));
        QTest::newRow("argument order") << "SELECT 'a*' LIKE 'abc'" << QVariant(qint64(0));
        QTest::newRow("integer as text") << "SELECT 123 LIKE '1#3'" << QVariant(qint64(1));
        QTest::newRow("real as text") << "SELECT 1.5 LIKE '1.5'" << QVariant(qint64(1));
        QTest::newRow("escape") << "SELECT 'a*c' LIKE 'a\\*c' ESCAPE '\\'" << QVariant(qint64(1));
        QTest::newRow("escaped star is literal") << "SELECT 'abc' LIKE 'a\\*c' ESCAPE '\\'" << QVariant(qint64(0));
        QTest::newRow("escape must be one character")
            << "SELECT 'a' LIKE 'a' ESCAPE 'xy'"
            << QVariant(QStringLiteral("error:ESCAPE expression must be a single character"));
        QTest::newRow("pattern from a column, row by row")
            << "SELECT group_concat(v LIKE p, '') FROM (SELECT 'ab' v, 'a*' p UNION ALL SELECT 'ab', 'b*' "
               "UNION ALL SELECT 'ab', '?b')"
            << QVariant(QStringLiteral("101"));
    }
    void likeOperands()
    {
        QFETCH(QString, sql);
        QFETCH(QVariant, result);
        const Db db = OpenMemory(true);
        QCOMPARE(Scalar(db.get(), sql.toUtf8().constData()), result);
    }

    void caseFunctions_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QVariant>("result");
        QTest::newRow("upper ASCII") << "SELECT upper('abc1')" << QVariant(QStringLiteral("ABC1"));
        QTest::newRow("upper accented") << "SELECT upper('éa')" << QVariant(QStringLiteral("ÉA"));
        QTest::newRow("lower accented") << "SELECT lower('ÀB')" << QVariant(QStringLiteral("àb"));
        QTest::newRow("upper NULL") << "SELECT upper(NULL)" << QVariant();
        QTest::newRow("upper number") << "SELECT upper(5)" << QVariant(QStringLiteral("5"));
    }
    void caseFunctions()
    {
        QFETCH(QString, sql);
        QFETCH(QVariant, result);
        const Db db = OpenMemory(true);
        QCOMPARE(Scalar(db.get(), sql.toUtf8().constData()), result);
    }

    void asciiOrderIsSqliteNocase()
    {
        // Existing indexes were built with SQLite's own NOCASE; for ASCII the order must not change.
        const Db builtIn = OpenMemory(false);
        const Db catalog = OpenMemory(true);
        const QString alphabet = QStringLiteral("aAbBzZ09 _[`^@{~-");
        QRandomGenerator random(20240611);
        for (int i = 0; i < 3000; ++i) {
            const QString a = RandomText(random, alphabet, 4);
            const QString b = RandomText(random, alphabet, 4);
            const int expected = SqlOrder(builtIn.get(), a, b);
            QCOMPARE(Sign(CompareNoCase(a, b)), expected);
            QCOMPARE(SqlOrder(catalog.get(), a, b), expected);
        }
    }

    void unicodeOrderMatchesCompareNoCase()
    {
        const Db catalog = OpenMemory(true);
        const QString alphabet = QStringLiteral("aAzZ_éÉàÀßΣσς\u212Ak") + QString::fromUtf8("\xF0\x9D\x92\x9C");
        QRandomGenerator random(77);
        for (int i = 0; i < 3000; ++i) {
            const QString a = RandomText(random, alphabet, 4);
            const QString b = RandomText(random, alphabet, 4);
            QCOMPARE(SqlOrder(catalog.get(), a, b), Sign(CompareNoCase(a, b)));
            QCOMPARE(Sign(CompareNoCase(a, b)), -Sign(CompareNoCase(b, a)));
        }
    }

    void compareNoCase_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("order");
        QTest::newRow("ASCII case") << "Hello"
                                    << "hELLO" << 0;
        QTest::newRow("accent case") << "été"
                                     << "ÉTÉ" << 0;
        QTest::newRow("prefix first") << "ab"
                                      << "ABC" << -1;
        QTest::newRow("underscore before letters") << "_"
                                                   << "A" << -1;
        QTest::newRow("accented sorts with its letter") << "é"
                                                        << "Z" << -1;
        QTest::newRow("bare letter before accented") << "e"
                                                     << "é" << -1;
        QTest::newRow("letters decide before accents") << "Émile"
                                                       << "emma" << -1;
        QTest::newRow("accents decide a tie") << "Eve"
                                              << "éve" << -1;
        QTest::newRow("decided after equal accent") << "éa"
                                                    << "ÉB" << -1;
        QTest::newRow("Greek sigma") << "Σ"
                                     << "σ" << 0;
    }
    void compareNoCase()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, order);
        QCOMPARE(Sign(CompareNoCase(a, b)), order);
        const Db catalog = OpenMemory(true);
        QCOMPARE(SqlOrder(catalog.get(), a, b), order);
    }

    void uniqueIndexUsesTheCollation()
    {
        const Db db = OpenMemory(true);
        QCOMPARE(sqlite3_exec(db.get(), "CREATE TABLE t (Name VARCHAR(255) COLLATE NOCASE UNIQUE)", nullptr, nullptr,
                              nullptr),
                 SQLITE_OK);
        QCOMPARE(sqlite3_exec(db.get(), "INSERT INTO t VALUES ('été')", nullptr, nullptr, nullptr), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db.get(), "INSERT INTO t VALUES ('ÉTÉ')", nullptr, nullptr, nullptr), SQLITE_CONSTRAINT);
        QCOMPARE(Scalar(db.get(), "SELECT count(*) FROM t WHERE Name = 'Été'"), QVariant(qint64(1)));
    }
};

QTEST_GUILESS_MAIN(TestSqlFunctions)
#include "tst_sqlfunctions.moc"
