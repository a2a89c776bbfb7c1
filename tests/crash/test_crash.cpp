// The program killed at any instant: a child process works the till through the program's
// windows and is killed (SIGKILL) after a random delay, or at a random write or sync of SQLite
// reaching the file. After each kill the store must be whole for SQLite and for the program, hold
// every business event the child finished and of the one under way either all or nothing, and
// sell again; a replica must be whole and synchronise.
#include "kill_switch.h"
#include "till_child.h"
#include "till_state.h"

#include "store/replication.h"
#include "store/store.h"

#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace crashtest;

namespace {

// How a trial ends the child: after a delay, or at the n-th write or sync.
struct Trial {
    quint32 seed = 0;
    KillAt when = KillAt::Never;
    int n = 0;
    int delayMs = 0;

    QString describe() const
    {
        static const char* const kWhen[] = {"after a delay", "before write", "after write", "before sync", "after sync"};
        QString text = QStringLiteral("seed %1, killed %2").arg(seed).arg(QString::fromLatin1(kWhen[int(when)]));
        text += when == KillAt::Never ? QStringLiteral(" of %1 ms").arg(delayMs) : QStringLiteral(" %1").arg(n);
        return text + QStringLiteral(" (POS_TILL_CRASH_REPLAY=%1:%2:%3:%4)").arg(seed).arg(int(when)).arg(n).arg(delayMs);
    }
};

// What the child said it did.
struct Story {
    bool started = false;   // the store was made
    QString state;          // the state after the last finished event
    QString underWay;       // the event begun and not finished, if any
    QStringList may;        // the states it may have left committed
    QStringList errors;
    bool done = false;
    int events = 0;
    int closes = 0;
    int yearsRolled = 0;
    int syncs = 0;

    void read(const QByteArray& output)
    {
        for (const QByteArray& raw : output.split('\n')) {
            const QString line = QString::fromUtf8(raw);
            const QString rest = line.section(u' ', 1);
            if (line.startsWith(u"state ")) {
                started = true;
                state = rest;
            } else if (line.startsWith(u"begin ")) {
                underWay = rest;
                may.clear();
            } else if (line.startsWith(u"may ")) {
                may << rest;
            } else if (line.startsWith(u"end ")) {
                state = may.isEmpty() ? state : may.back();
                if (rest.startsWith(u"day ") && !state.contains(u" ; Y ") && state.contains(u" ; L "))
                    ++yearsRolled;
                closes += rest.startsWith(u"day ") ? 1 : 0;
                syncs += rest == u"synchronised" ? 1 : 0;
                underWay.clear();
                may.clear();
                ++events;
            } else if (line.startsWith(u"error ")) {
                errors << rest;
            } else if (line.startsWith(u"done")) {
                done = true;
            }
        }
    }
};

QString pragma(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    QString answer = QStringLiteral("cannot open");
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        answer = QString::fromUtf8(sqlite3_errmsg(db));
        if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW)
            answer = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return answer;
}

// Where two texts of the store first part, for the failure message.
QString firstDifference(const QString& found, const QString& expected)
{
    const QStringList a = found.split(QStringLiteral(" ; "));
    const QStringList b = expected.split(QStringLiteral(" ; "));
    for (int i = 0; i < std::max(a.size(), b.size()); ++i) {
        const QString x = a.value(i, QStringLiteral("<none>"));
        const QString y = b.value(i, QStringLiteral("<none>"));
        if (x != y)
            return QStringLiteral("store has \"%1\" where \"%2\" was expected").arg(x, y);
    }
    return QStringLiteral("no difference");
}

int environmentNumber(const char* name, int otherwise)
{
    return qEnvironmentVariableIsSet(name) ? qEnvironmentVariableIntValue(name) : otherwise;
}

constexpr int kEvents = 40;

} // namespace

class TestCrash : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void killedAnywhere_finishedEventsStayWholeAndTheTillSells();

