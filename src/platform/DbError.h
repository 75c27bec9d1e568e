#pragma once
#include <QString>

// An engine error: a number with the meaning the rest of the program tests for, and a message for people.
// Number 0 means success.
struct DbError {
    int number = 0;
    QString message;

    bool ok() const { return number == 0; }
    explicit operator bool() const { return number != 0; }
    static DbError None() { return {}; }
};

// Error numbers the program relies on. They keep the meanings catalogs and callers have always had.
namespace DbErrorNumber {
constexpr int ItemNotFound = 3265;      // no such table, field, index or row in a collection
constexpr int PropertyNotFound = 3270;  // no such custom property
constexpr int DataTypeMismatch = 3421;  // a value that does not fit its field's type or range
constexpr int FieldTooSmall = 3163;     // text longer than the field's size
constexpr int ZeroLengthRefused = 3315; // empty text in a field that does not allow it
constexpr int RequiredIsNull = 3314;    // Null in a required field
constexpr int DuplicateKey = 3022;      // a unique index or primary key would be violated
constexpr int SyntaxError = 3075;       // a statement the engine cannot read
constexpr int ObjectExists = 3010;      // a table of that name exists already
constexpr int FieldExists = 3191;       // a field of that name exists already
constexpr int CannotOpenFile = 3049;    // missing, damaged or not a catalog file
constexpr int FileNotFound = 3024;
constexpr int NoCurrentRecord = 3021;
constexpr int UpdateWithoutEdit = 3020; // Update or a field write without AddNew or Edit
constexpr int ReadOnly = 3027;          // the result set or database is read-only
constexpr int NotOpen = 3420;           // the database or result set is closed
constexpr int FileExists = 3204;        // a file to be created exists already
constexpr int Io = 3043;                // a disk or file-system failure
constexpr int Unexpected = 3000;        // anything else the underlying library reports
} // namespace DbErrorNumber
