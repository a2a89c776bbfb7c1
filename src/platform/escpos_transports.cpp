#include "platform/escpos.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLibrary>
#include <QThread>

#include <cups/cups.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

// The ways raw bytes reach a receipt printer: its device file, or a raw print queue.

namespace platform {

namespace {

QString quoted(const QString& text)
{
    return u'"' + text + u'"';
}

QString seconds(std::chrono::milliseconds limit)
{
    return QString::number(double(limit.count()) / 1000.0);
}

// Lets the window repaint while the till waits on the printer; the cashier's keys wait until the
// printer has answered, so that nothing starts another receipt in the middle of this one.
void keepWindowsPainted()
{
    if (QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
}

// Writing to a pipe or socket whose reader has gone raises SIGPIPE, which would end the program:
// it is held back on this thread while the guard lives, and one raised meanwhile is taken away.
class SigPipeGuard {
public:
    SigPipeGuard()
    {
        sigemptyset(&m_pipe);
        sigaddset(&m_pipe, SIGPIPE);
        sigset_t pending;
        sigemptyset(&pending);
        sigpending(&pending);
        m_wasPending = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &m_pipe, &m_old);
    }
    ~SigPipeGuard()
    {
        if (m_raised && !m_wasPending) {
            const timespec none{};
            while (sigtimedwait(&m_pipe, nullptr, &none) == -1 && errno == EINTR) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &m_old, nullptr);
    }
    SigPipeGuard(const SigPipeGuard&) = delete;
    SigPipeGuard& operator=(const SigPipeGuard&) = delete;
    void raised() { m_raised = true; }

private:
    sigset_t m_pipe;
    sigset_t m_old;
    bool m_wasPending = false;
    bool m_raised = false;
};

class DeviceTransport final : public RawTransport {
public:
    explicit DeviceTransport(QString path) : m_path(std::move(path)) {}

    QString describe() const override { return m_path; }

    void send(const QByteArray& bytes, std::chrono::milliseconds limit) override
    {
        QElapsedTimer clock;
        clock.start();
        const QByteArray name = QFile::encodeName(m_path);
        int fd = -1;
        do {
            fd = ::open(name.constData(), O_WRONLY | O_APPEND | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0)
            throw PrintError(openFailure(errno));
        const bool terminal = ::isatty(fd) == 1;
        struct stat kind {};
        const bool characterDevice = ::fstat(fd, &kind) == 0 && S_ISCHR(kind.st_mode);
        // A serial port takes the bytes as they are: no carriage return added to a line feed, no
        // other translation. Its speed stays as the system set it.
        if (terminal) {
            termios raw {};
            if (::tcgetattr(fd, &raw) == 0) {
                const speed_t in = ::cfgetispeed(&raw);
                const speed_t out = ::cfgetospeed(&raw);
                ::cfmakeraw(&raw);
                ::cfsetispeed(&raw, in);
                ::cfsetospeed(&raw, out);
                ::tcsetattr(fd, TCSANOW, &raw);
            }
        }
        // A serial port closed with bytes still waiting would hold the till until they drain.
        const auto close = [fd, terminal](bool discard) {
            if (terminal && discard)
                ::tcflush(fd, TCOFLUSH);
            ::close(fd);
        };

        // Waits until the device can be written, keeping the windows painted; throws, the device
        // closed, when it fails or the limit passes first.
        const auto waitWritable = [&] {
            for (;;) {
                const qint64 left = limit.count() - clock.elapsed();
                if (left <= 0) {
                    close(true);
                    throw PrintError(notAnswering(limit));
                }
                pollfd ready{fd, POLLOUT, 0};
                const int polled = ::poll(&ready, 1, int(std::min<qint64>(left, 20)));
                if (polled < 0 && errno != EINTR) {
                    const int error = errno;
                    close(true);
                    throw PrintError(writeFailure(error));
                }
                if (polled > 0) {
                    if (ready.revents & (POLLERR | POLLHUP | POLLNVAL)) {
                        close(true);
                        throw PrintError(writeFailure(ready.revents & POLLHUP ? ENODEV : EIO));
                    }
                    return;
                }
                keepWindowsPainted();
            }
        };

        SigPipeGuard guard;
        qsizetype written = 0;
        while (written < bytes.size()) {
            waitWritable();
            const ssize_t count = ::write(fd, bytes.constData() + written, std::size_t(bytes.size() - written));
            if (count < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
                    continue;
                const int error = errno;
                if (error == EPIPE)
                    guard.raised();
                close(true);
                throw PrintError(writeFailure(error));
            }
            written += count;
        }

        // A device such as a USB printer takes written bytes into its driver's buffer and cancels
        // what is still on its way when the file is closed: the bytes have reached the printer
        // once the device is ready to be written again.
        if (characterDevice && !terminal)
            waitWritable();
        // A serial port has taken the bytes once they have left its queue.
        if (terminal) {
            int queued = 0;
            while (::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0) {
                if (clock.elapsed() >= limit.count()) {
                    close(true);
                    throw PrintError(notAnswering(limit));
                }
                ::usleep(10000);
                keepWindowsPainted();
            }
        }
        close(false);
    }

private:
    QString openFailure(int error) const
    {
        const QString printer = quoted(m_path);
        switch (error) {
        case ENOENT:
        case ENXIO:
        case ENODEV:
            return QStringLiteral("The receipt printer %1 was not found: check that it is plugged in and switched on.").arg(printer);
        case EACCES:
        case EPERM:
            return QStringLiteral("This user may not use the receipt printer %1 (permission denied): the user must be allowed to "
                                  "write to it, for instance as a member of its group (lp or dialout).")
                .arg(printer);
        case EBUSY: return QStringLiteral("The receipt printer %1 is in use by another program.").arg(printer);
        default:
            return QStringLiteral("The receipt printer %1 could not be opened (%2).").arg(printer, QString::fromLocal8Bit(std::strerror(error)));
        }
    }

    QString writeFailure(int error) const
    {
        const QString printer = quoted(m_path);
        if (error == ENODEV || error == ENXIO || error == EPIPE)
            return QStringLiteral("The receipt printer %1 was disconnected: check that it is plugged in and switched on.").arg(printer);
        return QStringLiteral("The receipt printer %1 could not be written to (%2): check that it is switched on, has paper and its "
                              "cover is closed.")
            .arg(printer, QString::fromLocal8Bit(std::strerror(error)));
    }

    QString notAnswering(std::chrono::milliseconds limit) const
    {
        return QStringLiteral("The receipt printer %1 did not answer within %2 seconds: check that it is switched on, has paper "
                              "and its cover is closed.")
            .arg(quoted(m_path), seconds(limit));
    }

    QString m_path;
};

// libcups, loaded when it is first needed, as the system printer loads it.
struct RawCups {
    decltype(&::cupsGetNamedDest) getNamedDest = nullptr;
    decltype(&::cupsFreeDests) freeDests = nullptr;
    decltype(&::cupsGetOption) getOption = nullptr;
    decltype(&::cupsLastErrorString) lastErrorString = nullptr;
    decltype(&::cupsCreateJob) createJob = nullptr;
    decltype(&::cupsStartDocument) startDocument = nullptr;
    decltype(&::cupsWriteRequestData) writeRequestData = nullptr;
    decltype(&::cupsFinishDocument) finishDocument = nullptr;
    decltype(&::cupsCancelJob2) cancelJob2 = nullptr;