private:
    // Runs one trial; empty when every check held, otherwise what failed.
    QString runTrial(const Trial& trial);

    struct Counts {
        int killed = 0;
        int ranToTheEnd = 0;
        int events = 0;
        int underWayKept = 0;
        int underWayUndone = 0;
        int openSalesLeft = 0;
        int openSalesRecovered = 0;
        int salesAfter = 0;
        int closes = 0;
        int yearsRolled = 0;
        int syncs = 0;
        int replicasSynchronised = 0;
    } m_counts;
};

QString TestCrash::runTrial(const Trial& trial)
{
    QTemporaryDir root;
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--till-child"), root.path(), QString::number(trial.seed),
                                                             QString::number(int(trial.when)), QString::number(trial.n), QString::number(kEvents)});
    if (!child.waitForStarted())
        return QStringLiteral("the child did not start");
    if (trial.when == KillAt::Never) {
        QThread::msleep(ulong(trial.delayMs));
        child.kill();
    }
    if (!child.waitForFinished(120000)) {
        child.kill();
        child.waitForFinished();
        return QStringLiteral("the child did not finish");
    }
    Story story;
    story.read(child.readAllStandardOutput());
    if (!story.errors.isEmpty())
        return QStringLiteral("the child met: ") + story.errors.join(QStringLiteral("; "));
    if (child.exitStatus() == QProcess::NormalExit && (child.exitCode() != 0 || !story.done))
        return QStringLiteral("the child ended with %1 before it was done").arg(child.exitCode());
    ++(story.done ? m_counts.ranToTheEnd : m_counts.killed);
    m_counts.events += story.events;
    m_counts.closes += story.closes;
    m_counts.yearsRolled += story.yearsRolled;
    m_counts.syncs += story.syncs;

    const QString storePath = storeFileUnder(root.path());
    if (!QFileInfo::exists(storePath)) {
        // Killed while the store was being made: it must not appear half made.
        return story.started ? QStringLiteral("the store is gone") : QString();
    }
    if (const QString check = pragma(storePath, "PRAGMA integrity_check"); check != u"ok")
        return QStringLiteral("SQLite finds the store damaged: ") + check;
    try {
        store::Store::check(storePath);
    } catch (const std::exception& e) {
        return QStringLiteral("the program refuses the store: ") + QString::fromUtf8(e.what());
    }
    if (story.started) {
        QString found;
        try {
            found = TillState::readFrom(*store::Store::open(storePath, QDate(2027, 1, 15)));
        } catch (const std::exception& e) {
            return QStringLiteral("the program cannot read the store: ") + QString::fromUtf8(e.what());
        }
        if (found != story.state && !story.may.contains(found)) {
            QString why = firstDifference(found, story.may.isEmpty() ? story.state : story.may.back());
            if (!story.underWay.isEmpty())
                why += QStringLiteral(" (killed during \"%1\"; before it: %2)").arg(story.underWay, firstDifference(found, story.state));
            return QStringLiteral("the store holds neither the state of the finished events nor that of the event under way: ") + why;
        }
        if (!story.underWay.isEmpty())
            ++(found == story.state ? m_counts.underWayUndone : m_counts.underWayKept);
        if (found.contains(QStringLiteral(" ; O ")) || found.startsWith(u'O'))
            ++m_counts.openSalesLeft;
    }

    const QString replica = replicaFileUnder(root.path());
    if (QFileInfo::exists(replica)) {
        if (const QString check = pragma(replica, "PRAGMA integrity_check"); check != u"ok")
            return QStringLiteral("SQLite finds the replica damaged: ") + check;
        try {
            store::Store::check(replica);
            store::ReplicaDatabase::open(storePath, store::ReplicaDatabase::Use::Exclusive, nullptr)->synchronize(replica);
        } catch (const std::exception& e) {
            return QStringLiteral("the replica does not synchronise: ") + QString::fromUtf8(e.what());
        }
        const QString merged = TillState::readFrom(*store::Store::open(storePath, QDate(2027, 1, 15)));
        const QString copy = TillState::readFrom(*store::Store::open(replica, QDate(2027, 1, 15)));
        if (copy != merged)
            return QStringLiteral("after a synchronisation the replica differs: ") + firstDifference(copy, merged);
        const QStringList files = QDir(QFileInfo(replica).path()).entryList(QDir::Files);
        if (files != QStringList{QStringLiteral("Grocery.mdb")})
            return QStringLiteral("beside the replica: ") + files.join(u' ');
        ++m_counts.replicasSynchronised;
    }

    SaleAfterKill sale;
    if (const QString problem = sellOneUnit(root.path(), QDate(2027, 1, 15), sale); !problem.isEmpty())
        return QStringLiteral("the till does not sell from the store: ") + problem;
    m_counts.salesAfter += sale.sold ? 1 : 0;
    if (sale.recovered)
        ++m_counts.openSalesRecovered;
    return {};
}

