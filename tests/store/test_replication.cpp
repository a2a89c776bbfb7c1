// The replication engine: marking a store replicable, replicas, synchronising both ways, letting
// go of the program's connection and taking it back, replacing the store file, and what a crash
// in the middle of a synchronisation leaves.
#include "store/error.h"
#include "store/record_source.h"
#include "store/replication.h"
#include "store/schema.h"
#include "store/store.h"
#include "store/unit_of_work.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdio>
#include <functional>
#include <memory>

using store::Currency;
using store::ErrorKind;
using store::RecordSource;
using store::ReplicaDatabase;
using store::Store;
using Kind = store::ReplicaDatabase::Failure::Kind;

namespace {

const QDate kToday(2026, 12, 10);

// What an action ended with: "done", the kind of replication failure, or the store error.
QString outcomeOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const ReplicaDatabase::Failure& failure) {
        switch (failure.kind()) {
        case Kind::PropertyExists: return QStringLiteral("property exists");
        case Kind::ReplicaNotFound: return QStringLiteral("replica not found");
        case Kind::Other: return QStringLiteral("failed");
        }
    } catch (const store::Error& error) {
        switch (error.kind()) {
        case ErrorKind::NotAStore: return QStringLiteral("not a store");
        case ErrorKind::IO: return QStringLiteral("store error");
        default: return QStringLiteral("other store error");
        }
    }
    return QStringLiteral("done");
}

// Another program's connection to a file: plain SQLite, nothing of ours.
class Plain {
public:
    explicit Plain(const QString& path, int flags = SQLITE_OPEN_READWRITE)
    {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr);
        sqlite3_busy_timeout(m_db, 2000);
    }
    ~Plain() { sqlite3_close_v2(m_db); }
    Plain(const Plain&) = delete;
    Plain& operator=(const Plain&) = delete;

    int exec(const QString& sql)
    {
        return sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    }
    // Every row of the query, each row's columns joined by '|'; null reads "<null>".
    QStringList rows(const QString& sql)
    {
        QStringList out;
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
            return {QStringLiteral("error: ") + QString::fromUtf8(sqlite3_errmsg(m_db))};
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            QStringList columns;
            for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
                columns << (sqlite3_column_type(stmt, c) == SQLITE_NULL ? QStringLiteral("<null>")
                                                                        : QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, c))));
            }
            out << columns.join(u'|');
        }
        sqlite3_finalize(stmt);
        return out;
    }
    QString one(const QString& sql)
    {
        const QStringList all = rows(sql);
        return all.isEmpty() ? QString() : all.first();
    }
    sqlite3* get() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

