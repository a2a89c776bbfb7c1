#include "platform/print_service.h"

#include <QFile>
#include <QLibrary>

#include <cups/cups.h>

namespace platform {
namespace {

// libcups, loaded when a receipt is first printed rather than with the program: it brings a
// score of libraries (TLS, Kerberos, Avahi) that start-up does not need. Without it no printer is
// set up.
struct Cups {
    decltype(&::cupsGetNamedDest) getNamedDest = nullptr;
    decltype(&::cupsFreeDests) freeDests = nullptr;
    decltype(&::cupsGetOption) getOption = nullptr;
    decltype(&::cupsLastErrorString) lastErrorString = nullptr;
    decltype(&::cupsPrintFile2) printFile2 = nullptr;
    decltype(&::cupsCancelJob2) cancelJob2 = nullptr;

    bool loaded() const { return getNamedDest && freeDests && getOption && lastErrorString && printFile2 && cancelJob2; }
};

template <typename Function>
void resolve(QLibrary& library, Function& function, const char* name)
{
    function = reinterpret_cast<Function>(library.resolve(name));
}

const Cups& cups()
{
    static const Cups loaded = [] {
        Cups found;
        QLibrary library(QStringLiteral("cups"), 2);
        if (!library.load())
            return found;
        resolve(library, found.getNamedDest, "cupsGetNamedDest");
        resolve(library, found.freeDests, "cupsFreeDests");
        resolve(library, found.getOption, "cupsGetOption");
        resolve(library, found.lastErrorString, "cupsLastErrorString");
        resolve(library, found.printFile2, "cupsPrintFile2");
        resolve(library, found.cancelJob2, "cupsCancelJob2");
        return found;
    }();
    return loaded;
}

QString lastCupsError()
{
    return QString::fromUtf8(cups().lastErrorString());
}

QString option(const cups_dest_t& dest, const char* name)
{
    const char* value = cups().getOption(name, dest.num_options, dest.options);
    return value ? QString::fromUtf8(value) : QString();
}

} // namespace

QString CupsPrintService::defaultPrinter()
{
    if (!cups().loaded())
        return {};
    cups_dest_t* dest = cups().getNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    if (dest) {
        const QString name = QString::fromUtf8(dest->name);
        cups().freeDests(1, dest);
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
    if (!cups().loaded())
        return {PrinterState::Kind::NotFound, QStringLiteral("the print service's library is missing")};
    cups_dest_t* dest = cups().getNamedDest(CUPS_HTTP_DEFAULT, printer.toUtf8().constData(), nullptr);
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
    cups().freeDests(1, dest);
    return state;
}

void CupsPrintService::cancel(const QString& printer, int jobId)
{
    if (cups().loaded())
        cups().cancelJob2(CUPS_HTTP_DEFAULT, printer.toUtf8().constData(), jobId, 0);
}

JobAnswer CupsPrintService::submit(const QString& printer, const QString& pdfPath, const QString& title)
{
    if (!cups().loaded())
        return {0, QStringLiteral("the print service's library is missing")};
    const int job = cups().printFile2(CUPS_HTTP_DEFAULT, printer.toUtf8().constData(), QFile::encodeName(pdfPath).constData(),
        title.toUtf8().constData(), 0, nullptr);
    if (job == 0)
        return {0, lastCupsError()};
    return {job, {}};
}

} // namespace platform
