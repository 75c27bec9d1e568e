#include "platform/JetDate.h"

#include <QtTest>

#include <ctime>

class TestJetDate : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // A zone with summer time, so that the hour the clock skips can be tested.
        qputenv("TZ", "Europe/Berlin");
        tzset();
    }

    void parseLiteral_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored"); // empty: refused

        QTest::newRow("m/d/yyyy") << "1/2/2000"
                                  << "2000-01-02 00:00:00";
        QTest::newRow("blanks around") << "  12/31/1999 "
                                       << "1999-12-31 00:00:00";
        QTest::newRow("two-digit 00") << "1/2/00"
                                      << "2000-01-02 00:00:00";
        QTest::newRow("two-digit 29") << "1/2/29"
                                      << "2029-01-02 00:00:00";
        QTest::newRow("two-digit 30") << "1/2/30"
                                      << "1930-01-02 00:00:00";
        QTest::newRow("two-digit 99") << "01/02/99"
                                      << "1999-01-02 00:00:00";
        QTest::newRow("m-d-yyyy") << "1-2-2000"
                                  << "2000-01-02 00:00:00";
        QTest::newRow("yyyy-mm-dd") << "2000-01-02"
                                    << "2000-01-02 00:00:00";
        QTest::newRow("yyyy/m/d") << "2000/1/2"
                                  << "2000-01-02 00:00:00";
        QTest::newRow("three-digit year") << "1/2/100"
                                          << "0100-01-02 00:00:00";
        QTest::newRow("last day") << "12/31/9999 23:59:59"
                                  << "9999-12-31 23:59:59";
        QTest::newRow("leap day") << "2/29/2000"
                                  << "2000-02-29 00:00:00";
        QTest::newRow("date H:mm") << "1/2/2000 9:05"
                                   << "2000-01-02 09:05:00";
        QTest::newRow("date HH:mm:ss") << "2000-01-02 10:30:15"
                                       << "2000-01-02 10:30:15";
        QTest::newRow("PM") << "1/2/2000 10:30 PM"
                            << "2000-01-02 22:30:00";
        QTest::newRow("am with seconds") << "1/2/2000 10:30:15 am"
                                         << "2000-01-02 10:30:15";
        QTest::newRow("12 AM is midnight") << "1/2/2000 12:00 AM"
                                           << "2000-01-02 00:00:00";
        QTest::newRow("12 PM is noon") << "1/2/2000 12:15 pm"
                                       << "2000-01-02 12:15:00";
        QTest::newRow("PM without blank") << "1/2/2000 1:00PM"
                                          << "2000-01-02 13:00:00";
        QTest::newRow("time alone") << "10:30"
                                    << "1899-12-30 10:30:00";
        QTest::newRow("12-hour time alone") << "10:30 PM"
                                            << "1899-12-30 22:30:00";

        QTest::newRow("30 February") << "2/30/2000"
                                     << "";
        QTest::newRow("29 February 1900") << "2/29/1900"
                                          << "";
        QTest::newRow("month 13") << "13/1/2000"
                                  << "";
        QTest::newRow("day 32") << "1/32/2000"
                                << "";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("blanks") << "   "
                                << "";
        QTest::newRow("word") << "today"
                              << "";
        QTest::newRow("month and day only") << "1/2"
                                            << "";
        QTest::newRow("mixed separators") << "1/2-2000"
                                          << "";
        QTest::newRow("trailing text") << "1/2/2000x"
                                       << "";
        QTest::newRow("hour 24") << "1/2/2000 24:00"
                                 << "";
        QTest::newRow("minute 60") << "1/2/2000 10:60"
                                   << "";
        QTest::newRow("13 PM") << "1/2/2000 13:00 PM"
                               << "";
        QTest::newRow("0 AM") << "1/2/2000 0:30 AM"
                              << "";
        QTest::newRow("time without minutes") << "1/2/2000 10"
                                              << "";
        QTest::newRow("year 99 written in four digits") << "1/2/0099"
                                                        << "";
        QTest::newRow("year 10000") << "1/2/10000"
                                    << "";
        QTest::newRow("ISO T is not a literal") << "2000-01-02T10:30:00"
                                                << "";
    }
    void parseLiteral()
    {
        QFETCH(QString, text);
        QFETCH(QString, stored);
        const auto parsed = JetDate::ParseLiteral(text);
        if (stored.isEmpty()) {
            QVERIFY2(!parsed, qPrintable(parsed ? JetDate::ToStorage(*parsed) : QString()));
            return;
        }
        QVERIFY(parsed);
        QCOMPARE(JetDate::ToStorage(*parsed), stored);
        QCOMPARE(parsed->timeSpec(), Qt::LocalTime);
    }

    void parseUserText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored");
        QTest::newRow("literal form") << "1/2/2000 10:30 PM"
                                      << "2000-01-02 22:30:00";
        QTest::newRow("stored form") << "2000-01-02 22:30:05"
                                     << "2000-01-02 22:30:05";
        QTest::newRow("ISO") << "2000-01-02T22:30:05"
                             << "2000-01-02 22:30:05";
        QTest::newRow("ISO without seconds") << "2000-01-02T22:30"
                                             << "2000-01-02 22:30:00";
        QTest::newRow("T without time") << "2000-01-02T"
                                        << "";
        QTest::newRow("T after m/d/y") << "1/2/2000T10:30"
                                       << "";
        QTest::newRow("invalid") << "2000-02-30 00:00:00"
                                 << "";
    }
    void parseUserText()
    {
        QFETCH(QString, text);
        QFETCH(QString, stored);
        const auto parsed = JetDate::ParseUserText(text);
        QCOMPARE(parsed ? JetDate::ToStorage(*parsed) : QString(), stored);
    }

    void toStorage_data()
    {
        QTest::addColumn<QDateTime>("value");
        QTest::addColumn<QString>("stored");
        QTest::newRow("milliseconds dropped")
            << QDateTime(QDate(2000, 1, 2), QTime(3, 4, 5, 999)) << "2000-01-02 03:04:05";
        QTest::newRow("small year padded") << QDateTime(QDate(100, 1, 1), QTime(0, 0)) << "0100-01-01 00:00:00";
        QTest::newRow("invalid") << QDateTime() << "";
    }
    void toStorage()
    {
        QFETCH(QDateTime, value);
        QFETCH(QString, stored);
        QCOMPARE(JetDate::ToStorage(value), stored);
    }

    void fromStorage_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("ordinary") << "2000-01-02 03:04:05" << true;
        QTest::newRow("year 100") << "0100-01-01 00:00:00" << true;
        QTest::newRow("date only") << "2000-01-02" << false;
        QTest::newRow("ISO T") << "2000-01-02T03:04:05" << false;
        QTest::newRow("leading blank") << " 2000-01-02 03:04:05" << false;
        QTest::newRow("month 13") << "2000-13-02 03:04:05" << false;
        QTest::newRow("hour 24") << "2000-01-02 24:00:00" << false;
        QTest::newRow("sign in a field") << "2000-01-+2 03:04:05" << false;
        QTest::newRow("year 99") << "0099-01-02 03:04:05" << false;
        QTest::newRow("literal form") << "1/2/2000 03:04:05" << false;
    }
    void fromStorage()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        const auto parsed = JetDate::FromStorage(text);
        QCOMPARE(bool(parsed), valid);
        if (valid)
            QCOMPARE(JetDate::ToStorage(*parsed), text);
    }

    void skippedLocalHourKeepsItsWallClock()
    {
        // 26 March 2000, 02:30 does not exist in Berlin: the clocks went from 02:00 to 03:00.
        if (QDateTime(QDate(2000, 3, 26), QTime(2, 30)).isValid())
            QSKIP("the local time zone has no gap at this hour");
        const auto literal = JetDate::ParseLiteral(u"3/26/2000 2:30");
        QVERIFY(literal);
        QCOMPARE(JetDate::ToStorage(*literal), QStringLiteral("2000-03-26 02:30:00"));
        const auto stored = JetDate::FromStorage(u"2000-03-26 02:30:00");
        QVERIFY(stored);
        QCOMPARE(JetDate::ToStorage(*stored), QStringLiteral("2000-03-26 02:30:00"));
    }
};

QTEST_GUILESS_MAIN(TestJetDate)
#include "tst_jetdate.moc"