// Every row of the program's tables, with its key, in the order of the keys.
QStringList dump(const QString& path)
{
    Plain db(path);
    QStringList out;
    for (const store::TableDef& table : store::schema::tables()) {
        QStringList fields{QStringLiteral("RowKey")};
        for (const store::FieldDef& field : table.fields)
            fields << u'"' + QString::fromUtf16(field.name) + u'"';
        for (const QString& row : db.rows(QStringLiteral("SELECT %1 FROM \"%2\" ORDER BY RowKey").arg(fields.join(u','), table.qName())))
            out << table.qName() + u'|' + row;
    }
    return out;
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Which file is at the path: a file moved into its place is another one.
ino_t fileId(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// The product catalogue of one copy, reached through record sources as the product screens reach
// it: a product is the price row and the stock row at the same position.
struct Products {
    Store& store;
    RecordSource prices{store, QStringLiteral("datProdPrice"), QStringLiteral("tblProductPrice")};
    RecordSource stock{store, QStringLiteral("datProdQty"), QStringLiteral("tblProductQuantity")};

    void add(const QString& code, int cents)
    {
        store::UnitOfWork unit(store);
        prices.addNew();
        prices.setField(u"Code", code);
        prices.setField(u"ProductName", QStringLiteral("Product ") + code);
        prices.setField(u"ProductPrice", Currency::fromCents(cents));
        prices.update();
        stock.addNew();
        stock.setField(u"Code", code);
        stock.setField(u"QuantityOnHand", 10);
        stock.update();
        unit.commit();
    }
    void moveTo(const QString& code)
    {
        prices.refresh();
        stock.refresh();
        while (!prices.atEnd() && prices.field(u"Code").toText() != code) {
            prices.moveNext();
            stock.moveNext();
        }
        QVERIFY2(!prices.atEnd(), qPrintable(code));
    }
    void setPrice(const QString& code, int cents)
    {
        moveTo(code);
        prices.edit();
        prices.setField(u"ProductPrice", Currency::fromCents(cents));
        prices.update();
    }
    void remove(const QString& code)
    {
        moveTo(code);
        store::UnitOfWork unit(store);
        prices.remove();
        stock.remove();
        unit.commit();
    }
    // A sale of one unit, as the cash register makes it: the stock row alone is written.
    void sell(const QString& code)
    {
        moveTo(code);
        stock.edit();
        stock.setField(u"QuantityOnHand", std::int16_t(stock.field(u"QuantityOnHand").toWhole() - 1));
        stock.setField(u"QuantitySold", std::int16_t(stock.field(u"QuantitySold").toWhole() + 1));
        stock.update();
    }
    // "code/on hand" for every product, in the catalogue's order.
    QStringList onHand()
    {
        prices.refresh();
        stock.refresh();
        QStringList out;
        for (; !prices.atEnd() && !stock.atEnd(); prices.moveNext(), stock.moveNext())
            out << prices.field(u"Code").toText() + u'/' + stock.field(u"QuantityOnHand").display();
        return out;
    }
    // "code price/stock code" for every product, in the catalogue's order.
    QStringList list()
    {
        prices.refresh();
        stock.refresh();
        QStringList out;
        for (; !prices.atEnd(); prices.moveNext(), stock.moveNext()) {
            out << QStringLiteral("%1 %2/%3")
                       .arg(prices.field(u"Code").toText())
                       .arg(prices.field(u"ProductPrice").toCurrency().units() / 100)
                       .arg(stock.atEnd() ? QStringLiteral("-") : stock.field(u"Code").toText());
        }
        return out;
    }
};

// The suppliers of one copy, through a record source as the supplier screen reaches them.
struct Suppliers {
    RecordSource source;
    explicit Suppliers(Store& store) : source(store, QStringLiteral("datSuplier"), QStringLiteral("tblSuplier")) {}

    void add(const QString& code, const QString& phone = QString())
    {
        source.addNew();
        source.setField(u"Code", code);
        if (!phone.isNull())
            source.setField(u"Phone#", phone);
        source.update();
    }
    bool moveTo(const QString& code)
    {
        source.refresh();
        while (!source.atEnd() && source.field(u"Code").toText() != code)
            source.moveNext();
        return !source.atEnd();
    }
    void setPhone(const QString& code, const QString& phone)
    {
        QVERIFY(moveTo(code));
        source.edit();
        source.setField(u"Phone#", phone);
        source.update();
    }
    void remove(const QString& code)
    {
        QVERIFY(moveTo(code));
        source.remove();
    }
    QStringList list()
    {
        QStringList out;
        for (source.refresh(); !source.atEnd(); source.moveNext()) {
            const store::Value phone = source.field(u"Phone#");
            out << source.field(u"Code").toText() + u':' + (phone.isNull() ? QString() : phone.toText());
        }
        return out;
    }
};

void makeReplicable(const QString& path, Store* program)
{
    auto db = ReplicaDatabase::open(path, ReplicaDatabase::Use::Exclusive, program);
    db->appendProperty(QStringLiteral("Replicable"), QStringLiteral("T"));
}

void makeReplica(const QString& path, const QString& replica, Store* program)
{
    auto db = ReplicaDatabase::open(path, ReplicaDatabase::Use::Exclusive, program);
    db->makeReplica(replica, QStringLiteral("MyReplica"));
}

void synchronize(const QString& path, const QString& replica, Store* program)
{
    auto db = ReplicaDatabase::open(path, ReplicaDatabase::Use::Shared, program);
    db->synchronize(replica);
}

// A store in the program's folder and the folder of its replica on the second disk.
struct Pair {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("C/Point of Sale/Grocery.mdb"));
    QString replicaFolder = dir.filePath(QStringLiteral("D/Point of Sale"));
    QString replica = replicaFolder + QStringLiteral("/Grocery.mdb");
    std::unique_ptr<Store> store = Store::open(path, kToday);

    Pair() { QDir().mkpath(replicaFolder); }
    // Made replicable, with a replica.
    void replicate()
    {
        makeReplicable(path, store.get());
        makeReplica(path, replica, store.get());
    }
};

int triggerCount(const QString& path)
{
    return Plain(path).one(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'trigger'")).toInt();
}

QString copyIdentity(const QString& path)
{
    return Plain(path).one(QStringLiteral("SELECT ReplicaId || '|' || Description FROM \"Replication Copy\""));
}

// The crash test's child: makes changes on both sides and synchronises, over and over, telling
// its parent on standard output each change once it is committed.
int runSyncChild(const QString& storePath, const QString& replicaPath, const QString& trial)
{
    const auto say = [](const QString& line) {
        std::fputs(qPrintable(line + u'\n'), stdout);
        std::fflush(stdout);
    };
    try {
        for (int i = 0;; ++i) {
            const QString mine = QStringLiteral("S%1-%2").arg(trial).arg(i);
            {
                auto store = Store::open(storePath, kToday);
                Suppliers suppliers(*store);
                suppliers.add(mine, QStringLiteral("store %1").arg(i));
                say(QStringLiteral("+ ") + mine);
                if (i >= 2 && i % 2 == 0) {
                    const QString old = QStringLiteral("S%1-%2").arg(trial).arg(i - 2);
                    say(QStringLiteral("? ") + old);
                    suppliers.remove(old);
                    say(QStringLiteral("- ") + old);
                }
            }
            const QString theirs = QStringLiteral("R%1-%2").arg(trial).arg(i);
            {
                auto replica = Store::open(replicaPath, kToday);
                Suppliers suppliers(*replica);
                suppliers.add(theirs, QStringLiteral("replica %1").arg(i));
                say(QStringLiteral("+ ") + theirs);
                // The same row written on both sides: the store's write wins the tie.
                if (suppliers.moveTo(QStringLiteral("BOTH")))
                    suppliers.setPhone(QStringLiteral("BOTH"), QStringLiteral("replica %1").arg(i));
            }
            {
                auto store = Store::open(storePath, kToday);
                Suppliers suppliers(*store);
                if (suppliers.moveTo(QStringLiteral("BOTH")))
                    suppliers.setPhone(QStringLiteral("BOTH"), QStringLiteral("store %1").arg(i));
            }
            synchronize(storePath, replicaPath, nullptr);
            say(QStringLiteral("synchronized"));
        }
    } catch (const std::exception& e) {
        say(QStringLiteral("error ") + QString::fromUtf8(e.what()));
        return 3;
    }
}

} // namespace

class TestReplication : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void marking_setsThePropertyAndTracksEveryRow();
    void marking_aMarkedStore_failsPropertyExists();
    void marking_olderLayout_isBroughtUpToDateAndStillTracked();

    void replica_isAStoreOfItsOwn();
    void replica_pathItCannotTake_leavesNothing_data();
    void replica_pathItCannotTake_leavesNothing();

    void synchronize_exchangesChangesBothWays();
    void synchronize_rowWrittenOnBothSides_data();
    void synchronize_rowWrittenOnBothSides();
    void synchronize_missingReplica_failsReplicaNotFound();
    void synchronize_cutShortAfterTheMerge_isFinishedByTheNext();
    void synchronize_tracksWritesOfAnotherProgram();
    void synchronize_productDeletedOnOneSideChangedOnTheOther_data();
    void synchronize_productDeletedOnOneSideChangedOnTheOther();
    void synchronize_productsAddedAndDeletedOnEachSide_stayPaired();
    void synchronize_replicaOfAnotherSet_isRefused();

    void exclusiveOpen_releasesAndRestoresTheProgramsConnection();
    void exclusiveOpen_refusedWhileAnotherProgramHoldsTheFile();
    void exclusiveOpen_refusedWhileAUnitOfWorkIsOpen();

    void replaceStoreFile_data();
    void replaceStoreFile();

    void crash_anyMomentLeavesBothFilesUsable();
};