    bool loaded() const
    {
        return getNamedDest && freeDests && getOption && lastErrorString && createJob && startDocument && writeRequestData
            && finishDocument && cancelJob2;
    }
};

template <typename Function>
void resolve(QLibrary& library, Function& function, const char* name)
{
    function = reinterpret_cast<Function>(library.resolve(name));
}

const RawCups& rawCups()
{
    static const RawCups loaded = [] {
        RawCups found;
        QLibrary library(QStringLiteral("cups"), 2);
        if (!library.load())
            return found;
        resolve(library, found.getNamedDest, "cupsGetNamedDest");
        resolve(library, found.freeDests, "cupsFreeDests");
        resolve(library, found.getOption, "cupsGetOption");
        resolve(library, found.lastErrorString, "cupsLastErrorString");
        resolve(library, found.createJob, "cupsCreateJob");
        resolve(library, found.startDocument, "cupsStartDocument");
        resolve(library, found.writeRequestData, "cupsWriteRequestData");
        resolve(library, found.finishDocument, "cupsFinishDocument");
        resolve(library, found.cancelJob2, "cupsCancelJob2");
        return found;
    }();
    return loaded;
}

// One job handed to the print service's thread. The thread may outlive the wait (a print
// server that hangs); it then cancels the job if the service took it after all.
struct RawJob {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool abandoned = false;
    QString failure; // empty when the job was taken
};

bool abandoned(RawJob& job)
{
    const std::lock_guard lock(job.mutex);
    return job.abandoned;
}

QString withReason(const QString& sentence, const QString& reason)
{
    return reason.isEmpty() ? sentence + u'.' : sentence + QStringLiteral(" (") + reason + QStringLiteral(").");
}

// Hands the bytes to the queue as one raw job; returns what went wrong, or nothing.
QString submitRaw(RawJob& job, const QString& queue, const QByteArray& bytes)
{
    const RawCups& cups = rawCups();
    const QString printer = quoted(queue);
    if (!cups.loaded())
        return QStringLiteral("The print service's library is missing, so the receipt printer %1 cannot be used.").arg(printer);
    const QByteArray name = queue.toUtf8();
    const auto lastError = [&cups] { return QString::fromUtf8(cups.lastErrorString()); };

    cups_dest_t* dest = cups.getNamedDest(CUPS_HTTP_DEFAULT, name.constData(), nullptr);
    if (!dest)
        return withReason(QStringLiteral("The receipt printer's queue %1 was not found").arg(printer), lastError());
    const auto option = [&cups, dest](const char* key) {
        const char* value = cups.getOption(key, dest->num_options, dest->options);
        return value ? QString::fromUtf8(value) : QString();
    };
    QString reason = option("printer-state-message");
    if (reason.isEmpty())
        reason = option("printer-state-reasons");
    if (reason == u"none")
        reason.clear();
    const bool stopped = option("printer-state") == u"5";
    const bool refusing = option("printer-is-accepting-jobs") == u"false";
    cups.freeDests(1, dest);
    if (stopped)
        return withReason(QStringLiteral("The receipt printer %1 is stopped").arg(printer), reason);
    if (refusing)
        return withReason(QStringLiteral("The receipt printer %1 is not accepting jobs").arg(printer), reason);
    if (abandoned(job))
        return {};

    const int id = cups.createJob(CUPS_HTTP_DEFAULT, name.constData(), "Receipt", 0, nullptr);
    if (id <= 0)
        return withReason(QStringLiteral("The receipt printer %1 could not take the receipt").arg(printer), lastError());
    const auto refused = [&] {
        const QString why = lastError();
        cups.cancelJob2(CUPS_HTTP_DEFAULT, name.constData(), id, 0);
        return withReason(QStringLiteral("The receipt printer %1 could not take the receipt").arg(printer), why);
    };
    if (cups.startDocument(CUPS_HTTP_DEFAULT, name.constData(), id, "Receipt", CUPS_FORMAT_RAW, 1) != HTTP_STATUS_CONTINUE)
        return refused();
    if (cups.writeRequestData(CUPS_HTTP_DEFAULT, bytes.constData(), std::size_t(bytes.size())) != HTTP_STATUS_CONTINUE) {
        cups.finishDocument(CUPS_HTTP_DEFAULT, name.constData());
        return refused();
    }
    if (cups.finishDocument(CUPS_HTTP_DEFAULT, name.constData()) > IPP_STATUS_OK_CONFLICTING)
        return refused();
    // Too late for this customer: it must not come out among the next one's receipts.
    if (abandoned(job))
        cups.cancelJob2(CUPS_HTTP_DEFAULT, name.constData(), id, 0);
    return {};
}

class CupsRawTransport final : public RawTransport {
public:
    explicit CupsRawTransport(QString queue) : m_queue(std::move(queue)) {}

