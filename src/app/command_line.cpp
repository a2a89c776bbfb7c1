#include "app/command_line.h"

#include "app/app_info.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <cstdio>

namespace app {
namespace {

void write(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

// The arguments without Qt's own options (-platform xcb, -style=fusion, -session id, -reverse...),
// which the application object takes when it is made: a session manager restarts the program
// with -session, and a technician may choose the display with -platform.
QStringList withoutQtOptions(const QStringList& arguments)
{
    static const QStringList valued{QStringLiteral("platform"), QStringLiteral("platformpluginpath"), QStringLiteral("platformtheme"),
        QStringLiteral("plugin"), QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"), QStringLiteral("qwindowtitle"),
        QStringLiteral("session"), QStringLiteral("style"), QStringLiteral("stylesheet"), QStringLiteral("display"), QStringLiteral("geometry"),
        QStringLiteral("title"), QStringLiteral("name"), QStringLiteral("visual"), QStringLiteral("ncols"), QStringLiteral("dialogs"),
        QStringLiteral("fontengine")};
    static const QStringList flags{QStringLiteral("reverse"), QStringLiteral("widgetcount"), QStringLiteral("nograb"),
        QStringLiteral("dograb"), QStringLiteral("sync"), QStringLiteral("cmap")};
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (i == 0 || !argument.startsWith(u'-')) {
            kept << argument;
            continue;
        }
        QString name = argument.mid(argument.startsWith(QStringLiteral("--")) ? 2 : 1);
        const bool joined = name.contains(u'=');
        name = name.section(u'=', 0, 0);
        if (valued.contains(name)) {
            if (!joined)
                ++i; // its value
            continue;
        }
        if (!flags.contains(name))
            kept << argument;
    }
    return kept;
}

} // namespace

CommandLine readCommandLine(const QStringList& givenArguments, const AppInfo& info)
{
    const QStringList arguments = withoutQtOptions(givenArguments);
    const QString program = arguments.isEmpty() ? QStringLiteral("point-of-sale") : QFileInfo(arguments.constFirst()).fileName();
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("%1: the till of a small grocery store. Without options it starts on its store.").arg(info.title));
    // Qt's own help option would list Qt's options too, which are left to Qt (see withoutQtOptions).
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help and end."));
    parser.addOption(help);
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
        QStringLiteral("Show the program's version (the one its About window shows) and end."));
    parser.addOption(version);
    const QCommandLineOption restore(QStringLiteral("restore"),
        QStringLiteral("Put the store in <file> (a backup, say) in the store's place, with the program closed; "
                       "the present store is kept beside it. Says what was done and ends: 0 when restored, "
                       "1 when not."),
        QStringLiteral("file"));
    parser.addOption(restore);
    const QCommandLineOption printerSetup(QStringLiteral("printer-setup"),
        QStringLiteral("Open the printer window alone, without the store, to choose the till's printer and cash "
                       "drawer; the till uses the choice from its next start."));
    parser.addOption(printerSetup);

    CommandLine line;
    const auto wrongUsage = [&](const QString& why) {
        write(stderr, QStringLiteral("%1: %2\nTry '%1 --help' for more information.\n").arg(program, why));
        line.exitCode = 2;
        return line;
    };
    if (!parser.parse(arguments))
        return wrongUsage(parser.errorText());
    if (parser.isSet(help)) {
        // Before the application object exists the parser cannot name the program itself.
        QString text = parser.helpText();
        text.replace(QStringLiteral("<executable_name>"), program);
        write(stdout, text);
        line.exitCode = 0;
        return line;
    }
    if (parser.isSet(version)) {
        write(stdout, QStringLiteral("%1 %2\n").arg(info.title, info.version()));
        line.exitCode = 0;
        return line;
    }
    if (!parser.positionalArguments().isEmpty())
        return wrongUsage(QStringLiteral("unexpected argument '%1'.").arg(parser.positionalArguments().constFirst()));
    if (parser.isSet(restore) && parser.isSet(printerSetup))
        return wrongUsage(QStringLiteral("--restore and --printer-setup cannot be used together."));
    if (parser.values(restore).size() > 1)
        return wrongUsage(QStringLiteral("--restore takes one file."));
    if (parser.isSet(restore))
        line.restoreFile = parser.value(restore);
    line.printerSetup = parser.isSet(printerSetup);
    return line;
}

CommandLine readCommandLine(int argc, char* argv[], const AppInfo& info)
{
    QStringList arguments;
    arguments.reserve(argc);
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return readCommandLine(arguments, info);
}

} // namespace app
