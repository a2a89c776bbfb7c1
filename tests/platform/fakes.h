#pragma once

#include "platform/display_settings.h"
#include "platform/drive_types.h"
#include "platform/help_viewer.h"
#include "platform/print_service.h"
#include "platform/printer.h"
#include "platform/registry.h"
#include "platform/shell.h"

#include <QList>
#include <QTextDocument>
#include <QMap>
#include <QPointer>
#include <QWidget>
#include <QUrl>

#include <QFile>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <optional>
#include <utility>
#include <vector>

namespace testing {

// A display with the modes a test gives it, answering every apply() with a result the test sets,
// and remembering what was applied.
class FakeDisplaySettings final : public platform::DisplaySettings {
public:
    struct Applied {
        platform::DisplayMode mode;
        bool makeDefault = false;
    };

    explicit FakeDisplaySettings(std::vector<platform::DisplayMode> modes = {}, int result = kChanged)
        : modes(std::move(modes)), result(result)
    {
    }

    std::optional<platform::DisplayMode> mode(int index) const override
    {
        if (index < 0 || std::size_t(index) >= modes.size())
            return std::nullopt;
        return modes[std::size_t(index)];
    }

    int apply(const platform::DisplayMode& mode, bool makeDefault) override
    {
        applied.push_back({mode, makeDefault});
        return result;
    }

    std::vector<platform::DisplayMode> modes;
    int result;
    std::vector<Applied> applied;
};

// A shell that remembers the addresses it was asked to open and answers with a result the test
// sets.
class FakeShell final : public platform::Shell {
public:
    explicit FakeShell(bool result = true) : result(result) {}

    bool open(const QUrl& url) override
    {
        opened.append(url);
        return result;
    }

    bool result;
    QList<QUrl> opened;
};

// A help viewer that remembers what it was asked to show and opens a plain window for each file
// it is told exists (every file, unless `opens` is off).
class FakeHelpViewer final : public platform::HelpViewer {
public:
    struct Shown {
        QString path;
        QPointer<QWidget> owner;
    };

    QWidget* displayContents(const QString& chmPath, QWidget* owner) override
    {
        shown.push_back({chmPath, owner});
        if (!opens)
            return nullptr;
        auto* window = new QWidget(owner, Qt::Window);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setObjectName(QStringLiteral("helpWindow"));
        window->show();
        return window;
    }

    bool opens = true;
    std::vector<Shown> shown;
};

// A registry held in memory: keys by root and path, values by name.
class FakeRegistry final : public platform::Registry {
public:
    bool keyExists(Root root, const QString& key) const override { return m_keys.contains(path(root, key)); }
    QStringList valueNames(Root root, const QString& key) const override { return m_keys.value(path(root, key)).keys(); }
    std::optional<QString> value(Root root, const QString& key, const QString& name) const override
    {
        const QMap<QString, QString> values = m_keys.value(path(root, key));
        for (auto it = values.begin(); it != values.end(); ++it) {
            if (it.key().compare(name, Qt::CaseInsensitive) == 0)
                return it.value();
        }
        return std::nullopt;
    }
    bool setValue(Root root, const QString& key, const QString& name, const QString& value) override
    {
        m_keys[path(root, key)][name] = value;
        return writable;
    }
    bool removeValue(Root root, const QString& key, const QString& name) override
    {
        return m_keys[path(root, key)].remove(name) > 0;
    }

    bool writable = true;

private:
    static QString path(Root root, const QString& key) { return QString::number(int(root)) + u'|' + key.toLower(); }
    QMap<QString, QMap<QString, QString>> m_keys;
};

// A print service that answers as CUPS does, as the test sets it up. It is called on the
// printer's own thread; what it was given is read once print() has returned.
class FakePrintService final : public platform::PrintService {
public:
    struct Submitted {
        QString printer;
        QString path;
        QByteArray bytes; // the job file's contents as it was handed over
        QString title;
    };

