#include "controls/frmFontDialog.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{
QList<std::pair<QFont, QColor>>& QueuedAnswers()
{
    static QList<std::pair<QFont, QColor>> answers;
    return answers;
}
} // namespace

void frmFontDialog::QueueAnswerForTesting(const QFont& font, const QColor& color)
{
    QueuedAnswers().append({font, color});
}

frmFontDialog::frmFontDialog(QWidget* owner, const QFont& font, const QColor& color) : QDialog(owner), m_color(color)
{
    setWindowTitle(QStringLiteral("Font"));
    auto* layout = new QVBoxLayout(this);
    // Qt's font dialog, embedded without its own buttons, gives face, style, size and effects.
    m_fonts = new QFontDialog(font, this);
    m_fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    m_fonts->setWindowFlags(Qt::Widget);
    layout->addWidget(m_fonts);

    auto* colorRow = new QHBoxLayout;
    colorRow->addWidget(new QLabel(QStringLiteral("Colour:"), this));
    m_colorButton = new QPushButton(this);
    m_colorButton->setObjectName(QStringLiteral("Colour"));
    m_colorButton->setFixedWidth(80);
    colorRow->addWidget(m_colorButton);
    colorRow->addStretch(1);
    layout->addLayout(colorRow);
    ShowColor();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    connect(m_colorButton, &QPushButton::clicked, this, [this] {
        const QColor chosen = QColorDialog::getColor(m_color, this, QStringLiteral("Colour"));
        if (chosen.isValid()) {
            m_color = chosen;
            ShowColor();
        }
    });
}

void frmFontDialog::ShowColor()
{
    m_colorButton->setStyleSheet(QStringLiteral("background-color: %1;").arg(m_color.name()));
}

bool frmFontDialog::Choose(QWidget* owner, QFont& font, QColor& color)
{
    if (!QueuedAnswers().isEmpty()) {
        std::tie(font, color) = QueuedAnswers().takeFirst();
        return true;
    }
    frmFontDialog dialog(owner, font, color.isValid() ? color : QColor(Qt::black));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    font = dialog.m_fonts->currentFont();
    color = dialog.m_color;
    return true;
}