void TestReplication::marking_setsThePropertyAndTracksEveryRow()
{
    Pair pair;
    Products products{*pair.store};
    products.add(QStringLiteral("A"), 100);
    products.add(QStringLiteral("B"), 200);
    const QStringList before = dump(pair.path);
    const QString version = Plain(pair.path).one(QStringLiteral("PRAGMA user_version"));

    {
        auto db = ReplicaDatabase::open(pair.path, ReplicaDatabase::Use::Exclusive, pair.store.get());
        QCOMPARE(db->name(), pair.path);
        db->appendProperty(QStringLiteral("Replicable"), QStringLiteral("T"));
        QCOMPARE(db->property(QStringLiteral("Replicable")), QStringLiteral("T"));
        db->setProperty(QStringLiteral("Replicable"), QStringLiteral("T"));
        QCOMPARE(outcomeOf([&] { db->property(QStringLiteral("ReplicaId")); }), QStringLiteral("failed"));
    }

    // The rows and the layout are as they were; every row is tracked, and every table has its
    // triggers.
    QCOMPARE(dump(pair.path), before);
    Plain plain(pair.path);
    QCOMPARE(plain.one(QStringLiteral("PRAGMA user_version")), version);
    QCOMPARE(plain.one(QStringLiteral("SELECT Value FROM Properties WHERE Name = 'Replicable'")), QStringLiteral("T"));
    QCOMPARE(triggerCount(pair.path), 3 * int(store::schema::tables().size()));
    QCOMPARE(plain.one(QStringLiteral("SELECT count(*) FROM \"Replication Rows\"")), QString::number(before.size()));
    QCOMPARE(plain.one(QStringLiteral("SELECT count(DISTINCT RowGuid) FROM \"Replication Rows\"")), QString::number(before.size()));

    // The program's connection is back, and its writes are tracked.
    products.setPrice(QStringLiteral("A"), 150);
    QCOMPARE(plain.one(QStringLiteral("SELECT r.Edits || '|' || r.Changed FROM \"Replication Rows\" r JOIN tblProductPrice p "
                                      "ON r.TableName = 'tblProductPrice' AND r.RowKey = p.RowKey WHERE p.Code = 'A'")),
        QStringLiteral("2|1"));
    QCOMPARE(products.list(), (QStringList{"A 150/A", "B 200/B"}));
}

void TestReplication::marking_aMarkedStore_failsPropertyExists()
{
    Pair pair;
    makeReplicable(pair.path, pair.store.get());
    const QStringList before = dump(pair.path);
    const QString tracked = Plain(pair.path).rows(QStringLiteral("SELECT * FROM \"Replication Rows\" ORDER BY RowGuid")).join(u',');

    // Property names are matched without regard to letter case, as the engine's were.
    for (const QString& name : {QStringLiteral("Replicable"), QStringLiteral("REPLICABLE")}) {
        auto db = ReplicaDatabase::open(pair.path, ReplicaDatabase::Use::Exclusive, pair.store.get());
        QCOMPARE(outcomeOf([&] { db->appendProperty(name, QStringLiteral("T")); }), QStringLiteral("property exists"));
    }
    QCOMPARE(dump(pair.path), before);
    QCOMPARE(Plain(pair.path).rows(QStringLiteral("SELECT * FROM \"Replication Rows\" ORDER BY RowGuid")).join(u','), tracked);
    QCOMPARE(triggerCount(pair.path), 3 * int(store::schema::tables().size()));
    // Once replicable, always replicable.
    auto db = ReplicaDatabase::open(pair.path, ReplicaDatabase::Use::Exclusive, pair.store.get());
    QCOMPARE(outcomeOf([&] { db->setProperty(QStringLiteral("Replicable"), QStringLiteral("F")); }), QStringLiteral("failed"));
    QCOMPARE(db->property(QStringLiteral("Replicable")), QStringLiteral("T"));
}

// A replicable store of the layout before the table of reports: opening it adds the table, and
// the new table is tracked like the others; the rows it had keep their names.
void TestReplication::marking_olderLayout_isBroughtUpToDateAndStillTracked()
{
    Pair pair;
    Products{*pair.store}.add(QStringLiteral("A"), 100);
    makeReplicable(pair.path, pair.store.get());
    pair.store.reset();
    const QString guids = QStringLiteral("SELECT RowGuid FROM \"Replication Rows\" WHERE TableName = 'tblProductPrice' ORDER BY RowKey");
    const QStringList named = Plain(pair.path).rows(guids);
    QCOMPARE(Plain(pair.path).exec(QStringLiteral("DROP TABLE Reports; DELETE FROM \"Replication Rows\" WHERE TableName = 'Reports'; "
                                                  "DROP TABLE SalesJournalLines; DROP TABLE SalesJournal; DROP TABLE DayCloses; PRAGMA user_version = 1;")),
        SQLITE_OK);
    QCOMPARE(triggerCount(pair.path), 3 * (int(store::schema::tables().size()) - 1));

    pair.store = Store::open(pair.path, kToday);
    Plain plain(pair.path);
    QCOMPARE(plain.one(QStringLiteral("PRAGMA user_version")), QString::number(store::schema::kSchemaVersion));
    QCOMPARE(triggerCount(pair.path), 3 * int(store::schema::tables().size()));
    QCOMPARE(plain.rows(guids), named);
    QCOMPARE(plain.one(QStringLiteral("SELECT count(*) FROM Reports r JOIN \"Replication Rows\" t ON t.TableName = 'Reports' AND t.RowKey = r.RowKey")),
        QStringLiteral("2"));
    QCOMPARE(Products{*pair.store}.list(), QStringList{"A 100/A"});
}

void TestReplication::replica_isAStoreOfItsOwn()
{
    Pair pair;
    Products{*pair.store}.add(QStringLiteral("A"), 100);
    pair.replicate();

    QCOMPARE(dump(pair.replica), dump(pair.path));
    const QStringList mine = copyIdentity(pair.path).split(u'|');
    const QStringList theirs = copyIdentity(pair.replica).split(u'|');
    QCOMPARE(theirs.value(1), QStringLiteral("MyReplica"));
    QCOMPARE(theirs.value(0).size(), 32);
    QVERIFY(theirs.value(0) != mine.value(0));
    QCOMPARE(Plain(pair.replica).one(QStringLiteral("SELECT Value FROM Properties WHERE Name = 'Replicable'")), QStringLiteral("T"));
    QCOMPARE(QFileInfo(pair.replica).permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther), QFile::Permissions());
    QCOMPARE(filesIn(pair.replicaFolder), QStringList{"Grocery.mdb"});

    auto replica = Store::open(pair.replica, kToday);
    QCOMPARE(Products{*replica}.list(), QStringList{"A 100/A"});
}