    QString defaultName;                                // empty: no printer set up
    platform::PrinterState answer{platform::PrinterState::Kind::Ready, {}};
    platform::JobAnswer job{7, {}};
    std::chrono::milliseconds delay{0};                 // every call first waits this long
    std::chrono::milliseconds submitDelay{0};           // and a job handed over this much longer
    std::atomic<bool> answering{false};                 // a call is under way

    QString defaultPrinter() override
    {
        const Busy busy(*this);
        return defaultName;
    }
    platform::PrinterState state(const QString&) override
    {
        const Busy busy(*this);
        return answer;
    }
    platform::JobAnswer submit(const QString& printer, const QString& pdfPath, const QString& title) override
    {
        const Busy busy(*this);
        QFile file(pdfPath);
        std::this_thread::sleep_for(submitDelay);
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        const std::lock_guard lock(m_mutex);
        m_submitted.push_back({printer, pdfPath, bytes, title});
        return job;
    }

    void cancel(const QString&, int jobId) override
    {
        const std::lock_guard lock(m_mutex);
        m_cancelled.push_back(jobId);
    }

    std::vector<Submitted> submitted() const
    {
        const std::lock_guard lock(m_mutex);
        return m_submitted;
    }
    std::vector<int> cancelled() const
    {
        const std::lock_guard lock(m_mutex);
        return m_cancelled;
    }

private:
    struct Busy {
        explicit Busy(FakePrintService& service) : m_service(service)
        {
            m_service.answering = true;
            std::this_thread::sleep_for(m_service.delay);
        }
        ~Busy() { m_service.answering = false; }
        FakePrintService& m_service;
    };

    mutable std::mutex m_mutex;
    std::vector<Submitted> m_submitted;
    std::vector<int> m_cancelled;
};

// A printer that keeps the text of every document it is given, or fails as the test tells it.
// With a drawer fitted it counts the drawer's pulses, or fails to send them.
class FakePrinter final : public platform::Printer {
public:
    struct Printed {
        QString name;
        QString text;         // the document as plain text
        int pulsesBefore = 0; // the drawer's pulses sent before it
    };

    platform::PrintOutcome print(const QTextDocument& document, const QString& name) override
    {
        if (whilePrinting)
            whilePrinting();
        if (failure)
            throw platform::PrintError(*failure);
        printed.push_back({name, document.toPlainText(), pulses});
        return {platform::PrintOutcome::Where::Printer, QStringLiteral("Fake Printer")};
    }

    bool hasDrawer() const override { return drawer; }
    void openDrawer() override
    {
        if (!drawer)
            platform::Printer::openDrawer();
        if (whileOpening)
            whileOpening();
        if (drawerFailure)
            throw platform::PrintError(*drawerFailure);
        ++pulses;
    }

    // When set, print() fails with this message.
    std::optional<QString> failure;
    // Runs at the moment of printing, before the printer answers.
    std::function<void()> whilePrinting;
    std::vector<Printed> printed;

    // A cash drawer is wired to the printer.
    bool drawer = false;
    // When set, the drawer's pulse cannot be sent, with this message.
    std::optional<QString> drawerFailure;
    // Runs at the moment the pulse is sent, before the printer answers.
    std::function<void()> whileOpening;
    // The pulses sent.
    int pulses = 0;
};

// Drives of the kinds a test gives them, by letter; any other drive does not exist. Remembers
// the roots it was asked about.
class FakeDriveTypes final : public platform::DriveTypes {
public:
    platform::DriveType type(QStringView root) const override
    {
        asked.append(root.toString());
        if (root.isEmpty())
            return platform::DriveType::NoRootDir;
        return kinds.value(root.at(0).toUpper(), platform::DriveType::NoRootDir);
    }

    QMap<QChar, platform::DriveType> kinds;
    mutable QStringList asked;
};

} // namespace testing
