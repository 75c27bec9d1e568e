#include "items/GuiEditorWindows.h"

#include "items/ctlItemEditor.h"
#include "items/frmEdit.h"
#include "model/Subject.h"

#include <QCoreApplication>

GuiEditorWindows::GuiEditorWindows(QWidget* owner) : m_owner(owner)
{
    SetMain(this);
}

GuiEditorWindows::~GuiEditorWindows()
{
    if (Main() == this)
        SetMain(nullptr);
}

QList<frmEdit*> GuiEditorWindows::Windows() const
{
    m_windows.removeAll(nullptr);
    QList<frmEdit*> open;
    for (const QPointer<frmEdit>& window : m_windows)
        if (window && window->isVisible())
            open << window;
    return open;
}

frmEdit* GuiEditorWindows::Find(int categoryId, int itemId) const
{
    for (frmEdit* window : Windows())
        if (window->CategoryID() == categoryId && window->ItemID() == itemId)
            return window;
    return nullptr;
}

void GuiEditorWindows::CloseEditorsOfCategory(int categoryId)
{
    for (frmEdit* window : Windows())
        if (window->CategoryID() == categoryId)
            window->close();
}

bool GuiEditorWindows::BringEditorWindowToFront(int categoryId, int itemId)
{
    frmEdit* window = Find(categoryId, itemId);
    if (!window)
        return false;
    if (window->isMinimized())
        window->showNormal();
    window->raise();
    window->activateWindow();
    return true;
}

void GuiEditorWindows::OpenEditorWindow(const Subject& subject, int itemId, bool isNew)
{
    auto* window = new frmEdit(subject, itemId, isNew, m_owner);
    m_windows.append(window);
    window->show();
    QCoreApplication::processEvents();
    window->Editor()->Refresh();
}

void GuiEditorWindows::CloseEditorWindow(int categoryId, int itemId)
{
    if (frmEdit* window = Find(categoryId, itemId))
        window->close();
}
