#include "ui/qt_services.h"

#include <QApplication>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <qpa/qplatformscreen.h>
#include <QSettings>
#include <QWidget>

namespace ui {
namespace {

QMessageBox::Icon boxIcon(Icon icon)
{
    switch (icon) {
    case Icon::None: return QMessageBox::NoIcon;
    case Icon::Warning: return QMessageBox::Warning;
    case Icon::Question: return QMessageBox::Question;
    case Icon::Critical: return QMessageBox::Critical;
    case Icon::Information: return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

QSettings userSettings(const QString& app)
{
    return QSettings(QSettings::UserScope, kApplicationTitle.toString(), app);
}

} // namespace

QtServices::~QtServices()
{
    setBusy(false);
}

Button QtServices::message(const QString& text, const QString& title, Icon icon, Buttons buttons)
{
    const bool yesNo = buttons == Buttons::YesNo;
    QMessageBox box(boxIcon(icon), shownTitle(title), text,
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    QApplication::activeWindow());
    // What a box says is plain text: names and codes from the store are never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
    if (!yesNo)
        return Button::Ok;
    return box.standardButton(box.clickedButton()) == QMessageBox::Yes ? Button::Yes : Button::No;
}

QString QtServices::input(const QString& prompt, const QString& title, const QString& defaultText)
{
    QInputDialog box(QApplication::activeWindow());
    box.setInputMode(QInputDialog::TextInput);
    box.setWindowTitle(shownTitle(title));
    box.setLabelText(prompt);
    if (auto* label = box.findChild<QLabel*>())
        label->setTextFormat(Qt::PlainText);
    box.setTextValue(defaultText);
    if (box.exec() != QDialog::Accepted)
        return {};
    return box.textValue();
}

void QtServices::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

QSize QtServices::screenSize() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize();
}

QSize QtServices::screenPixels() const
{
    // The platform's own screen, in device pixels: the logical size times the scale would be
    // off by a pixel at scales such as 2.25, where the logical size is rounded.
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen && screen->handle() ? screen->handle()->geometry().size() : QSize();
}

qreal QtServices::screenScale() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : 1.0;
}

QString QtServices::setting(const QString& app, const QString& section, const QString& key,
                            const QString& defaultValue) const
{
    QSettings settings = userSettings(app);
    settings.beginGroup(section);
    return settings.value(key, defaultValue).toString();
}

void QtServices::saveSetting(const QString& app, const QString& section, const QString& key,
                             const QString& value)
{
    QSettings settings = userSettings(app);
    settings.beginGroup(section);
    settings.setValue(key, value);
}

void QtServices::end()
{
    setBusy(false);
    // Hidden rather than closed: a window's close button runs its own way back, which must not
    // run again while the program ends.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows)
        window->hide();
    QCoreApplication::exit(0);
}

} // namespace ui
