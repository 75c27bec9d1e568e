#include "app/clsFile.h"

#include "app/modFileOperations.h"

QString clsFile::Name() const
{
    return modFileOperations::FileNamePart(m_path);
}

QString clsFile::Extension() const
{
    return modFileOperations::ExtensionPart(m_path);
}

QString clsFile::Directory() const
{
    return modFileOperations::DirectoryPart(m_path);
}

QString clsFile::Title() const
{
    return modFileOperations::TitlePart(m_path);
}

bool clsFile::Valid() const
{
    return !m_path.isEmpty() && m_path != QLatin1String("Cancel") && !Name().isEmpty();
}

QString clsFile::Path(const QString& fileExtension) const
{
    // Re-extending "Cancel" or a bare folder would turn a refused choice into a usable-looking file.
    if (fileExtension.isEmpty() || !Valid())
        return m_path;
    return Directory() + Title() + QLatin1Char('.') + fileExtension;
}

void clsFile::SetPath(const QString& path)
{
    // NULs first: file choosers pad their answer with them, and blanks before the padding must go too.
    QString cleaned = path;
    cleaned.remove(QChar(u'\0'));
    m_path = cleaned.trimmed();
}

void clsFile::SetPath(const QString& path, const QString& fileExtension)
{
    SetPath(path);
    m_path = Path(fileExtension);
}
