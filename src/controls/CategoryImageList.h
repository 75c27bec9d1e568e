#pragma once
#include "model/CategoryImageListInterface.h"

#include <QHash>
#include <QPixmap>
#include <QString>

class QWidget;

// The main window's small image list: the built-in 16 by 16 pictures by their keys ("Folder 256",
// "Magnify", ...) and one picture per category under its data table name ("ktbl12"), which the model
// sets as categories are loaded.
class CategoryImageList final : public CategoryImageListInterface {
public:
    explicit CategoryImageList(QWidget* dialogOwner = nullptr) : m_owner(dialogOwner) {}

    bool HasImage(const QString& key) const override;
    void SetBuiltInCopy(const QString& key, const QString& builtInKey) override;
    bool LoadFromFile(const QString& key, const QString& path) override;
    QString ChooseIconFile(const QString& title, const QString& filter) override;

    // A category's picture when one is kept under the key, otherwise the built-in picture of that key;
    // a null pixmap for a key that is neither.
    QPixmap Pixmap(const QString& key) const;
    void Clear() { m_pictures.clear(); }

private:
    QHash<QString, QPixmap> m_pictures; // by case-folded key
    QWidget* m_owner;
};
