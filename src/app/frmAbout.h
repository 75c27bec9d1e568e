#pragma once
#include <QDialog>

// The about box: title, version, legal notices and the home page link.
class frmAbout : public QDialog {
    Q_OBJECT

public:
    explicit frmAbout(QWidget* owner);
    // "Version " + major + "." + minor + revision, the revision written straight after the minor number.
    static QString VersionText(int major, int minor, int revision);
};
