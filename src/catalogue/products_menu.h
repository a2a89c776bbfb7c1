#pragma once

#include "app/window.h"

class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;

namespace catalogue {

// updateProdutos: the entrance to product maintenance, shown by the products password gate. It
// opens the product and supplier window or the product update window, hiding itself while they
// are open, and goes back to the main menu. It holds no data.
class ProductsMenuWindow : public app::Window {
    Q_OBJECT
public:
    static constexpr const char* kName = "updateProdutos";

    explicit ProductsMenuWindow(app::Context& context);

    void load() override;
    // The close button goes back to the main menu, as "BACK TO MAIN" does.
    void closeRequested() override;

    QMenuBar* menuBar;
    QMenu* myMenu;
    QLabel* Image1;
    QFrame* Frame1;
    QPushButton* cmdupdateProd;
    QPushButton* cmdUpdateCancel;
    QPushButton* cmdExit;

private:
    void cmdupdateProd_Click();
    void cmdUpdateCancel_Click();
    void cmdExit_Click();

    // Shows a maintenance window and hides this menu behind it.
    void open(const QString& name);
};

} // namespace catalogue
