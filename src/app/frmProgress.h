#pragma once
#include <QDialog>
#include <QPointer>

class QLabel;
class QProgressBar;

// The shared progress window: a caption and one bar, shown modeless over its owner during long work.
class frmProgress : public QDialog {
    Q_OBJECT

public:
    // The one instance, made on first use.
    static frmProgress* Instance(QWidget* owner);
    // Unloading releases the instance.
    static void Unload();
    static bool IsLoaded() { return s_instance != nullptr; }

    void SetMax(int max);
    int Max() const;
    int Value() const;
    void Step();

private:
    explicit frmProgress(QWidget* owner);
    QLabel* m_caption;
    QProgressBar* m_bar;
    static QPointer<frmProgress> s_instance;
};
