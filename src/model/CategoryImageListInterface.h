#pragma once
#include <QString>

// The main window's list of 16 by 16 category pictures, keyed by a category's data table name, and the
// icon file chooser that goes with it.
class CategoryImageListInterface {
public:
    virtual ~CategoryImageListInterface() = default;

    virtual bool HasImage(const QString& key) const = 0;
    // Puts a copy of a built-in picture ("Plain Document", "Person", "Relational") under key, replacing
    // any picture there.
    virtual void SetBuiltInCopy(const QString& key, const QString& builtInKey) = 0;
    // Puts the picture of an image file, at 16 by 16 pixels, under key; false (and the old picture kept)
    // when the file cannot be read as a picture.
    virtual bool LoadFromFile(const QString& key, const QString& path) = 0;
    // Shows the file-open dialog; the chosen path, or the empty text when the user cancelled.
    virtual QString ChooseIconFile(const QString& title, const QString& filter) = 0;

    static CategoryImageListInterface* Main();
    static void SetMain(CategoryImageListInterface* list);
};
