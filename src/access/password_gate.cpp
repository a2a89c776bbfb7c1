#include "access/password_gate.h"

#include "access/master_password.h"
#include "app/context.h"
#include "app/window_manager.h"
#include "store/error.h"
#include "store/record_source.h"
#include "store/unit_of_work.h"
#include "ui/captions.h"
#include "ui/named.h"
#include "ui/services.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace access_control {
namespace {

constexpr QStringView kMainMenu = u"frmMain";

} // namespace

PasswordGate::PasswordGate(app::Context& context, const GateDef& def)
    : app::Window(context, QString::fromLatin1(def.name)), m_def(def)
{
    setWindowTitle(def.title.toString());
    setWindowFlag(Qt::Dialog);

    datPass = new store::RecordSource(context.store, QStringLiteral("datPass"), QStringLiteral("Employees"), this);

    // A raised panel edges the gate off from the main menu behind it.
    auto* panel = ui::makeNamed<QFrame>(QStringLiteral("fraGate"), this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(panel);

    Label1 = ui::makeNamed<QLabel>(QStringLiteral("Label1"), def.prompt.toString(), panel);
    Label1->setTextFormat(Qt::PlainText);

    txtPass = ui::makeNamed<QLineEdit>(QStringLiteral("txtPass"), panel);
    txtPass->setEchoMode(QLineEdit::Password);
    // Every character typed shows as "*", at once, whatever the style's own mask would be.
    txtPass->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; lineedit-password-mask-delay: 0; }"));
    txtPass->setMinimumWidth(260);
    ui::setCaption(Label1, txtPass);

    cmdEnter = ui::makeNamed<QPushButton>(QStringLiteral("cmdEnter"), QStringLiteral("&Enter"), panel);
    Command1 = ui::makeNamed<QPushButton>(QStringLiteral("Command1"), QStringLiteral("&Cancel"), panel);
    for (QPushButton* button : {cmdEnter, Command1})
        button->setMinimumSize(96, 30);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdEnter);
    buttons->addWidget(Command1);

    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->setSpacing(10);
    layout->addWidget(Label1);
    layout->addWidget(txtPass);
    layout->addSpacing(4);
    layout->addLayout(buttons);

    setTabOrder(txtPass, cmdEnter);
    setTabOrder(cmdEnter, Command1);
    txtPass->setFocus();

    connect(cmdEnter, &QPushButton::clicked, this, &PasswordGate::cmdEnter_Click);
    connect(Command1, &QPushButton::clicked, this, &PasswordGate::Command1_Click);
    // Enter in the password box (the main key or the keypad's) does what the Enter button does.
    connect(txtPass, &QLineEdit::returnPressed, this, &PasswordGate::cmdEnter_Click);

    ui::nameControls(this);
    fixSize();
}

void PasswordGate::load()
{
    // Over the middle of the screen, where the main menu is.
    centreOnScreen();
}

void PasswordGate::closeRequested()
{
    Command1_Click();
}

bool PasswordGate::accepts(const store::Value& usageCode) const
{
    if (usageCode.isNull())
        return false;
    const QString code = usageCode.toText();
    return std::any_of(m_def.accepted.begin(), m_def.accepted.end(),
                       [&](QStringView accepted) { return sameIgnoringCase(code, accepted); });
}

void PasswordGate::admit(const Entrant&) {}

void PasswordGate::cmdEnter_Click()
{
    txtPass->setFocus();
    try {
        if (const std::optional<Entrant> entrant = check()) {
            grant(*entrant);
            return;
        }
    } catch (...) {
        // A failure (of the store, or of the area as it opens) ends the attempt without a word;
        // the gate stays open, and whatever it wrote for the area is taken back.
        return;
    }
    refuse();
}

std::optional<Entrant> PasswordGate::check()
{
    // The text is used as typed, blanks and all.
    if (datPass->recordCount() >= 1) {
        datPass->moveFirst();
        while (!datPass->atEnd()) {
            const store::Value password = datPass->field(u"passe");
            const QString typed = txtPass->text();
            if (!typed.isEmpty() && !password.isNull() && sameIgnoringCase(password.toText(), typed)) {
                // The first record with this password decides; no later one is looked at.
                if (accepts(datPass->field(u"uso")))
                    return Entrant{false, datPass->field(u"Nome")};
                break;
            }
            datPass->moveNext();
        }
    }
    // The master password opens the gate even when an employee without the right has it too.
    if (isMasterPassword(txtPass->text()))
        return Entrant{true, {}};
    return std::nullopt;
}

void PasswordGate::grant(const Entrant& entrant)
{
    app::WindowManager& windows = context().windows;
    const QString target = m_def.target.toString();
    if (!windows.isRegistered(target)) {
        // An area the program does not have yet: nothing opens, and the main menu stays.
        windows.unload(objectName());
        return;
    }
    // What the gate writes for the area is taken back if the area then fails to open, so that
    // nothing is left behind for the next time it opens.
    store::UnitOfWork unit(context().store);
    admit(entrant);
    if (!windows.show(target))
        return;
    try {
        unit.commit();
    } catch (...) {
        // The area must not stay open without what the gate wrote for it.
        windows.unload(target);
        throw;
    }
    windows.hide(kMainMenu.toString());
    windows.unload(objectName());
}

void PasswordGate::refuse()
{
    context().ui.message(m_def.refusalText.toString(), m_def.refusalTitle.toString(), ui::Icon::Warning, ui::Buttons::Ok);
    txtPass->setText(QString());
    txtPass->setFocus();
}

void PasswordGate::Command1_Click()
{
    context().windows.unload(objectName());
}

} // namespace access_control
