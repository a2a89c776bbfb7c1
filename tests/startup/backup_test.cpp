// Backups made when the day is closed from the main menu, kept in Backups beside the store and on
// drive D, and a backup put back in the store's place with --restore.
#include "startup/main_window.h"
#include "startup/restore.h"
#include "startup/store_lock.h"
#include "startup/windows.h"
#include "store/backup.h"
#include "store/error.h"
#include "store/journal.h"
#include "store/record_source.h"
#include "store/store.h"
#include "store/unit_of_work.h"
#include "support/test_context.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <memory>
#include <tuple>

using testing::TestContext;

namespace {

const QDate kBusinessDate(2026, 12, 10);
const QString kBackupName = QStringLiteral("Grocery 2026-12-10.mdb");

// Every row of every table of a store file, read through a connection of its own.
QStringList rowsOf(const QString& path)
{
    QStringList rows;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return {QStringLiteral("<cannot open>")};
    }
    QStringList tables;
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name", -1, &stmt, nullptr);
    while (sqlite3_step(stmt) == SQLITE_ROW)
        tables << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    for (const QString& table : tables) {
        sqlite3_prepare_v2(db, QStringLiteral("SELECT * FROM \"%1\"").arg(table).toUtf8().constData(), -1, &stmt, nullptr);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            QStringList fields{table};
            for (int column = 0; column < sqlite3_column_count(stmt); ++column)
                fields << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)));
            rows << fields.join(u'|');
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return rows;
}

// The single answer of a pragma, read without changing the file.
QString pragma(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    QString answer;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK
        && sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
        answer = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return answer;
}

QByteArray digest(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256) : QByteArray();
}

bool ownerOnly(const QString& path)
{
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
        | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    return (QFileInfo(path).permissions() & others) == 0;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// Adds a product, so that a store holds rows of its own.
void addProduct(store::Store& store, const QString& code)
{
    store::RecordSource prices(store, QStringLiteral("p"), QStringLiteral("tblProductPrice"));
    prices.addNew();
    prices.setField(u"Code", code);
    prices.setField(u"ProductName", QStringLiteral("Product ") + code);
    prices.update();
}

// A store at the end of a business day, its main menu shown; drive D mapped when asked.
struct ClosingDay : TestContext {
    explicit ClosingDay(bool driveD = false) : TestContext(kBusinessDate.addDays(1))
    {
        startup::registerWindows(windows);
        store->exec(QStringLiteral("UPDATE tblDailySale SET tDate = '2026-12-10', DailySale = 125000, totalItems = 2"));
        store->exec(QStringLiteral("INSERT INTO YearSales (Ano, December, AnualTotal) VALUES (2026, 1000000, 1000000)"));
        store->exec(QStringLiteral("INSERT INTO daillySale (Codigo, Nome_Produto, Quantidade, Preco) VALUES ('P1', 'Bread', 2, 125000)"));
        addProduct(*store, QStringLiteral("P1"));
        if (driveD) {
            QDir().mkpath(root.filePath(QStringLiteral("disk_d")));
            QDir().mkpath(root.filePath(QStringLiteral("dosdevices")));
            QFile::link(root.filePath(QStringLiteral("disk_d")), root.filePath(QStringLiteral("dosdevices/d:")));
        }
    }

    QString storePath() const { return store->path(); }
    QString backups() const { return QFileInfo(store->path()).dir().filePath(QStringLiteral("Backups")); }
    QString backupsOnD() { return platform.drives().hostPath(u"D:\\Program Files\\Point of Sale\\Backups"); }

    // The main menu's exit, answered Yes twice.
    void closeTheDay()
    {
        auto* menu = static_cast<startup::MainWindow*>(windows.show(QStringLiteral("frmMain")));
        ui.answerMessage(ui::Button::Yes);
        ui.answerMessage(ui::Button::Yes);
        QTest::mouseClick(menu->cmdSair, Qt::LeftButton);
    }
};

// A store file of its own in a folder of its own, closed, for restoring over.
struct StoreFolder {
    QTemporaryDir root;
    QString storePath = root.filePath(QStringLiteral("Point of Sale/Grocery.mdb"));
    const QDateTime now{QDate(2026, 12, 11), QTime(15, 30, 12)};
    QString keptPath() const { return storePath + QStringLiteral(".before-restore-2026-12-11-1530"); }

    // Makes the store with the products given and closes it.
    void make(const QStringList& codes, const QString& path = {})
    {
        std::unique_ptr<store::Store> store = store::Store::open(path.isEmpty() ? storePath : path, kBusinessDate);
        for (const QString& code : codes)
            addProduct(*store, code);
    }
};

} // namespace

