#include "platform/print_service.h"

#include <QFile>

#include <cups/cups.h>

namespace platform {
namespace {

QString lastCupsError()
{
    return QString::fromUtf8(cupsLastErrorString());
}

QString option(const cups_dest_t& dest, const char* name)
{
    const char* value = cupsGetOption(name, dest.num_options, dest.options);
    return value ? QString::fromUtf8(value) : QString();
}

} // namespace

QString CupsPrintService::defaultPrinter()
{
    // The settings CUPS's own commands honour first; a named printer that does not exist is still
    // the default the user asked for.
    for (const char* setting : {"LPDEST", "PRINTER"}) {
        const QString named = qEnvironmentVariable(setting);
        if (!named.isEmpty() && named != u"lp")
            return named.section(u'/', 0, 0);
    }
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    if (!dest)
        return {};
    const QString name = QString::fromUtf8(dest->name);
    cupsFreeDests(1, dest);
    return name;
}

PrinterState CupsPrintService::state(const QString& printer)
{
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, printer.toUtf8().constData(), nullptr);
    if (!dest)
        return {PrinterState::Kind::NotFound, lastCupsError()};
    QString reason = option(*dest, "printer-state-message");
    if (reason.isEmpty())
        reason = option(*dest, "printer-state-reasons");
    if (reason == u"none")
        reason.clear();
    PrinterState state{PrinterState::Kind::Ready, reason};
    // printer-state 5 is "stopped": paused by the administrator, or a printer that is off.
    if (option(*dest, "printer-state") == u"5")
        state.kind = PrinterState::Kind::Stopped;
    else if (option(*dest, "printer-is-accepting-jobs") == u"false")
        state.kind = PrinterState::Kind::NotAccepting;
    cupsFreeDests(1, dest);
    return state;
}

JobAnswer CupsPrintService::submit(const QString& printer, const QString& pdfPath, const QString& title)
{
    const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, printer.toUtf8().constData(), QFile::encodeName(pdfPath).constData(),
        title.toUtf8().constData(), 0, nullptr);
    if (job == 0)
        return {0, lastCupsError()};
    return {job, {}};
}

} // namespace platform
