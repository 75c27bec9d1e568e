#include "controls/GridClickToEdit.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QMouseEvent>

GridClickToEdit::GridClickToEdit(QAbstractItemView* view, std::function<void(const QModelIndex&)> edit)
    : m_view(view)
{
    m_timer.setSingleShot(true);
    QObject::connect(&m_timer, &QTimer::timeout, view, [this, edit = std::move(edit)] {
        if (m_cell.isValid() && m_cell == m_view->currentIndex())
            edit(m_cell);
    });
}

void GridClickToEdit::Pressed(const QModelIndex& index, const QMouseEvent* event)
{
    m_timer.stop();
    m_pressOnCurrent = index.isValid() && index == m_view->currentIndex() && event->button() == Qt::LeftButton &&
                       event->modifiers() == Qt::NoModifier;
}

void GridClickToEdit::Released(const QModelIndex& index, bool editing)
{
    if (m_pressOnCurrent && index == m_view->currentIndex() && !editing && (index.flags() & Qt::ItemIsEditable)) {
        m_cell = index;
        m_timer.start(QApplication::doubleClickInterval());
    }
    m_pressOnCurrent = false;
}

void GridClickToEdit::Cancel()
{
    m_timer.stop();
    m_pressOnCurrent = false;
}
