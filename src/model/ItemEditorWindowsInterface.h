#pragma once

class Subject;

// The stand-alone item editor windows (one per opened item), as the model and the item commands need them.
// A window is known by its category and item; both are compared, so category 3 item 41 is never taken for
// category 34 item 1.
class ItemEditorWindowsInterface {
public:
    virtual ~ItemEditorWindowsInterface() = default;

    // Closes every stand-alone item editor window that shows a subject of the category.
    virtual void CloseEditorsOfCategory(int categoryId) = 0;
    // Brings the item's open window to the front, restored if minimised; false when it has none.
    virtual bool BringEditorWindowToFront(int /*categoryId*/, int /*itemId*/) { return false; }
    // Opens a new window on the item of the subject's category; isNew when the item was just made for it.
    virtual void OpenEditorWindow(const Subject& /*subject*/, int /*itemId*/, bool /*isNew*/) {}
    // Closes the item's window, if open; closing saves what it holds.
    virtual void CloseEditorWindow(int /*categoryId*/, int /*itemId*/) {}

    static ItemEditorWindowsInterface* Main();
    static void SetMain(ItemEditorWindowsInterface* windows);
};
