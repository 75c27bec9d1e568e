#pragma once
#include <QPersistentModelIndex>
#include <QTimer>

#include <functional>

class QAbstractItemView;
class QMouseEvent;

// A click on the current cell opens its editor once no double click follows; a typed key opens it at once.
// Both grid views keep one of these and tell it about presses, releases and editors opened otherwise.
class GridClickToEdit
{
public:
    // edit opens the editor on a cell, unless one is open already.
    GridClickToEdit(QAbstractItemView* view, std::function<void(const QModelIndex&)> edit);

    void Pressed(const QModelIndex& index, const QMouseEvent* event);
    // editing: an editor is open in the view now.
    void Released(const QModelIndex& index, bool editing);
    // A double click or an editor opened some other way: no editor from the click.
    void Cancel();

private:
    QAbstractItemView* m_view;
    QTimer m_timer;
    QPersistentModelIndex m_cell;
    bool m_pressOnCurrent = false;
};
