#include "app/frmMessage.h"

#include "controls/IconLibrary.h"
#include "controls/WindowHelpers.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {
QPointer<QWidget> g_mainWindow;
}

void frmMessage::SetMainWindow(QWidget* mainWindow) { g_mainWindow = mainWindow; }

QList<int>& frmMessage::PendingAnswersForTesting()
{
    static QList<int> answers;
    return answers;
}

QStringList& frmMessage::ShownMessagesForTesting()
{
    static QStringList shown;
    return shown;
}

void frmMessage::QueueAnswerForTesting(int result) { PendingAnswersForTesting().append(result); }

frmMessage::frmMessage(const QString& message, QWidget* owner, int type, const QString& title,
                       const QString& optionCaption)
    : QDialog(owner)
{
    setWindowTitle(title.isEmpty() ? QStringLiteral("Kestrowan") : title);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* layout = new QVBoxLayout(this);
    auto* body = new QHBoxLayout;
    auto* picture = new QLabel(this);
    const QStyle::StandardPixmap kind =
        type == YesNo ? QStyle::SP_MessageBoxQuestion : QStyle::SP_MessageBoxInformation;
    picture->setPixmap(style()->standardIcon(kind).pixmap(32, 32));
    picture->setAlignment(Qt::AlignTop);
    auto* text = new QLabel(message, this);
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    text->setMinimumWidth(320);
    text->setMaximumWidth(520);
    body->addWidget(picture);
    body->addSpacing(8);
    body->addWidget(text, 1);
    layout->addLayout(body);
    if (type == YesNo && !optionCaption.isEmpty()) {
        m_option = new QCheckBox(optionCaption, this);
        layout->addWidget(m_option);
    }
    auto* buttons = new QDialogButtonBox(this);
    if (type == YesNo) {
        QPushButton* yes = buttons->addButton(tr("&Yes"), QDialogButtonBox::YesRole);
        QPushButton* no = buttons->addButton(tr("&No"), QDialogButtonBox::NoRole);
        yes->setDefault(true);
        setTabOrder(yes, no);
        connect(yes, &QPushButton::clicked, this, [this] { done(m_option && m_option->isChecked() ? 2 : 1); });
        connect(no, &QPushButton::clicked, this, [this] { done(0); });
    } else {
        QPushButton* ok = buttons->addButton(tr("&OK"), QDialogButtonBox::AcceptRole);
        ok->setDefault(true);
        connect(ok, &QPushButton::clicked, this, [this] { done(m_option && m_option->isChecked() ? 2 : 1); });
    }
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    WindowHelpers::ApplyFont(this);
}

int frmMessage::ShowMessage(const QString& message, QWidget* owner, int type, const QString& title,
                            const QString& optionCaption, bool modeless)
{
    ShownMessagesForTesting().append(message);
    if (!PendingAnswersForTesting().isEmpty())
        return PendingAnswersForTesting().takeFirst();
    QWidget* parent = g_mainWindow ? g_mainWindow.data() : owner;
    // The pointer the caller had is put back afterwards; a message is read with the normal arrow.
    const bool hadOverride = QApplication::overrideCursor() != nullptr;
    if (hadOverride)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    auto* box = new frmMessage(message, parent, type, title, optionCaption);
    int result = 0;
    if (modeless) {
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setModal(false);
        box->show();
    } else {
        box->setModal(true);
        result = box->exec();
        delete box;
    }
    if (hadOverride)
        QApplication::restoreOverrideCursor();
    return result;
}
