#include "platform/registry.h"

#include <QSettings>

namespace platform {
namespace {

#ifdef Q_OS_WIN
constexpr bool kNative = true;
#else
constexpr bool kNative = false;
#endif

QString rootName(Registry::Root root)
{
    switch (root) {
    case Registry::Root::LocalMachine: return QStringLiteral("HKEY_LOCAL_MACHINE");
    case Registry::Root::CurrentUser: return QStringLiteral("HKEY_CURRENT_USER");
    case Registry::Root::ClassesRoot: return QStringLiteral("HKEY_CLASSES_ROOT");
    }
    return {};
}

std::unique_ptr<QSettings> open(Registry::Root root)
{
    if (kNative)
        return std::make_unique<QSettings>(rootName(root), QSettings::NativeFormat);
    const QSettings::Scope scope = root == Registry::Root::CurrentUser ? QSettings::UserScope : QSettings::SystemScope;
    auto settings = std::make_unique<QSettings>(QSettings::NativeFormat, scope, QStringLiteral("Point of Sale"), QStringLiteral("Registry"));
    settings->beginGroup(rootName(root));
    return settings;
}

// Registry keys are written with back slashes; QSettings groups with forward ones.
QString group(const QString& key)
{
    QString out = key;
    out.replace(u'\\', u'/');
    return out;
}

} // namespace

bool SettingsRegistry::keyExists(Root root, const QString& key) const
{
    auto settings = open(root);
    const QString path = group(key);
    const qsizetype cut = path.lastIndexOf(u'/');
    if (cut >= 0)
        settings->beginGroup(path.left(cut));
    const QString last = cut >= 0 ? path.mid(cut + 1) : path;
    const QStringList groups = settings->childGroups();
    return groups.contains(last, Qt::CaseInsensitive);
}

QStringList SettingsRegistry::valueNames(Root root, const QString& key) const
{
    auto settings = open(root);
    settings->beginGroup(group(key));
    return settings->childKeys();
}

std::optional<QString> SettingsRegistry::value(Root root, const QString& key, const QString& name) const
{
    auto settings = open(root);
    settings->beginGroup(group(key));
    for (const QString& existing : settings->childKeys()) {
        if (existing.compare(name, Qt::CaseInsensitive) == 0)
            return settings->value(existing).toString();
    }
    return std::nullopt;
}

bool SettingsRegistry::setValue(Root root, const QString& key, const QString& name, const QString& value)
{
    auto settings = open(root);
    settings->beginGroup(group(key));
    settings->setValue(name, value);
    settings->sync();
    return settings->status() == QSettings::NoError;
}

bool SettingsRegistry::removeValue(Root root, const QString& key, const QString& name)
{
    auto settings = open(root);
    settings->beginGroup(group(key));
    settings->remove(name);
    settings->sync();
    return settings->status() == QSettings::NoError;
}

} // namespace platform
