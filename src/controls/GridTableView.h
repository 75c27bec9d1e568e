#pragma once
#include "controls/GridClickToEdit.h"
#include <QPersistentModelIndex>
#include <QTableView>
#include <QTimer>

class ctlDataGrid;
class GridHeader;
class GridModel;

// The table layout of the grid: rows and columns with group header rows drawn across the full width, the
// new-row line on top, and the grid's keys and mouse events.
class GridTableView : public QTableView
{
    Q_OBJECT
public:
    explicit GridTableView(ctlDataGrid* grid);

    GridHeader* Header() const { return m_header; }
    GridModel* gridModel() const;
    bool IsEditingRow(int row) const;
    bool IsEditing() const { return state() == QAbstractItemView::EditingState; }
    // The area of a group row's expand/collapse sign.
    QRect ExpanderRect(int row) const;
    // The editor open on a cell, if any.
    QWidget* EditorAt(const QModelIndex& index) const { return indexWidget(index); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

private:
    void PaintGroupRow(QPainter& painter, int row, const QRect& band);
    void PaintNewRow(QPainter& painter, int row, const QRect& band);

    ctlDataGrid* m_grid;
    GridHeader* m_header;
    GridClickToEdit m_clickEdit;
};
