#include "CatalogFixture.h"

#include "app/frmMessage.h"
#include "app/frmOpen.h"
#include "controls/clsCommonDialog.h"

#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

// The open dialog as a person uses it: the file list of the last folder, opening, cancelling, creating.
class TestFrmOpen : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup();
    void emptyFolderShowsOnlyMoreFiles();
    void listsCatalogFilesOfTheLastFolderByName();
    void doubleClickOpensAndRenamesLegacyFiles();
    void okWithNothingSelectedDoesNothing();
    void cancelWithoutCatalogSwitchesCommandsOff();
    void moreFilesCancelledClosesTheDialogOnly();
    void newCatalogAsksAgainForAnExistingName();
    void newCatalogCancelledKeepsTheDialogOpen();

private:
    static void Touch(const QString& path, const QByteArray& content = "x");
    static QStringList Entries(const frmOpen& dialog);
};

void TestFrmOpen::cleanup()
{
    frmMessage::PendingAnswersForTesting().clear();
    frmMessage::ShownMessagesForTesting().clear();
    clsCommonDialog::PendingAnswersForTesting().clear();
}

void TestFrmOpen::Touch(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QStringList TestFrmOpen::Entries(const frmOpen& dialog)
{
    QStringList entries;
    for (int i = 0; i < dialog.FileListView()->count(); ++i)
        entries << dialog.FileListView()->item(i)->text();
    return entries;
}

void TestFrmOpen::emptyFolderShowsOnlyMoreFiles()
{
    CatalogFixture fx;
    Catalog().SetLastDirectory(fx.dir.path() + "/");
    Touch(fx.path("notes.txt"));
    frmOpen dialog(nullptr);
    QCOMPARE(Entries(dialog), QStringList{"More Files..."});
}

void TestFrmOpen::listsCatalogFilesOfTheLastFolderByName()
{
    CatalogFixture fx;
    Catalog().SetLastDirectory(fx.dir.path() + "/");
    for (const char* name : {"zoo.kst", "Books.kst", "old.kxo", "readme.txt"})
        Touch(fx.path(name));
    frmOpen dialog(nullptr);
    QCOMPARE(Entries(dialog), (QStringList{"More Files...", "Books.kst", "old.kxo", "zoo.kst"}));
    Catalog().SetLastDirectory(fx.path("gone/"));
    frmOpen fallback(nullptr);
    QCOMPARE(fallback.ListedFolder(), QDir::currentPath());
}

void TestFrmOpen::doubleClickOpensAndRenamesLegacyFiles()
{
    CatalogFixture fx;
    QVERIFY(QFile::rename(fx.NewCatalog("Old.kst"), fx.path("Old.kxo")));
    Catalog().SetLastDirectory(fx.dir.path() + "/");
    frmOpen dialog(nullptr);
    dialog.show();
    QListWidget* list = dialog.FileListView();
    const QRect rect = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    QVERIFY(Catalog().Loaded());
    QCOMPARE(Catalog().File.Path(), fx.path("Old.kst"));
    QVERIFY(!dialog.isVisible());
}

void TestFrmOpen::okWithNothingSelectedDoesNothing()
{
    CatalogFixture fx;
    fx.NewCatalog("Books.kst");
    Catalog().SetLastDirectory(fx.dir.path() + "/");
    frmOpen dialog(nullptr);
    dialog.show();
    QTest::mouseClick(dialog.findChild<QPushButton*>("OK"), Qt::LeftButton);
    QVERIFY(dialog.isVisible());
    QVERIFY(!Catalog().Loaded());
}

void TestFrmOpen::cancelWithoutCatalogSwitchesCommandsOff()
{
    CatalogFixture fx;
    frmOpen dialog(nullptr);
    dialog.show();
    QTest::mouseClick(dialog.findChild<QPushButton*>("Cancel"), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(fx.ui.steps, QStringList{"commands off"});

    QVERIFY(fx.OpenNew());
    fx.ui.steps.clear();
    frmOpen again(nullptr);
    again.show();
    QTest::mouseClick(again.findChild<QPushButton*>("Cancel"), Qt::LeftButton);
    QVERIFY(fx.ui.steps.isEmpty()); // an open catalog keeps its commands
    QVERIFY(Catalog().Loaded());
}

void TestFrmOpen::moreFilesCancelledClosesTheDialogOnly()
{
    CatalogFixture fx;
    QVERIFY(fx.OpenNew("Books.kst"));
    clsCommonDialog::QueueAnswerForTesting("Cancel");
    frmOpen dialog(nullptr);
    dialog.show();
    dialog.FileListView()->setCurrentRow(0);
    QTest::mouseClick(dialog.findChild<QPushButton*>("OK"), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QVERIFY(Catalog().Loaded());
    QCOMPARE(Catalog().File.Name(), QString("Books.kst"));
}

void TestFrmOpen::newCatalogAsksAgainForAnExistingName()
{
    CatalogFixture fx;
    QVERIFY(fx.OpenNew("Old.kst"));
    Touch(fx.path("Taken.kst"), "someone's data");
    clsCommonDialog::QueueAnswerForTesting(fx.path("Taken.kst"));
    clsCommonDialog::QueueAnswerForTesting(fx.path("Fresh")); // the extension is added
    frmMessage::QueueAnswerForTesting(1);
    frmOpen dialog(nullptr);
    dialog.show();
    dialog.TabStrip()->setCurrentIndex(1);
    QTest::mouseClick(dialog.findChild<QPushButton*>("OK"), Qt::LeftButton);
    QCOMPARE(frmMessage::ShownMessagesForTesting(), QStringList{"The file already exists, please choose another name."});
    QVERIFY(Catalog().Loaded());
    QCOMPARE(Catalog().File.Path(), fx.path("Fresh.kst"));
    QCOMPARE(Catalog().categories().Count(), 2);
    QVERIFY(!dialog.isVisible());
    QFile taken(fx.path("Taken.kst"));
    QVERIFY(taken.open(QIODevice::ReadOnly));
    QCOMPARE(taken.readAll(), QByteArray("someone's data"));
}

void TestFrmOpen::newCatalogCancelledKeepsTheDialogOpen()
{
    CatalogFixture fx;
    clsCommonDialog::QueueAnswerForTesting("Cancel");
    frmOpen dialog(nullptr);
    dialog.show();
    dialog.TabStrip()->setCurrentIndex(1);
    QTest::mouseClick(dialog.findChild<QPushButton*>("OK"), Qt::LeftButton);
    QVERIFY(dialog.isVisible());
    QVERIFY(!Catalog().Loaded());
}

QTEST_MAIN(TestFrmOpen)
#include "tst_frmOpen.moc"