// POS_TILL_CRASH_TRIALS sets the number of trials, POS_TILL_CRASH_SEED the seed, and
// POS_TILL_CRASH_REPLAY=seed:kill:n:delay runs the one trial a failure names.
void TestCrash::killedAnywhere_finishedEventsStayWholeAndTheTillSells()
{
    std::vector<Trial> trials;
    const QString replay = qEnvironmentVariable("POS_TILL_CRASH_REPLAY");
    const quint32 seed = quint32(environmentNumber("POS_TILL_CRASH_SEED", 20261211));
    if (!replay.isEmpty()) {
        const QStringList parts = replay.split(u':');
        QCOMPARE(parts.size(), 4);
        trials.push_back({parts[0].toUInt(), KillAt(parts[1].toInt()), parts[2].toInt(), parts[3].toInt()});
    } else {
        const int count = environmentNumber("POS_TILL_CRASH_TRIALS", 6);
        QRandomGenerator random(seed);
        for (int i = 0; i < count; ++i) {
            Trial trial;
            trial.seed = random.generate();
            trial.when = KillAt(i % 5);
            // The child makes some 1,100 writes and 130 syncs in about two seconds.
            trial.n = 1 + int(random.bounded(trial.when == KillAt::BeforeWrite || trial.when == KillAt::AfterWrite ? 1100u : 140u));
            trial.delayMs = int(random.bounded(2000u));
            trials.push_back(trial);
        }
        qInfo("crash test: %d trials, seed %u (POS_TILL_CRASH_SEED=%u replays them)", count, seed, seed);
    }
    QElapsedTimer clock;
    clock.start();
    for (std::size_t i = 0; i < trials.size(); ++i) {
        const QString failure = runTrial(trials[i]);
        QVERIFY2(failure.isEmpty(), qPrintable(QStringLiteral("trial %1, %2: %3").arg(i).arg(trials[i].describe(), failure)));
    }
    const Counts& c = m_counts;
    qInfo("crash test: %d trials in %lld s: %d killed, %d ran to the end; %d events finished (%d closes of day, %d year "
          "roll-overs, %d synchronisations); the event under way kept %d times, undone %d times; %d open sales left by a kill, "
          "%d of them settled at the next start; %d replicas synchronised after the kill; %d sales made after it",
        int(trials.size()), clock.elapsed() / 1000, c.killed, c.ranToTheEnd, c.events, c.closes, c.yearsRolled, c.syncs, c.underWayKept,
        c.underWayUndone, c.openSalesLeft, c.openSalesRecovered, c.replicasSynchronised, c.salesAfter);
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc == 7 && qstrcmp(argv[1], "--till-child") == 0) {
        return runTillChild(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toUInt(), KillAt(QByteArray(argv[4]).toInt()),
            QByteArray(argv[5]).toInt(), QByteArray(argv[6]).toInt());
    }
    // A long run outlasts Qt Test's five minutes for one test function: about two seconds a trial.
    if (!qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT")) {
        const qint64 trials = std::max(environmentNumber("POS_TILL_CRASH_TRIALS", 6), 1);
        qputenv("QTEST_FUNCTION_TIMEOUT", QByteArray::number(std::max<qint64>(300000, trials * 5000)));
    }
    // The offscreen platform warns at every window raised; a long run would pass Qt Test's limit
    // of messages and lose its summary.
    QStringList arguments = QCoreApplication::arguments();
    if (!arguments.contains(QStringLiteral("-maxwarnings")))
        arguments << QStringLiteral("-maxwarnings") << QStringLiteral("0");
    TestCrash test;
    return QTest::qExec(&test, arguments);
}

#include "test_crash.moc"
