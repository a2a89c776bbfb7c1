#pragma once

#include "app/window.h"
#include "ui/value_label.h"

#include <cstdint>

class QFrame;
class QLabel;
class QTimer;

namespace store {
class RecordSource;
}

namespace startup {

// frmSplash: the first window. It checks the screen, waits four ticks of its timer, rolls the
// business day over in the store, and hands over to the main menu and the tip of the day.
class SplashWindow : public app::Window {
    Q_OBJECT
public:
    static constexpr const char* kName = "frmSplash";
    static constexpr int kTickMs = 600;

    explicit SplashWindow(app::Context& context);

    void load() override;

    QFrame* myframe;
    QLabel* Image1;
    QLabel* Image2;
    QLabel* lblCompany;
    ui::ValueLabel* lblVersion;
    ui::ValueLabel* lblPlatform;
    QLabel* lblCredit1;
    QLabel* lblCredit2;
    QTimer* Timer1;
    store::RecordSource* totalSale;     // tblDailySale
    store::RecordSource* dailySaledata; // tblCathegory

    std::int16_t tickCount() const { return m_ticks; }

    // One tick of Timer1.
    void Timer1_Timer();

private:
    void closeSplash();

    std::int16_t m_ticks = 0;
};

} // namespace startup
