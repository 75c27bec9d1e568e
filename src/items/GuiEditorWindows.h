#pragma once
#include "model/ItemEditorWindowsInterface.h"

#include <QList>
#include <QPointer>

class QWidget;
class frmEdit;

// The open item editor windows, one per item, owned by the main window.
class GuiEditorWindows : public ItemEditorWindowsInterface
{
public:
    explicit GuiEditorWindows(QWidget* owner);
    ~GuiEditorWindows() override;

    void CloseEditorsOfCategory(int categoryId) override;
    bool BringEditorWindowToFront(int categoryId, int itemId) override;
    void OpenEditorWindow(const Subject& subject, int itemId, bool isNew) override;
    void CloseEditorWindow(int categoryId, int itemId) override;

    // The open windows, oldest first.
    QList<frmEdit*> Windows() const;
    frmEdit* Find(int categoryId, int itemId) const;

private:
    QWidget* m_owner;
    mutable QList<QPointer<frmEdit>> m_windows;
};
