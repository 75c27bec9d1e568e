#pragma once
#include <QWidget>

class ctlItemEditor;
class Subject;

// A window of its own for one item: the item editor, its caption following the item's title. Its size and
// state are kept in the catalog's settings; closing it saves the item.
class frmEdit : public QWidget
{
    Q_OBJECT
public:
    frmEdit(const Subject& subject, int itemId, bool isNew, QWidget* owner);
    ~frmEdit() override;

    ctlItemEditor* Editor() const { return m_editor; }
    int CategoryID() const { return m_categoryId; }
    int ItemID() const { return m_itemId; }
    // The category ID immediately followed by the item ID ("341" for category 3, item 41).
    QString Tag() const { return QString::number(m_categoryId) + QString::number(m_itemId); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    ctlItemEditor* m_editor = nullptr;
    int m_categoryId = 0;
    int m_itemId = 0;
    bool m_closed = false;
};