void TestReplication::replica_pathItCannotTake_leavesNothing_data()
{
    QTest::addColumn<bool>("fileThere");
    QTest::addColumn<bool>("folderThere");
    QTest::newRow("a file at the path") << true << true;
    QTest::newRow("no folder") << false << false;
}

void TestReplication::replica_pathItCannotTake_leavesNothing()
{
    QFETCH(bool, fileThere);
    QFETCH(bool, folderThere);
    Pair pair;
    makeReplicable(pair.path, pair.store.get());
    const QString folder = folderThere ? pair.replicaFolder : pair.dir.filePath(QStringLiteral("E/Point of Sale"));
    const QString path = folder + QStringLiteral("/Grocery.mdb");
    if (fileThere) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("the copy made last week");
    }
    const QStringList before = filesIn(QFileInfo(pair.replicaFolder).absolutePath() + QStringLiteral("/Point of Sale"));

    QCOMPARE(outcomeOf([&] { makeReplica(pair.path, path, pair.store.get()); }), QStringLiteral("failed"));
    QCOMPARE(QFileInfo::exists(folder), folderThere);
    if (fileThere)
        QCOMPARE(bytesOf(path), QByteArray("the copy made last week"));
    QCOMPARE(filesIn(QFileInfo(pair.replicaFolder).absolutePath() + QStringLiteral("/Point of Sale")), before);
    // The program's connection is back.
    QCOMPARE(Products{*pair.store}.list(), QStringList());
}

void TestReplication::synchronize_exchangesChangesBothWays()
{
    Pair pair;
    Products products{*pair.store};
    for (const char* code : {"A", "B", "C", "D"})
        products.add(QString::fromLatin1(code), 100);
    pair.replicate();

    // Each side adds a product and changes another; the store deletes one.
    products.add(QStringLiteral("S1"), 111);
    products.setPrice(QStringLiteral("B"), 250);
    products.remove(QStringLiteral("D"));
    {
        auto replica = Store::open(pair.replica, kToday);
        Products theirs{*replica};
        theirs.add(QStringLiteral("R1"), 222);
        theirs.setPrice(QStringLiteral("C"), 350);
    }
    const QString identity = copyIdentity(pair.replica);

    synchronize(pair.path, pair.replica, pair.store.get());

    const QStringList expected{"A 100/A", "B 250/B", "C 350/C", "S1 111/S1", "R1 222/R1"};
    QCOMPARE(products.list(), expected);
    QCOMPARE(dump(pair.replica), dump(pair.path));
    QCOMPARE(copyIdentity(pair.replica), identity);
    QCOMPARE(Plain(pair.path).one(QStringLiteral("SELECT count(*) FROM \"Replication Conflicts\"")), QStringLiteral("0"));
    QCOMPARE(filesIn(pair.replicaFolder), QStringList{"Grocery.mdb"});
    {
        auto replica = Store::open(pair.replica, kToday);
        QCOMPARE(Products{*replica}.list(), expected);
    }

    // Again: nothing to exchange, and the replica is not written again.
    const QStringList merged = dump(pair.path);
    const auto replicaFile = fileId(pair.replica);
    synchronize(pair.path, pair.replica, pair.store.get());
    QCOMPARE(dump(pair.path), merged);
    QCOMPARE(dump(pair.replica), merged);
    QCOMPARE(fileId(pair.replica), replicaFile);
}

void TestReplication::synchronize_rowWrittenOnBothSides_data()
{
    QTest::addColumn<int>("storeEdits");
    QTest::addColumn<bool>("storeDeletes");
    QTest::addColumn<int>("replicaEdits");
    QTest::addColumn<bool>("replicaDeletes");
    QTest::addColumn<QString>("kept");   // the supplier afterwards, "" when deleted
    QTest::addColumn<QString>("loser");  // the copy whose row lost
    QTest::addColumn<QString>("lost");   // the losing row's phone, "<null>" for a deletion

    QTest::newRow("edited more often in the replica") << 1 << false << 2 << false << "X:r2" << "store" << "s1";
    QTest::newRow("edited more often in the store") << 3 << false << 1 << false << "X:s3" << "replica" << "r1";
    QTest::newRow("edited as often on both sides: the store's") << 1 << false << 1 << false << "X:s1" << "replica" << "r1";
    QTest::newRow("deleted in the store, edited once in the replica") << 0 << true << 1 << false << "" << "replica" << "r1";
    QTest::newRow("edited twice in the store, deleted in the replica") << 2 << false << 0 << true << "X:s2" << "replica" << "<null>";
    QTest::newRow("deleted in the store, edited twice in the replica") << 0 << true << 2 << false << "X:r2" << "store" << "<null>";
}

