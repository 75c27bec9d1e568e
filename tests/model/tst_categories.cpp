#include "FakeViews.h"
#include "ModelFixture.h"

#include "model/Categories.h"
#include "storage/modBinaryField.h"

#include <QtTest>

// Categories: their stored properties, sub categories and the subject tree, pictures, and removal.
class TestCategories : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void propertiesReadAndWriteTheirRow();
    void missingValuesGiveTheirDefaults();
    void nameWithApostropheIsStoredIntact();
    void drawCategoryFollowsTheParent();
    void settingTheParentClearsItemParentsEvenWhenUnchanged();
    void parentLoopsAreRefused();
    void childListLeavesOutTheRelationalCategory();
    void collectionByIdAndSpecialCategories();
    void fillListSubjectsGivesPlainSubjectsByName();
    void buildSubjectsAddsNodesWithTheirIcons();
    void hiddenCategoryHasNoNodeInTheMainView();
    void openingBuildsTheTreeWithSubCategoriesUnderParents();
    void parentAndVisibilityChangesMoveNodes();
    void picturesFollowTheType();
    void storedIconIsLoadedAndReplaced();
    void chosenIconIsStored();
    void removalForGoodCascades();
    void removalWithoutDestroyOnlyDropsTheEntry();

private:
    QString CategoryValue(const Category* category, const QString& field)
    {
        return m_fx->Value(QString("SELECT [%1] FROM [Categories] WHERE [ID] = %2").arg(field).arg(category->ID()));
    }
    QString WriteIcon(const QString& name, const QByteArray& bytes)
    {
        QFile file(m_fx->path(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return m_fx->path(name);
    }

    std::unique_ptr<ModelFixture> m_fx;
};

void TestCategories::init()
{
    m_fx = std::make_unique<ModelFixture>();
    QVERIFY(m_fx->Setup());
}

void TestCategories::cleanup()
{
    Catalog().Subjects = nullptr;
    m_fx.reset();
}

void TestCategories::propertiesReadAndWriteTheirRow()
{
    Category* books = m_fx->books;
    QVERIFY(!books->SetDescription("All my books"));
    QCOMPARE(CategoryValue(books, "Description"), QString("All my books"));
    QCOMPARE(books->Description(), QString("All my books"));

    QVERIFY(!books->SetSingleDisplay("Book"));
    QCOMPARE(books->SingleDisplay(), QString("Book"));
    QVERIFY(!books->SetDefaultMedia("Cover"));
    QVERIFY(!books->SetDefaultMemo("Notes"));
    QCOMPARE(books->DefaultMedia(), QString("Cover"));
    QCOMPARE(books->DefaultMemo(), QString("Notes"));

    QVERIFY(!books->SetDrawFromParent(true));
    QCOMPARE(CategoryValue(books, "DrawFromParent"), QString("True"));
    QVERIFY(books->DrawFromParent());
    QVERIFY(!books->SetTreeHidden(true));
    QCOMPARE(CategoryValue(books, "Hidden"), QString("True"));
    QVERIFY(books->TreeHidden());
    QVERIFY(!books->SetTreeHidden(false));
    QVERIFY(!books->TreeHidden());

    // Another object for the same category reads the same stored values; only its cache may lag.
    Category other(books->ID(), &m_fx->db());
    QCOMPARE(other.Description(), QString("All my books"));
    QVERIFY(other.DrawFromParent());

    QCOMPARE(books->ImageMain(), QString("Folder 256"));
    QCOMPARE(books->ImageMainSelected(), QString("Open Folder"));
    QCOMPARE(Catalog().categories().PeopleCategory()->ImageMain(), QString("Person Color"));
    QCOMPARE(Catalog().categories().RelationalCategory()->ImageMainSelected(), QString("Relational"));
    QCOMPARE(books->DBName(), "ktbl" + QString::number(books->ID()));
}

void TestCategories::missingValuesGiveTheirDefaults()
{
    Category* books = m_fx->books;
    QVERIFY(m_fx->db().Execute(QString("UPDATE [Categories] SET [SingleDisplay] = '', [Parent] = Null, "
                                       "[DrawFromParent] = Null, [Hidden] = Null WHERE [ID] = %1").arg(books->ID())));
    QCOMPARE(books->SingleDisplay(), QString("Books"));
    QCOMPARE(books->Parent(), 0);
    QVERIFY(!books->IsChild());
    QVERIFY(!books->DrawFromParent());
    QVERIFY(!books->TreeHidden());
    QCOMPARE(books->Description(), QString());
}

void TestCategories::nameWithApostropheIsStoredIntact()
{
    Category* books = m_fx->books;
    Category other(books->ID(), &m_fx->db());
    other.LoadValues();
    QVERIFY(!books->SetName("Children's Books"));
    QCOMPARE(books->Name(), QString("Children's Books"));
    QCOMPARE(CategoryValue(books, "Name"), QString("Children's Books"));
    QCOMPARE(books->SingleDisplay(), QString("Children's Books"));
    QCOMPARE(other.Name(), QString("Books")); // its cache changes only when loaded again
    other.LoadValues();
    QCOMPARE(other.Name(), QString("Children's Books"));
}

void TestCategories::drawCategoryFollowsTheParent()
{
    Category* parent = m_fx->AddCategory("Authors");
    Category* books = m_fx->books;
    QVERIFY(!books->SetDrawFromParent(true));
    QVERIFY(books->DrawCategory() == books); // on, but no parent
    QVERIFY(!books->SetParent(parent->ID()));
    QVERIFY(books->IsChild());
    QVERIFY(books->DrawCategory() == parent);
    QVERIFY(!books->SetDrawFromParent(false));
    QVERIFY(books->DrawCategory() == books);
}

void TestCategories::settingTheParentClearsItemParentsEvenWhenUnchanged()
{
    Category* parent = m_fx->AddCategory("Series");
    Category* books = m_fx->books;
    m_fx->AddItem(books, "[Title],[ParentID]", "'One', 5");
    m_fx->AddItem(books, "[Title],[ParentID]", "'Two', 7");
    QVERIFY(!books->SetParent(parent->ID()));
    QCOMPARE(CategoryValue(books, "Parent"), QString::number(parent->ID()));
    QCOMPARE(m_fx->Count("SELECT COUNT(*) FROM [" + books->DBName() + "] WHERE [ParentID] <> 0"), 0);
    QVERIFY(m_fx->db().Execute("UPDATE [" + books->DBName() + "] SET [ParentID] = 9"));
    QVERIFY(!books->SetParent(parent->ID()));
    QCOMPARE(m_fx->Count("SELECT COUNT(*) FROM [" + books->DBName() + "] WHERE [ParentID] <> 0"), 0);
}

void TestCategories::parentLoopsAreRefused()
{
    Category* top = m_fx->AddCategory("Top");
    Category* middle = m_fx->AddCategory("Middle");
    QVERIFY(!middle->SetParent(top->ID()));
    QVERIFY(!m_fx->books->SetParent(middle->ID()));
    m_fx->AddItem(top, "[Title],[ParentID]", "'Kept', 3");

    QVERIFY(top->SetParent(top->ID()));
    QVERIFY(top->SetParent(m_fx->books->ID())); // its grandchild
    QCOMPARE(top->Parent(), 0);
    QCOMPARE(m_fx->Value("SELECT [ParentID] FROM [" + top->DBName() + "]"), QString("3"));
    QVERIFY(top->IsParentOf(middle->ID()));
    QVERIFY(!top->IsParentOf(m_fx->books->ID()));
}

void TestCategories::childListLeavesOutTheRelationalCategory()
{
    Category* child = m_fx->AddCategory("Chapters");
    Category* relational = Catalog().categories().RelationalCategory();
    QVERIFY(!child->SetParent(m_fx->books->ID()));
    QVERIFY(m_fx->db().Execute(QString("UPDATE [Categories] SET [Parent] = %1 WHERE [ID] = %2")
                                   .arg(m_fx->books->ID())
                                   .arg(relational->ID())));
    const Categories children = m_fx->books->ChildList();
    QCOMPARE(children.Count(), 1);
    QVERIFY(children.Item(child->ID()));
    QVERIFY(children.Item(child->ID()) != child); // freshly loaded
    QCOMPARE(children.Item(child->ID())->Name(), QString("Chapters"));
}

void TestCategories::collectionByIdAndSpecialCategories()
{
    Categories& categories = Catalog().categories();
    QCOMPARE(categories.Count(), 3);
    QVERIFY(!categories.Add(m_fx->books->ID(), &m_fx->db()));
    QVERIFY(!categories.Item(777));
    QCOMPARE(categories.PeopleCategory()->CType(), 1);
    QCOMPARE(categories.PeopleCategory()->TitleColumn(), QString("Name"));
    QCOMPARE(categories.RelationalCategory()->CType(), 2);
    QStringList order;
    for (const auto& category : categories)
        order << category->Name();
    QCOMPARE(order, (QStringList{"Relational", "People", "Books"}));
}

void TestCategories::fillListSubjectsGivesPlainSubjectsByName()
{
    Category* books = m_fx->books;
    const QString zeta = m_fx->NewSubject(books, "zeta");
    const QString alpha = m_fx->NewSubject(books, "Alpha", zeta);
    const QString query = m_fx->NewSubject(books, "Beta");
    QVERIFY(m_fx->db().Execute("UPDATE [Tree] SET [Type] = 1 WHERE [ID] = " + query));
    const QString nullType = m_fx->NewSubject(books, "Mid");
    QVERIFY(m_fx->db().Execute("UPDATE [Tree] SET [Type] = Null WHERE [ID] = " + nullType));
    m_fx->NewSubject(m_fx->AddCategory("Other"), "Elsewhere");

    const QList<QPair<int, QString>> list = books->FillListSubjects();
    QCOMPARE(list, (QList<QPair<int, QString>>{
                       {0, ""}, {alpha.toInt(), "Alpha"}, {nullType.toInt(), "Mid"}, {zeta.toInt(), "zeta"}}));
}

void TestCategories::buildSubjectsAddsNodesWithTheirIcons()
{
    FakeSubjectView view;
    Catalog().Subjects = &view;
    Category* books = m_fx->books;
    const QString a = m_fx->NewSubject(books, "A");
    const QString a1 = m_fx->NewSubject(books, "A1", a);
    const QString q = m_fx->NewSubject(books, "Q", a1);
    QVERIFY(m_fx->db().Execute("UPDATE [Tree] SET [Type] = 1 WHERE [ID] = " + q));
    const QString orphan = m_fx->NewSubject(books, "Orphan");
    QVERIFY(m_fx->db().Execute("UPDATE [Tree] SET [ParentID] = 4242 WHERE [ID] = " + orphan));
    // A parent in another category does not pull the subject out of its own tree.
    const QString foreign = m_fx->NewSubject(Catalog().categories().PeopleCategory(), "Foreign");
    const QString stray = m_fx->NewSubject(books, "Stray");
    QVERIFY(m_fx->db().Execute("UPDATE [Tree] SET [ParentID] = " + foreign + " WHERE [ID] = " + stray));
    Catalog().categories().PeopleCategory()->BuildSubjects(&view);

    books->BuildSubjects(&view);
    const QString root = books->DBName();
    QCOMPARE(view.nodes.value(root).text, QString("Books"));
    QCOMPARE(view.nodes.value(root).tag.toString(), root);
    QCOMPARE(view.nodes.value(root).image, QString("Special Folder"));
    QCOMPARE(view.Path(a1 + "A"), root + "/" + a + "A/" + a1 + "A");
    QCOMPARE(view.Path(q + "A"), root + "/" + a + "A/" + a1 + "A/" + q + "A");
    QCOMPARE(view.Path(orphan + "A"), root + "/" + orphan + "A");
    QCOMPARE(view.Path(stray + "A"), root + "/" + stray + "A");
    QCOMPARE(view.nodes.value(a + "A").image, QString("Folder 256"));
    QCOMPARE(view.nodes.value(a + "A").selectedImage, QString("Open Folder"));
    QCOMPARE(view.nodes.value(q + "A").image, QString("Magnify"));
    QCOMPARE(view.nodes.value(a + "A").tag.toLongLong(), a.toLongLong());
    QCOMPARE(view.nodes.value(Catalog().categories().PeopleCategory()->DBName()).image, QString("People"));
    QCOMPARE(view.nodes.value(foreign + "A").image, QString("Person Color"));
    QVERIFY(view.sorts > 0);
}

void TestCategories::hiddenCategoryHasNoNodeInTheMainView()
{
    FakeSubjectView main, picker;
    Catalog().Subjects = &main;
    m_fx->NewSubject(m_fx->books, "Inside");
    QVERIFY(m_fx->db().Execute(QString("UPDATE [Categories] SET [Hidden] = True WHERE [ID] = %1").arg(m_fx->books->ID())));
    m_fx->books->BuildSubjects(&main);
    m_fx->books->BuildSubjects(&picker);
    QVERIFY(main.nodes.isEmpty());
    QCOMPARE(picker.nodes.keys(), QStringList{m_fx->books->DBName()});
}

void TestCategories::openingBuildsTheTreeWithSubCategoriesUnderParents()
{
    // "Early" has a lower ID than its parent "Late": however the categories come, it ends up below it.
    Category* early = m_fx->AddCategory("Early");
    Category* late = m_fx->AddCategory("Late");
    QVERIFY(!early->SetParent(late->ID()));
    QVERIFY(!m_fx->books->SetParent(early->ID()));
    m_fx->NewSubject(early, "Subject of early");
    const int earlyId = early->ID(), lateId = late->ID(); // the objects go with the catalog
    const QString file = Catalog().File.Path();
    Catalog().SetLoaded(false);

    FakeSubjectView view;
    Catalog().Subjects = &view;
    Catalog().OpenCatalog(clsFile(file));
    QVERIFY(Catalog().Loaded());
    Category* books = nullptr;
    for (const auto& category : Catalog().categories())
        if (category->Name() == "Books")
            books = category.get();
    QVERIFY(books);
    QVERIFY(books->ID() < earlyId && earlyId < lateId);
    QCOMPARE(view.Path(books->DBName()), QString("ktbl%1/ktbl%2/%3").arg(lateId).arg(earlyId).arg(books->DBName()));
    QCOMPARE(view.Roots(), (QStringList{QString("ktbl%1").arg(lateId), "ktbl2", "ktbl1"}));
    QCOMPARE(view.ChildKeys(QString("ktbl%1").arg(earlyId)).size(), 2); // its subject and Books
    QCOMPARE(view.refusedAdds, 0);
    QCOMPARE(view.collapses, 1);
    QCOMPARE(view.redraws, (QList<bool>{false, true}));
    // The columns of every category were read while opening.
    QVERIFY(books->Columns().Count() > 0);
}

void TestCategories::parentAndVisibilityChangesMoveNodes()
{
    Category* parent = m_fx->AddCategory("Shelf");
    Category* child = m_fx->AddCategory("Box");
    Category* grandchild = m_fx->AddCategory("Envelope");
    FakeSubjectView view;
    Catalog().Subjects = &view;
    Catalog().BuildSubjects(&view);
    const QString p = parent->DBName(), c = child->DBName(), g = grandchild->DBName();

    QVERIFY(!child->SetParent(parent->ID()));
    QVERIFY(!grandchild->SetParent(child->ID()));
    QCOMPARE(view.Path(g), p + "/" + c + "/" + g);

    // Hiding the parent: its sub categories stay in the tree, at the root.
    QVERIFY(!parent->SetTreeHidden(true));
    QVERIFY(!view.HasNode(p));
    QCOMPARE(view.Path(c), c);
    QCOMPARE(view.Path(g), c + "/" + g);
    // Showing it again brings them back below it.
    QVERIFY(!parent->SetTreeHidden(false));
    QCOMPARE(view.Path(g), p + "/" + c + "/" + g);

    // Back to the root, with its own sub category still below it.
    QVERIFY(!child->SetParent(0));
    QCOMPARE(view.Path(g), c + "/" + g);
    QCOMPARE(view.Path(p), p);
    QCOMPARE(view.refusedAdds, 0);
}

void TestCategories::picturesFollowTheType()
{
    FakeImageList list;
    for (const auto& category : Catalog().categories())
        category->LoadValues();
    QCOMPARE(list.images.value("ktbl1"), QString("built-in:Relational"));
    QCOMPARE(list.images.value("ktbl2"), QString("built-in:Person"));
    QCOMPARE(list.images.value(m_fx->books->DBName()), QString("built-in:Plain Document"));
    QVERIFY(list.chooserCalls.isEmpty());
}

void TestCategories::storedIconIsLoadedAndReplaced()
{
    FakeImageList list;
    Category* books = m_fx->books;
    QVERIFY(!books->SetListImage(false, WriteIcon("first.ico", "FIRST")));
    QCOMPARE(list.images.value(books->DBName()), QString("file:FIRST"));
    QCOMPARE(list.loadedFrom.size(), 1);
    QVERIFY(!QFileInfo::exists(list.loadedFrom.first())); // the temporary copy is gone
    QVERIFY(QFileInfo(list.loadedFrom.first()).fileName().startsWith("cat"));

    QVERIFY(!books->SetListImage(false, WriteIcon("second.ico", "SECOND!")));
    QCOMPARE(list.images.value(books->DBName()), QString("file:SECOND!"));
    // The field holds the second file alone: header ("second.ico", 10 letters) and its bytes.
    QCOMPARE(m_fx->db().LookupValue(QString("SELECT [BinImageMain] FROM [Categories] WHERE [ID] = %1").arg(books->ID()))
                 ->toByteArray()
                 .size(),
             1 + 2 * 10 + 7);

    // Loading the category again shows the stored icon.
    list.images.clear();
    books->LoadValues();
    QCOMPARE(list.images.value(books->DBName()), QString("file:SECOND!"));

    // The People category keeps its built-in picture even with a stored file.
    Category* people = Catalog().categories().PeopleCategory();
    QVERIFY(!people->SetListImage(false, WriteIcon("p.ico", "P")));
    QCOMPARE(list.images.value(people->DBName()), QString("built-in:Person"));
}

void TestCategories::chosenIconIsStored()
{
    FakeImageList list;
    Category* books = m_fx->books;
    QVERIFY(!books->SetListImage(true, QString()));
    QCOMPARE(list.chooserCalls, QStringList{"Select an Icon...|Icons (*.ico)|*.ico"});
    QCOMPARE(list.images.value(books->DBName()), QString("built-in:Plain Document")); // cancelled

    list.chosenFile = WriteIcon("chosen.ico", "CHOSEN");
    QVERIFY(!books->SetListImage(true, QString()));
    QCOMPARE(list.images.value(books->DBName()), QString("file:CHOSEN"));
}

void TestCategories::removalForGoodCascades()
{
    FakeSubjectView view;
    FakeEditorWindows editors;
    Catalog().Subjects = &view;
    Category* books = m_fx->books;
    const int id = books->ID();
    Category* first = m_fx->AddCategory("First");
    Category* second = m_fx->AddCategory("Second");
    Category* other = m_fx->AddCategory("Other");
    QVERIFY(!first->SetParent(id));
    QVERIFY(!second->SetParent(id));
    m_fx->AddItem(first, "[Title],[ParentID]", "'Sub item', 1");
    m_fx->AddItem(books, "[Title]", "'Item'");
    m_fx->NewSubject(books, "One");
    m_fx->NewSubject(books, "Two");
    const QString kept = m_fx->NewSubject(other, "Kept");
    const QString relational = Catalog().categories().RelationalCategory()->DBName();
    const QString people = Catalog().categories().PeopleCategory()->DBName();
    QVERIFY(m_fx->db().Execute(QString("INSERT INTO [%1] ([Title],[Category],[RecordID]) VALUES ('To books','%2',1)").arg(relational).arg(id)));
    QVERIFY(m_fx->db().Execute(QString("INSERT INTO [%1] ([Title],[Category],[RecordID]) VALUES ('To other','%2',1)").arg(relational).arg(other->ID())));
    QVERIFY(m_fx->db().Execute(QString("INSERT INTO [%1] ([Name],[Category]) VALUES ('Ann','%2')").arg(people).arg(id)));
    QVERIFY(Catalog().categories().Item(id)->Columns().Count() > 0); // its [Columns] rows exist
    Catalog().BuildSubjects(&view);
    QCOMPARE(view.Path(first->DBName()), books->DBName() + "/" + first->DBName());
    const int usedBefore = view.usedSelectedNode;
    m_fx->ui.steps.clear();

    Catalog().categories().Remove(id, true);

    QVERIFY(!Catalog().categories().Item(id));
    QCOMPARE(first->Parent(), 0);
    QCOMPARE(second->Parent(), 0);
    QCOMPARE(m_fx->Value("SELECT [ParentID] FROM [" + first->DBName() + "]"), QString("0"));
    QCOMPARE(view.Path(first->DBName()), first->DBName());
    QCOMPARE(view.Path(second->DBName()), second->DBName());
    QVERIFY(!view.HasNode("ktbl" + QString::number(id)));
    QCOMPARE(m_fx->Count(QString("SELECT COUNT(*) FROM [Tree] WHERE [CID] = %1").arg(id)), 0);
    QCOMPARE(m_fx->Count("SELECT COUNT(*) FROM [Tree] WHERE [ID] = " + kept), 1);
    QCOMPARE(m_fx->Count(QString("SELECT COUNT(*) FROM [%1] WHERE [Category] = '%2'").arg(relational).arg(id)), 0);
    QCOMPARE(m_fx->Count(QString("SELECT COUNT(*) FROM [%1]").arg(relational)), 1);
    QCOMPARE(m_fx->Count(QString("SELECT COUNT(*) FROM [%1] WHERE [Category] = '%2'").arg(people).arg(id)), 1);
    QCOMPARE(m_fx->Count(QString("SELECT COUNT(*) FROM [Categories] WHERE [ID] = %1").arg(id)), 0);
    QCOMPARE(m_fx->Count(QString("SELECT COUNT(*) FROM [Columns] WHERE [CID] = %1").arg(id)), 0);
    QVERIFY(!m_fx->db().TableExists("ktbl" + QString::number(id)));
    QCOMPARE(editors.closedFor, QList<int>{id});
    QVERIFY(m_fx->ui.steps.contains("reset views"));
    QCOMPARE(view.usedSelectedNode, usedBefore + 1);
    QCOMPARE(m_fx->ui.busyDepth, 0);
}

void TestCategories::removalWithoutDestroyOnlyDropsTheEntry()
{
    const int id = m_fx->books->ID();
    Catalog().categories().Remove(id, false);
    QVERIFY(!Catalog().categories().Item(id));
    QVERIFY(m_fx->db().TableExists("ktbl" + QString::number(id)));
    QCOMPARE(m_fx->Count(QString("SELECT COUNT(*) FROM [Categories] WHERE [ID] = %1").arg(id)), 1);
    Catalog().categories().Remove(id, true); // no longer in the collection: nothing happens
    QVERIFY(m_fx->db().TableExists("ktbl" + QString::number(id)));
}

QTEST_GUILESS_MAIN(TestCategories)
#include "tst_categories.moc"
