#pragma once
#include "controls/GridClickToEdit.h"
#include <QAbstractItemView>
#include <QPersistentModelIndex>
#include <QTimer>

class ctlDataGrid;

// The card layout of the grid: one card per record, its title (the caption column's value) on a band and
// below it one line per visible column that has a caption, the caption in bold and the value, edited in place. Cards
// are as wide as the grid's card width and flow left to right, then down.
class GridCardView : public QAbstractItemView
{
    Q_OBJECT
public:
    explicit GridCardView(ctlDataGrid* grid);

    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& point) const override;
    // The card (its whole rectangle, in viewport coordinates) of a record row.
    QRect CardRect(int row) const;
    QRect CaptionRect(int row) const;
    bool IsEditing() const { return state() == QAbstractItemView::EditingState; }
    QWidget* EditorAt(const QModelIndex& index) const { return indexWidget(index); }
    // Lays the cards out again (columns, widths, fonts changed).
    void Relayout();

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex& index) const override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags flags) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void updateGeometries() override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void reset() override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

private:
    struct Metrics {
        int cardWidth = 0;
        int labelWidth = 0;
        int lineHeight = 0;
        int captionHeight = 0;
        int cardHeight = 0;
        int perLine = 1;
    };
    void Measure();
    QPoint CardOrigin(int row) const; // in content coordinates
    int Line(int column) const;       // place of a column among the visible ones, or -1

    ctlDataGrid* m_grid;
    Metrics m_metrics;
    QList<int> m_visible; // model columns shown, left-to-right order of the grid
    GridClickToEdit m_clickEdit;
    static constexpr int Margin = 8;
};
