// One program per store: the lock beside the store, held by another program that runs, by one
// that was killed, and by this one.
#include "startup/store_lock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <memory>

namespace {

// In a child started by the tests: the store this child locks, like a second start of the program.
constexpr const char* kHoldVariable = "POS_TEST_HOLD_STORE";

// The child: takes the lock, says whether it holds it, and keeps it until its standard input
// closes (or it is killed).
int holdStoreLock(const QString& storePath)
{
    const startup::StoreLock lock(storePath);
    std::printf("%s\n", lock.isHeld() ? "held" : "refused");
    std::fflush(stdout);
    char buffer[64];
    while (std::fread(buffer, 1, sizeof buffer, stdin) > 0) {
    }
    return 0;
}

QString readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

bool ownerOnly(const QString& path)
{
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
        | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    return (QFileInfo(path).permissions() & others) == 0;
}

// Another program on the store, started and holding its lock when this returns.
std::unique_ptr<QProcess> startHolder(const QString& storePath)
{
    auto holder = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kHoldVariable), storePath);
    holder->setProcessEnvironment(env);
    holder->start(QCoreApplication::applicationFilePath(), {});
    if (!holder->waitForStarted() || !holder->waitForReadyRead(10000) || holder->readLine().trimmed() != "held")
        return nullptr;
    return holder;
}

} // namespace

class TestStoreLock : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void secondStart_isRefusedNamingTheStore_data();
    void secondStart_isRefusedNamingTheStore();
    void lockOfAKilledProgram_isTakenOver();
    void firstStart_makesTheFolderAndAPrivateLock();
};

void TestStoreLock::secondStart_isRefusedNamingTheStore_data()
{
    QTest::addColumn<bool>("otherProcess");
    QTest::newRow("held by another program") << true;
    QTest::newRow("held by this program") << false;
}

// The second start is refused with a message naming the store and the program that holds it;
// the holder's lock stays as it was and is free again once that program ends.
void TestStoreLock::secondStart_isRefusedNamingTheStore()
{
    QFETCH(bool, otherProcess);
    QTemporaryDir root;
    const QString storePath = root.filePath(QStringLiteral("Point of Sale/Grocery.mdb"));
    std::unique_ptr<QProcess> holder;
    std::unique_ptr<startup::StoreLock> held;
    qint64 holderPid = QCoreApplication::applicationPid();
    if (otherProcess) {
        holder = startHolder(storePath);
        QVERIFY(holder);
        holderPid = holder->processId();
    } else {
        held = std::make_unique<startup::StoreLock>(storePath);
        QVERIFY(held->isHeld());
    }
    const QString lockPath = startup::StoreLock::lockPath(storePath);
    const QString lockBefore = readFile(lockPath);
    QVERIFY(!lockBefore.isEmpty());

    {
        const startup::StoreLock second(storePath);
        QVERIFY(!second.isHeld());
        for (const QString& said : {QDir::toNativeSeparators(storePath), QStringLiteral("already in use by another Point of Sale program"),
                 QStringLiteral("(process %1)").arg(holderPid)})
            QVERIFY2(second.refusal().contains(said), qPrintable(second.refusal()));
    }
    // The refused start leaves the holder's lock alone, and the holder runs on.
    QCOMPARE(readFile(lockPath), lockBefore);
    if (holder)
        QCOMPARE(holder->state(), QProcess::Running);
    QVERIFY(!QFileInfo::exists(storePath));

    if (holder) {
        holder->closeWriteChannel();
        QVERIFY(holder->waitForFinished(10000));
        QCOMPARE(holder->exitCode(), 0);
    } else {
        held.reset();
    }
    QVERIFY(!QFileInfo::exists(lockPath));
    QVERIFY(startup::StoreLock(storePath).isHeld());
}

// A program killed on the store leaves its lock behind; the next start takes it over.
void TestStoreLock::lockOfAKilledProgram_isTakenOver()
{
    QTemporaryDir root;
    const QString storePath = root.filePath(QStringLiteral("Grocery.mdb"));
    const QString lockPath = startup::StoreLock::lockPath(storePath);
    std::unique_ptr<QProcess> holder = startHolder(storePath);
    QVERIFY(holder);
    ::kill(pid_t(holder->processId()), SIGKILL);
    QVERIFY(holder->waitForFinished(10000));
    QCOMPARE(holder->exitStatus(), QProcess::CrashExit);
    QVERIFY(QFileInfo::exists(lockPath));

    const startup::StoreLock next(storePath);
    QVERIFY2(next.isHeld(), qPrintable(next.refusal()));
    QVERIFY(readFile(lockPath).startsWith(QString::number(QCoreApplication::applicationPid()) + u'\n'));
    QVERIFY(ownerOnly(lockPath));
    // And holds it against a third start.
    QVERIFY(!startup::StoreLock(storePath).isHeld());
}

// At the very first start the store's folder is not there yet: it is made, its owner's alone, and
// the lock in it.
void TestStoreLock::firstStart_makesTheFolderAndAPrivateLock()
{
    QTemporaryDir root;
    const QString storePath = root.filePath(QStringLiteral("drive_c/Program Files/Point of Sale/Grocery.mdb"));
    const startup::StoreLock lock(storePath);
    QVERIFY2(lock.isHeld(), qPrintable(lock.refusal()));
    QCOMPARE(lock.refusal(), QString());
    QVERIFY(ownerOnly(QFileInfo(storePath).absolutePath()));
    QVERIFY(ownerOnly(startup::StoreLock::lockPath(storePath)));
}

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsSet(kHoldVariable))
        return holdStoreLock(qEnvironmentVariable(kHoldVariable));
    QCoreApplication application(argc, argv);
    TestStoreLock test;
    return QTest::qExec(&test, argc, argv);
}

#include "store_lock_test.moc"
