#include "CatalogFixture.h"

#include "app/frmMain.h"
#include "app/frmMessage.h"
#include "platform/UserSettings.h"

#include <QAction>
#include <QMenu>
#include <QSettings>
#include <QSplitter>
#include <QToolButton>
#include <QtTest>

// The main window's settings, splitters, status text and command states.
class TestFrmMain : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { frmMessage::PendingAnswersForTesting().clear(); }
    void firstStartUsesTheDefaults();
    void exitWhileMaximizedKeepsTheNormalSize();
    void exitWhileMinimizedSavesOnlyTheEditorPane();
    void exitFromANormalWindowSavesItsSize();
    void splittersAreClamped();
    void resizingKeepsTheEditorProportion();
    void countText_data();
    void countText();
    void closeButtonHidesTheEditorPane();
    void commandsFollowTheCatalogState();
    void menusHaveTheirEntries();

private:
    static QString Stored(const CatalogFixture& fx, const QString& key);
};

QString TestFrmMain::Stored(const CatalogFixture& fx, const QString& key)
{
    QSettings ini(fx.path("settings.ini"), QSettings::IniFormat);
    return ini.value("Settings/" + key).toString();
}

void TestFrmMain::firstStartUsesTheDefaults()
{
    CatalogFixture fx;
    frmMain window;
    QVERIFY(window.windowState() & Qt::WindowMaximized);
    QVERIFY(window.ItemEditorVisible());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(qAbs(window.VerticalSplit() - 2500) <= 30);
    QCOMPARE(window.HeaderCaption(), QString("Subject View"));
}

void TestFrmMain::exitWhileMaximizedKeepsTheNormalSize()
{
    CatalogFixture fx;
    UserSettings::Set("FormWidth", "9000");
    UserSettings::Set("FormHeight", "6500");
    {
        frmMain window;
        window.showMaximized();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.close();
    }
    QCOMPARE(Stored(fx, "WindowState"), QString("2"));
    QCOMPARE(Stored(fx, "FormWidth"), QString("9000"));
    QCOMPARE(Stored(fx, "FormHeight"), QString("6500"));
    QCOMPARE(Stored(fx, "ItemEditorVisible"), QString("True"));
}

void TestFrmMain::exitWhileMinimizedSavesOnlyTheEditorPane()
{
    CatalogFixture fx;
    {
        frmMain window;
        window.showMinimized();
        QTest::qWait(20);
        window.close();
    }
    QSettings ini(fx.path("settings.ini"), QSettings::IniFormat);
    ini.beginGroup("Settings");
    QCOMPARE(ini.childKeys(), QStringList{"ItemEditorVisible"});
}

void TestFrmMain::exitFromANormalWindowSavesItsSize()
{
    CatalogFixture fx;
    UserSettings::Set("WindowState", "0");
    {
        frmMain window;
        window.showNormal();
        window.resize(frmMain::TwipsToPixels(9600), frmMain::TwipsToPixels(7200));
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.SetVerticalSplit(3000);
        window.close();
    }
    QCOMPARE(Stored(fx, "WindowState"), QString("0"));
    QCOMPARE(Stored(fx, "FormWidth"), QString("9600"));
    QCOMPARE(Stored(fx, "FormHeight"), QString("7200"));
    QVERIFY(qAbs(Stored(fx, "VerticalSplit").toInt() - 3000) <= 30);
}

void TestFrmMain::splittersAreClamped()
{
    CatalogFixture fx;
    UserSettings::Set("WindowState", "0");
    frmMain window;
    window.resize(frmMain::TwipsToPixels(9000), frmMain::TwipsToPixels(7500));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const int widthTwips = frmMain::PixelsToTwips(window.width());
    const int heightTwips = frmMain::PixelsToTwips(window.height());
    window.SetVerticalSplit(0);
    QVERIFY(qAbs(window.VerticalSplit() - 400) <= 30);
    window.SetVerticalSplit(100000);
    QVERIFY2(qAbs(window.VerticalSplit() - (widthTwips - 400)) <= 30,
             qPrintable(QString("%1 vs %2").arg(window.VerticalSplit()).arg(widthTwips - 400)));
    window.SetHorizontalSplit(0);
    QVERIFY(window.HorizontalSplit() >= 1200 - 30);
    window.SetHorizontalSplit(100000);
    QVERIFY(window.HorizontalSplit() <= heightTwips - 1200 + 30);
}

