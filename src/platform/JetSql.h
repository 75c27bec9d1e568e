#pragma once
#include "platform/Result.h"

#include <QString>
#include <QStringView>
#include <QVariantList>

// The catalog's SQL dialect (the one the program composes: [names], #dates#, True/False, DELETE * FROM,
// "*" wildcards, ...) turned into SQL that SQLite runs. The LIKE wildcards themselves are not rewritten:
// the like() function installed by RegisterCatalogFunctions (SqlFunctions.h) reads them.
namespace JetSql
{

struct Translated {
    QString sql;
    // Values of the "?" placeholders in sql, in order: QString (text and dates), qint64 (whole numbers,
    // True -1 and False 0) or double (other numbers).
    QVariantList params;
};

// Translates one statement. With parameterize (the default), the literal values that stand in a WHERE or
// HAVING clause, in the values of an UPDATE's SET or in an INSERT's VALUES list become "?" placeholders, so that
// statements that differ only in their values share one prepared statement. Literals elsewhere (the select list,
// ORDER BY, GROUP BY, FROM/ON, LIMIT) stay as they are. Only SELECT, INSERT, UPDATE and DELETE statements are
// parameterised, and none that carries placeholders of its own ("?", ":name", "@name", "$name").
// A "..." is a text literal in this dialect, never a quoted name.
// Unreadable statements (an unterminated text, [name] or #date#, an invalid date, a second statement)
// give DbErrorNumber::SyntaxError.
Result<Translated> Translate(const QString& jetSql);
Result<Translated> Translate(const QString& jetSql, bool parameterize);

// "name" with every " doubled: the way every SQLite identifier of the program is quoted.
QString QuoteIdentifier(QStringView name);

// The shape of a translated (SQLite) statement, for result sets that write their rows back.
struct SelectShape {
    bool isSelect = false;            // the statement is a SELECT at top level
    QString selectList;               // text between SELECT (after DISTINCT/ALL) and the top-level FROM, trimmed
    QString fromAndRest;              // text after the FROM keyword to the end (FROM itself excluded), trimmed
    QString baseTable;                // unquoted name of the first table after FROM; empty for a sub-select
    bool singleTable = false;         // one table: no JOIN and no top-level comma in the FROM clause
    bool aggregateOrDistinct = false; // DISTINCT, GROUP BY, UNION/INTERSECT/EXCEPT or count/sum/min/max/avg/total/
                                      // group_concat in the select list
};
// Placeholders never stand in the select list of a translated statement, so "SELECT x FROM " + fromAndRest
// takes the same parameters as the statement itself.
SelectShape AnalyzeSelect(const QString& sqliteSql);

} // namespace JetSql