class TestBackup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void close_backsUpTheStoreVerified_data();
    void close_backsUpTheStoreVerified();
    void close_keepsTheNewest30AndNoOtherFile();
    void backupDatedBeforeTheOthers_isKept();
    void backupsOfOneDate_areNumbered_data();
    void backupsOfOneDate_areNumbered();
    void failedBackup_isToldAndTheCloseEnds_data();
    void failedBackup_isToldAndTheCloseEnds();

    void restore_putsTheBackupInPlaceAndKeepsTheStore();
    void restore_keepsTheWritesAKilledProgramLeftInTheLog();
    void restore_neverGivesASaleNumberAgain();
    void restore_setsAsideALogLeftWithoutItsStore();
    void refusedRestore_leavesTheStoreAsItWas_data();
    void refusedRestore_leavesTheStoreAsItWas();
    void restoreCommand_saysWhatItDid();
};

void TestBackup::close_backsUpTheStoreVerified_data()
{
    QTest::addColumn<bool>("driveD");
    QTest::addColumn<int>("storedYear");
    QTest::addColumn<bool>("closes");
    QTest::newRow("normal close") << false << 2026 << true;
    QTest::newRow("normal close, drive D mapped") << true << 2026 << true;
    QTest::newRow("year roll-over, drive D mapped") << true << 2025 << true;
    QTest::newRow("a year long past: no close, no backup") << true << 2020 << false;
}

// The closed store is copied into Backups beside it (and on drive D when mapped): a single whole
// file with the rows of the store as the close left them, its owner's alone, nothing else left
// behind, and the program ends without a word more. An exit that closes nothing backs nothing up.
void TestBackup::close_backsUpTheStoreVerified()
{
    QFETCH(bool, driveD);
    QFETCH(int, storedYear);
    QFETCH(bool, closes);
    ClosingDay t(driveD);
    t.store->exec(QStringLiteral("UPDATE YearSales SET Ano = %1").arg(storedYear));
    t.closeTheDay();

    QCOMPARE(t.ui.failures(), QString());
    QCOMPARE(t.ui.boxes().size(), std::size_t(2));
    QVERIFY(t.ui.ended());
    if (!closes) {
        QVERIFY(!QFileInfo::exists(t.backups()));
        QVERIFY(!QFileInfo::exists(t.backupsOnD()));
        return;
    }
    const QStringList storeRows = rowsOf(t.storePath());
    // The close was written before the copy was made.
    QVERIFY(storeRows.contains(QStringLiteral("tblDailySale|1|2026-12-11|0|0")) || storedYear != 2026);
    QVERIFY(!storeRows.filter(QStringLiteral("LastYearSales|")).isEmpty() || storedYear == 2026);

    QStringList folders{t.backups()};
    if (driveD)
        folders << t.backupsOnD();
    for (const QString& folder : folders) {
        const QString backup = QDir(folder).filePath(kBackupName);
        QCOMPARE(filesIn(folder), QStringList{kBackupName});
        QCOMPARE(pragma(backup, "PRAGMA integrity_check"), QStringLiteral("ok"));
        QCOMPARE(pragma(backup, "PRAGMA journal_mode"), QStringLiteral("delete"));
        try {
            store::Store::check(backup);
        } catch (const store::Error& error) {
            QFAIL(qPrintable(error.message()));
        }
        QCOMPARE(rowsOf(backup), storeRows);
        QVERIFY(ownerOnly(folder));
        QVERIFY(ownerOnly(backup));
    }
    if (!driveD)
        QVERIFY(!QFileInfo::exists(t.backupsOnD()));
}

