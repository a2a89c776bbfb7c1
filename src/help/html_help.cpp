#include "help/html_help.h"

#include "app/app_info.h"
#include "app/context.h"
#include "platform/platform.h"
#include "ui/services.h"

#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QToolTip>
#include <QWhatsThis>

#include <array>

namespace help {
namespace {

const QString kRegistryKey = QStringLiteral("Software\\Microsoft\\Windows\\HTML Help");
const QString kInstalledKey = QStringLiteral("SOFTWARE\\Classes\\TypeLib\\{ADB880A2-D8FF-11CF-9377-00AA003B7A11}");
const QString kHelpEngineKey = QStringLiteral("CLSID\\{4662DAB0-D393-11D0-9A56-00C04FB68B66}\\InprocServer32");
const QString kBrowserKey = QStringLiteral("CLSID\\{0A89A860-D7B1-11CE-8350-444553540000}\\InProcServer32");
// The registered file of a component is the key's default value; its version sits beside it.
const QString kDefaultValue = QStringLiteral("(Default)");
const QString kVersionValue = QStringLiteral("Version");

struct Release {
    const char* version;
    const char* name;
};

constexpr std::array<Release, 11> kHelpEngineReleases{{
    {"4.72.7290.00", "1.0"},
    {"4.72.7323.00", "1.1"},
    {"4.72.7325.00", "1.1a"},
    {"4.72.8164.00", "1.1b"},
    {"4.73.8252.00", "1.2"},
    {"4.73.8412.00", "1.21"},
    {"4.73.8474.00", "1.21a"},
    {"4.73.8561.00", "1.22"},
    {"4.74.8566.00", "1.3 Windows 2000 Beta"},
    {"4.74.8637.00", "1.3 IE 5.5 Platform Preview Beta"},
    {"4.74.8702.00", "1.3"},
}};

constexpr std::array<Release, 20> kBrowserReleases{{
    {"4.70.1155.0000", "3.0"},
    {"4.70.1158.0000", "3.0 OSR2"},
    {"4.70.1215.0000", "3.02"},
    {"4.70.1300.0000", "3.02"},
    {"4.71.1008.3000", "4.0 PP2"},
    {"4.71.1712.5000", "4.0"},
    {"4.72.2106.7000", "4.01"},
    {"4.72.3110.0300", "4.0 SP1"},
    {"4.72.3612.1707", "4.0 SP2"},
    {"5.00.0518.5000", "5.0 beta 1"},
    {"5.00.0910.1308", "5.0 beta 2"},
    {"5.00.2014.2130", "5.0"},
    {"5.00.2314.1000", "5.0a (Office 2000)"},
    {"5.00.2614.3500", "5.0b (Windows 98 SE)"},
    {"5.00.2717.2000", "5.0c (Icon Security Issue Update)"},
    {"5.00.2721.1400", "5.0d (ImportExport Favorites Issue Update)"},
    {"5.00.2919.800", "5.x (Windows 2000 RC1, build 5.00.2072)"},
    {"5.00.2919.3800", "5.x (Windows 2000 RC2, build 5.00.2128)"},
    {"5.00.2919.6307", "5.01"},
    {"5.50.3825.1300", "5.5 Platform Preview"},
}};

template <std::size_t N>
QString friendlyName(const std::array<Release, N>& releases, const QString& version)
{
    for (const Release& release : releases) {
        if (version == QLatin1String(release.version))
            return QString::fromLatin1(release.name);
    }
    return QStringLiteral("unknown");
}

bool hasFolder(const QString& path)
{
    return path.contains(u'\\') || path.contains(u'/');
}

QString fileNameOf(const QString& path)
{
    const qsizetype cut = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
    return path.mid(cut + 1);
}

// A folder and a file name joined with one separator between them.
QString joined(const QString& folder, const QString& name)
{
    if (folder.isEmpty() || folder.endsWith(u'\\') || folder.endsWith(u'/'))
        return folder + name;
    return folder + QDir::separator() + name;
}

} // namespace

HTMLHelp::HTMLHelp(app::Context& context) : m_context(context) {}

QString HTMLHelp::HHSetHelpFile(std::int16_t selector, const QString& setting) const
{
    const QString text = setting.isEmpty() ? joined(m_context.app.path, QStringLiteral("Library.chm::Library.txt")) : setting;
    const qsizetype split = text.indexOf(QStringLiteral("::"));
    switch (selector) {
    case 1: return split < 0 ? text : text.left(split);
    case 2: return split < 0 ? QString() : text.mid(split + 2);
    default: return QString();
    }
}

bool HTMLHelp::nameCheck(const QString& file, const QString& extension)
{
    if (file.right(3).compare(extension, Qt::CaseInsensitive) == 0)
        return true;
    const QString what = extension == u"chm" ? QStringLiteral(" is not a valid HTML Help file.")
                                             : QStringLiteral(" is not a valid HTML Help text pop-up file.");
    m_context.ui.message(file + what, messageTitle(), ui::Icon::Warning, ui::Buttons::Ok);
    return false;
}

bool HTMLHelp::HHCheckRegistry(const QString& file)
{
    nameCheck(file, QStringLiteral("chm"));
    const QString name = fileNameOf(file);
    platform::Registry& registry = m_context.platform.registry();
    m_regFileName.clear();
    m_regFilePath.clear();
    m_regFileExists = false;
    for (const QString& valueName : registry.valueNames(platform::Registry::Root::LocalMachine, kRegistryKey)) {
        if (valueName.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        m_regFileName = name;
        m_regFilePath = registry.value(platform::Registry::Root::LocalMachine, kRegistryKey, valueName).value_or(QString());
        m_regFileExists = true;
        break;
    }
    return m_regFileExists;
}

bool HTMLHelp::EnsureFileExists(QString& path)
{
    if (!hasFolder(path)) {
        if (HHCheckRegistry(path))
            path = joined(m_regFilePath, m_regFileName);
        else
            path = joined(m_context.app.path, path);
    }
    // A folder the registry names may be a drive path ("C:\Help"): it is found on its drive.
    const QString onHost = path.size() >= 2 && path.at(1) == u':' ? m_context.platform.drives().hostPath(path) : path;
    if (QFileInfo::exists(onHost)) {
        path = onHost;
        return true;
    }
    m_context.ui.message(QStringLiteral("The file ") + path + QStringLiteral(" does not exist.") + u'\n'
            + QStringLiteral("Please make sure the correct path and file name have been specified."),
        messageTitle(), ui::Icon::Warning, ui::Buttons::Ok);
    return false;
}

bool HTMLHelp::prepare()
{
    try {
        nameCheck(CHMFile, QStringLiteral("chm"));
    } catch (...) {
        // A failing step is passed over; the next one runs.
    }
    return EnsureFileExists(CHMFile);
}

QString HTMLHelp::target() const
{
    // The window type is the viewer's business; our viewer shows every file in its one window.
    return CHMFile;
}

QWidget* HTMLHelp::ownerFor(QWidget* owner, bool* refused)
{
    *refused = false;
    if (!HHShowOnTop)
        return nullptr;
    if (!owner) {
        m_context.ui.message(QStringLiteral("The HHDisplayContents method was called ") + QStringLiteral("without a form being specified, while HHShowOnTop ")
                + QStringLiteral("was set to True."),
            messageTitle(), ui::Icon::Warning, ui::Buttons::Ok);
        *refused = true;
    }
    return owner;
}

void HTMLHelp::remember(QWidget* window)
{
    m_window = window;
    m_windowOpened = m_windowOpened || window;
}

void HTMLHelp::HHDisplayContents(QWidget* owner)
{
    bool fileThere = true;
    try {
        fileThere = prepare();
    } catch (...) {
    }
    if (!fileThere)
        return;
    bool refused = false;
    QWidget* ownerWindow = ownerFor(owner, &refused);
    if (refused)
        return;
    try {
        remember(m_context.platform.helpViewer().displayContents(target(), ownerWindow));
    } catch (...) {
        // A viewer that cannot be started leaves no window; nothing is reported.
        remember(nullptr);
    }
}

void HTMLHelp::display(QWidget* owner, platform::HelpViewer::Command command, const QString& argument)
{
    if (!prepare())
        return;
    bool refused = false;
    QWidget* ownerWindow = ownerFor(owner, &refused);
    if (refused)
        return;
    remember(m_context.platform.helpViewer().display(target(), ownerWindow, command, argument));
}

using Command = platform::HelpViewer::Command;

void HTMLHelp::HHDisplayTopicURL(QWidget* owner) { display(owner, Command::Topic, HHTopicURL); }
void HTMLHelp::HHDisplayTopicID(QWidget* owner) { display(owner, Command::ContextId, QString::number(HHTopicID)); }
void HTMLHelp::HHDisplayIndex(QWidget* owner) { display(owner, Command::Index, QString()); }
void HTMLHelp::HHDisplaySearch(QWidget* owner) { display(owner, Command::Search, QString()); }
void HTMLHelp::HHDisplayKeyword(QWidget* owner) { display(owner, Command::Keyword, HHKeyword); }
void HTMLHelp::HHDisplayALink(QWidget* owner) { display(owner, Command::ALink, HHALink); }

void HTMLHelp::HHDisplayPopup(QWidget* owner)
{
    QString text = HHPopupText;
    if (text.isEmpty()) {
        if (!nameCheck(HHPopupFile, QStringLiteral("txt")))
            return;
        if (!prepare())
            return;
        text = m_context.platform.helpViewer().popupText(CHMFile, HHPopupFile, HHPopupID);
    }
    if (text.isEmpty())
        return;
    QString shown = text.toHtmlEscaped();
    if (HHPopupTextBold)
        shown = QStringLiteral("<b>") + shown + QStringLiteral("</b>");
    if (HHPopupTextItalic)
        shown = QStringLiteral("<i>") + shown + QStringLiteral("</i>");
    if (HHPopupTextUnderline)
        shown = QStringLiteral("<u>") + shown + QStringLiteral("</u>");
    QToolTip::showText(QCursor::pos(), shown, owner);
}

void HTMLHelp::HHClose()
{
    m_context.platform.helpViewer().closeAll();
}

void HTMLHelp::HHDeleteJumpURLSysMenu(QWidget* helpWindow)
{
    // Our help windows have no system menu with a jump command to take away.
    (void)helpWindow;
}

void HTMLHelp::HHInvokeWhatsThisHelp(QWidget* window)
{
    if (window)
        window->activateWindow();
    QWhatsThis::enterWhatsThisMode();
}

bool HTMLHelp::HHRegister()
{
    QString path = CHMFile;
    if (!EnsureFileExists(path))
        return false;
    const QFileInfo file(path);
    return m_context.platform.registry().setValue(platform::Registry::Root::LocalMachine, kRegistryKey, file.fileName(),
        QDir::toNativeSeparators(file.absolutePath()) + QDir::separator());
}

bool HTMLHelp::HHUnRegister()
{
    return m_context.platform.registry().removeValue(platform::Registry::Root::LocalMachine, kRegistryKey, fileNameOf(CHMFile));
}

bool HTMLHelp::HHInstalled() const
{
    return m_context.platform.registry().keyExists(platform::Registry::Root::LocalMachine, kInstalledKey);
}

QString HTMLHelp::componentVersion(const QString& classId, const QString& component, const QString& notRegistered,
                                   const QString& install, const QString& notThere, const QString& reinstall)
{
    (void)component;
    platform::Registry& registry = m_context.platform.registry();
    const std::optional<QString> file = registry.value(platform::Registry::Root::ClassesRoot, classId, kDefaultValue);
    if (!file || file->isEmpty()) {
        m_context.ui.message(notRegistered + install, messageTitle(), ui::Icon::Critical, ui::Buttons::Ok);
        return {};
    }
    const QString onHost = file->size() >= 2 && file->at(1) == u':' ? m_context.platform.drives().hostPath(*file) : *file;
    if (!QFileInfo::exists(onHost)) {
        m_context.ui.message(notThere + reinstall, messageTitle(), ui::Icon::Critical, ui::Buttons::Ok);
        return {};
    }
    return registry.value(platform::Registry::Root::ClassesRoot, classId, kVersionValue).value_or(QString());
}

QString HTMLHelp::HHVersion()
{
    return componentVersion(kHelpEngineKey, QStringLiteral("hhctrl.ocx"), QStringLiteral("Hhctrl.ocx is not registered.  "),
        QStringLiteral("Please install HTML Help."), QStringLiteral("Hhctrl.ocx is not in its registered location.  "),
        QStringLiteral("Please reinstall HTML Help."));
}

QString HTMLHelp::IEVersion()
{
    return componentVersion(kBrowserKey, QStringLiteral("SHDOCVW.DLL"), QStringLiteral("Shdocvw.dll is not registered.  "),
        QStringLiteral("Please install Internet Explorer."), QStringLiteral("Internet Explorer is not in its registered location.  "),
        QStringLiteral("Please reinstall Internet Explorer."));
}

QString HTMLHelp::HHFriendlyName()
{
    return friendlyName(kHelpEngineReleases, HHVersion());
}

QString HTMLHelp::IEFriendlyName()
{
    return friendlyName(kBrowserReleases, IEVersion());
}

bool HTMLHelp::HHVerifyMinConfig(int helpEngineCode, int browserCode)
{
    if (helpEngineCode < 16 || helpEngineCode > 26 || browserCode < 256 || browserCode > 273)
        return false;
    const QString needHelp = QString::fromLatin1(kHelpEngineReleases[std::size_t(helpEngineCode - 16)].version);
    const QString needBrowser = QString::fromLatin1(kBrowserReleases[std::size_t(browserCode - 256)].version);
    const QString haveHelp = HHVersion();
    const QString haveBrowser = IEVersion();
    return !haveHelp.isEmpty() && !haveBrowser.isEmpty() && haveHelp >= needHelp && haveBrowser >= needBrowser;
}

QWidget* HTMLHelp::HHWndHandleChecked()
{
    if (m_window)
        return m_window;
    m_context.ui.message(m_windowOpened ? QStringLiteral("The last HTML Help window opened has been closed.")
                                        : QStringLiteral("No HTML Help window handle to retrieve."),
        messageTitle(), ui::Icon::Information, ui::Buttons::Ok);
    return nullptr;
}

void showHelpContents(app::Context& context, std::unique_ptr<HTMLHelp>& helpObject, QWidget* window)
{
    if (!helpObject)
        helpObject = std::make_unique<HTMLHelp>(context);
    helpObject->CHMFile = helpObject->HHSetHelpFile(1, context.app.helpFile);
    helpObject->HHPopupFile = helpObject->HHSetHelpFile(2, context.app.helpFile);
    helpObject->HHDisplayContents(window);
}

} // namespace help
