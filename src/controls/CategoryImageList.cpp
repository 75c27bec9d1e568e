#include "controls/CategoryImageList.h"

#include "controls/IconLibrary.h"
#include "controls/clsCommonDialog.h"

#include <QImageReader>

namespace {
constexpr int PictureSize = 16;
QString Folded(const QString& key) { return key.toCaseFolded(); }
} // namespace

bool CategoryImageList::HasImage(const QString& key) const { return m_pictures.contains(Folded(key)); }

void CategoryImageList::SetBuiltInCopy(const QString& key, const QString& builtInKey)
{
    m_pictures.insert(Folded(key), IconLibrary::Pixmap(builtInKey, PictureSize));
}

bool CategoryImageList::LoadFromFile(const QString& key, const QString& path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    // An icon file may hold several sizes: the smallest one not below the list's size scales best;
    // failing that, the largest.
    QImage best;
    const auto better = [](const QImage& image, const QImage& than) {
        if (than.isNull())
            return true;
        const bool fits = image.width() >= PictureSize, thanFits = than.width() >= PictureSize;
        if (fits != thanFits)
            return fits;
        return fits ? image.width() < than.width() : image.width() > than.width();
    };
    for (int i = 0; i < std::max(1, reader.imageCount()); ++i) {
        if (i > 0 && !reader.jumpToImage(i))
            break;
        const QImage image = reader.read();
        if (!image.isNull() && better(image, best))
            best = image;
    }
    if (best.isNull())
        return false;
    if (best.size() != QSize(PictureSize, PictureSize))
        best = best.scaled(PictureSize, PictureSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    m_pictures.insert(Folded(key), QPixmap::fromImage(best));
    return true;
}

QString CategoryImageList::ChooseIconFile(const QString& title, const QString& filter)
{
    clsCommonDialog chooser;
    chooser.DialogTitle = title;
    chooser.Filter = filter;
    const clsFile file = chooser.ShowOpen(m_owner);
    return file.Valid() ? file.Path() : QString();
}

QPixmap CategoryImageList::Pixmap(const QString& key) const
{
    const auto found = m_pictures.constFind(Folded(key));
    if (found != m_pictures.constEnd())
        return *found;
    return IconLibrary::Pixmap(key, PictureSize);
}