// A 31st backup deletes the oldest of the store's backups, by the date and number in the name,
// and a backup of the store left half made, but never a file that is not one of them.
void TestBackup::close_keepsTheNewest30AndNoOtherFile()
{
    ClosingDay t;
    QVERIFY(QDir().mkpath(t.backups()));
    QStringList ours;
    // Of 1 November two, the plain one the older; then one a day from 2 to 29 November.
    ours << QStringLiteral("Grocery 2026-11-01.mdb") << QStringLiteral("Grocery 2026-11-01 (2).mdb");
    for (int day = 2; day <= 29; ++day)
        ours << QStringLiteral("Grocery 2026-11-%1.mdb").arg(day, 2, 10, QLatin1Char('0'));
    const QStringList foreign{QStringLiteral("Grocery 2026-10-01.mdb.txt"), QStringLiteral("Notes.txt"), QStringLiteral("Other 2020-01-01.mdb"),
        QStringLiteral("Grocery.mdb"), QStringLiteral("Grocery 2026-13-45.mdb"), QStringLiteral("Other 2020-01-01.mdb.partial")};
    // A backup that a program stopped in the middle of.
    const QString halfMade = QStringLiteral("Grocery 2026-11-30.mdb.partial");
    for (const QString& name : ours + foreign + QStringList{halfMade})
        QVERIFY(writeFile(QDir(t.backups()).filePath(name), "kept by someone"));
    QCOMPARE(ours.size(), 30);

    t.closeTheDay();

    QCOMPARE(t.ui.failures(), QString());
    QVERIFY(t.ui.ended());
    QStringList expected = ours.mid(1) << kBackupName;
    QCOMPARE(store::backup::list(t.backups(), t.storePath()), expected);
    for (const QString& name : foreign)
        QVERIFY2(QFileInfo::exists(QDir(t.backups()).filePath(name)), qPrintable(name));
    QVERIFY(!QFileInfo::exists(QDir(t.backups()).filePath(halfMade)));
    QCOMPARE(filesIn(t.backups()).size(), 30 + foreign.size());
}

// A clock set back dates the new backup before all the others: it is kept all the same, and the
// oldest of the others goes in its place.
void TestBackup::backupDatedBeforeTheOthers_isKept()
{
    ClosingDay t;
    QVERIFY(QDir().mkpath(t.backups()));
    QStringList ours;
    for (int day = 1; day <= 30; ++day)
        ours << QStringLiteral("Grocery 2026-11-%1.mdb").arg(day, 2, 10, QLatin1Char('0'));
    for (const QString& name : ours)
        QVERIFY(writeFile(QDir(t.backups()).filePath(name), "an earlier backup"));

    const std::vector<store::backup::Copy> copies = store::backup::make(*t.store, QDate(2000, 1, 1), {t.backups()});

    QCOMPARE(copies.size(), std::size_t(1));
    QVERIFY2(copies.front().made(), qPrintable(copies.front().failure));
    QVERIFY(QFileInfo::exists(copies.front().file));
    QCOMPARE(rowsOf(copies.front().file), rowsOf(t.storePath()));
    QCOMPARE(store::backup::list(t.backups(), t.storePath()), QStringList{QStringLiteral("Grocery 2000-01-01.mdb")} + ours.mid(1));
}