    QString describe() const override { return m_queue; }

    void send(const QByteArray& bytes, std::chrono::milliseconds limit) override
    {
        // One job at a time: while the service has not answered the last one, it is not asked again.
        if (m_lastJob) {
            const std::lock_guard lock(m_lastJob->mutex);
            if (!m_lastJob->done)
                throw PrintError(QStringLiteral("The print service is still not answering."));
        }

        // The print service is asked on a thread of its own, so that a server that hangs never
        // holds the till for longer than the limit.
        auto job = std::make_shared<RawJob>();
        m_lastJob = job;
        std::thread([job, queue = m_queue, bytes] {
            QString failure;
            try {
                failure = submitRaw(*job, queue, bytes);
            } catch (...) {
                failure = QStringLiteral("The receipt printer %1 could not take the receipt.").arg(quoted(queue));
            }
            const std::lock_guard lock(job->mutex);
            job->failure = failure;
            job->done = true;
            job->finished.notify_all();
        }).detach();

        QElapsedTimer waited;
        waited.start();
        std::unique_lock lock(job->mutex);
        while (!job->done && waited.elapsed() < limit.count()) {
            job->finished.wait_for(lock, std::chrono::milliseconds(10));
            if (!job->done) {
                lock.unlock();
                keepWindowsPainted();
                lock.lock();
            }
        }
        if (!job->done) {
            job->abandoned = true;
            throw PrintError(QStringLiteral("The print service did not answer within %1 seconds.").arg(seconds(limit)));
        }
        if (!job->failure.isEmpty())
            throw PrintError(job->failure);
    }

private:
    QString m_queue;
    std::shared_ptr<RawJob> m_lastJob;
};

} // namespace

std::unique_ptr<RawTransport> deviceTransport(const QString& path)
{
    return std::make_unique<DeviceTransport>(path);
}

std::unique_ptr<RawTransport> cupsRawTransport(const QString& queue)
{
    return std::make_unique<CupsRawTransport>(queue);
}

} // namespace platform
