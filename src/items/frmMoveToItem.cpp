#include "items/frmMoveToItem.h"

#include "controls/WindowHelpers.h"
#include "items/ctlItemView.h"
#include "model/Category.h"

#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{
QList<int>& QueuedAnswers()
{
    static QList<int> answers;
    return answers;
}
QPointer<frmMoveToItem> g_open;
} // namespace

void frmMoveToItem::QueueAnswerForTesting(int itemId)
{
    QueuedAnswers().append(itemId);
}

frmMoveToItem* frmMoveToItem::OpenInstanceForTesting()
{
    return g_open;
}

frmMoveToItem::frmMoveToItem(Category& category, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowTitle(QStringLiteral("Move to Item"));
    auto* layout = new QVBoxLayout(this);
    m_items = new ctlItemView(this);
    m_items->setObjectName(QStringLiteral("ToItemView"));
    m_items->SetViewType(ctlItemView::ItemPicker);
    m_items->Setup();
    m_items->setMinimumSize(480, 320);
    layout->addWidget(m_items, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("OK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("Cancel"));
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_items, &ctlItemView::Click, this, [this](int id) {
        if (id != 0)
            setWindowTitle(QStringLiteral("Move to '") + m_items->GetTitle() + QLatin1Char('\''));
    });

    WindowHelpers::ApplyFont(this);
    // Every item of the category, in title order.
    m_items->SetSubject(category.RootSubject());
    m_items->RefreshView();
}

int frmMoveToItem::OpenMoveToItemDialog(Category& category, QWidget* owner)
{
    if (!QueuedAnswers().isEmpty())
        return QueuedAnswers().takeFirst();
    frmMoveToItem dialog(category, owner);
    g_open = &dialog;
    const bool chosen = dialog.exec() == QDialog::Accepted;
    g_open = nullptr;
    return chosen ? dialog.m_items->CurrentID() : 0;
}
