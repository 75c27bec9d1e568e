#include "../model/ModelFixture.h"

#include "controls/GridColumn.h"
#include "controls/ShellOpen.h"
#include "controls/clsCommonDialog.h"
#include "controls/ctlDataGrid.h"
#include "items/ctlItemView.h"
#include "platform/UserSettings.h"
#include "publish/clsHTMLOutput.h"

#include <QFile>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

// The item view's Publish command: what reaches the saved file or the browser for the selected rows.
class TestCtlItemViewPublish : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void nothingSelectedPublishesNothing();
    void saveToFileCopiesThePageOfTheSelectedItems();
    void openInBrowserOpensThePage();

private:
    int RowOf(int id) const;
    static QByteArray Read(const QString& path);

    std::unique_ptr<ModelFixture> m_fx;
    std::unique_ptr<ctlItemView> m_view;
    QStringList m_opened;
    int m_dune = 0;
    int m_emma = 0;
    int m_walden = 0;
};

void TestCtlItemViewPublish::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestCtlItemViewPublish::init()
{
    m_fx = std::make_unique<ModelFixture>();
    QVERIFY(m_fx->Setup());
    m_dune = m_fx->AddItem(m_fx->books, "[Title]", "'Dune'");
    m_emma = m_fx->AddItem(m_fx->books, "[Title]", "'Emma & Co'");
    m_walden = m_fx->AddItem(m_fx->books, "[Title]", "'Walden'");
    QVERIFY(m_dune && m_emma && m_walden);
    // The title list keeps the pages short: one run of titles.
    UserSettings::Set("HTMLBodyType", "1");
    QFile::remove(clsHTMLOutput::OutputPath());
    ShellOpen::SetRecorderForTesting(&m_opened);

    m_view = std::make_unique<ctlItemView>();
    m_view->Setup();
    m_view->resize(1200, 400);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    m_view->SetSubject(m_fx->books->RootSubject());
    m_view->RefreshView();
    m_view->GridExControl()->ClearSelection();
    // Opening the catalog used the progress window too.
    m_fx->ui.progressCaption.clear();
    m_fx->ui.progressMax = -1;
    m_fx->ui.progressClosed = false;
}

void TestCtlItemViewPublish::cleanup()
{
    m_view.reset();
    ShellOpen::SetRecorderForTesting(nullptr);
    clsCommonDialog::PendingAnswersForTesting().clear();
    QFile::remove(clsHTMLOutput::OutputPath());
    m_opened.clear();
    m_fx.reset();
}

int TestCtlItemViewPublish::RowOf(int id) const
{
    ctlDataGrid* grid = m_view->GridExControl();
    const int key = grid->ColumnByKey("ID")->Index();
    for (int row = 1; row <= grid->RowCount(); ++row)
        if (grid->RowValue(row, key).toInt() == id)
            return row;
    return 0;
}

QByteArray TestCtlItemViewPublish::Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestCtlItemViewPublish::nothingSelectedPublishesNothing()
{
    m_view->Publish(2);
    QVERIFY(m_opened.isEmpty());
    QVERIFY(!QFile::exists(clsHTMLOutput::OutputPath()));
    QVERIFY(m_fx->ui.progressCaption.isEmpty());
    QVERIFY(m_fx->ui.messages.isEmpty());
}

void TestCtlItemViewPublish::saveToFileCopiesThePageOfTheSelectedItems()
{
    ctlDataGrid* grid = m_view->GridExControl();
    grid->SelectRow(RowOf(m_walden));
    grid->SelectRow(RowOf(m_dune));
    const QString target = m_fx->path("shelf");

    clsCommonDialog::QueueAnswerForTesting("Cancel");
    m_view->Publish(1);
    QVERIFY(!QFile::exists(target + ".htm"));

    clsCommonDialog::QueueAnswerForTesting(target);
    m_view->Publish(1);
    QCOMPARE(clsCommonDialog::LastQuestionForTesting().DialogTitle, QString("Save HTML As..."));
    QCOMPARE(clsCommonDialog::LastQuestionForTesting().Filter, QString("HTML Document (*.htm)|*.htm"));
    QCOMPARE(m_fx->ui.progressCaption, QString("Generating HTML..."));
    QCOMPARE(m_fx->ui.progressMax, 2);
    QCOMPARE(m_fx->ui.progressSteps, 2);
    QVERIFY(m_fx->ui.progressClosed);
    QCOMPARE(m_fx->ui.busyDepth, 0);
    // The default extension is added; the rows come in the grid's order, sorted by title.
    const QByteArray saved = Read(target + ".htm");
    QVERIFY(saved.contains("<FONT CLASS=\"infotext\">\r\n\r\nDune<BR>Walden<BR></FONT>\r\n"));
    QCOMPARE(saved, Read(clsHTMLOutput::OutputPath()));
    QVERIFY(m_opened.isEmpty());
    QVERIFY(m_fx->ui.messages.isEmpty());
}

void TestCtlItemViewPublish::openInBrowserOpensThePage()
{
    m_view->GridExControl()->SelectRow(RowOf(m_emma));
    m_view->Publish(2);
    QCOMPARE(m_opened, QStringList(clsHTMLOutput::OutputPath()));
    QVERIFY(Read(clsHTMLOutput::OutputPath()).contains("\r\nEmma &amp; Co<BR></FONT>"));

    // A page that cannot be written is reported and nothing is opened.
    QVERIFY(QFile::remove(clsHTMLOutput::OutputPath()));
    QVERIFY(QDir().mkpath(clsHTMLOutput::OutputPath()));
    m_view->Publish(2);
    QVERIFY(QDir(clsHTMLOutput::OutputPath()).removeRecursively());
    QCOMPARE(m_opened.size(), 1);
    QCOMPARE(m_fx->ui.messages.size(), 1);
    QVERIFY(m_fx->ui.messages.first().startsWith("The items could not be published."));
}

QTEST_MAIN(TestCtlItemViewPublish)
#include "tst_ctlItemViewPublish.moc"
