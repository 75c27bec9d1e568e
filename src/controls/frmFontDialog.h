#pragma once
#include <QColor>
#include <QDialog>
#include <QFont>

class QFontDialog;
class QPushButton;

// The font dialog of rich text: face, size, bold, italic, underline, strike-through, and the text's colour,
// which Qt's own font dialog does not offer.
class frmFontDialog : public QDialog
{
    Q_OBJECT
public:
    // Shows the dialog preset with font and colour; true (and both changed) when the person chose OK.
    static bool Choose(QWidget* owner, QFont& font, QColor& color);

    // Tests answer the dialog in advance: each queued answer is taken by the next Choose without a window.
    static void QueueAnswerForTesting(const QFont& font, const QColor& color);

private:
    frmFontDialog(QWidget* owner, const QFont& font, const QColor& color);
    void ShowColor();

    QFontDialog* m_fonts = nullptr;
    QPushButton* m_colorButton = nullptr;
    QColor m_color;
};
