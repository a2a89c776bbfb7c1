#include "review/chart_module.h"

#include "app/window.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

#include <stdexcept>

namespace review {
namespace {

// Where the module may be: beside the executable (the build tree), then the library folder of an
// installed program.
QStringList moduleCandidates()
{
    const QDir programDir(QCoreApplication::applicationDirPath());
    return {
        programDir.filePath(QString::fromLatin1(kChartModuleName)),
        programDir.filePath(QStringLiteral(POS_CHART_MODULE_INSTALL_DIR "/") + QString::fromLatin1(kChartModuleName)),
    };
}

ChartModuleEntry loadEntry()
{
    static ChartModuleEntry entry = nullptr;
    if (entry)
        return entry;
    QStringList reasons;
    for (const QString& candidate : moduleCandidates()) {
        // Kept loaded for the rest of the run: the windows it made hold its code.
        QLibrary module(candidate);
        module.setLoadHints(QLibrary::ResolveAllSymbolsHint);
        if (!module.load()) {
            reasons << module.errorString();
            continue;
        }
        if (auto found = reinterpret_cast<ChartModuleEntry>(module.resolve(kChartModuleEntry))) {
            entry = found;
            return entry;
        }
        reasons << module.errorString();
    }
    throw std::runtime_error(QStringLiteral("The sales charts cannot be shown: their module could not be loaded (%1).")
                                 .arg(reasons.join(QStringLiteral("; ")))
                                 .toStdString());
}

} // namespace

std::unique_ptr<app::Window> makeChartWindow(const QString& name, app::Context& context)
{
    const ChartModuleEntry entry = loadEntry();
    std::unique_ptr<app::Window> window(entry(name.toLatin1().constData(), &context));
    if (!window)
        throw std::runtime_error(QStringLiteral("The sales charts cannot be shown: their module has no window %1.").arg(name).toStdString());
    return window;
}

} // namespace review