void TestBackup::backupsOfOneDate_areNumbered_data()
{
    QTest::addColumn<QStringList>("here");  // backups already in the folder beside the store
    QTest::addColumn<QStringList>("onD");   // and on drive D
    QTest::addColumn<QString>("name");
    QTest::newRow("first of the date") << QStringList{QStringLiteral("Grocery 2026-12-09.mdb")} << QStringList{} << kBackupName;
    QTest::newRow("second of the date") << QStringList{kBackupName} << QStringList{} << QStringLiteral("Grocery 2026-12-10 (2).mdb");
    QTest::newRow("third of the date") << QStringList{kBackupName, QStringLiteral("Grocery 2026-12-10 (2).mdb")} << QStringList{}
                                       << QStringLiteral("Grocery 2026-12-10 (3).mdb");
    QTest::newRow("taken on D only") << QStringList{} << QStringList{kBackupName} << QStringLiteral("Grocery 2026-12-10 (2).mdb");
}

// A second backup of a date never replaces the first: the first may be the one to go back to. Both
// folders get one name, free in each.
void TestBackup::backupsOfOneDate_areNumbered()
{
    QFETCH(QStringList, here);
    QFETCH(QStringList, onD);
    QFETCH(QString, name);
    ClosingDay t;
    const QString d = t.root.filePath(QStringLiteral("d/Backups"));
    QVERIFY(QDir().mkpath(t.backups()) && QDir().mkpath(d));
    for (const QString& existing : here)
        QVERIFY(writeFile(QDir(t.backups()).filePath(existing), "an earlier backup"));
    for (const QString& existing : onD)
        QVERIFY(writeFile(QDir(d).filePath(existing), "an earlier backup"));

    const std::vector<store::backup::Copy> copies = store::backup::make(*t.store, kBusinessDate, {t.backups(), d});

    QCOMPARE(copies.size(), std::size_t(2));
    for (const store::backup::Copy& copy : copies) {
        QVERIFY2(copy.made(), qPrintable(copy.failure));
        QCOMPARE(QFileInfo(copy.file).fileName(), name);
        QCOMPARE(rowsOf(copy.file), rowsOf(t.storePath()));
    }
    for (const QString& existing : here)
        QCOMPARE(digest(QDir(t.backups()).filePath(existing)), QCryptographicHash::hash("an earlier backup", QCryptographicHash::Sha256));
}

void TestBackup::failedBackup_isToldAndTheCloseEnds_data()
{
    QTest::addColumn<bool>("localBlocked"); // a file named Backups beside the store
    QTest::addColumn<bool>("dBlocked");     // drive D mapped, a file named Backups on it
    QTest::newRow("Backups beside the store is a file") << true << false;
    QTest::newRow("Backups on drive D is a file") << false << true;
    QTest::newRow("both") << true << true;
}

// A backup that cannot be made is told in one warning naming the folder, what failed and what
// to do; the day is closed, the program ends, and a folder that works gets its backup.
void TestBackup::failedBackup_isToldAndTheCloseEnds()
{
    QFETCH(bool, localBlocked);
    QFETCH(bool, dBlocked);
    ClosingDay t(dBlocked);
    if (localBlocked)
        QVERIFY(writeFile(t.backups(), "in the way"));
    if (dBlocked) {
        QVERIFY(QDir().mkpath(QFileInfo(t.backupsOnD()).path()));
        QVERIFY(writeFile(t.backupsOnD(), "in the way"));
    }

    t.closeTheDay();

    QCOMPARE(t.ui.failures(), QString());
    QVERIFY(t.ui.ended());
    QVERIFY(rowsOf(t.storePath()).contains(QStringLiteral("tblDailySale|1|2026-12-11|0|0")));
    QCOMPARE(t.ui.boxes().size(), std::size_t(3));
    const testing::ShownBox& box = t.ui.boxes().back();
    QCOMPARE(box.icon, ui::Icon::Warning);
    QCOMPARE(box.buttons, ui::Buttons::Ok);
    QCOMPARE(box.shownTitle, QStringLiteral("Point of Sale"));
    QStringList said{QStringLiteral("The day was closed all the same"), QStringLiteral("Make sure that the folder can be written")};
    if (localBlocked)
        said << QStringLiteral("The store could not be backed up into the folder %1: the folder cannot be made").arg(QDir::toNativeSeparators(t.backups()));
    if (dBlocked)
        said << QStringLiteral("The store could not be backed up into the folder %1: the folder cannot be made").arg(QDir::toNativeSeparators(t.backupsOnD()));
    for (const QString& part : said)
        QVERIFY2(box.text.contains(part), qPrintable(box.text));
    QCOMPARE(box.text.count(QStringLiteral("could not be backed up")), int(localBlocked) + int(dBlocked));
    if (!localBlocked)
        QCOMPARE(filesIn(t.backups()), QStringList{kBackupName});
}

