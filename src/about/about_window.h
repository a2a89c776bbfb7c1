#pragma once

#include "app/window.h"

#include <QStringView>

class QLabel;
class QPushButton;

namespace app {
class WindowManager;
}
namespace ui {
class ValueLabel;
}

namespace about {

class LinkLabel;

// frmSobre: who makes the program and which version this is, with the maker's web page and
// e-mail address, each a click away. OK and the close button hide the window.
class AboutWindow final : public app::Window {
    Q_OBJECT
public:
    static constexpr QStringView kName = u"frmSobre";
    static constexpr QStringView kWebPage = u"http://www.vantoral.com";
    static constexpr QStringView kMail = u"mailto:sales@vantoral.com";

    explicit AboutWindow(app::Context& context);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void cmdOK_click();
    void lblWeb_click();
    void lblMail_click();

    QLabel* imgLogo;
    QLabel* lblCompany;
    ui::ValueLabel* lblVersion;
    ui::ValueLabel* lblPlatform;
    LinkLabel* lblWeb;
    LinkLabel* lblMail;
    QLabel* lblRights;
    QPushButton* cmdOK;
};

// Tells the window manager how to make frmSobre.
void registerWindows(app::WindowManager& windows);

} // namespace about
