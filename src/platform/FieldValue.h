#pragma once
#include "platform/FieldDef.h"
#include "platform/Result.h"

#include <QVariant>

// Conversions between the values callers hand over (QString, int, bool, QDateTime, QByteArray, ...) and the
// form a field stores. Writes are checked here with the same rules the table's constraints enforce, so a
// value that does not fit is refused before anything reaches the file.
namespace FieldValue {

// The value as the field stores it: qint64, double, QString or QByteArray; a null QVariant for Null.
// Errors: 3421 (type or range), 3163 (text too long), 3315 (empty text refused).
Result<QVariant> ToStorage(const FieldDef& field, const QVariant& value);

// A stored value as callers read it: bool for Yes/No, QDateTime for Date/Time, int for Integer and Long,
// double for Double and Currency, QString for text, QByteArray for Long Binary. Without a field, the
// stored value's own type.
QVariant FromStorage(const FieldDef* field, const QVariant& stored);

// The field's default value text as an SQL literal for the table definition; empty when there is none.
// A default that does not fit the field is refused with 3421.
Result<QString> DefaultAsSql(const FieldDef& field);

// The default value as a stored value, for rows started through a result set.
QVariant DefaultAsStorage(const FieldDef& field);

} // namespace FieldValue
