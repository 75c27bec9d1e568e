#include "model/clsQueryItem.h"

#include "platform/JetDate.h"
#include "storage/modDBOperations.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace {

QString Quoted(QString text)
{
    text.replace(QLatin1Char('\''), QLatin1String("''"));
    return text;
}

// The stored form separates records, fields and names by CR, TAB and LF: a value holding one of them
// would tear its record apart, so each becomes a space.
QString StorableText(QString text)
{
    for (const QChar separator : {QLatin1Char('\r'), QLatin1Char('\n'), QLatin1Char('\t')})
        text.replace(separator, QLatin1Char(' '));
    return text;
}

// A number the SQL can carry. Yes/No words count as -1 and 0; anything else that is not a plain decimal
// number compares as 0.
QString NumberLiteral(const QVariant& value, const QString& text)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("-1") : QStringLiteral("0");
    const QString t = text.trimmed();
    for (const char* yes : {"True", "Yes"})
        if (t.compare(QLatin1String(yes), Qt::CaseInsensitive) == 0)
            return QStringLiteral("-1");
    for (const char* no : {"False", "No"})
        if (t.compare(QLatin1String(no), Qt::CaseInsensitive) == 0)
            return QStringLiteral("0");
    static const QRegularExpression plain(QStringLiteral("^-?\\d+(\\.\\d+)?$"));
    static const QRegularExpression decimal(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    if (plain.match(t).hasMatch())
        return t;
    if (decimal.match(t).hasMatch()) {
        bool ok = false;
        const double number = QLocale::c().toDouble(t, &ok);
        if (ok && std::isfinite(number))
            return QString::number(number, 'g', 15);
    }
    return QStringLiteral("0");
}

// A date literal the SQL can carry: the value as typed when the catalog's date syntax reads it, otherwise
// the date written in that syntax; the empty text when the value is no date at all.
QString DateLiteral(const QVariant& value, const QString& text)
{
    if (value.typeId() == QMetaType::QDateTime || value.typeId() == QMetaType::QDate) {
        const QDateTime date = value.toDateTime();
        return date.isValid() ? QStringLiteral("#") + JetDate::ToStorage(date) + QLatin1Char('#') : QString();
    }
    const QString t = text.trimmed();
    if (JetDate::ParseLiteral(t))
        return QStringLiteral("#") + t + QLatin1Char('#');
    if (const std::optional<QDateTime> date = JetDate::ParseUserText(t))
        return QStringLiteral("#") + JetDate::ToStorage(*date) + QLatin1Char('#');
    return QString();
}

} // namespace

QString clsQueryItem::ValueText() const { return modDBOperations::ValueText(m_value); }

QString clsQueryItem::SQLEntry() const
{
    const QString entry = QStringLiteral("[") + m_column + QStringLiteral("] ");
    const QString text = ValueText();
    if (m_columnType == DateKind || m_columnType == NumberKind) {
        const QString op = m_condition == IsGreaterThan ? QStringLiteral("> ")
                           : m_condition == IsLessThan  ? QStringLiteral("< ")
                                                        : QStringLiteral("= ");
        if (m_columnType == NumberKind)
            return entry + op + NumberLiteral(m_value, text);
        // A value that is no date compares with Null: the criterion matches no item, and the others
        // of the query still work.
        const QString date = DateLiteral(m_value, text);
        return entry + op + (date.isEmpty() ? QStringLiteral("Null") : date);
    }
    const QString v = Quoted(text);
    switch (m_condition) {
    case Contains: return entry + QStringLiteral("LIKE '*") + v + QStringLiteral("*'");
    case DoesNotContain: return entry + QStringLiteral("NOT LIKE '*") + v + QStringLiteral("*'");
    case BeginsWith: return entry + QStringLiteral("LIKE '") + v + QStringLiteral("*'");
    case Equals: return entry + QStringLiteral("= '") + v + QLatin1Char('\'');
    case DoesNotBeginWith: return entry + QStringLiteral("NOT LIKE '") + v + QStringLiteral("*'");
    case DoesNotEqual: return entry + QStringLiteral("NOT LIKE '") + v + QLatin1Char('\'');
    // Text compares in the catalog's order, letter case ignored.
    case IsGreaterThan: return entry + QStringLiteral("> '") + v + QLatin1Char('\'');
    case IsLessThan: return entry + QStringLiteral("< '") + v + QLatin1Char('\'');
    default: return entry;
    }
}

QString clsQueryItem::WritableEntry() const
{
    return QStringLiteral("Field\n") + StorableText(m_column) + QStringLiteral("\tCondition\n") +
           QString::number(m_condition) + QStringLiteral("\tValue\n") + StorableText(ValueText()) + QLatin1Char('\r');
}

QString clsQueryItem::ConditionCaption(int condition)
{
    switch (condition) {
    case Contains: return QStringLiteral("Contains");
    case DoesNotContain: return QStringLiteral("Does Not Contain");
    case BeginsWith: return QStringLiteral("Begins With");
    case Equals: return QStringLiteral("Equals");
    case DoesNotBeginWith: return QStringLiteral("Does Not Begin With");
    case DoesNotEqual: return QStringLiteral("Does Not Equal");
    case IsGreaterThan: return QStringLiteral("Is Greater Than");
    case IsLessThan: return QStringLiteral("Is Less Than");
    default: return QString();
    }
}
