#include "platform/StatementCache.h"

// Turns what SQLite reports into the engine's error numbers. Field rules are CHECK constraints named
// after the rule they enforce, so the constraint name tells which number applies.
DbError SqliteError(sqlite3* db, int rc)
{
    const QString text = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    const int extended = db ? sqlite3_extended_errcode(db) : rc;
    using namespace DbErrorNumber;
    switch (extended) {
    case SQLITE_CONSTRAINT_CHECK:
        if (text.contains(QLatin1String("kst_size")))
            return {FieldTooSmall, QStringLiteral("The field is too small to accept the amount of data you attempted "
                                                  "to add.")};
        if (text.contains(QLatin1String("kst_empty")))
            return {ZeroLengthRefused, QStringLiteral("The field cannot be a zero-length string.")};
        return {DataTypeMismatch, QStringLiteral("The value does not match the field's type or range.")};
    case SQLITE_CONSTRAINT_NOTNULL:
        return {RequiredIsNull, QStringLiteral("The field cannot contain a Null value because it is required (%1).")
                                    .arg(text.section(QLatin1Char(':'), 1).trimmed())};
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY:
        return {DuplicateKey, QStringLiteral("The change would create duplicate values in an index or primary key.")};
    case SQLITE_CONSTRAINT_DATATYPE:
        return {DataTypeMismatch, QStringLiteral("The value does not match the field's type or range.")};
    default:
        break;
    }
    switch (rc & 0xff) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return {CannotOpenFile, QStringLiteral("The file is damaged or is not a catalog file (%1).").arg(text)};
    case SQLITE_CANTOPEN:
        return {CannotOpenFile, QStringLiteral("The file cannot be opened (%1).").arg(text)};
    case SQLITE_READONLY:
        return {ReadOnly, QStringLiteral("The catalog cannot be changed: %1").arg(text)};
    case SQLITE_IOERR:
    case SQLITE_FULL:
        return {Io, QStringLiteral("A disk or file error occurred: %1").arg(text)};
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return {3008, QStringLiteral("The table or file is in use: %1").arg(text)};
    case SQLITE_ERROR:
        if (text.startsWith(QLatin1String("no such table")))
            return {3078, QStringLiteral("The table or query cannot be found (%1).").arg(text)};
        if (text.startsWith(QLatin1String("no such column")))
            return {3061, QStringLiteral("A name in the statement is not a field (%1).").arg(text)};
        return {SyntaxError, QStringLiteral("The statement cannot be run: %1").arg(text)};
    default:
        return {Unexpected, QStringLiteral("Database error %1: %2").arg(rc).arg(text)};
    }
}