// The backup's rows are the store's now; the store it replaced is kept under the moment's name,
// with its rows; no log of the old store is left beside the new one, and the lock is let go.
void TestBackup::restore_putsTheBackupInPlaceAndKeepsTheStore()
{
    StoreFolder f;
    f.make({QStringLiteral("A1")});
    const QString backups = f.root.filePath(QStringLiteral("Backups"));
    {
        std::unique_ptr<store::Store> store = store::Store::open(f.storePath, kBusinessDate);
        const std::vector<store::backup::Copy> copies = store::backup::make(*store, kBusinessDate, {backups});
        QVERIFY(copies.front().made());
        addProduct(*store, QStringLiteral("B2"));
    }
    const QString backup = QDir(backups).filePath(kBackupName);
    const QStringList backupRows = rowsOf(backup);
    const QStringList storeRows = rowsOf(f.storePath);
    QVERIFY(backupRows != storeRows);

    const startup::RestoreOutcome outcome = startup::restoreStore(f.storePath, backup, f.now);

    QVERIFY2(outcome.restored, qPrintable(outcome.said));
    QCOMPARE(filesIn(QFileInfo(f.storePath).path()).join(u","), (QStringList{QStringLiteral("Grocery.mdb"), QFileInfo(f.keptPath()).fileName()}).join(u","));
    QCOMPARE(rowsOf(f.storePath), backupRows);
    QCOMPARE(rowsOf(f.keptPath()), storeRows);
    QCOMPARE(rowsOf(backup), backupRows);
    QVERIFY(ownerOnly(f.storePath) && ownerOnly(f.keptPath()));
    for (const QString& part : {QStringLiteral("restored from %1").arg(QDir::toNativeSeparators(backup)),
             QStringLiteral("kept as %1").arg(QDir::toNativeSeparators(f.keptPath()))})
        QVERIFY2(outcome.said.contains(part), qPrintable(outcome.said));
    QVERIFY(startup::StoreLock(f.storePath).isHeld());
    std::unique_ptr<store::Store> reopened = store::Store::open(f.storePath, kBusinessDate);

    // A second restore in the same minute keeps the store under a name of its own.
    reopened.reset();
    const startup::RestoreOutcome again = startup::restoreStore(f.storePath, backup, f.now);
    QVERIFY2(again.restored, qPrintable(again.said));
    QCOMPARE(rowsOf(f.keptPath()), storeRows);
    QCOMPARE(rowsOf(f.keptPath() + QStringLiteral("-2")), backupRows);
}

