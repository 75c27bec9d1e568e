#pragma once
#include <QDialog>

class Category;
class ctlItemView;

// Picks one item of a category: the parent the selected items become sub-items of. Changes nothing itself.
class frmMoveToItem : public QDialog
{
    Q_OBJECT
public:
    // The chosen item's ID; 0 when cancelled or when no item was current.
    static int OpenMoveToItemDialog(Category& category, QWidget* owner = nullptr);

    // Tests answer the dialog in advance: while answers are queued, each call takes the next one without
    // showing the window (0 = cancelled).
    static void QueueAnswerForTesting(int itemId);
    // The open dialog, for tests that work it.
    static frmMoveToItem* OpenInstanceForTesting();

    ctlItemView* ToItemView() const { return m_items; }

private:
    frmMoveToItem(Category& category, QWidget* owner);
    ctlItemView* m_items = nullptr;
};
