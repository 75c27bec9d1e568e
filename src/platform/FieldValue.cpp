#include "platform/FieldValue.h"

#include "platform/JetDate.h"

#include <QDateTime>
#include <QLocale>

#include <cmath>

namespace FieldValue {
namespace {

DbError Mismatch(const FieldDef& field, const QVariant& value)
{
    return {DbErrorNumber::DataTypeMismatch, QStringLiteral("The value '%1' does not fit the field '%2' (%3).")
                                                 .arg(value.toString().left(80), field.name, FieldTypeName(field.type))};
}

bool IsBlank(const QVariant& value)
{
    return value.typeId() == QMetaType::QString && value.toString().trimmed().isEmpty();
}

// Reads a number from a variant; text in the C locale or the user's locale.
std::optional<double> AsNumber(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool: return value.toBool() ? -1.0 : 0.0;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float: return value.toDouble();
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        const QString text = value.toString().trimmed();
        bool ok = false;
        double number = text.toDouble(&ok);
        if (!ok)
            number = QLocale().toDouble(text, &ok);
        if (ok && std::isfinite(number))
            return number;
        return std::nullopt;
    }
    default: return std::nullopt;
    }
}

Result<QVariant> ToWhole(const FieldDef& field, const QVariant& value, qint64 low, qint64 high)
{
    const auto number = AsNumber(value);
    if (!number)
        return Mismatch(field, value);
    const double rounded = std::nearbyint(*number); // halves go to the even neighbour, as the format always did
    if (rounded < double(low) || rounded > double(high))
        return Mismatch(field, value);
    return QVariant(qint64(rounded));
}

std::optional<QDateTime> AsDate(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QDateTime: return value.toDateTime();
    case QMetaType::QDate: return QDateTime(value.toDate(), QTime(0, 0));
    case QMetaType::QString: return JetDate::ParseUserText(value.toString());
    default: break;
    }
    if (const auto days = AsNumber(value)) {
        // A number is a count of days from 30 December 1899, the fraction being the time of day.
        const double whole = std::floor(*days);
        const qint64 seconds = qint64(std::llround((*days - whole) * 86400.0));
        return QDateTime(QDate(1899, 12, 30).addDays(qint64(whole)), QTime(0, 0)).addSecs(seconds);
    }
    return std::nullopt;
}

std::optional<bool> AsBoolean(const QVariant& value)
{
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        for (const char* yes : {"true", "yes", "on"})
            if (text.compare(QLatin1String(yes), Qt::CaseInsensitive) == 0)
                return true;
        for (const char* no : {"false", "no", "off"})
            if (text.compare(QLatin1String(no), Qt::CaseInsensitive) == 0)
                return false;
    }
    if (const auto number = AsNumber(value))
        return *number != 0.0;
    return std::nullopt;
}

QString AsText(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool: return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QDateTime: return JetDate::ToStorage(value.toDateTime());
    case QMetaType::Double: return QString::number(value.toDouble(), 'g', 15);
    default: return value.toString();
    }
}

constexpr double CurrencyLimit = 922337203685477.5807;

} // namespace

Result<QVariant> ToStorage(const FieldDef& field, const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return QVariant();
    if (field.type != FieldType::Text && field.type != FieldType::Memo && field.type != FieldType::LongBinary &&
        IsBlank(value))
        return QVariant(); // a cleared cell of a number or date column means no value
    switch (field.type) {
    case FieldType::Text:
    case FieldType::Memo: {
        if (value.typeId() == QMetaType::QByteArray)
            return Mismatch(field, QStringLiteral("(binary data)"));
        const QString text = AsText(value);
        if (field.type == FieldType::Text && text.size() > (field.size > 0 ? field.size : DefaultTextSize))
            return DbError{DbErrorNumber::FieldTooSmall,
                           QStringLiteral("The text is longer than the %1 characters the field '%2' can hold.")
                               .arg(field.size > 0 ? field.size : DefaultTextSize)
                               .arg(field.name)};
        if (text.isEmpty() && !field.allowZeroLength)
            return DbError{DbErrorNumber::ZeroLengthRefused,
                           QStringLiteral("The field '%1' cannot be a zero-length string.").arg(field.name)};
        return QVariant(text);
    }
    case FieldType::Integer: return ToWhole(field, value, -32768, 32767);
    case FieldType::Long: return ToWhole(field, value, -2147483648LL, 2147483647LL);
    case FieldType::Double: {
        const auto number = AsNumber(value);
        if (!number)
            return Mismatch(field, value);
        return QVariant(*number);
    }
    case FieldType::Currency: {
        const auto number = AsNumber(value);
        if (!number || std::fabs(*number) > CurrencyLimit)
            return Mismatch(field, value);
        return QVariant(std::round(*number * 10000.0) / 10000.0);
    }
    case FieldType::Boolean: {
        const auto flag = AsBoolean(value);
        if (!flag)
            return Mismatch(field, value);
        return QVariant(qint64(*flag ? -1 : 0));
    }
    case FieldType::DateTime: {
        const auto date = AsDate(value);
        if (!date || !date->isValid() || date->date().year() < 100 || date->date().year() > 9999)
            return Mismatch(field, value);
        return QVariant(JetDate::ToStorage(*date));
    }
    case FieldType::LongBinary:
        if (value.typeId() != QMetaType::QByteArray)
            return Mismatch(field, value);
        return QVariant(value.toByteArray());
    }
    return Mismatch(field, value);
}

