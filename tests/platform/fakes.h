#pragma once

#include "platform/display_settings.h"
#include "platform/help_viewer.h"
#include "platform/printer.h"
#include "platform/registry.h"
#include "platform/shell.h"

#include <QList>
#include <QTextDocument>
#include <QMap>
#include <QPointer>
#include <QWidget>
#include <QUrl>

#include <functional>
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

// A printer that keeps the text of every document it is given, or fails as the test tells it.
class FakePrinter final : public platform::Printer {
public:
    struct Printed {
        QString name;
        QString text; // the document as plain text
    };

    platform::PrintOutcome print(const QTextDocument& document, const QString& name) override
    {
        if (whilePrinting)
            whilePrinting();
        if (failure)
            throw platform::PrintError(*failure);
        printed.push_back({name, document.toPlainText()});
        return {platform::PrintOutcome::Where::Printer, QStringLiteral("Fake Printer")};
    }

    // When set, print() fails with this message.
    std::optional<QString> failure;
    // Runs at the moment of printing, before the printer answers.
    std::function<void()> whilePrinting;
    std::vector<Printed> printed;
};

} // namespace testing
