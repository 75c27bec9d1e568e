#pragma once
#include <QAbstractScrollArea>
#include <QImage>
#include <QPixmap>
#include <QString>

class Recordset;

// The picture stored in one Media column of an item, in a scrolling viewport, and the item editor's media
// commands. The viewer keeps no record: each command is given the record set and field, works on the
// current record and lets go of them. A stored file that Qt cannot show (a Windows metafile, a damaged
// file) stays stored as it is, and the viewer says so in place of the picture.
class ctlImageViewer : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit ctlImageViewer(QWidget* parent = nullptr);

    // Shows the picture stored in the field. Never reports failure: an empty field leaves the viewer
    // empty, a file that is no picture leaves the notice of HoldsUnshowableFile.
    void LoadImageFromField(const Recordset& rs, int field);
    void LoadImageFromField(const Recordset& rs, const QString& field);

    // Lets the person choose a picture file, stores it in the field and shows it. The record is saved at
    // once, unless the caller has it open for editing or adding: then it saves the picture with the rest.
    // False when cancelled or refused; the field is then as it was and the viewer shows what it holds.
    bool LoadImageFromFile(Recordset& rs, int field);
    bool LoadImageFromFile(Recordset& rs, const QString& field);

    // Lets the person choose a file name, proposing the stored one, and writes the picture there in the
    // format its extension names. True when a file was written.
    bool SaveImageToFile(const Recordset& rs, int field);
    bool SaveImageToFile(const Recordset& rs, const QString& field);

    // Empties the field (saved as LoadImageFromFile saves) and the viewer; false, with a message, when the
    // record could not be saved.
    bool ClearImageFromField(Recordset& rs, int field);
    bool ClearImageFromField(Recordset& rs, const QString& field);

    void Clear();

    // The shown picture; null when none shows.
    QPixmap Picture() const { return m_picture; }
    // True when the field last loaded holds a file that is no picture Qt can read; Notice says so.
    bool HoldsUnshowableFile() const { return !m_notice.isEmpty(); }
    QString Notice() const { return m_notice; }

    // The file types the open dialog offers, in clsCommonDialog's form: every picture Qt reads first.
    static QString OpenFilter();
    // The picture in a stored file's bytes; name (its stored name) hints at the format. Null when the bytes
    // are no picture Qt can read.
    static QImage ReadPicture(const QByteArray& bytes, const QString& name);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void ShowPicture(const QImage& picture);
    void AdjustScrollBars();

    QPixmap m_picture;
    QString m_notice;
};
