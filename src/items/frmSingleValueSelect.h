#pragma once
#include <QDialog>
#include <QStringList>

class ctlDataGrid;

// The pick list of People and Auto-complete cells: the values of a statement, several of which can be picked.
class frmSingleValueSelect : public QDialog
{
    Q_OBJECT
public:
    // Shows the values the statement reads, beside the given point (the list extends to its left); the
    // picked values joined by "; ", or the empty text when cancelled.
    static QString GetSingleValue(const QString& statement, const QPoint& globalPosition);

    // Tests answer the pick list in advance ("" = cancelled) or work the open window.
    static void QueueAnswerForTesting(const QString& answer);
    static frmSingleValueSelect* OpenInstanceForTesting();
    ctlDataGrid* Grid() const { return m_grid; }

private:
    frmSingleValueSelect();
    QString Run(const QString& statement, const QPoint& globalPosition);
    QString PickedValues() const;

    ctlDataGrid* m_grid = nullptr;
};
