#include "platform/JetSql.h"
#include "platform/SqlFunctions.h"

#include <QtTest>

#include <sqlite3.h>

#include <memory>

using JetSql::Translate;

namespace
{

struct Closer {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Db = std::unique_ptr<sqlite3, Closer>;
struct Finalizer {
    void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalizer>;

QVariantList Params(std::initializer_list<QVariant> values)
{
    return QVariantList(values);
}
QVariant I(qint64 value)
{
    return QVariant(value);
}
QVariant S(const char* text)
{
    return QVariant(QString::fromUtf8(text));
}

// Runs a translated statement the way the engine does; the first column of every row, joined by ",".
// NULL reads as "NULL"; a failure gives "error: " and SQLite's message.
QString Run(sqlite3* db, const QString& jetSql, bool parameterize)
{
    const auto translated = Translate(jetSql, parameterize);
    if (!translated)
        return QStringLiteral("translate error: ") + translated.error().message;
    sqlite3_stmt* raw = nullptr;
    const QByteArray sql = translated->sql.toUtf8();
    if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &raw, nullptr) != SQLITE_OK)
        return QStringLiteral("error: ") + QString::fromUtf8(sqlite3_errmsg(db));
    Statement stmt(raw);
    for (int i = 0; i < translated->params.size(); ++i) {
        const QVariant& value = translated->params[i];
        if (value.typeId() == QMetaType::LongLong) {
            sqlite3_bind_int64(raw, i + 1, value.toLongLong());
        } else if (value.typeId() == QMetaType::Double) {
            sqlite3_bind_double(raw, i + 1, value.toDouble());
        } else {
            const QByteArray text = value.toString().toUtf8();
            sqlite3_bind_text(raw, i + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
    }
    QStringList rows;
    int rc = SQLITE_OK;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        if (sqlite3_column_type(raw, 0) == SQLITE_NULL)
            rows << QStringLiteral("NULL");
        else
            rows << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(raw, 0)));
    }
    if (rc != SQLITE_DONE)
        return QStringLiteral("error: ") + QString::fromUtf8(sqlite3_errmsg(db));
    return rows.join(QLatin1Char(','));
}

Db CatalogWithItems()
{
    sqlite3* raw = nullptr;
    sqlite3_open(":memory:", &raw);
    Db db(raw);
    RegisterCatalogFunctions(raw);
    // Declared the way the engine declares catalog tables.
    sqlite3_exec(raw,
                 "CREATE TABLE \"Items\" (\"ID\" INTEGER PRIMARY KEY, \"Name\" VARCHAR(255) COLLATE NOCASE, "
                 "\"D\" DATETIME, \"Y\" YESNO, \"N\" DOUBLE)",
                 nullptr, nullptr, nullptr);
    static const char* const rows[] = {
        "INSERT INTO [Items] ([ID], [Name], [D], [Y], [N]) VALUES (1, 'apple', #1/2/2000#, True, 1.5)",
        "INSERT INTO [Items] ([ID], [Name], [D], [Y], [N]) VALUES (2, 'Apple', #2000-01-02 10:30#, False, 2)",
        "INSERT INTO [Items] ([ID], [Name], [D], [Y], [N]) VALUES (3, \"banana\", #12/31/1999 11:59:59 PM#, True, -3)",
        "INSERT INTO [Items] ([ID], [Name], [D], [Y]) VALUES (4, 'Épée', #3/1/2000#, False)",
        "INSERT INTO [Items] ([ID], [Name]) VALUES (5, 'épée')",
        "INSERT INTO [Items] ([ID], [Name], [D]) VALUES (6, '50% off', #2001-01-01#)",
        "INSERT INTO [Items] ([ID], [Name]) VALUES (7, 'a_b')",
        "INSERT INTO [Items] ([ID], [Name]) VALUES (8, 'ab1')",
        "INSERT INTO [Items] ([ID], [Name]) VALUES (9, 'a*b')",
        "INSERT INTO [Items] ([ID], [Name]) VALUES (10, Null)",
        "INSERT INTO [Items] ([ID], [Name]) VALUES (11, 'O''Brien')",
    };
    for (const char* row : rows) {
        const QString result = Run(raw, QString::fromUtf8(row), true);
        if (!result.isEmpty())
            qWarning("%s: %s", row, qPrintable(result));
    }
    return db;
}

