#pragma once

// The stand-alone item editor windows, as far as the catalog model needs them: a category that goes away
// takes its open editors with it.
class ItemEditorWindowsInterface {
public:
    virtual ~ItemEditorWindowsInterface() = default;

    // Closes every stand-alone item editor window that shows a subject of the category.
    virtual void CloseEditorsOfCategory(int categoryId) = 0;

    static ItemEditorWindowsInterface* Main();
    static void SetMain(ItemEditorWindowsInterface* windows);
};
