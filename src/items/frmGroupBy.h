#pragma once
#include <QDialog>

class QButtonGroup;
class QComboBox;
class QPushButton;
class QRadioButton;
class ctlItemView;

// Groups the rows of an item view by up to four columns, each level ascending or descending.
class frmGroupBy : public QDialog
{
    Q_OBJECT
public:
    static constexpr int Levels = 4;

    // Runs the dialog on the view; the view's grid is regrouped when the person confirms another grouping.
    static void GroupGrid(ctlItemView& view, QWidget* owner = nullptr);

    frmGroupBy(ctlItemView& view, QWidget* owner = nullptr);
    // The dialog GroupGrid shows, while it is open, for tests that work it.
    static frmGroupBy* OpenInstanceForTesting();

    // The parts, for tests: each level's column list and its "Descending" option, the expand list.
    QComboBox* LevelList(int level) const { return m_lists[level]; }
    QRadioButton* Ascending(int level) const { return m_ascending[level]; }
    QRadioButton* Descending(int level) const { return m_descending[level]; }
    QComboBox* ExpandList() const { return m_expand; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* ClearAllButton() const { return m_clearAll; }

private:
    void Fill();
    void LevelChanged(int level);
    void Confirm();
    bool Differs() const;

    ctlItemView& m_view;
    QComboBox* m_lists[Levels] = {};
    QRadioButton* m_ascending[Levels] = {};
    QRadioButton* m_descending[Levels] = {};
    QComboBox* m_expand = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_clearAll = nullptr;
};
