#pragma once
#include <QStringView>

struct sqlite3;

// The text rules of the catalog, installed into every SQLite connection the engine opens:
//  - collation NOCASE (replacing SQLite's ASCII-only one): Unicode simple case folding, then code point order.
//    For ASCII text it orders exactly as SQLite's own NOCASE, so existing indexes stay valid.
//  - like(pattern, value[, escape]), the function behind the LIKE operator, with the catalog's wildcards:
//    "*" any run of characters, "?" one character, "#" one digit 0-9, "[abc]" one of the characters,
//    "[a-z]" a range, "[!abc]" none of them; "[*]", "[?]", "[#]" stand for the character itself;
//    "%" and "_" are ordinary characters. Letter case is ignored the way the collation ignores it.
//    A NULL operand gives NULL. An unclosed "[" stands for itself.
//  - upper(x) and lower(x) (replacing SQLite's ASCII-only ones): Unicode case mapping.
void RegisterCatalogFunctions(sqlite3* db);

// The LIKE rule above, for code that needs it without SQL.
bool JetLike(QStringView value, QStringView pattern);

// The NOCASE order above: negative, 0 or positive as a sorts before, equal to or after b.
int CompareNoCase(QStringView a, QStringView b);
