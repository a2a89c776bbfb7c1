// REPLICATE DATABASE: the replica on drive D.
#include "replication_test.h"

using namespace replicationtest;

namespace {

const Product kCopyBread{QStringLiteral("MC1"), QStringLiteral("Copy Bread"), 125, QStringLiteral("Bakery"), 5};

} // namespace

// The replica is made without a word; opened as a store, it holds what the store holds.
void TestReplication::replicate_makesAReplicaThatOpensAsAStore()
{
    ReplicationFixture t;
    t.makeMercaviaCopy({kCopyBread});
    BackupWindow* w = t.open();
    t.makeReplicable(w);
    t.program.expectBoxes({kMadeReplicable}, true);

    t.spawn(w);

    t.program.expectBoxes({}, true);
    QVERIFY(QFileInfo(t.replica()).isFile());
    const QStringList tables{kPrices, kStock, kEmployees, QStringLiteral("tblDailySale"), QStringLiteral("tblTax")};
    {
        std::unique_ptr<store::Store> replica = store::Store::open(t.replica(), QDate(2026, 12, 10));
        const Program onReplica{t.windows, t.ui, *replica};
        QCOMPARE(onReplica.rowsOf(kPrices), QStringList{"MC1|Copy Bread|1.25|0.62|Bakery"});
        QCOMPARE(onReplica.snapshot(tables), t.program.snapshot(tables));
    }
    t.expectStoreInUse(w, QStringLiteral("K1"));
    QCOMPARE(t.replicableMark(t.replica()), QStringLiteral("T"));
}

void TestReplication::replicate_refused_data()
{
    QTest::addColumn<QString>("why");
    QTest::newRow("a file there already") << "file";
    QTest::newRow("a replica there already") << "replica";
    QTest::newRow("no folder for it") << "folder";
    QTest::newRow("the store not replicable") << "unmarked";
}

// Where the replica cannot be made, the operation says so and leaves drive D as it was: it makes
// no folder and keeps the file that is there.
void TestReplication::replicate_refused()
{
    QFETCH(QString, why);
    ReplicationFixture t;
    t.makeMercaviaCopy({kCopyBread});
    BackupWindow* w = t.open();
    if (why != u"unmarked") {
        t.makeReplicable(w);
        t.program.expectBoxes({kMadeReplicable}, true);
    }
    const QString folder = QFileInfo(t.replica()).path();
    if (why == u"file") {
        QFile file(t.replica());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("kept");
    } else if (why == u"replica") {
        t.spawn(w);
        t.program.expectBoxes({}, true);
    } else if (why == u"folder") {
        QVERIFY(QDir(folder).removeRecursively());
    }
    const QByteArray before = ReplicationFixture::bytesOf(t.replica());
    const QString storeBefore = t.program.snapshot();
    const QStringList filesBefore = QDir(folder).entryList(QDir::Files | QDir::Hidden);

    t.spawn(w);

    t.program.expectBoxes({kNoReplica}, true);
    QCOMPARE(ReplicationFixture::bytesOf(t.replica()), before);
    QCOMPARE(QFileInfo(folder).isDir(), why != u"folder");
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), filesBefore);
    QCOMPARE(t.program.snapshot(), storeBefore);
    t.expectStoreInUse(w, QStringLiteral("K1"));
}
