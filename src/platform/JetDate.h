#pragma once
#include <QDateTime>
#include <QString>
#include <QStringView>

#include <optional>

// Dates as the catalog dialect writes them (between "#" signs) and as the catalog stores them.
// The stored form is TEXT "yyyy-MM-dd HH:mm:ss", always with the time, so text order is date order.
// All values are local date-times; nothing here converts between time zones.
namespace JetDate
{

// The text between the "#" signs of a date literal:
//   month/day/year ("1/2/2000" is 2 January; years of one or two digits: 00-29 are 2000-2029, 30-99 1930-1999),
//   year-month-day ("2000-01-02" or "2000/01/02"),
// either one optionally followed by a time "H:mm", "H:mm:ss" or the 12-hour form with AM/PM ("10:30 PM");
// a time alone means that time on 30 December 1899, the day the number 0 stands for.
// Blanks around the text are allowed. Impossible dates and years outside 100-9999 give nullopt.
std::optional<QDateTime> ParseLiteral(QStringView text);

// "yyyy-MM-dd HH:mm:ss"; milliseconds are dropped. An invalid date-time gives the empty text.
QString ToStorage(const QDateTime& dateTime);

// The inverse of ToStorage: exactly the 19-character stored form of a valid date-time, otherwise nullopt.
std::optional<QDateTime> FromStorage(QStringView text);

// A date typed by a person or read from a file: everything ParseLiteral accepts, plus the stored form and
// ISO "yyyy-MM-ddTHH:mm:ss".
std::optional<QDateTime> ParseUserText(QStringView text);

} // namespace JetDate
