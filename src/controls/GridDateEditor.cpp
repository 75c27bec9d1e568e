#include "controls/GridDateEditor.h"

#include "platform/JetDate.h"

#include <QAction>
#include <QCalendarWidget>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>

namespace
{
// A small calendar leaf for the drop-down button.
QIcon CalendarIcon()
{
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(90, 90, 90));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(1.5, 2.5, 13, 12), 1.5, 1.5);
    painter.fillRect(QRectF(2, 3, 12, 3), QColor(200, 60, 50));
    painter.setPen(QColor(120, 120, 120));
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 3; ++col)
            painter.drawPoint(QPointF(4.5 + col * 3.5, 9 + row * 3));
    return QIcon(picture);
}
} // namespace

GridDateEditor::GridDateEditor(QWidget* parent) : QLineEdit(parent)
{
    QAction* drop = addAction(CalendarIcon(), QLineEdit::TrailingPosition);
    drop->setToolTip(tr("Choose a date"));
    connect(drop, &QAction::triggered, this, &GridDateEditor::ShowCalendar);
    // A child of the editor, so that the cell's editor does not count the popup's focus as leaving the cell.
    m_calendar = new QCalendarWidget(this);
    m_calendar->setWindowFlags(Qt::Popup);
    m_calendar->setGridVisible(true);
    m_calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    connect(m_calendar, &QCalendarWidget::clicked, this, &GridDateEditor::Pick);
    connect(m_calendar, &QCalendarWidget::activated, this, &GridDateEditor::Pick);
}

QString GridDateEditor::TextOf(const QDate& date)
{
    return date.isValid() ? date.toString(QStringLiteral("M/d/yyyy")) : QString();
}

QDate GridDateEditor::date() const
{
    const auto parsed = JetDate::ParseUserText(text());
    return parsed ? parsed->date() : QDate();
}

void GridDateEditor::setDate(const QDate& date)
{
    setText(TextOf(date));
}

void GridDateEditor::ShowCalendar()
{
    const QDate current = date();
    m_calendar->setSelectedDate(current.isValid() ? current : QDate::currentDate());
    m_calendar->adjustSize();
    m_calendar->move(mapToGlobal(QPoint(0, height())));
    m_calendar->show();
    m_calendar->setFocus();
}

void GridDateEditor::Pick(const QDate& date)
{
    m_calendar->hide();
    setDate(date);
    setFocus();
    selectAll();
}

void GridDateEditor::keyPressEvent(QKeyEvent* event)
{
    // Alt+Down and F4 drop the calendar down, as in a date box.
    if ((event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier)) || event->key() == Qt::Key_F4) {
        ShowCalendar();
        return;
    }
    QLineEdit::keyPressEvent(event);
}
