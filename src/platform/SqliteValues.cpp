#include "platform/SqliteValues.h"

#include "platform/JetDate.h"

#include <QDateTime>

namespace SqliteValues {

int Bind(sqlite3_stmt* stmt, int position, const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return sqlite3_bind_null(stmt, position);
    switch (value.typeId()) {
    case QMetaType::Bool: return sqlite3_bind_int64(stmt, position, value.toBool() ? -1 : 0);
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort: return sqlite3_bind_int64(stmt, position, value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float: return sqlite3_bind_double(stmt, position, value.toDouble());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        if (bytes.isEmpty())
            return sqlite3_bind_zeroblob(stmt, position, 0);
        return sqlite3_bind_blob64(stmt, position, bytes.constData(), sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT);
    }
    case QMetaType::QDateTime: {
        const QByteArray text = JetDate::ToStorage(value.toDateTime()).toUtf8();
        return sqlite3_bind_text64(stmt, position, text.constData(), sqlite3_uint64(text.size()), SQLITE_TRANSIENT,
                                   SQLITE_UTF8);
    }
    default: {
        const QByteArray text = value.toString().toUtf8();
        return sqlite3_bind_text64(stmt, position, text.constData(), sqlite3_uint64(text.size()), SQLITE_TRANSIENT,
                                   SQLITE_UTF8);
    }
    }
}

int BindAll(sqlite3_stmt* stmt, const QVariantList& values)
{
    for (int i = 0; i < values.size(); ++i) {
        const int rc = Bind(stmt, i + 1, values[i]);
        if (rc != SQLITE_OK)
            return rc;
    }
    return SQLITE_OK;
}

QVariant Column(sqlite3_stmt* stmt, int column)
{
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER: return QVariant(qint64(sqlite3_column_int64(stmt, column)));
    case SQLITE_FLOAT: return QVariant(sqlite3_column_double(stmt, column));
    case SQLITE_TEXT:
        return QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)),
                                          sqlite3_column_bytes(stmt, column)));
    case SQLITE_BLOB: {
        const void* data = sqlite3_column_blob(stmt, column);
        const int size = sqlite3_column_bytes(stmt, column);
        return QVariant(data ? QByteArray(static_cast<const char*>(data), size) : QByteArray(""));
    }
    default: return QVariant();
    }
}

} // namespace SqliteValues