QVariant FromStorage(const FieldDef* field, const QVariant& stored)
{
    if (!stored.isValid() || stored.isNull())
        return QVariant();
    if (!field)
        return stored;
    switch (field->type) {
    case FieldType::Boolean: return QVariant(stored.toLongLong() != 0);
    case FieldType::Integer:
    case FieldType::Long: return QVariant(int(stored.toLongLong()));
    case FieldType::Double:
    case FieldType::Currency: return QVariant(stored.toDouble());
    case FieldType::DateTime:
        if (const auto date = JetDate::FromStorage(stored.toString()))
            return QVariant(*date);
        return stored;
    case FieldType::Text:
    case FieldType::Memo: return QVariant(stored.toString());
    case FieldType::LongBinary: return QVariant(stored.toByteArray());
    }
    return stored;
}

namespace {
QString SqlString(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// The default text with one level of quotes or date signs taken off, as the person meant it.
QVariant DefaultAsValue(const FieldDef& field)
{
    QString text = field.defaultValue.trimmed();
    if (text.size() >= 2 && ((text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"'))) ||
                             (text.startsWith(QLatin1Char('\'')) && text.endsWith(QLatin1Char('\''))))) {
        const QChar quote = text.front();
        text = text.mid(1, text.size() - 2);
        text.replace(QString(2, quote), QString(quote));
        return text;
    }
    if (field.type == FieldType::DateTime && text.size() >= 2 && text.startsWith(QLatin1Char('#')) &&
        text.endsWith(QLatin1Char('#'))) {
        if (const auto date = JetDate::ParseLiteral(QStringView(text).mid(1, text.size() - 2)))
            return *date;
        return text;
    }
    if (text.startsWith(QLatin1Char('=')))
        text = text.mid(1).trimmed();
    return text;
}

bool IsClockFunction(const QString& text, const char* name)
{
    QString compact = text.trimmed();
    if (compact.startsWith(QLatin1Char('=')))
        compact = compact.mid(1).trimmed();
    compact.remove(QLatin1Char(' '));
    return compact.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}
} // namespace

Result<QString> DefaultAsSql(const FieldDef& field)
{
    if (field.defaultValue.trimmed().isEmpty() || field.isAutoIncrement())
        return QString();
    if (field.type == FieldType::DateTime) {
        if (IsClockFunction(field.defaultValue, "Now()"))
            return QStringLiteral("(strftime('%Y-%m-%d %H:%M:%S','now','localtime'))");
        if (IsClockFunction(field.defaultValue, "Date()"))
            return QStringLiteral("(strftime('%Y-%m-%d 00:00:00','now','localtime'))");
    }
    const Result<QVariant> stored = ToStorage(field, DefaultAsValue(field));
    if (!stored)
        return stored.error();
    const QVariant& value = stored.value();
    if (!value.isValid())
        return QString();
    switch (value.typeId()) {
    case QMetaType::LongLong: return QString::number(value.toLongLong());
    case QMetaType::Double: return QString::number(value.toDouble(), 'g', 17);
    case QMetaType::QString: return SqlString(value.toString());
    default: return DbError{DbErrorNumber::DataTypeMismatch, QStringLiteral("A binary field cannot have a default.")};
    }
}

QVariant DefaultAsStorage(const FieldDef& field)
{
    if (field.defaultValue.trimmed().isEmpty() || field.isAutoIncrement())
        return QVariant();
    if (field.type == FieldType::DateTime && (IsClockFunction(field.defaultValue, "Now()")))
        return JetDate::ToStorage(QDateTime::currentDateTime());
    if (field.type == FieldType::DateTime && (IsClockFunction(field.defaultValue, "Date()")))
        return JetDate::ToStorage(QDateTime(QDate::currentDate(), QTime(0, 0)));
    const Result<QVariant> stored = ToStorage(field, DefaultAsValue(field));
    return stored ? stored.value() : QVariant();
}

} // namespace FieldValue
