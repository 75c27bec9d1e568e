#pragma once
#include <QDate>
#include <QLineEdit>

class QCalendarWidget;

// The drop-down calendar of a date cell: a text box that takes a typed date (as the catalog reads dates:
// month/day/year, or year-month-day) and a button that drops a month calendar down under it.
class GridDateEditor : public QLineEdit
{
    Q_OBJECT
public:
    explicit GridDateEditor(QWidget* parent = nullptr);

    // The date the text stands for; invalid when the text is empty or not a date.
    QDate date() const;
    void setDate(const QDate& date);
    // Drops the calendar down (the button does the same).
    void ShowCalendar();
    QCalendarWidget* Calendar() const { return m_calendar; }

    static QString TextOf(const QDate& date);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Pick(const QDate& date);

    QCalendarWidget* m_calendar = nullptr;
};
