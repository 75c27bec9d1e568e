#pragma once
#include "platform/DbError.h"

#include <QVariant>
#include <QVariantList>

#include <sqlite3.h>

// Moving values between QVariant and SQLite's statements.
namespace SqliteValues {
int Bind(sqlite3_stmt* stmt, int position, const QVariant& value); // position from 1
int BindAll(sqlite3_stmt* stmt, const QVariantList& values);
QVariant Column(sqlite3_stmt* stmt, int column);
} // namespace SqliteValues
