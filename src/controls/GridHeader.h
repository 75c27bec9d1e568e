#pragma once
#include <QHeaderView>

class ctlDataGrid;

// The grid's column header: click to sort, drag an edge to resize, drag a caption to move the column. A drag
// asks the grid first (BeforeColumnDrag) and the drop again (BeforeColumnMove); either may refuse it.
class GridHeader : public QHeaderView
{
    Q_OBJECT
public:
    explicit GridHeader(ctlDataGrid* grid, QWidget* parent = nullptr);

    // The position (visual index) a drop at x would give the dragged column.
    int DropPosition(int x) const;
    bool IsDragging() const { return m_dragging; }
    // True while the release that ends a drag passes through the base header (its click is no click).
    bool ClickSuppressed() const { return m_suppressClick; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    QSize sizeHint() const override;

private:
    bool OnHandle(int x) const;

    ctlDataGrid* m_grid;
    int m_pressed = -1;
    QPoint m_pressPos;
    bool m_dragging = false;
    bool m_refused = false;
    int m_dropAt = -1;
    bool m_suppressClick = false;
};
