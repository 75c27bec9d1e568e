#include "model/HashTable.h"

#include <QtTest>

namespace
{

// The values of the table in order, as text.
QStringList Values(const HashTable& table)
{
    QStringList values;
    for (const HashValue& entry : table)
        values << entry.Value.toString();
    return values;
}

QList<int> Indexes(const HashTable& table)
{
    QList<int> indexes;
    for (const HashValue& entry : table)
        indexes << entry.Index;
    return indexes;
}

} // namespace

class tst_HashTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addReturnsTheStoredEntry();
    void keysIgnoreLetterCase_data();
    void keysIgnoreLetterCase();
    void existingKeyIsRefused();
    void emptyKeyStoresWithoutKey();
    void positionsOutsideTheTable_data();
    void positionsOutsideTheTable();
    void removeByPositionKeepsTheRest();
    void removeByKey();
    void indexIsThePositionWhenAdded();
    void entriesKeepTheirAddress();
    void contains_data();
    void contains();
    void reverseDropsKeysAndTags();
    void appendAddsValuesAndTagsWithoutKeys();
    void appendToItselfDoubles();
    void clearForgetsKeys();
    void enumerationGivesWritableEntries();
    void copyIsIndependent();
};

void tst_HashTable::addReturnsTheStoredEntry()
{
    HashTable table;
    HashValue* first = table.Add(QStringLiteral("Alpha"), QStringLiteral("a"), 10);
    HashValue* second = table.Add(42);
    QVERIFY(first && second);
    QCOMPARE(first->Value, QVariant(QStringLiteral("Alpha")));
    QCOMPARE(first->Tag, QVariant(10));
    QCOMPARE(first->Index, 1);
    QCOMPARE(second->Value, QVariant(42));
    QVERIFY(!second->Tag.isValid());
    QCOMPARE(second->Index, 2);
    QCOMPARE(table.Count(), 2);
    QCOMPARE(table.Item(1), first);
    QCOMPARE(table.Item(2), second);
    QCOMPARE(table.Item(QStringLiteral("a")), first);

    // The returned entry is the stored one, not a copy.
    first->Tag = QStringLiteral("changed");
    QCOMPARE(table.Item(QStringLiteral("a"))->Tag, QVariant(QStringLiteral("changed")));
}

void tst_HashTable::keysIgnoreLetterCase_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("asked");

    QTest::newRow("same") << "Title"
                          << "Title";
    QTest::newRow("lower") << "Title"
                           << "title";
    QTest::newRow("upper") << "Title"
                           << "TITLE";
    QTest::newRow("numeric key") << "57A"
                                 << "57a";
    QTest::newRow("accented") << "Ärger"
                              << "äRGER";
    // Lower-casing alone keeps final sigma apart from sigma; case folding does not.
    QTest::newRow("final sigma") << "Σίσυφος"
                                 << "ΣΊΣΥΦΟΣ";
}

void tst_HashTable::keysIgnoreLetterCase()
{
    QFETCH(QString, stored);
    QFETCH(QString, asked);

    HashTable table;
    table.Add(QStringLiteral("other"), QStringLiteral("other"));
    HashValue* entry = table.Add(QStringLiteral("value"), stored);
    QVERIFY(entry);
    QVERIFY(table.KeyExists(asked));
    QCOMPARE(table.Item(asked), entry);
    QCOMPARE(table.Add(QStringLiteral("again"), asked), nullptr);
    QVERIFY(table.Remove(asked));
    QVERIFY(!table.KeyExists(stored));
    QCOMPARE(Values(table), QStringList{"other"});
}

void tst_HashTable::existingKeyIsRefused()
{
    HashTable table;
    table.Add(QStringLiteral("first"), QStringLiteral("Key"), 1);
    QCOMPARE(table.Add(QStringLiteral("second"), QStringLiteral("KEY"), 2), nullptr);
    QCOMPARE(table.Count(), 1);
    QCOMPARE(table.Item(QStringLiteral("key"))->Value, QVariant(QStringLiteral("first")));
    QCOMPARE(table.Item(QStringLiteral("key"))->Tag, QVariant(1));

    // The table still works normally afterwards.
    HashValue* next = table.Add(QStringLiteral("next"), QStringLiteral("other"));
    QVERIFY(next);
    QCOMPARE(next->Index, 2);
    QCOMPARE(Values(table), (QStringList{"first", "next"}));
}

void tst_HashTable::emptyKeyStoresWithoutKey()
{
    HashTable table;
    QVERIFY(table.Add(QStringLiteral("one"), QString()));
    QVERIFY(table.Add(QStringLiteral("two"), QStringLiteral("")));
    QCOMPARE(table.Count(), 2);
    QVERIFY(!table.KeyExists(QString()));
    QCOMPARE(table.Item(QString()), nullptr);
    QVERIFY(!table.Remove(QString()));
    QCOMPARE(table.Count(), 2);
}

