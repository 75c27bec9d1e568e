#pragma once
#include "controls/GridCardView.h"
#include "controls/GridHeader.h"
#include "controls/GridModel.h"
#include "controls/GridTableView.h"
#include "controls/ctlDataGrid.h"

#include <QApplication>
#include <QTest>

// Drives a data grid the way a person does: mouse clicks on cells and headers, typed keys going to whatever
// has the focus (the grid, then the editor it opened).
class GridDriver
{
public:
    explicit GridDriver(ctlDataGrid& grid) : m_grid(grid) {}

    QAbstractItemView* view() const { return m_grid.ActiveView(); }

    // The model index of a row (as the grid counts them) and column.
    QModelIndex Cell(int row, int column) const
    {
        const int first = m_grid.Model()->FirstRecordRow();
        const int model = row == ctlDataGrid::NewRow ? 0 : first + row - 1;
        return m_grid.Model()->index(model, column - 1);
    }

    void Click(int row, int column, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QModelIndex index = Cell(row, column);
        view()->scrollTo(index);
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, modifiers, view()->visualRect(index).center());
    }

    void ClickAt(const QPoint& point, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, modifiers, point);
    }

    void ClickHeader(int column)
    {
        QHeaderView* header = m_grid.TableView()->horizontalHeader();
        const int logical = column - 1;
        const QPoint at(header->sectionViewportPosition(logical) + header->sectionSize(logical) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }

    static QWidget* Focus() { return QApplication::focusWidget(); }

    // Types text into whatever has the focus: the first key opens the cell's editor, the rest go into it.
    static void Type(const QString& text)
    {
        for (const QChar ch : text)
            QTest::keyClick(Focus(), ch.toLatin1());
        QCoreApplication::processEvents();
    }

    static void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(Focus(), key, modifiers);
        // Editors hand their value over once the key is through (a queued call), as in the event loop.
        QCoreApplication::processEvents();
    }

    // Clicks a cell, types a value over it and presses Enter.
    void Enter(int row, int column, const QString& text)
    {
        Click(row, column);
        Type(text);
        Press(Qt::Key_Return);
    }

private:
    ctlDataGrid& m_grid;
};
