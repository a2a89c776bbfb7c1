#include "app/printer_choice.h"

#include "ui/services.h"

#include <algorithm>
#include <iterator>

namespace app {
namespace {

constexpr QStringView kKind = u"Kind";
constexpr QStringView kQueue = u"Queue";
constexpr QStringView kDevice = u"Device";
constexpr QStringView kColumns = u"Columns";
constexpr QStringView kDrawer = u"Drawer";

constexpr PrinterChoice::Kind kKinds[] = {
    PrinterChoice::Kind::System, PrinterChoice::Kind::Queue, PrinterChoice::Kind::EscPosQueue, PrinterChoice::Kind::EscPosDevice};

} // namespace

QString PrinterChoice::kindName(Kind kind)
{
    switch (kind) {
    case Kind::System: return QStringLiteral("System");
    case Kind::Queue: return QStringLiteral("Queue");
    case Kind::EscPosQueue: return QStringLiteral("EscPosQueue");
    case Kind::EscPosDevice: return QStringLiteral("EscPosDevice");
    }
    return {};
}

PrinterChoice PrinterChoice::load(const ui::Services& services, const QString& appName)
{
    const QString section = kSection.toString();
    const auto read = [&](QStringView key, const QString& defaultValue) {
        return services.setting(appName, section, key.toString(), defaultValue);
    };
    PrinterChoice choice;
    const QString kind = read(kKind, kindName(Kind::System)).trimmed();
    for (Kind known : kKinds) {
        if (kind.compare(kindName(known), Qt::CaseInsensitive) == 0)
            choice.kind = known;
    }
    choice.queue = read(kQueue, {}).trimmed();
    choice.device = read(kDevice, {}).trimmed();
    bool isNumber = false;
    const int columns = read(kColumns, QString::number(choice.columns)).trimmed().toInt(&isNumber);
    if (isNumber && std::find(std::begin(kWidths), std::end(kWidths), columns) != std::end(kWidths))
        choice.columns = columns;
    const QString drawer = read(kDrawer, QStringLiteral("0")).trimmed();
    choice.drawer = drawer == u"1" || drawer.compare(u"true", Qt::CaseInsensitive) == 0;
    return choice;
}

void PrinterChoice::save(ui::Services& services, const QString& appName) const
{
    const QString section = kSection.toString();
    services.saveSetting(appName, section, kKind.toString(), kindName(kind));
    services.saveSetting(appName, section, kQueue.toString(), queue);
    services.saveSetting(appName, section, kDevice.toString(), device);
    services.saveSetting(appName, section, kColumns.toString(), QString::number(columns));
    services.saveSetting(appName, section, kDrawer.toString(), drawer ? QStringLiteral("1") : QStringLiteral("0"));
}

QString PrinterChoice::destination() const
{
    switch (kind) {
    case Kind::System: return {};
    case Kind::Queue:
    case Kind::EscPosQueue: return queue;
    case Kind::EscPosDevice: return device;
    }
    return {};
}

QString PrinterChoice::missing() const
{
    if (kind == Kind::EscPosDevice && device.isEmpty())
        return QStringLiteral("Type the path of the printer's device, for example /dev/usb/lp0.");
    if (kind != Kind::System && destination().isEmpty())
        return QStringLiteral("Type the name of the print queue.");
    return {};
}

} // namespace app
