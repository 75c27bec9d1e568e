#pragma once
#include <QString>

// A file path as it travels through the program: the open catalog's file, a file chooser's answer, the
// file named on the command line. Only the path is stored; every part is computed from it when read.
// A file chooser that was cancelled leaves the text "Cancel"; an untouched clsFile holds the empty path.
class clsFile
{
public:
    clsFile() = default;
    explicit clsFile(const QString& path) { SetPath(path); }

    // The parts, as modFileOperations defines them. Directory keeps its trailing "/".
    QString Name() const;
    QString Extension() const;
    QString Directory() const;
    QString Title() const;

    // True when the path is neither empty nor "Cancel" and names a file (its Name is not empty).
    bool Valid() const;

    // The stored path.
    QString Path() const { return m_path; }
    // Directory + Title + "." + fileExtension; the stored path when fileExtension is empty or the file is
    // not valid (there is no name to give another extension to).
    QString Path(const QString& fileExtension) const;

    // Stores the path without NUL characters and without surrounding white space.
    void SetPath(const QString& path);
    // The same, then swaps the extension for fileExtension (see Path(fileExtension)).
    void SetPath(const QString& path, const QString& fileExtension);

    bool operator==(const clsFile& other) const = default;

private:
    QString m_path;
};
