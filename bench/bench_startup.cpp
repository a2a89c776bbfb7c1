// From process start to the main menu being shown, beside a minimal Qt Widgets program that
// shows one window, both started the same way in the same run. Each program writes the moment its
// window is shown (the monotonic clock, read here too); what it does after, closing its store and
// windows, is not start-up and is not timed, but a start must still end, cleanly and soon. The
// splash waits four ticks of 600 ms by design; that wait is taken off the program's time.
#include "bench_main.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <chrono>

namespace {

constexpr double kSplashWaitSeconds = 4 * 0.600;

QProcessEnvironment environment(const QString& driveRoot)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=" POS_TEST_SCREEN));
    env.insert(QStringLiteral("POS_DRIVE_ROOT"), driveRoot);
    env.insert(QStringLiteral("POS_QUIT_WHEN_SHOWN"), QStringLiteral("frmMain"));
    return env;
}

// A start that has not ended by then has hung: the program's own start takes well under a second.
constexpr int kStartLimitMs = 10000;

// One start of a program: its time from launch to its window shown, or why it has none.
struct Start {
    double seconds = 0;
    QString error;
};

// An error instead of a time when the program does not end within the limit, ends other than
// with exit code 0, or never says its window was shown.
Start runOnce(const QString& program, const QProcessEnvironment& env)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const auto launched = std::chrono::steady_clock::now().time_since_epoch();
    process.start(program, {});
    if (!process.waitForStarted(kStartLimitMs))
        return {0, QStringLiteral("%1 did not start: %2").arg(program, process.errorString())};
    if (!process.waitForFinished(kStartLimitMs)) {
        process.kill();
        process.waitForFinished();
        return {0, QStringLiteral("%1 did not end within %2 ms of its start").arg(program).arg(kStartLimitMs)};
    }
    if (process.exitStatus() != QProcess::NormalExit)
        return {0, QStringLiteral("%1 crashed").arg(program)};
    if (process.exitCode() != 0)
        return {0, QStringLiteral("%1 ended with exit code %2").arg(program).arg(process.exitCode())};
    const QByteArray line = process.readAllStandardOutput().trimmed();
    bool read = false;
    const qint64 shown = line.startsWith("shown ") ? line.mid(6).toLongLong(&read) : 0;
    const qint64 launch = std::chrono::nanoseconds(launched).count();
    if (!read || shown < launch)
        return {0, QStringLiteral("%1 did not say when its window was shown").arg(program)};
    return {double(shown - launch) / 1e9, {}};
}

// Times every iteration with `program`, less `fixedWait`; the first failed start ends the
// benchmark with its error. With a `baseline`, each iteration also starts the baseline just before
// (untimed), and the counter "x_baseline" is the program's total time over the baseline's: the two
// alternate, so that a machine slower for a moment slows both alike.
void timeStarts(benchmark::State& state, const QString& program, const QProcessEnvironment& env, double fixedWait,
    const QString& baseline = {})
{
    double programTotal = 0;
    double baselineTotal = 0;
    for (auto _ : state) {
        Start before;
        if (!baseline.isEmpty())
            before = runOnce(baseline, env);
        const Start start = before.error.isEmpty() ? runOnce(program, env) : before;
        if (!start.error.isEmpty()) {
            state.SkipWithError(start.error.toStdString().c_str());
            break;
        }
        state.SetIterationTime(start.seconds - fixedWait);
        programTotal += start.seconds - fixedWait;
        baselineTotal += before.seconds;
    }
    if (!baseline.isEmpty() && baselineTotal > 0)
        state.counters["x_baseline"] = programTotal / baselineTotal;
}

void Program_StartToMainMenu(benchmark::State& state)
{
    QTemporaryDir root;
    const QProcessEnvironment env = environment(root.path());
    const QString program = QStringLiteral(POS_PROGRAM);
    // The first start makes the store.
    if (const Start first = runOnce(program, env); !first.error.isEmpty()) {
        state.SkipWithError(first.error.toStdString().c_str());
        return;
    }
    timeStarts(state, program, env, kSplashWaitSeconds, QStringLiteral(POS_MINIMAL));
}

void MinimalQt_StartToWindow(benchmark::State& state)
{
    QTemporaryDir root;
    timeStarts(state, QStringLiteral(POS_MINIMAL), environment(root.path()), 0);
}

} // namespace

BENCHMARK(Program_StartToMainMenu)->UseManualTime()->Iterations(12)->Unit(benchmark::kMillisecond);
BENCHMARK(MinimalQt_StartToWindow)->UseManualTime()->Iterations(12)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return runBenchmarks<QCoreApplication>(argc, argv);
}