void tst_HashTable::positionsOutsideTheTable_data()
{
    QTest::addColumn<int>("position");
    QTest::newRow("zero") << 0;
    QTest::newRow("negative") << -1;
    QTest::newRow("one past the end") << 4;
    QTest::newRow("far past the end") << 1000;
}

void tst_HashTable::positionsOutsideTheTable()
{
    QFETCH(int, position);
    HashTable table;
    table.Add(QStringLiteral("a"));
    table.Add(QStringLiteral("b"));
    table.Add(QStringLiteral("c"));

    QCOMPARE(table.Item(position), nullptr);
    QCOMPARE(std::as_const(table).Item(position), nullptr);
    QVERIFY(!table.Remove(position));
    QCOMPARE(Values(table), (QStringList{"a", "b", "c"}));

    QCOMPARE(HashTable().Item(1), nullptr);
    QCOMPARE(table.Item(QStringLiteral("missing")), nullptr);
    QVERIFY(!table.Remove(QStringLiteral("missing")));
}

void tst_HashTable::removeByPositionKeepsTheRest()
{
    HashTable table;
    table.Add(QStringLiteral("a"), QStringLiteral("ka"));
    table.Add(QStringLiteral("b"), QStringLiteral("kb"));
    HashValue* c = table.Add(QStringLiteral("c"), QStringLiteral("kc"));

    QVERIFY(table.Remove(2));
    QCOMPARE(Values(table), (QStringList{"a", "c"}));
    QCOMPARE(table.Item(2), c);
    QCOMPARE(c->Index, 3);
    QVERIFY(!table.KeyExists(QStringLiteral("kb")));
    QCOMPARE(table.Item(QStringLiteral("kc")), c);
    QCOMPARE(table.Item(QStringLiteral("ka"))->Value, QVariant(QStringLiteral("a")));

    // The removed key may be used again.
    QVERIFY(table.Add(QStringLiteral("b2"), QStringLiteral("KB")));
    QCOMPARE(table.Item(QStringLiteral("kb"))->Value, QVariant(QStringLiteral("b2")));
}

void tst_HashTable::removeByKey()
{
    HashTable table;
    table.Add(QStringLiteral("a"), QStringLiteral("ka"));
    table.Add(QStringLiteral("b"));
    table.Add(QStringLiteral("c"), QStringLiteral("kc"));

    QVERIFY(table.Remove(QStringLiteral("KC")));
    QCOMPARE(Values(table), (QStringList{"a", "b"}));
    QVERIFY(table.Remove(QStringLiteral("ka")));
    QCOMPARE(Values(table), QStringList{"b"});
    QVERIFY(!table.Remove(QStringLiteral("ka")));
}

void tst_HashTable::indexIsThePositionWhenAdded()
{
    HashTable table;
    table.Add(QStringLiteral("a"));
    table.Add(QStringLiteral("b"));
    table.Add(QStringLiteral("c"));
    QVERIFY(table.Remove(1));
    HashValue* d = table.Add(QStringLiteral("d"));
    QCOMPARE(d->Index, 3);
    QCOMPARE(Indexes(table), (QList<int>{2, 3, 3}));
}

void tst_HashTable::entriesKeepTheirAddress()
{
    HashTable table;
    HashValue* first = table.Add(QStringLiteral("first"), QStringLiteral("first"));
    HashValue* second = table.Add(QStringLiteral("second"));
    for (int i = 0; i < 5000; ++i)
        table.Add(i, QStringLiteral("k%1").arg(i));
    QVERIFY(table.Remove(QStringLiteral("k10")));
    QVERIFY(table.Remove(3));
    table.Reverse();
    QCOMPARE(first->Value, QVariant(QStringLiteral("first")));
    QCOMPARE(second->Value, QVariant(QStringLiteral("second")));
    QCOMPARE(table.Item(table.Count()), first);
    QCOMPARE(table.Item(table.Count() - 1), second);

    HashTable moved = std::move(table);
    QCOMPARE(moved.Item(moved.Count()), first);
}

void tst_HashTable::contains_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");

    QTest::newRow("whole value") << "Alpha" << true;
    QTest::newRow("part of a value") << "lph" << true;
    QTest::newRow("other letter case") << "alpha" << false;
    QTest::newRow("number's text") << "42" << true;
    QTest::newRow("part of a number") << "4" << true;
    QTest::newRow("only in a key") << "keyonly" << false;
    QTest::newRow("only in a tag") << "tagonly" << false;
    QTest::newRow("absent") << "Gamma" << false;
}

void tst_HashTable::contains()
{
    QFETCH(QString, text);
    QFETCH(bool, expected);

    HashTable table;
    table.Add(QStringLiteral("Alpha"), QStringLiteral("keyonly"));
    table.Add(42, QString(), QStringLiteral("tagonly"));
    table.Add(QVariant());
    QCOMPARE(table.Contains(text), expected);
    QVERIFY(!HashTable().Contains(text));
}