void TestReplication::synchronize_rowWrittenOnBothSides()
{
    QFETCH(int, storeEdits);
    QFETCH(bool, storeDeletes);
    QFETCH(int, replicaEdits);
    QFETCH(bool, replicaDeletes);
    QFETCH(QString, kept);
    QFETCH(QString, loser);
    QFETCH(QString, lost);

    Pair pair;
    Suppliers suppliers(*pair.store);
    suppliers.add(QStringLiteral("W"), QStringLiteral("w"));
    suppliers.add(QStringLiteral("X"), QStringLiteral("x"));
    pair.replicate();
    const QString ids[] = {copyIdentity(pair.path).section(u'|', 0, 0), copyIdentity(pair.replica).section(u'|', 0, 0)};

    for (int i = 1; i <= storeEdits; ++i)
        suppliers.setPhone(QStringLiteral("X"), QStringLiteral("s%1").arg(i));
    if (storeDeletes)
        suppliers.remove(QStringLiteral("X"));
    {
        auto replica = Store::open(pair.replica, kToday);
        Suppliers theirs(*replica);
        for (int i = 1; i <= replicaEdits; ++i)
            theirs.setPhone(QStringLiteral("X"), QStringLiteral("r%1").arg(i));
        if (replicaDeletes)
            theirs.remove(QStringLiteral("X"));
    }

    synchronize(pair.path, pair.replica, pair.store.get());

    QStringList expected{"W:w"};
    if (!kept.isEmpty())
        expected << kept;
    QCOMPARE(suppliers.list(), expected);
    QCOMPARE(dump(pair.replica), dump(pair.path));
    const QStringList conflicts = Plain(pair.path).rows(QStringLiteral("SELECT TableName, LoserCopy, Deleted, json_extract(Row, '$.\"Phone#\"') FROM \"Replication Conflicts\""));
    const QString loserId = loser == u"store" ? ids[0] : ids[1];
    QCOMPARE(conflicts, QStringList{QStringLiteral("tblSuplier|%1|%2|%3").arg(loserId, lost == u"<null>" ? "1" : "0", lost)});
    // The conflict is settled: a second synchronisation keeps the result and adds no conflict.
    synchronize(pair.path, pair.replica, pair.store.get());
    QCOMPARE(suppliers.list(), expected);
    QCOMPARE(Plain(pair.replica).one(QStringLiteral("SELECT count(*) FROM \"Replication Conflicts\"")), QStringLiteral("1"));
}

void TestReplication::synchronize_missingReplica_failsReplicaNotFound()
{
    Pair pair;
    makeReplicable(pair.path, pair.store.get());
    const QStringList before = dump(pair.path);
    QCOMPARE(outcomeOf([&] { synchronize(pair.path, pair.replica, pair.store.get()); }), QStringLiteral("replica not found"));
    QCOMPARE(filesIn(pair.replicaFolder), QStringList());
    QCOMPARE(dump(pair.path), before);
    QCOMPARE(Products{*pair.store}.list(), QStringList());
}

// The replica cannot be written once the store has taken in the changes (something stands where its
// new copy is written): the replica stays as it was, and the next synchronisation brings it in
// step although neither side has changes left to send.
void TestReplication::synchronize_cutShortAfterTheMerge_isFinishedByTheNext()
{
    Pair pair;
    Products products{*pair.store};
    products.add(QStringLiteral("A"), 100);
    pair.replicate();
    products.add(QStringLiteral("S1"), 111);
    const QStringList replicaBefore = dump(pair.replica);
    const QString blocker = pair.replica + QStringLiteral(".sync-new");
    QVERIFY(QDir().mkpath(blocker + QStringLiteral("/in the way")));

    QCOMPARE(outcomeOf([&] { synchronize(pair.path, pair.replica, pair.store.get()); }), QStringLiteral("failed"));
    QCOMPARE(dump(pair.replica), replicaBefore);
    QCOMPARE(Plain(pair.replica).one(QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));

    QVERIFY(QDir(blocker).removeRecursively());
    synchronize(pair.path, pair.replica, pair.store.get());
    QCOMPARE(dump(pair.replica), dump(pair.path));
    QCOMPARE(products.list(), (QStringList{"A 100/A", "S1 111/S1"}));
}

// Writes made by another program straight into the files are exchanged as the program's own.
void TestReplication::synchronize_tracksWritesOfAnotherProgram()
{
    Pair pair;
    Suppliers suppliers(*pair.store);
    suppliers.add(QStringLiteral("GONE"));
    suppliers.add(QStringLiteral("KEPT"), QStringLiteral("1"));
    pair.replicate();

    QCOMPARE(Plain(pair.path).exec(QStringLiteral("INSERT INTO tblSuplier (Code, \"Phone#\") VALUES ('NEW', '2'); DELETE FROM tblSuplier WHERE Code = 'GONE';")),
        SQLITE_OK);
    QCOMPARE(Plain(pair.replica).exec(QStringLiteral("UPDATE tblSuplier SET \"Phone#\" = '3' WHERE Code = 'KEPT'; UPDATE tblTax SET Tax = 0.07;")), SQLITE_OK);
    QCOMPARE(Plain(pair.path).one(QStringLiteral("SELECT count(*) FROM \"Replication Tombstones\" WHERE Changed")), QStringLiteral("1"));

    synchronize(pair.path, pair.replica, pair.store.get());

    QCOMPARE(suppliers.list(), (QStringList{"KEPT:3", "NEW:2"}));
    QCOMPARE(Plain(pair.path).one(QStringLiteral("SELECT Tax FROM tblTax")), QStringLiteral("0.07"));
    QCOMPARE(dump(pair.replica), dump(pair.path));
}

// A product is its price row and its stock row at the same position, and a sale writes the stock
// row alone. A product deleted on one side and written on the other is decided as a whole, by the
// edits of each side (the deletion's against the more edited of its two rows), a tie going to the
// store: both rows stay, or both go. Every product after it keeps its own stock row.
void TestReplication::synchronize_productDeletedOnOneSideChangedOnTheOther_data()
{
    QTest::addColumn<bool>("storeDeletes");  // else the replica deletes B
    QTest::addColumn<int>("sales");          // sales of B on the other side
    QTest::addColumn<int>("priceChanges");   // price changes of B on the other side
    QTest::addColumn<bool>("cutShort");      // the first synchronisation cannot write the replica
    QTest::addColumn<bool>("kept");
    QTest::addColumn<QString>("loser");      // whose side is kept as the conflict: "store", "replica", ""

    QTest::newRow("deleted in the replica, sold once in the store: the store's") << false << 1 << 0 << false << true << "replica";
    QTest::newRow("deleted in the replica, sold twice in the store") << false << 2 << 0 << false << true << "replica";
    QTest::newRow("deleted in the replica, untouched in the store") << false << 0 << 0 << false << false << "";
    QTest::newRow("deleted in the store, sold once in the replica: the store's") << true << 1 << 0 << false << false << "replica";
    QTest::newRow("deleted in the store, sold twice in the replica") << true << 2 << 0 << false << true << "store";
    QTest::newRow("deleted in the store, repriced twice in the replica") << true << 0 << 2 << false << true << "store";
    QTest::newRow("deleted in the store, sold twice in the replica, cut short") << true << 2 << 0 << true << true << "store";
    QTest::newRow("deleted in the replica, sold once in the store, cut short") << false << 1 << 0 << true << true << "replica";
}

