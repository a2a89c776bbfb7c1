#include "startup/settings_window.h"

#include "app/context.h"
#include "help/html_help.h"
#include "startup/display_check.h"
#include "ui/captions.h"
#include "ui/named.h"
#include "ui/services.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace startup {

QString SettingsWindow::warningText()
{
    static const char* const kLines[] = {
        "\tVantoral\u00ae POS has detected that your system settings are not propper to ",
        "   run this application, therefore you must change it before attempting to run this ",
        "   software.  To change your system settings, right click the mouse on the desktop, ",
        "   select 'Properties' from the menu, and then setting from the applet. from there, ",
        "   where   reads 'Screen Area' drag the point down arrow all the way to the left.  On ",
        "   colors,  select your color to be 16 bits or higher.  Press Apply and follow the ",
        "   instructions from    there.  Notice that you may be required to reboot your machine.  ",
        "   You may also    use  the button 'CHANGE SETTINGS' below and the Vantoral POS ",
        "   will change the  settings for   you.  Also make sure that you change your font size to ",
        "   small, otherswise the system will detect and ask you to change it, and restart the ",
        "   computer.",
    };
    QString text;
    for (const char* line : kLines)
        text += QString::fromUtf8(line) + QStringLiteral("\r\n");
    return text;
}

SettingsWindow::SettingsWindow(app::Context& context) : app::Window(context, QString::fromLatin1(kName))
{
    setWindowTitle(QStringLiteral(" You must change your settings before proceeding."));

    auto* frame = ui::makeNamed<QFrame>(QStringLiteral("Frame1"), this);
    frame->setFrameShape(QFrame::StyledPanel);
    lblChange = ui::makeNamed<QLabel>(QStringLiteral("lblChange"), QStringLiteral("Changing your settings"), frame);
    QFont heading = lblChange->font();
    heading.setBold(true);
    heading.setPointSize(heading.pointSize() + 2);
    lblChange->setFont(heading);
    txtWarning = ui::makeNamed<QPlainTextEdit>(QStringLiteral("txtWarning"), frame);
    // The text box keeps the lines exactly, line ends included; it shows them without the CR.
    txtWarning->setPlainText(warningText());
    txtWarning->setReadOnly(true);
    txtWarning->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtWarning->setAccessibleName(lblChange->text());
    // The first line's tab indents it a little more than the blanks of the others.
    txtWarning->setTabStopDistance(txtWarning->fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 6);
    txtWarning->setMinimumSize(600, txtWarning->fontMetrics().lineSpacing() * 12 + 12);

    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(lblChange);
    frameLayout->addWidget(txtWarning);

    cmdChange = ui::makeNamed<QPushButton>(QStringLiteral("cmdChange"), QStringLiteral("CHANGE SETTINGS"), this);
    cmdHelp = ui::makeNamed<QPushButton>(QStringLiteral("cmdHelp"), QStringLiteral("HELP"), this);
    cmdOK = ui::makeNamed<QPushButton>(QStringLiteral("cmdOK"), QStringLiteral("OK"), this);
    for (QPushButton* button : {cmdChange, cmdHelp, cmdOK})
        button->setMinimumSize(150, 34);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdChange);
    buttons->addWidget(cmdHelp);
    buttons->addWidget(cmdOK);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(14);
    layout->addWidget(frame);
    layout->addLayout(buttons);

    connect(cmdChange, &QPushButton::clicked, this, &SettingsWindow::cmdChange_Click);
    connect(cmdHelp, &QPushButton::clicked, this, &SettingsWindow::cmdHelp_Click);
    connect(cmdOK, &QPushButton::clicked, this, &SettingsWindow::cmdOK_Click);
    ui::nameControls(this);
    fixSize();
}

SettingsWindow::~SettingsWindow() = default;

void SettingsWindow::load()
{
    centreOnScreen();
}

void SettingsWindow::cmdChange_Click()
{
    ChangeDisplayMode(context(), 800, 600, 16);
}

void SettingsWindow::cmdHelp_Click()
{
    help::showHelpContents(context(), m_help, this);
}

void SettingsWindow::cmdOK_Click()
{
    context().ui.end();
}

void SettingsWindow::closeRequested()
{
    // Leaving this window by any way leaves the program: the main menu is never reached in a run
    // whose screen failed the check.
    context().ui.end();
}

} // namespace startup
