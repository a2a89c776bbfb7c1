#pragma once

#include "platform/help_viewer.h"

#include <QColor>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>

namespace app {
struct Context;
}

namespace help {

// The program's way into compiled HTML Help: it holds the help settings of one screen, checks
// that the help file can be found, and asks the platform's help viewer to show it. A screen makes
// one the first time its help command is used and keeps it while the screen lives.
//
// Its messages are shown in boxes titled "HTML Help Class".
class HTMLHelp {
public:
    explicit HTMLHelp(app::Context& context);

    // Settings.
    QString CHMFile;          // the help file; completed to a full path by EnsureFileExists
    QString HHPopupFile;      // the source of text pop-ups
    QString HHWindow;         // a window type of the help file; empty: the file's default window
    bool HHShowOnTop = false; // true: the help window is owned by the calling window
    QString HHTopicURL;
    int HHTopicID = 0;
    QString HHKeyword;
    QString HHALink;
    QString HHDefaultURL;
    QString HHMsgTitle;
    QString HHMsgText;
    int HHPopupID = 0;
    QString HHPopupText;
    int HHPopupType = 0;
    QColor HHPopupTextColor;
    QColor HHPopupBackColor;
    QColor HHPopupCustomTextColor;
    QColor HHPopupCustomBackColor;
    bool HHPopupCustomColors = false;
    QString HHPopupTextFont;
    int HHPopupTextSize = 0;
    bool HHPopupTextBold = false;
    bool HHPopupTextItalic = false;
    bool HHPopupTextUnderline = false;

    // Results of the last registry look-up.
    const QString& HHRegFileName() const { return m_regFileName; }
    const QString& HHRegFilePath() const { return m_regFilePath; }
    bool HHRegFileExists() const { return m_regFileExists; }

    // The help window this object opened last (null when none, or when it has been closed).
    QWidget* HHWndHandle() const { return m_window; }
    // Tells the user about the help window: closed, or never opened (an information box).
    QWidget* HHWndHandleChecked();

    // Selector 1: the help file of a setting "file::popup"; 2: the pop-up file; else empty. An
    // empty setting stands for the program's folder and "\Library.chm::Library.txt".
    QString HHSetHelpFile(std::int16_t selector, const QString& setting) const;

    // Opens the help file's table of contents, owned by `owner` when HHShowOnTop is set.
    void HHDisplayContents(QWidget* owner);
    void HHDisplayTopicURL(QWidget* owner);
    void HHDisplayTopicID(QWidget* owner);
    void HHDisplayIndex(QWidget* owner);
    void HHDisplaySearch(QWidget* owner);
    void HHDisplayKeyword(QWidget* owner);
    void HHDisplayALink(QWidget* owner);
    void HHDisplayPopup(QWidget* owner);
    void HHClose();
    void HHDeleteJumpURLSysMenu(QWidget* helpWindow);
    void HHInvokeWhatsThisHelp(QWidget* window);

    // Completes a bare file name to the folder the registry names for it, or to the program's
    // folder; tells the user and answers false when no file is there.
    bool EnsureFileExists(QString& path);
    // Looks for the file's name among the registered help files.
    bool HHCheckRegistry(const QString& file);

    bool HHRegister();
    bool HHUnRegister();

    bool HHInstalled() const;
    QString HHVersion();
    QString IEVersion();
    QString HHFriendlyName();
    QString IEFriendlyName();
    bool HHVerifyMinConfig(int helpEngineCode, int browserCode);

    static QString messageTitle() { return QStringLiteral("HTML Help Class"); }

private:
    bool nameCheck(const QString& file, const QString& extension);
    // Name and file checks before opening the file; false when the file is not there.
    bool prepare();
    QString target() const;
    QWidget* ownerFor(QWidget* owner, bool* refused);
    void display(QWidget* owner, platform::HelpViewer::Command command, const QString& argument);
    void remember(QWidget* window);
    QString componentVersion(const QString& classId, const QString& component, const QString& notRegistered,
                             const QString& install, const QString& notThere, const QString& reinstall);

    app::Context& m_context;
    QString m_regFileName;
    QString m_regFilePath;
    bool m_regFileExists = false;
    QPointer<QWidget> m_window;
    bool m_windowOpened = false;
};

// The help command every screen has: makes the screen's help object on first use, points it
// at the program's help file setting, and opens the contents over `window`.
void showHelpContents(app::Context& context, std::unique_ptr<HTMLHelp>& helpObject, QWidget* window);

} // namespace help