// A program that ended without closing the store left its last commits in the log beside it: the
// kept store has them, and the restored store never reads that log.
void TestBackup::restore_keepsTheWritesAKilledProgramLeftInTheLog()
{
    StoreFolder f;
    f.make({QStringLiteral("A1")});
    const QString backup = f.root.filePath(QStringLiteral("backup.mdb"));
    QVERIFY(QFile::copy(f.storePath, backup));
    {
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open_v2(QFile::encodeName(f.storePath).constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        QCOMPARE(sqlite3_exec(db, "PRAGMA journal_mode = WAL; INSERT INTO tblProductPrice (Code) VALUES ('LOGGED')", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    QVERIFY(QFileInfo(f.storePath + QStringLiteral("-wal")).size() > 0);

    const startup::RestoreOutcome outcome = startup::restoreStore(f.storePath, backup, f.now);

    QVERIFY2(outcome.restored, qPrintable(outcome.said));
    QVERIFY(!QFileInfo::exists(f.storePath + QStringLiteral("-wal")));
    QVERIFY(!rowsOf(f.keptPath()).filter(QStringLiteral("LOGGED")).isEmpty());
    QCOMPARE(rowsOf(f.storePath), rowsOf(backup));
    QCOMPARE(pragma(f.storePath, "PRAGMA integrity_check"), QStringLiteral("ok"));
}

namespace {

std::int64_t sell(store::Store& store)
{
    store::journal::Entry sale;
    sale.at = QDateTime(kBusinessDate, QTime(10, 0));
    sale.businessDate = kBusinessDate;
    store::UnitOfWork unit(store);
    const std::int64_t number = store::journal::record(store, sale);
    unit.commit();
    return number;
}

} // namespace

// Receipts printed since the backup carry numbers the backup never handed out: the store restored
// goes on after the highest of them, whatever the backup's journal holds (here nothing: a store
// made before the journal).
void TestBackup::restore_neverGivesASaleNumberAgain()
{
    StoreFolder f;
    f.make({QStringLiteral("A1")});
    const QString backup = f.root.filePath(QStringLiteral("backup.mdb"));
    f.make({QStringLiteral("B2")}, backup);
    {
        std::unique_ptr<store::Store> store = store::Store::open(f.storePath, kBusinessDate);
        for (int i = 0; i < 3; ++i)
            sell(*store);
    }
    {
        // The backup as a store of the layout before the journal.
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open_v2(QFile::encodeName(backup).constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db, "DROP TABLE SalesJournalLines; DROP TABLE SalesJournal; DROP TABLE DayCloses; "
                                  "DELETE FROM Reports WHERE Name = 'rptDayReport'; PRAGMA user_version = 3;",
                     nullptr, nullptr, nullptr),
            SQLITE_OK);
        sqlite3_close(db);
    }

    const startup::RestoreOutcome outcome = startup::restoreStore(f.storePath, backup, f.now);

    QVERIFY2(outcome.restored, qPrintable(outcome.said));
    std::unique_ptr<store::Store> restored = store::Store::open(f.storePath, kBusinessDate);
    QVERIFY(!rowsOf(f.storePath).filter(QStringLiteral("B2")).isEmpty());
    QCOMPARE(sell(*restored), std::int64_t(4));
}

// The store was moved away by hand and its log left behind: the log is set aside, never read with
// the store restored.
void TestBackup::restore_setsAsideALogLeftWithoutItsStore()
{
    StoreFolder f;
    f.make({QStringLiteral("A1")});
    const QString backup = f.root.filePath(QStringLiteral("backup.mdb"));
    QVERIFY(QFile::copy(f.storePath, backup));
    {
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open_v2(QFile::encodeName(f.storePath).constData(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        QCOMPARE(sqlite3_exec(db, "PRAGMA journal_mode = WAL; INSERT INTO tblProductPrice (Code) VALUES ('LOGGED')", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    QVERIFY(QFile::rename(f.storePath, f.root.filePath(QStringLiteral("moved away.mdb"))));
    const QByteArray log = digest(f.storePath + QStringLiteral("-wal"));

    const startup::RestoreOutcome outcome = startup::restoreStore(f.storePath, backup, f.now);

    QVERIFY2(outcome.restored, qPrintable(outcome.said));
    QVERIFY(!QFileInfo::exists(f.storePath + QStringLiteral("-wal")));
    QCOMPARE(digest(f.keptPath() + QStringLiteral("-wal")), log);
    QCOMPARE(rowsOf(f.storePath), rowsOf(backup));
    QVERIFY(rowsOf(f.storePath).filter(QStringLiteral("LOGGED")).isEmpty());
}

void TestBackup::refusedRestore_leavesTheStoreAsItWas_data()
{
    QTest::addColumn<QString>("file");  // "missing", "text", "cut short", "store" (the store itself)
    QTest::addColumn<bool>("running");  // a program holds the store's lock
    QTest::addColumn<QString>("said");
    QTest::newRow("the file is missing") << "missing" << false << "cannot be found";
    QTest::newRow("the file is not a store") << "text" << false << "is not a Point of Sale store (it is not a database file)";
    QTest::newRow("the file is a store cut short") << "cut short" << false << "is not a Point of Sale store";
    QTest::newRow("the file is the store itself") << "store" << false << "is the store itself";
    QTest::newRow("the program runs on the store") << "backup" << true << "is in use by a Point of Sale program that is running";
}

// A refused restore says why and that nothing was restored, and leaves the store's folder as it
// was: the store's bytes, no kept copy, nothing half copied.
void TestBackup::refusedRestore_leavesTheStoreAsItWas()
{
    QFETCH(QString, file);
    QFETCH(bool, running);
    QFETCH(QString, said);
    StoreFolder f;
    f.make({QStringLiteral("A1")});
    const QString backup = f.root.filePath(QStringLiteral("backup.mdb"));
    f.make({QStringLiteral("B2")}, backup);
    QString path = backup;
    if (file == u"missing") {
        path = f.root.filePath(QStringLiteral("gone.mdb"));
    } else if (file == u"text") {
        path = f.root.filePath(QStringLiteral("notes.mdb"));
        QVERIFY(writeFile(path, QByteArray("not a store at all, but long enough to be read as a header by anyone who tries. ").repeated(4)));
    } else if (file == u"cut short") {
        QFile cut(backup);
        QVERIFY(cut.open(QIODevice::ReadWrite) && cut.resize(cut.size() / 2));
    } else if (file == u"store") {
        path = f.storePath;
    }
    std::unique_ptr<startup::StoreLock> program;
    if (running)
        program = std::make_unique<startup::StoreLock>(f.storePath);
    const QStringList folderBefore = filesIn(QFileInfo(f.storePath).path());
    const QByteArray storeBefore = digest(f.storePath);

    const startup::RestoreOutcome outcome = startup::restoreStore(f.storePath, path, f.now);

    QVERIFY(!outcome.restored);
    QVERIFY2(outcome.said.contains(said), qPrintable(outcome.said));
    QVERIFY2(outcome.said.contains(QStringLiteral("Nothing was restored")), qPrintable(outcome.said));
    QCOMPARE(digest(f.storePath), storeBefore);
    QCOMPARE(filesIn(QFileInfo(f.storePath).path()), folderBefore);
    QVERIFY(!rowsOf(f.storePath).filter(QStringLiteral("A1")).isEmpty());
}

// The program's command line: the restore says what it did on standard output and ends with 0,
// or says why not on standard error and ends with 1.
void TestBackup::restoreCommand_saysWhatItDid()
{
    StoreFolder f;
    f.storePath = f.root.filePath(QStringLiteral("drive_c/Program Files/Point of Sale/Grocery.mdb"));
    f.make({QStringLiteral("A1")});
    const QString backup = f.root.filePath(QStringLiteral("backup.mdb"));
    f.make({QStringLiteral("B2")}, backup);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("POS_DRIVE_ROOT"), f.root.path());

    for (const auto& [file, exitCode, stream] : {std::tuple{backup, 0, QStringLiteral("out")}, std::tuple{f.root.filePath(QStringLiteral("gone.mdb")), 1, QStringLiteral("err")}}) {
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(POS_PROGRAM), {QStringLiteral("--restore"), file});
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitCode(), exitCode);
        const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
        const QString err = QString::fromLocal8Bit(program.readAllStandardError());
        QCOMPARE(out.isEmpty(), stream != u"out");
        QCOMPARE(err.isEmpty(), stream != u"err");
    }
    QCOMPARE(rowsOf(f.storePath), rowsOf(backup));
}

QTEST_MAIN(TestBackup)
#include "backup_test.moc"