void TestReplication::synchronize_productDeletedOnOneSideChangedOnTheOther()
{
    QFETCH(bool, storeDeletes);
    QFETCH(int, sales);
    QFETCH(int, priceChanges);
    QFETCH(bool, cutShort);
    QFETCH(bool, kept);
    QFETCH(QString, loser);

    Pair pair;
    Products products{*pair.store};
    for (const char* code : {"A", "B", "C", "D"})
        products.add(QString::fromLatin1(code), 100);
    pair.replicate();
    const QString ids[] = {copyIdentity(pair.path).section(u'|', 0, 0), copyIdentity(pair.replica).section(u'|', 0, 0)};
    {
        auto replica = Store::open(pair.replica, kToday);
        Products theirs{*replica};
        Products& deleting = storeDeletes ? products : theirs;
        Products& changing = storeDeletes ? theirs : products;
        deleting.remove(QStringLiteral("B"));
        for (int i = 0; i < sales; ++i)
            changing.sell(QStringLiteral("B"));
        for (int i = 0; i < priceChanges; ++i)
            changing.setPrice(QStringLiteral("B"), 300 + i);
    }
    if (cutShort) {
        const QString blocker = pair.replica + QStringLiteral(".sync-new");
        QVERIFY(QDir().mkpath(blocker + QStringLiteral("/in the way")));
        QCOMPARE(outcomeOf([&] { synchronize(pair.path, pair.replica, pair.store.get()); }), QStringLiteral("failed"));
        QVERIFY(QDir(blocker).removeRecursively());
    }

    synchronize(pair.path, pair.replica, pair.store.get());

    const QString b = QStringLiteral("B/%1").arg(10 - sales);
    const QStringList expected = kept ? QStringList{"A/10", b, "C/10", "D/10"} : QStringList{"A/10", "C/10", "D/10"};
    QCOMPARE(products.onHand(), expected);
    for (const QString& product : products.list())
        QCOMPARE(product.section(u' ', 0, 0), product.section(u'/', 1));
    QCOMPARE(dump(pair.replica), dump(pair.path));
    // Both rows of the losing side are kept as conflicts: the deletion, or the product's rows.
    const QStringList conflicts = Plain(pair.path).rows(QStringLiteral("SELECT TableName, LoserCopy, Deleted, coalesce(json_extract(Row, '$.Code'), '-') "
                                                                       "FROM \"Replication Conflicts\" ORDER BY TableName"));
    QStringList expectedConflicts;
    if (!loser.isEmpty()) {
        const bool deletionLost = (loser == u"store") == storeDeletes;
        for (const char* table : {"tblProductPrice", "tblProductQuantity"})
            expectedConflicts << QStringLiteral("%1|%2|%3|%4").arg(QString::fromLatin1(table), loser == u"store" ? ids[0] : ids[1],
                deletionLost ? QStringLiteral("1") : QStringLiteral("0"), deletionLost ? QStringLiteral("-") : QStringLiteral("B"));
    }
    QCOMPARE(conflicts, expectedConflicts);

    // A product after it sells from its own row, on both sides, and the next synchronisation
    // keeps the products as they are.
    products.sell(QStringLiteral("C"));
    {
        auto replica = Store::open(pair.replica, kToday);
        Products{*replica}.sell(QStringLiteral("D"));
    }
    synchronize(pair.path, pair.replica, pair.store.get());
    QStringList after = expected;
    after.replaceInStrings(QStringLiteral("C/10"), QStringLiteral("C/9")).replaceInStrings(QStringLiteral("D/10"), QStringLiteral("D/9"));
    QCOMPARE(products.onHand(), after);
    QCOMPARE(dump(pair.replica), dump(pair.path));
    QCOMPARE(Plain(pair.path).one(QStringLiteral("SELECT count(*) FROM \"Replication Conflicts\"")), QString::number(expectedConflicts.size()));
}

// Products added and deleted on both sides, some sold: every price row keeps its own stock row.
void TestReplication::synchronize_productsAddedAndDeletedOnEachSide_stayPaired()
{
    Pair pair;
    Products products{*pair.store};
    for (const char* code : {"A", "B", "C", "D", "E"})
        products.add(QString::fromLatin1(code), 100);
    pair.replicate();

    products.add(QStringLiteral("S1"), 111);
    products.remove(QStringLiteral("B"));
    products.sell(QStringLiteral("D"));
    {
        auto replica = Store::open(pair.replica, kToday);
        Products theirs{*replica};
        theirs.add(QStringLiteral("R1"), 222);
        theirs.remove(QStringLiteral("D"));
        theirs.sell(QStringLiteral("E"));
        theirs.add(QStringLiteral("R2"), 333);
    }

    synchronize(pair.path, pair.replica, pair.store.get());

    // D, deleted in the replica and sold in the store as often, stays.
    const QStringList expected{"A 100/A", "C 100/C", "D 100/D", "E 100/E", "S1 111/S1", "R1 222/R1", "R2 333/R2"};
    QCOMPARE(products.list(), expected);
    QCOMPARE(products.onHand(), (QStringList{"A/10", "C/10", "D/9", "E/9", "S1/10", "R1/10", "R2/10"}));
    QCOMPARE(dump(pair.replica), dump(pair.path));
    auto replica = Store::open(pair.replica, kToday);
    QCOMPARE(Products{*replica}.list(), expected);
}