void tst_HashTable::reverseDropsKeysAndTags()
{
    HashTable table;
    table.Add(QStringLiteral("a"), QStringLiteral("ka"), 1);
    table.Add(QStringLiteral("b"), QString(), 2);
    table.Add(QStringLiteral("c"), QStringLiteral("kc"), 3);

    table.Reverse();
    QCOMPARE(Values(table), (QStringList{"c", "b", "a"}));
    QCOMPARE(Indexes(table), (QList<int>{1, 2, 3}));
    QVERIFY(!table.KeyExists(QStringLiteral("ka")));
    QVERIFY(!table.KeyExists(QStringLiteral("kc")));
    for (const HashValue& entry : std::as_const(table))
        QVERIFY(!entry.Tag.isValid());

    // Keys that were dropped can be given out again.
    QVERIFY(table.Add(QStringLiteral("new"), QStringLiteral("ka")));
    QCOMPARE(table.Item(QStringLiteral("KA"))->Index, 4);
}

void tst_HashTable::appendAddsValuesAndTagsWithoutKeys()
{
    HashTable table;
    table.Add(QStringLiteral("a"), QStringLiteral("ka"));
    table.Add(QStringLiteral("b"));
    HashTable other;
    other.Add(QStringLiteral("c"), QStringLiteral("kc"), 5);
    other.Add(QStringLiteral("d"), QStringLiteral("ka"), QStringLiteral("tag d"));

    table.Append(other);
    QCOMPARE(Values(table), (QStringList{"a", "b", "c", "d"}));
    QCOMPARE(Indexes(table), (QList<int>{1, 2, 3, 4}));
    QCOMPARE(table.Item(3)->Tag, QVariant(5));
    QCOMPARE(table.Item(4)->Tag, QVariant(QStringLiteral("tag d")));
    QVERIFY(!table.KeyExists(QStringLiteral("kc")));
    // The table's own key still reaches its own entry, not the appended one that had the same key.
    QCOMPARE(table.Item(QStringLiteral("ka"))->Value, QVariant(QStringLiteral("a")));

    // The other table is left as it was, and separate.
    QCOMPARE(Values(other), (QStringList{"c", "d"}));
    table.Item(3)->Value = QStringLiteral("changed");
    QCOMPARE(other.Item(QStringLiteral("kc"))->Value, QVariant(QStringLiteral("c")));
}

void tst_HashTable::appendToItselfDoubles()
{
    HashTable table;
    table.Add(QStringLiteral("a"), QStringLiteral("ka"), 1);
    table.Add(QStringLiteral("b"), QString(), 2);
    table.Append(table);
    QCOMPARE(Values(table), (QStringList{"a", "b", "a", "b"}));
    QCOMPARE(table.Item(3)->Tag, QVariant(1));
    QCOMPARE(table.Item(QStringLiteral("ka")), table.Item(1));
}

void tst_HashTable::clearForgetsKeys()
{
    HashTable table;
    table.Add(QStringLiteral("a"), QStringLiteral("ka"));
    table.Add(QStringLiteral("b"));
    table.Clear();
    QCOMPARE(table.Count(), 0);
    QVERIFY(!table.KeyExists(QStringLiteral("ka")));
    QCOMPARE(table.Item(1), nullptr);
    QVERIFY(table.begin() == table.end());
    HashValue* again = table.Add(QStringLiteral("again"), QStringLiteral("ka"));
    QVERIFY(again);
    QCOMPARE(again->Index, 1);
}

void tst_HashTable::enumerationGivesWritableEntries()
{
    HashTable table;
    table.Add(1, QStringLiteral("one"));
    table.Add(2);
    table.Add(3);
    for (HashValue& entry : table)
        entry.Value = entry.Value.toInt() * 10;
    QCOMPARE(Values(table), (QStringList{"10", "20", "30"}));
    QCOMPARE(table.Item(QStringLiteral("one"))->Value, QVariant(10));
}

void tst_HashTable::copyIsIndependent()
{
    HashTable original;
    original.Add(QStringLiteral("a"), QStringLiteral("ka"), 1);
    original.Add(QStringLiteral("b"));

    HashTable copy = original;
    QCOMPARE(Values(copy), Values(original));
    QVERIFY(copy.Item(QStringLiteral("ka")) != original.Item(QStringLiteral("ka")));
    QCOMPARE(copy.Item(QStringLiteral("ka")), copy.Item(1));

    copy.Item(QStringLiteral("ka"))->Value = QStringLiteral("changed");
    copy.Add(QStringLiteral("c"), QStringLiteral("kc"));
    QVERIFY(copy.Remove(2));
    QCOMPARE(Values(original), (QStringList{"a", "b"}));
    QVERIFY(!original.KeyExists(QStringLiteral("kc")));

    HashTable assigned;
    assigned.Add(QStringLiteral("old"), QStringLiteral("old"));
    assigned = original;
    QVERIFY(!assigned.KeyExists(QStringLiteral("old")));
    QCOMPARE(assigned.Item(QStringLiteral("ka")), assigned.Item(1));
    QCOMPARE(Values(assigned), (QStringList{"a", "b"}));
}

QTEST_GUILESS_MAIN(tst_HashTable)
#include "tst_hashtable.moc"
