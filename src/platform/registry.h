#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace platform {

// The system's registry of settings: keys holding named text values, under a root. On Windows
// it is the registry itself; elsewhere a settings file of ours in the same shape.
class Registry {
public:
    enum class Root { LocalMachine, CurrentUser, ClassesRoot };

    virtual ~Registry() = default;

    virtual bool keyExists(Root root, const QString& key) const = 0;
    // The names of the values a key holds, in no particular order.
    virtual QStringList valueNames(Root root, const QString& key) const = 0;
    virtual std::optional<QString> value(Root root, const QString& key, const QString& name) const = 0;
    // False when the value could not be written (no right to, for instance).
    virtual bool setValue(Root root, const QString& key, const QString& name, const QString& value) = 0;
    virtual bool removeValue(Root root, const QString& key, const QString& name) = 0;
};

// The registry through QSettings in its native format: the Windows registry itself on Windows.
// Elsewhere the machine-wide roots (LocalMachine, ClassesRoot) are the system-scope settings file
// of the program ("Point of Sale/Registry" under the system's configuration folder, /etc/xdg),
// and CurrentUser the user-scope one; each key is a group named by its path. Keys are written
// with "\" as on Windows; names are found without regard to letter case.
class SettingsRegistry final : public Registry {
public:

    bool keyExists(Root root, const QString& key) const override;
    QStringList valueNames(Root root, const QString& key) const override;
    std::optional<QString> value(Root root, const QString& key, const QString& name) const override;
    bool setValue(Root root, const QString& key, const QString& name, const QString& value) override;
    bool removeValue(Root root, const QString& key, const QString& name) override;
};

} // namespace platform