void TestFrmMain::resizingKeepsTheEditorProportion()
{
    CatalogFixture fx;
    UserSettings::Set("WindowState", "0");
    frmMain window;
    window.resize(800, 600);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.SetHorizontalSplit(frmMain::PixelsToTwips(300));
    auto* splitter = window.findChild<QSplitter*>("HorizontalSplitter");
    const double before = double(splitter->sizes()[0]) / (splitter->sizes()[0] + splitter->sizes()[1]);
    window.resize(800, 900);
    QTest::qWait(20);
    const double after = double(splitter->sizes()[0]) / (splitter->sizes()[0] + splitter->sizes()[1]);
    QVERIFY2(qAbs(before - after) < 0.02, qPrintable(QString("%1 vs %2").arg(before).arg(after)));
}

void TestFrmMain::countText_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("text");
    QTest::newRow("none") << 0 << "0 Items";
    QTest::newRow("one") << 1 << "1 Item";
    QTest::newRow("many") << 1234 << "1234 Items";
}

void TestFrmMain::countText()
{
    QFETCH(int, count);
    QFETCH(QString, text);
    CatalogFixture fx;
    frmMain window;
    window.UpdateCount(count);
    QCOMPARE(window.StatusText(), text);
}

void TestFrmMain::closeButtonHidesTheEditorPane()
{
    CatalogFixture fx;
    {
        frmMain window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mouseClick(window.findChild<QToolButton*>("EditorClose"), Qt::LeftButton);
        QVERIFY(!window.ItemEditorVisible());
        window.close();
    }
    QCOMPARE(Stored(fx, "ItemEditorVisible"), QString("False"));
    frmMain again;
    QVERIFY(!again.ItemEditorVisible());
}

void TestFrmMain::commandsFollowTheCatalogState()
{
    CatalogFixture fx;
    frmMain window;
    // The recording interface stands in for the window here; drive the window's steps as the program does.
    QVERIFY(!window.Command("Close")->isEnabled());
    QVERIFY(window.Command("Repair/Compact")->isEnabled());
    window.EnableCatalogCommands(true);
    window.SetCloseCommandEnabled(true);
    window.SetRepairCommandEnabled(false);
    window.SetPasswordCommand("Unset &Password", "3");
    for (const char* caption : {"Settings", "Import", "Export", "Search and Replace...", "Quick Search...",
                                "Advanced Search...", "Password", "Close"})
        QVERIFY2(window.Command(caption)->isEnabled(), caption);
    QCOMPARE(window.Command("Password")->text(), QString("Unset &Password"));
    QCOMPARE(window.Command("Password")->data().toString(), QString("3"));
    window.EnableCatalogCommands(false);
    for (const char* caption : {"Settings", "Import", "Export", "Search and Replace...", "Quick Search...",
                                "Advanced Search...", "Password"})
        QVERIFY2(!window.Command(caption)->isEnabled(), caption);
    for (const char* caption : {"Open", "Exit", "Dewey Decimal...", "Contents", "About"})
        QVERIFY2(window.Command(caption)->isEnabled(), caption);
}

void TestFrmMain::menusHaveTheirEntries()
{
    CatalogFixture fx;
    frmMain window;
    QStringList catalog;
    for (QAction* action : window.CatalogMenu()->actions())
        catalog << (action->isSeparator() ? "-" : action->text());
    QCOMPARE(catalog, (QStringList{"&Open", "&Close", "-", "&Quick Search...", "&Advanced Search...", "-",
                                   "Repair/&Compact", "&Settings", "-", "&Utilities", "-", "E&xit"}));
    QCOMPARE(window.Command("Open")->shortcut(), QKeySequence("Ctrl+O"));
    QStringList help;
    for (QAction* action : window.HelpMenu()->actions())
        help << (action->isSeparator() ? "-" : action->text());
    QCOMPARE(help, (QStringList{"&Contents", "-", "&Home Page", "&Email Us", "-", "&About"}));
    for (const char* button : {"Catalog", "Actions", "Help"})
        QVERIFY(window.MenuButton(button));
    // Advanced search without a selected subject says so and does nothing else.
    frmMessage::QueueAnswerForTesting(1);
    frmMessage::ShownMessagesForTesting().clear();
    window.Command("Advanced Search...")->trigger();
    QCOMPARE(frmMessage::ShownMessagesForTesting(),
             QStringList{"Please make sure a category or subject is selected before searching"});
}

QTEST_MAIN(TestFrmMain)
#include "tst_frmMain.moc"
