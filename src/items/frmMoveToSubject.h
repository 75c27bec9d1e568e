#pragma once
#include <QDialog>
#include <QString>

class Category;
class ctlSubjectView;
class QPushButton;

// Picks a subject of one category: where selected items move to, or (relational form) where new relational
// links are filed. Changes nothing itself.
class frmMoveToSubject : public QDialog
{
    Q_OBJECT
public:
    // The chosen subject's key ("57" for a subject, "ktbl3" for the category's root); empty when cancelled.
    static QString OpenMoveDialog(Category& category, bool relationalLinks, QWidget* owner = nullptr);

    // Tests answer the dialog in advance: while answers are queued, each call takes the next one without
    // showing the window ("" = cancelled).
    static void QueueAnswerForTesting(const QString& subjectKey);

    ctlSubjectView* MoveSubjectView() const { return m_tree; }
    QPushButton* OkButton() const { return m_ok; }
    // The open dialog, for tests that work it with the keyboard and mouse.
    static frmMoveToSubject* OpenInstanceForTesting();

private:
    frmMoveToSubject(Category& category, bool relationalLinks, QWidget* owner);
    ~frmMoveToSubject() override;
    // Items are filed under the category's root or a plain subject; a query subject shows results instead.
    bool CanTakeItems(const QString& subjectKey) const;
    void SelectionChanged();

    Category& m_category;
    ctlSubjectView* m_tree = nullptr;
    QPushButton* m_ok = nullptr;
    QString m_result;
};
