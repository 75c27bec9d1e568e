#pragma once

class Subject;

// What the catalog model needs of the main window's item view: show a subject's items with a view type
// (0 subject items, 1 query results, 4 relational items, ...) and forget what it shows.
class ItemViewInterface {
public:
    virtual ~ItemViewInterface() = default;

    virtual void SetSubject(const Subject& subject) = 0;
    virtual void SetViewType(int viewType) = 0;
    // Loads the items of the subject set last.
    virtual void RefreshView() = 0;
    // Empties the view: no subject, no rows, no columns.
    virtual void Reset() = 0;

    // The main window's item view; none until the main window registers it (and in the tools and tests).
    static ItemViewInterface* Main();
    static void SetMain(ItemViewInterface* view);
};