// A store made replicable again after its replica was made starts a set of its own: the old
// replica is refused and neither file is touched. Copies made before copies carried their set
// still synchronise with each other.
void TestReplication::synchronize_replicaOfAnotherSet_isRefused()
{
    Pair pair;
    Products products{*pair.store};
    products.add(QStringLiteral("A"), 100);
    pair.replicate();
    const QString set = QStringLiteral("SELECT SetId FROM \"Replication Copy\"");
    QCOMPARE(Plain(pair.replica).one(set), Plain(pair.path).one(set));
    QCOMPARE(Plain(pair.path).one(set).size(), 32);
    {
        auto replica = Store::open(pair.replica, kToday);
        Products{*replica}.sell(QStringLiteral("A"));
    }

    // The store put back from a copy kept elsewhere and made replicable again.
    const QString kept = pair.dir.filePath(QStringLiteral("Mercavia/Grocery.mdb"));
    QVERIFY(QDir().mkpath(QFileInfo(kept).path()));
    {
        auto copy = Store::open(kept, kToday);
        Products{*copy}.add(QStringLiteral("A"), 100);
    }
    store::replaceStoreFile(kept, pair.path, pair.store.get());
    makeReplicable(pair.path, pair.store.get());
    QVERIFY(Plain(pair.path).one(set) != Plain(pair.replica).one(set));
    products.sell(QStringLiteral("A"));
    const QByteArray storeBytes = bytesOf(pair.path);
    const QByteArray replicaBytes = bytesOf(pair.replica);

    QCOMPARE(outcomeOf([&] { synchronize(pair.path, pair.replica, pair.store.get()); }), QStringLiteral("failed"));
    QCOMPARE(bytesOf(pair.path), storeBytes);
    QCOMPARE(bytesOf(pair.replica), replicaBytes);
    QCOMPARE(filesIn(pair.replicaFolder), QStringList{"Grocery.mdb"});
    QCOMPARE(products.list(), QStringList{"A 100/A"});

    // Two copies of the same set made before the set was carried: they still synchronise.
    QVERIFY(QFile::remove(pair.replica));
    makeReplica(pair.path, pair.replica, pair.store.get());
    for (const QString& path : {pair.path, pair.replica})
        QCOMPARE(Plain(path).exec(QStringLiteral("ALTER TABLE \"Replication Copy\" DROP COLUMN SetId")), SQLITE_OK);
    {
        auto replica = Store::open(pair.replica, kToday);
        Products{*replica}.add(QStringLiteral("R1"), 222);
    }
    synchronize(pair.path, pair.replica, pair.store.get());
    QCOMPARE(products.list(), (QStringList{"A 100/A", "R1 222/R1"}));
    QCOMPARE(dump(pair.replica), dump(pair.path));
}

void TestReplication::exclusiveOpen_releasesAndRestoresTheProgramsConnection()
{
    Pair pair;
    Products products{*pair.store};
    products.add(QStringLiteral("A"), 100);
    products.add(QStringLiteral("B"), 200);
    // A window's record source holding its rows, on its second row, with its statements prepared.
    RecordSource held(*pair.store, QStringLiteral("datProdPrice"), QStringLiteral("tblProductPrice"));
    held.moveNext();
    held.edit();
    held.setField(u"ProductPrice", Currency::fromCents(210));
    held.update();
    {
        auto db = ReplicaDatabase::open(pair.path, ReplicaDatabase::Use::Exclusive, pair.store.get());
        QVERIFY(pair.store->isReleased());
        QCOMPARE(outcomeOf([&] { held.refresh(); }), QStringLiteral("store error"));
        // No other program reaches the file meanwhile.
        Plain other(pair.path);
        sqlite3_busy_timeout(other.get(), 0);
        QCOMPARE(other.exec(QStringLiteral("SELECT count(*) FROM tblTax")), SQLITE_BUSY);
        db->appendProperty(QStringLiteral("Replicable"), QStringLiteral("T"));
    }
    QVERIFY(!pair.store->isReleased());
    // Another program's write while the program's connection was away is read at the refresh.
    QCOMPARE(Plain(pair.path).exec(QStringLiteral("UPDATE tblProductPrice SET ProductPrice = 9900 WHERE Code = 'A'")), SQLITE_OK);
    held.refresh();
    QCOMPARE(held.field(u"ProductPrice"), store::Value(Currency::fromCents(99)));
    held.moveNext();
    held.edit();
    held.setField(u"ProductPrice", Currency::fromCents(220));
    held.update();
    products.add(QStringLiteral("C"), 300);
    QCOMPARE(products.list(), (QStringList{"A 99/A", "B 220/B", "C 300/C"}));
}

