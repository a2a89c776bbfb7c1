#pragma once

namespace app {
class WindowManager;
}

namespace catalogue {

// Tells the window manager how to make updateProdutos, frmUpdate and frmProdutosCancelados.
void registerWindows(app::WindowManager& windows);

} // namespace catalogue