int Placeholders(const QString& sql)
{
    return int(sql.count(QLatin1Char('?')));
}

} // namespace

class TestJetSql : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void translate_data()
    {
        QTest::addColumn<QString>("jet");
        QTest::addColumn<bool>("parameterize");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QVariantList>("params");

        QTest::newRow("bracketed names") << "SELECT [ID], [Name] FROM [Categories]" << true
                                         << "SELECT \"ID\", \"Name\" FROM \"Categories\"" << Params({});
        QTest::newRow("qualified names and star")
            << "SELECT [t].[f], [t].* FROM [t]" << true << "SELECT \"t\".\"f\", \"t\".* FROM \"t\"" << Params({});
        QTest::newRow("double quote inside brackets")
            << "SELECT [a\"b] FROM [t]" << true << "SELECT \"a\"\"b\" FROM \"t\"" << Params({});
        QTest::newRow("bang between names")
            << "SELECT [t]![f] FROM [t]" << true << "SELECT \"t\".\"f\" FROM \"t\"" << Params({});
        QTest::newRow("single-quoted text kept in select list")
            << "SELECT 'it''s' FROM [t]" << true << "SELECT 'it''s' FROM \"t\"" << Params({});
        QTest::newRow("double-quoted text becomes single-quoted")
            << "SELECT \"say \"\"hi\"\" it's\" FROM [t]" << true << "SELECT 'say \"hi\" it''s' FROM \"t\""
            << Params({});
        QTest::newRow("texts in WHERE become parameters")
            << "SELECT [ID] FROM [t] WHERE [Name] = 'O''Brien' AND [X] = \"a\"\"b\"" << true
            << "SELECT \"ID\" FROM \"t\" WHERE \"Name\" = ? AND \"X\" = ?" << Params({S("O'Brien"), S("a\"b")});
        QTest::newRow("numbers in WHERE")
            << "SELECT [ID] FROM [t] WHERE [ID] = 5 OR [V] > 2.5 OR [V] < -3 OR [V] = 1e3" << true
            << "SELECT \"ID\" FROM \"t\" WHERE \"ID\" = ? OR \"V\" > ? OR \"V\" < -? OR \"V\" = ?"
            << Params({I(5), QVariant(2.5), I(3), QVariant(1000.0)});
        QTest::newRow("integer too large for 64 bits")
            << "SELECT * FROM [t] WHERE [n] = 99999999999999999999" << true << "SELECT * FROM \"t\" WHERE \"n\" = ?"
            << Params({QVariant(1e20)});
        QTest::newRow("date in WHERE") << "SELECT * FROM [t] WHERE [D] = #1/2/2000#" << true
                                       << "SELECT * FROM \"t\" WHERE \"D\" = ?" << Params({S("2000-01-02 00:00:00")});
        QTest::newRow("date without parameters")
            << "SELECT * FROM [t] WHERE [D] > # 2000-01-02 10:30 #" << false
            << "SELECT * FROM \"t\" WHERE \"D\" > '2000-01-02 10:30:00'" << Params({});
        QTest::newRow("dates in the select list")
            << "SELECT #10:30 PM#, #1/2/99 1:05:09 am#, #2000/12/31# FROM [t]" << true
            << "SELECT '1899-12-30 22:30:00', '1999-01-02 01:05:09', '2000-12-31 00:00:00' FROM \"t\"" << Params({});
        QTest::newRow("True and False in SET and WHERE")
            << "UPDATE [Categories] SET [Visible] = True WHERE [Locked] = false" << true
            << "UPDATE \"Categories\" SET \"Visible\" = ? WHERE \"Locked\" = ?" << Params({I(-1), I(0)});
        QTest::newRow("True and False in the select list")
            << "SELECT True, FALSE FROM [t]" << true << "SELECT -1, 0 FROM \"t\"" << Params({});
        QTest::newRow("True as a qualified name")
            << "SELECT t.True FROM t" << true << "SELECT t.True FROM t" << Params({});
        QTest::newRow("DELETE *") << "DELETE * FROM [Tree] WHERE [ID] = 7" << true
                                  << "DELETE FROM \"Tree\" WHERE \"ID\" = ?" << Params({I(7)});
        QTest::newRow("DELETE [t].*") << "DELETE [Tree].* FROM [Tree]" << true << "DELETE FROM \"Tree\"" << Params({});
        QTest::newRow("delete t.* in lower case") << "delete t.* from t" << true << "delete from t" << Params({});
        QTest::newRow("concatenation") << "SELECT [First] & ' ' & [Last] FROM [People]" << true
                                       << "SELECT \"First\" || ' ' || \"Last\" FROM \"People\"" << Params({});
        QTest::newRow("Mod") << "SELECT [ID] FROM [t] WHERE [ID] Mod 2 = 1" << true
                             << "SELECT \"ID\" FROM \"t\" WHERE \"ID\" % ? = ?" << Params({I(2), I(1)});
        QTest::newRow("TOP") << "SELECT TOP 5 [Name] FROM [t] ORDER BY [Name]" << true
                             << "SELECT \"Name\" FROM \"t\" ORDER BY \"Name\" LIMIT 5" << Params({});
        QTest::newRow("DISTINCT TOP and a closing semicolon")
            << "SELECT DISTINCT TOP 3 [Name] FROM [t];  " << true << "SELECT DISTINCT \"Name\" FROM \"t\" LIMIT 3"
            << Params({});
        QTest::newRow("TOP in a sub-select")
            << "SELECT [a] FROM [t] WHERE [a] IN (SELECT TOP 1 [b] FROM [u] ORDER BY [b])" << true
            << "SELECT \"a\" FROM \"t\" WHERE \"a\" IN (SELECT \"b\" FROM \"u\" ORDER BY \"b\" LIMIT 1)" << Params({});
        QTest::newRow("DISTINCTROW") << "SELECT DISTINCTROW [Name] FROM [t]" << true << "SELECT \"Name\" FROM \"t\""
                                     << Params({});
        QTest::newRow("renamed functions")
            << "SELECT UCase([a]), lcase([a]), Len([a]), Trim([a]), LTrim([a]), RTrim([a]), Mid([a], 2, 3) FROM [t]"
            << true
            << "SELECT upper(\"a\"), lower(\"a\"), length(\"a\"), trim(\"a\"), ltrim(\"a\"), rtrim(\"a\"), "
               "substr(\"a\", 2, 3) FROM \"t\""
            << Params({});
        QTest::newRow("Left, Right and Nz")
            << "SELECT Left([a], 3), Right([a],2), Nz([a], 'none') FROM [t]" << true
            << "SELECT substr(\"a\",1,3), substr(\"a\",-(2),2), ifnull(\"a\",'none') FROM \"t\"" << Params({});
        QTest::newRow("Right in WHERE takes its count twice")
            << "SELECT [ID] FROM [t] WHERE Right([a], 2) = 'yz'" << true
            << "SELECT \"ID\" FROM \"t\" WHERE substr(\"a\",-(?),?) = ?" << Params({I(2), I(2), S("yz")});
        QTest::newRow("Now and Date")
            << "SELECT [ID] FROM [t] WHERE [D] < Now() AND [E] >= date ( )" << true
            << "SELECT \"ID\" FROM \"t\" WHERE \"D\" < strftime('%Y-%m-%d %H:%M:%S','now','localtime') AND \"E\" >= "
               "strftime('%Y-%m-%d 00:00:00','now','localtime')"
            << Params({});
        QTest::newRow("Year") << "SELECT [a] FROM [t] WHERE Year([D]) = 2000" << true
                              << "SELECT \"a\" FROM \"t\" WHERE CAST(strftime('%Y',\"D\") AS INTEGER) = ?"
                              << Params({I(2000)});
        QTest::newRow("other functions pass") << "SELECT IIf([a] > 1, 'x', 'y'), Count(*) FROM [t]" << true
                                              << "SELECT IIf(\"a\" > 1, 'x', 'y'), Count(*) FROM \"t\"" << Params({});
        QTest::newRow("select list, GROUP BY and ORDER BY keep their literals")
            << "SELECT [a] + 1, 'k' FROM [t] WHERE [b] = 'v' GROUP BY 1 ORDER BY 2" << true
            << "SELECT \"a\" + 1, 'k' FROM \"t\" WHERE \"b\" = ? GROUP BY 1 ORDER BY 2" << Params({S("v")});
        QTest::newRow("HAVING") << "SELECT [a], Count(*) FROM [t] GROUP BY [a] HAVING Count(*) > 2" << true
                                << "SELECT \"a\", Count(*) FROM \"t\" GROUP BY \"a\" HAVING Count(*) > ?"
                                << Params({I(2)});
        QTest::newRow("INSERT VALUES") << "INSERT INTO [t] ([a], [b], [c], [d]) VALUES ('x', 5, #1/2/2000#, True)"
                                       << true << "INSERT INTO \"t\" (\"a\", \"b\", \"c\", \"d\") VALUES (?, ?, ?, ?)"
                                       << Params({S("x"), I(5), S("2000-01-02 00:00:00"), I(-1)});
        QTest::newRow("UPDATE SET expressions")
            << "UPDATE [t] SET [n] = [n] + 1, [s] = 'a' & [s]" << true
            << "UPDATE \"t\" SET \"n\" = \"n\" + ?, \"s\" = ? || \"s\"" << Params({I(1), S("a")});
        QTest::newRow("sub-select in WHERE")
            << "SELECT [Name], 'lit' FROM [Items] WHERE [Cat] IN (SELECT [ID], 7 FROM [Categories] WHERE [Type] = 3 "
               "ORDER BY 1) AND [X] = 'y'"
            << true
            << "SELECT \"Name\", 'lit' FROM \"Items\" WHERE \"Cat\" IN (SELECT \"ID\", 7 FROM \"Categories\" WHERE "
               "\"Type\" = ? ORDER BY 1) AND \"X\" = ?"
            << Params({I(3), S("y")});
        QTest::newRow("IN list") << "SELECT * FROM [t] WHERE [ID] IN (1, 2, 3)" << true
                                 << "SELECT * FROM \"t\" WHERE \"ID\" IN (?, ?, ?)" << Params({I(1), I(2), I(3)});
        QTest::newRow("sub-select in the select list keeps literals")
            << "SELECT (SELECT Count(*) FROM [u] WHERE [u].[k] = 5) AS n FROM [t] WHERE [a] = 1" << true
            << "SELECT (SELECT Count(*) FROM \"u\" WHERE \"u\".\"k\" = 5) AS n FROM \"t\" WHERE \"a\" = ?"
            << Params({I(1)});
        QTest::newRow("JOIN ON keeps literals")
            << "SELECT [a].[x] FROM [a] INNER JOIN [b] ON [a].[k] = [b].[k] AND [b].[z] = 1 WHERE [a].[y] = 2" << true
            << "SELECT \"a\".\"x\" FROM \"a\" INNER JOIN \"b\" ON \"a\".\"k\" = \"b\".\"k\" AND \"b\".\"z\" = 1 WHERE "
               "\"a\".\"y\" = ?"
            << Params({I(2)});
        QTest::newRow("LIKE pattern") << "SELECT [ID] FROM [Items] WHERE [Title] LIKE '*abc*'" << true
                                      << "SELECT \"ID\" FROM \"Items\" WHERE \"Title\" LIKE ?" << Params({S("*abc*")});
        QTest::newRow("parameters switched off")
            << "SELECT [ID] FROM [t] WHERE [Name] = 'x' AND [ID] = 5" << false
            << "SELECT \"ID\" FROM \"t\" WHERE \"Name\" = 'x' AND \"ID\" = 5" << Params({});
        QTest::newRow("no parameters in DDL") << "CREATE INDEX [i] ON [t] ([a]) WHERE [a] > 5" << true
                                              << "CREATE INDEX \"i\" ON \"t\" (\"a\") WHERE \"a\" > 5" << Params({});
        QTest::newRow("caller's own placeholders")
            << "SELECT [a] FROM [t] WHERE [a] = ? AND [b] = 5" << true
            << "SELECT \"a\" FROM \"t\" WHERE \"a\" = ? AND \"b\" = 5" << Params({});
        QTest::newRow("dialect signs inside a text are left alone")
            << "SELECT [a] FROM [t] WHERE [a] = 'x; [y] #z# True & \"q\" Mod *'" << false
            << "SELECT \"a\" FROM \"t\" WHERE \"a\" = 'x; [y] #z# True & \"q\" Mod *'" << Params({});
        QTest::newRow("minus minus is not a comment") << "SELECT 5--3" << true << "SELECT 5- -3" << Params({});
    }
    void translate()
    {
        QFETCH(QString, jet);
        QFETCH(bool, parameterize);
        QFETCH(QString, sql);
        QFETCH(QVariantList, params);
        const auto translated = Translate(jet, parameterize);
        QVERIFY2(translated.ok(), qPrintable(translated.error().message));
        QCOMPARE(translated->sql, sql);
        QCOMPARE(translated->params, params);
        // Every placeholder has its value.
        if (!jet.contains(QLatin1Char('?')))
            QCOMPARE(Placeholders(translated->sql), int(params.size()));
    }

    void errors_data()
    {
        QTest::addColumn<QString>("jet");
        QTest::addColumn<QString>("named"); // text the message must quote
        QTest::newRow("unterminated single quote") << "SELECT * FROM [t] WHERE [a] = 'abc"
                                                   << "'abc";
        QTest::newRow("unterminated double quote") << "SELECT * FROM [t] WHERE [a] = \"abc"
                                                   << "\"abc";
        QTest::newRow("unterminated bracket") << "SELECT [abc FROM t"
                                              << "[abc";
        QTest::newRow("unterminated date") << "SELECT * FROM t WHERE d = #1/2/2000"
                                           << "#1/2/2000";
        QTest::newRow("invalid date") << "SELECT * FROM t WHERE d = #2/30/2000#"
                                      << "#2/30/2000#";
        QTest::newRow("invalid date in select list") << "SELECT #13/1/2000# FROM t"
                                                     << "#13/1/2000#";
        QTest::newRow("two statements") << "SELECT 1; SELECT 2"
                                        << "SELECT 2";
        QTest::newRow("empty") << "  ;  "
                               << "";
        QTest::newRow("TOP without a number") << "SELECT TOP x [a] FROM [t]"
                                              << "TOP x";
        QTest::newRow("TOP PERCENT") << "SELECT TOP 5 PERCENT [a] FROM [t]"
                                     << "PERCENT";
    }
    void errors()
    {
        QFETCH(QString, jet);
        QFETCH(QString, named);
        const auto translated = Translate(jet);
        QVERIFY(!translated.ok());
        QCOMPARE(translated.error().number, DbErrorNumber::SyntaxError);
        QVERIFY2(translated.error().message.contains(named), qPrintable(translated.error().message));
    }

    void cacheKeepsTheParameterChoiceApart()
    {
        const QString jet = QStringLiteral("SELECT [a] FROM [t] WHERE [a] = 'cached'");
        QCOMPARE(Translate(jet)->params.size(), 1);
        QCOMPARE(Translate(jet, false)->params.size(), 0);
        QCOMPARE(Translate(jet)->params.size(), 1);
    }

    void cacheStaysRightWhenFull()
    {
        for (int i = 0; i < 2000; ++i) {
            const QString jet = QStringLiteral("SELECT [Name] FROM [Categories] WHERE [ID] = %1").arg(i);
            const auto translated = Translate(jet);
            QCOMPARE(translated->sql, QStringLiteral("SELECT \"Name\" FROM \"Categories\" WHERE \"ID\" = ?"));
            QCOMPARE(translated->params, Params({I(i)}));
        }
        QCOMPARE(Translate(QStringLiteral("SELECT [Name] FROM [Categories] WHERE [ID] = 0"))->params, Params({I(0)}));
    }

    void quoteIdentifier()
    {
        QCOMPARE(JetSql::QuoteIdentifier(u"Name"), QStringLiteral("\"Name\""));
        QCOMPARE(JetSql::QuoteIdentifier(u"a\"b"), QStringLiteral("\"a\"\"b\""));
        QCOMPARE(JetSql::QuoteIdentifier(u""), QStringLiteral("\"\""));
    }

    void run_data()
    {
        QTest::addColumn<QString>("jet");
        QTest::addColumn<QString>("rows");

        QTest::newRow("= ignores case") << "SELECT [ID] FROM [Items] WHERE [Name] = 'APPLE' ORDER BY [ID]"
                                        << "1,2";
        QTest::newRow("= ignores accented case") << "SELECT [ID] FROM [Items] WHERE [Name] = 'ÉPÉE' ORDER BY [ID]"
                                                 << "4,5";
        QTest::newRow("quote in a value") << "SELECT [ID] FROM [Items] WHERE [Name] = 'o''brien'"
                                          << "11";
        QTest::newRow("<> ignores case") << "SELECT [ID] FROM [Items] WHERE [Name] <> 'apple' ORDER BY [ID]"
                                         << "3,4,5,6,7,8,9,11";
        QTest::newRow("ORDER BY ignores case")
            << "SELECT [Name] FROM [Items] WHERE [ID] IN (2, 3, 4, 8) ORDER BY [Name]"
            << "ab1,Apple,banana,Épée";
        QTest::newRow("DISTINCT ignores case")
            << "SELECT COUNT(*) FROM (SELECT DISTINCT [Name] FROM [Items] WHERE [Name] LIKE 'ap*')"
            << "1";
        QTest::newRow("LIKE star") << "SELECT [ID] FROM [Items] WHERE [Name] LIKE '*PP*' ORDER BY [ID]"
                                   << "1,2";
        QTest::newRow("LIKE question mark") << "SELECT [ID] FROM [Items] WHERE [Name] LIKE '?pple' ORDER BY [ID]"
                                            << "1,2";
        QTest::newRow("LIKE hash") << "SELECT [ID] FROM [Items] WHERE [Name] LIKE 'ab#'"
                                   << "8";
        QTest::newRow("LIKE list") << "SELECT [ID] FROM [Items] WHERE [Name] LIKE '[b-c]*' ORDER BY [ID]"
                                   << "3";
        QTest::newRow("LIKE negated list") << "SELECT [ID] FROM [Items] WHERE [Name] LIKE '[!a]*' ORDER BY [ID]"
                                           << "3,4,5,6,11";
        QTest::newRow("LIKE accented") << "SELECT [ID] FROM [Items] WHERE [Name] LIKE 'É*' ORDER BY [ID]"
                                       << "4,5";
        QTest::newRow("LIKE bracketed star") << "SELECT [ID] FROM [Items] WHERE [Name] LIKE 'a[*]b'"
                                             << "9";
        QTest::newRow("LIKE star between") << "SELECT [ID] FROM [Items] WHERE [Name] LIKE 'a*b' ORDER BY [ID]"
                                           << "7,9";
        QTest::newRow("LIKE literal underscore") << "SELECT [ID] FROM [Items] WHERE [Name] LIKE 'a_b'"
                                                 << "7";
        QTest::newRow("LIKE literal percent") << "SELECT [ID] FROM [Items] WHERE [Name] LIKE '*%*'"
                                              << "6";
        QTest::newRow("NOT LIKE") << "SELECT [ID] FROM [Items] WHERE [Name] NOT LIKE 'a*' ORDER BY [ID]"
                                  << "3,4,5,6,11";
        QTest::newRow("LIKE on a number") << "SELECT [ID] FROM [Items] WHERE [N] LIKE '1.#'"
                                          << "1";
        QTest::newRow("IS NULL") << "SELECT [ID] FROM [Items] WHERE [Name] IS NULL"
                                 << "10";
        QTest::newRow("COUNT with True") << "SELECT COUNT(*) FROM [Items] WHERE [Y] = True"
                                         << "2";
        QTest::newRow("False") << "SELECT [ID] FROM [Items] WHERE [Y] = False ORDER BY [ID]"
                               << "2,4";
        QTest::newRow("date equals, m/d/y") << "SELECT [ID] FROM [Items] WHERE [D] = #1/2/2000#"
                                            << "1";
        QTest::newRow("date equals, y-m-d with time") << "SELECT [ID] FROM [Items] WHERE [D] = #2000-01-02 10:30:00#"
                                                      << "2";
        QTest::newRow("date after") << "SELECT [ID] FROM [Items] WHERE [D] > #2000-01-02# ORDER BY [ID]"
                                    << "2,4,6";
        QTest::newRow("date before") << "SELECT [ID] FROM [Items] WHERE [D] < #1/1/2000#"
                                     << "3";
        QTest::newRow("date between")
            << "SELECT [ID] FROM [Items] WHERE [D] BETWEEN #1/1/2000# AND #1/2/2000 11:59 PM# "
               "ORDER BY [ID]"
            << "1,2";
        QTest::newRow("date order") << "SELECT [ID] FROM [Items] WHERE [D] IS NOT NULL ORDER BY [D]"
                                    << "3,1,2,4,6";
        QTest::newRow("concatenation") << "SELECT [Name] & '!' FROM [Items] WHERE [ID] = 3"
                                       << "banana!";
        QTest::newRow("TOP") << "SELECT TOP 2 [ID] FROM [Items] ORDER BY [ID] DESC"
                             << "11,10";
        QTest::newRow("Right") << "SELECT Right([Name], 3) FROM [Items] WHERE [ID] = 3"
                               << "ana";
        QTest::newRow("Right longer than the text") << "SELECT Right([Name], 10) FROM [Items] WHERE [ID] = 3"
                                                    << "banana";
        QTest::newRow("Right of nothing") << "SELECT '<' & Right([Name], 0) & '>' FROM [Items] WHERE [ID] = 3"
                                          << "<>";
        QTest::newRow("Left") << "SELECT Left([Name], 2) FROM [Items] WHERE [ID] = 3"
                              << "ba";
        QTest::newRow("UCase of an accent") << "SELECT UCase([Name]) FROM [Items] WHERE [ID] = 5"
                                            << "ÉPÉE";
        QTest::newRow("Mod") << "SELECT [ID] FROM [Items] WHERE [ID] Mod 5 = 0 ORDER BY [ID]"
                             << "5,10";
        QTest::newRow("sub-select") << "SELECT [ID] FROM [Items] WHERE [Name] IN (SELECT [Name] FROM [Items] "
                                       "WHERE [ID] = 4) ORDER BY [ID]"
                                    << "4,5";
    }
    void run()
    {
        QFETCH(QString, jet);
        QFETCH(QString, rows);
        const Db db = CatalogWithItems();
        QCOMPARE(Run(db.get(), jet, true), rows);
        // Placeholders must not change the meaning of a statement.
        QCOMPARE(Run(db.get(), jet, false), rows);
    }

    void runChanges()
    {
        const Db db = CatalogWithItems();
        QCOMPARE(Run(db.get(), QStringLiteral("UPDATE [Items] SET [Y] = True, [Name] = 'Pear' WHERE [ID] = 2"), true),
                 QString());
        QCOMPARE(Run(db.get(), QStringLiteral("SELECT [Name] & [Y] FROM [Items] WHERE [ID] = 2"), true),
                 QStringLiteral("Pear-1"));
        QCOMPARE(Run(db.get(), QStringLiteral("DELETE * FROM [Items] WHERE [Name] LIKE 'a*'"), true), QString());
        QCOMPARE(Run(db.get(), QStringLiteral("SELECT COUNT(*) FROM [Items]"), true), QStringLiteral("7"));
        QCOMPARE(Run(db.get(), QStringLiteral("DELETE [Items].* FROM [Items]"), true), QString());
        QCOMPARE(Run(db.get(), QStringLiteral("SELECT COUNT(*) FROM [Items]"), true), QStringLiteral("0"));
    }

    void analyzeSelect_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("isSelect");
        QTest::addColumn<QString>("selectList");
        QTest::addColumn<QString>("fromAndRest");
        QTest::addColumn<QString>("baseTable");
        QTest::addColumn<bool>("singleTable");
        QTest::addColumn<bool>("aggregateOrDistinct");

        QTest::newRow("plain") << "SELECT \"ID\", \"Name\" FROM \"Items\" WHERE \"ID\" = ? ORDER BY \"Name\", \"ID\""
                               << true << "\"ID\", \"Name\""
                               << "\"Items\" WHERE \"ID\" = ? ORDER BY \"Name\", \"ID\""
                               << "Items" << true << false;
        QTest::newRow("FROM inside a text and a quoted name")
            << "select 'a FROM b', \"from\" from \"a\"\"b\" where x = 'FROM'" << true << "'a FROM b', \"from\""
            << "\"a\"\"b\" where x = 'FROM'"
            << "a\"b" << true << false;
        QTest::newRow("sub-select in the list")
            << "SELECT (SELECT max(x) FROM u) AS m FROM t" << true << "(SELECT max(x) FROM u) AS m"
            << "t"
            << "t" << true << false;
        QTest::newRow("DISTINCT") << "SELECT DISTINCT \"a\" FROM \"t\"" << true << "\"a\""
                                  << "\"t\""
                                  << "t" << true << true;
        QTest::newRow("ALL") << "SELECT ALL a FROM t" << true << "a"
                             << "t"
                             << "t" << true << false;
        QTest::newRow("count") << "SELECT count(*) FROM t" << true << "count(*)"
                               << "t"
                               << "t" << true << true;
        QTest::newRow("GROUP BY") << "SELECT a FROM t GROUP BY a" << true << "a"
                                  << "t GROUP BY a"
                                  << "t" << true << true;
        QTest::newRow("UNION") << "SELECT a FROM t UNION SELECT b FROM u" << true << "a"
                               << "t UNION SELECT b FROM u"
                               << "t" << true << true;
        QTest::newRow("JOIN") << "SELECT t.a FROM t INNER JOIN u ON t.k = u.k" << true << "t.a"
                              << "t INNER JOIN u ON t.k = u.k"
                              << "t" << false << false;
        QTest::newRow("comma join") << "SELECT * FROM t, u" << true << "*"
                                    << "t, u"
                                    << "t" << false << false;
        QTest::newRow("comma in a sub-select of WHERE")
            << "SELECT a FROM t WHERE b IN (SELECT c FROM u, v)" << true << "a"
            << "t WHERE b IN (SELECT c FROM u, v)"
            << "t" << true << false;
        QTest::newRow("sub-select as source") << "SELECT * FROM (SELECT * FROM t) AS s" << true << "*"
                                              << "(SELECT * FROM t) AS s"
                                              << "" << false << false;
        QTest::newRow("schema-qualified") << "SELECT x FROM main.\"t\" WHERE 1" << true << "x"
                                          << "main.\"t\" WHERE 1"
                                          << "t" << true << false;
        QTest::newRow("no FROM") << "SELECT 1" << true << "1"
                                 << ""
                                 << "" << false << false;
        QTest::newRow("not a SELECT") << "UPDATE t SET a = 1" << false << ""
                                      << ""
                                      << "" << false << false;
    }
    void analyzeSelect()
    {
        QFETCH(QString, sql);
        const JetSql::SelectShape shape = JetSql::AnalyzeSelect(sql);
        QTEST(shape.isSelect, "isSelect");
        QTEST(shape.selectList, "selectList");
        QTEST(shape.fromAndRest, "fromAndRest");
        QTEST(shape.baseTable, "baseTable");
        QTEST(shape.singleTable, "singleTable");
        QTEST(shape.aggregateOrDistinct, "aggregateOrDistinct");
    }

    void placeholdersStayOutOfTheSelectList_data()
    {
        QTest::addColumn<QString>("jet");
        QTest::newRow("lookup") << "SELECT [Name], 'x', 5 FROM [Categories] WHERE [ID] = 5 AND [Name] <> 'x'";
        QTest::newRow("sub-select in list")
            << "SELECT [ID], (SELECT COUNT(*) FROM [Tree] WHERE [Tree].[Cat] = 3) FROM [Categories] WHERE [ID] > 2";
        QTest::newRow("functions in list") << "SELECT Left([Name], 2), #1/2/2000# FROM [Items] WHERE [D] > #1/1/2000#";
    }
    void placeholdersStayOutOfTheSelectList()
    {
        QFETCH(QString, jet);
        const auto translated = Translate(jet);
        QVERIFY(translated.ok());
        const JetSql::SelectShape shape = JetSql::AnalyzeSelect(translated->sql);
        QCOMPARE(Placeholders(shape.selectList), 0);
        QCOMPARE(Placeholders(shape.fromAndRest), int(translated->params.size()));
        QVERIFY(!translated->params.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestJetSql)
#include "tst_jetsql.moc"