void TestReplication::exclusiveOpen_refusedWhileAnotherProgramHoldsTheFile()
{
    Pair pair;
    Products products{*pair.store};
    products.add(QStringLiteral("A"), 100);
    Plain other(pair.path);
    QCOMPARE(other.one(QStringLiteral("SELECT Code FROM tblProductPrice")), QStringLiteral("A"));

    QCOMPARE(outcomeOf([&] { makeReplicable(pair.path, pair.store.get()); }), QStringLiteral("failed"));
    QVERIFY(!pair.store->isReleased());
    products.add(QStringLiteral("B"), 200);
    QCOMPARE(products.list(), (QStringList{"A 100/A", "B 200/B"}));
    QCOMPARE(other.one(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'Properties'")), QStringLiteral("0"));
}

void TestReplication::exclusiveOpen_refusedWhileAUnitOfWorkIsOpen()
{
    Pair pair;
    Products products{*pair.store};
    products.add(QStringLiteral("A"), 100);
    {
        store::UnitOfWork unit(*pair.store);
        products.prices.moveFirst();
        products.prices.edit();
        products.prices.setField(u"ProductPrice", Currency::fromCents(120));
        products.prices.update();
        QCOMPARE(outcomeOf([&] { makeReplicable(pair.path, pair.store.get()); }), QStringLiteral("store error"));
        QVERIFY(!pair.store->isReleased());
        unit.commit();
    }
    QCOMPARE(products.list(), QStringList{"A 120/A"});
    makeReplicable(pair.path, pair.store.get());
    QCOMPARE(products.list(), QStringList{"A 120/A"});
}

void TestReplication::replaceStoreFile_data()
{
    QTest::addColumn<QString>("source");  // "store", "text", "none", "another program's database"
    QTest::addColumn<bool>("heldElsewhere");
    QTest::addColumn<QString>("outcome");

    QTest::newRow("a store") << "store" << false << "done";
    QTest::newRow("a store, while another program holds ours") << "store" << true << "failed";
    QTest::newRow("a text file") << "text" << false << "not a store";
    QTest::newRow("another program's database") << "database" << false << "not a store";
    QTest::newRow("no file") << "none" << false << "failed";
}

void TestReplication::replaceStoreFile()
{
    QFETCH(QString, source);
    QFETCH(bool, heldElsewhere);
    QFETCH(QString, outcome);

    Pair pair;
    Products products{*pair.store};
    products.add(QStringLiteral("A"), 100);
    const QString sibling = pair.dir.filePath(QStringLiteral("C/Mercavia/Grocery.mdb"));
    if (source == u"store") {
        auto other = Store::open(sibling, kToday);
        Products theirs{*other};
        theirs.add(QStringLiteral("M1"), 500);
        theirs.add(QStringLiteral("M2"), 600);
    } else if (source == u"text") {
        QDir().mkpath(QFileInfo(sibling).absolutePath());
        QFile file(sibling);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("SQLite format 3 is not what this is");
    } else if (source == u"database") {
        QDir().mkpath(QFileInfo(sibling).absolutePath());
        QCOMPARE(Plain(sibling, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE).exec(QStringLiteral("CREATE TABLE t (x)")), SQLITE_OK);
    }
    std::unique_ptr<Plain> other;
    if (heldElsewhere) {
        other = std::make_unique<Plain>(pair.path);
        QCOMPARE(other->one(QStringLiteral("SELECT Code FROM tblProductPrice")), QStringLiteral("A"));
    }
    const QStringList before = dump(pair.path);
    const QStringList wanted = source == u"store" ? dump(sibling) : QStringList();

    QCOMPARE(outcomeOf([&] { store::replaceStoreFile(sibling, pair.path, pair.store.get()); }), outcome);

    QVERIFY(!pair.store->isReleased());
    other.reset();
    const QStringList left = filesIn(QFileInfo(pair.path).absolutePath()).filter(QStringLiteral("-new"));
    QCOMPARE(left, QStringList());
    QCOMPARE(QFileInfo(pair.path).permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther), QFile::Permissions());
    if (outcome == u"done") {
        QCOMPARE(dump(pair.path), wanted);
        QCOMPARE(products.list(), (QStringList{"M1 500/M1", "M2 600/M2"}));
    } else {
        QCOMPARE(dump(pair.path), before);
        QCOMPARE(products.list(), QStringList{"A 100/A"});
    }
    // The program goes on writing its store.
    products.add(QStringLiteral("Z"), 900);
    QCOMPARE(products.list().last(), QStringLiteral("Z 900/Z"));
    QCOMPARE(Plain(pair.path).one(QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
}

// A child process synchronises over and over and is killed at random moments. After each kill
// both files are whole stores, a synchronisation run again converges, and every change the child
// had committed is in both. POS_CRASH_TRIALS sets the number of trials, POS_CRASH_SEED the seed.
void TestReplication::crash_anyMomentLeavesBothFilesUsable()
{
    const int trials = qEnvironmentVariableIsSet("POS_CRASH_TRIALS") ? qEnvironmentVariableIntValue("POS_CRASH_TRIALS") : 12;
    const quint32 seed = qEnvironmentVariableIsSet("POS_CRASH_SEED") ? quint32(qEnvironmentVariableIntValue("POS_CRASH_SEED")) : 20261210u;
    qInfo("crash test: %d trials, seed %u (POS_CRASH_SEED=%u replays it)", trials, seed, seed);
    QRandomGenerator random(seed);

    Pair pair;
    Suppliers{*pair.store}.add(QStringLiteral("BOTH"), QStringLiteral("first"));
    pair.replicate();
    pair.store.reset();

    QSet<QString> committed;
    QSet<QString> deleted;
    QSet<QString> maybeDeleted;
    int synchronized = 0;
    for (int trial = 0; trial < trials; ++trial) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--sync-child"), pair.path, pair.replica, QString::number(trial)});
        QVERIFY(child.waitForStarted());
        const int delay = int(random.bounded(40u, 400u));
        QThread::msleep(ulong(delay));
        child.kill();
        QVERIFY(child.waitForFinished());
        for (const QByteArray& raw : child.readAllStandardOutput().split('\n')) {
            const QString line = QString::fromUtf8(raw);
            QVERIFY2(!line.startsWith(u"error"), qPrintable(QStringLiteral("trial %1: %2").arg(trial).arg(line)));
            if (line.startsWith(u"+ "))
                committed.insert(line.mid(2));
            else if (line.startsWith(u"? "))
                maybeDeleted.insert(line.mid(2));
            else if (line.startsWith(u"- "))
                deleted.insert(line.mid(2));
            else if (line == u"synchronized")
                ++synchronized;
        }
        const QString context = QStringLiteral("trial %1, killed after %2 ms (seed %3)").arg(trial).arg(delay).arg(seed);

        for (const QString& path : {pair.path, pair.replica}) {
            QCOMPARE(Plain(path).one(QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
            QVERIFY2(outcomeOf([&] { Store::open(path, kToday); }) == u"done", qPrintable(context));
        }
        QVERIFY2(outcomeOf([&] { synchronize(pair.path, pair.replica, nullptr); }) == u"done", qPrintable(context));
        const QStringList merged = dump(pair.path);
        QVERIFY2(dump(pair.replica) == merged, qPrintable(context));
        QVERIFY2(filesIn(pair.replicaFolder) == QStringList{"Grocery.mdb"}, qPrintable(context));

        const QSet<QString> codes = [&] {
            QSet<QString> out;
            for (const QString& row : Plain(pair.path).rows(QStringLiteral("SELECT Code FROM tblSuplier")))
                out.insert(row);
            return out;
        }();
        for (const QString& code : committed) {
            if (deleted.contains(code))
                QVERIFY2(!codes.contains(code), qPrintable(code + QStringLiteral(" came back, ") + context));
            else if (!maybeDeleted.contains(code))
                QVERIFY2(codes.contains(code), qPrintable(code + QStringLiteral(" was lost, ") + context));
        }
        synchronize(pair.path, pair.replica, nullptr);
        QVERIFY2(dump(pair.path) == merged && dump(pair.replica) == merged, qPrintable(context));
    }
    qInfo("crash test: %d changes committed, %d synchronisations finished before the kills", int(committed.size()), synchronized);
    QVERIFY(!committed.isEmpty());
}

int main(int argc, char** argv)
{
    if (argc == 5 && qstrcmp(argv[1], "--sync-child") == 0) {
        QCoreApplication app(argc, argv);
        return runSyncChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[4]));
    }
    QCoreApplication app(argc, argv);
    TestReplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_replication.moc"
