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
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    if (dest) {
        const QString name = QString::fromUtf8(dest->name);
        cupsFreeDests(1, dest);
        return name;
    }
    // No default to be had. A default that was asked for (the LPDEST or PRINTER setting, the
    // user's own) but no longer exists is still the default: it is reported as not found. With
    // printers but none chosen, or none at all, no printer is set up.
    const QString why = lastCupsError();
    for (const char* setting : {"LPDEST", "PRINTER"}) {
        const QString named = qEnvironmentVariable(setting);
        if (!named.isEmpty() && !(named == u"lp" && qstrcmp(setting, "PRINTER") == 0))
            return named.section(u'/', 0, 0);
    }
    if (why.contains(u"does not exist"))
        return QStringLiteral("(the default printer)");
    return {};
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

void CupsPrintService::cancel(const QString& printer, int jobId)
{
    cupsCancelJob2(CUPS_HTTP_DEFAULT, printer.toUtf8().constData(), jobId, 0);
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
