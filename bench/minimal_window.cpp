// The yardstick for start-up: the least a Qt Widgets program does to show one window, and quit
// once it is shown, writing the moment it was shown as the program does.
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>

namespace {
class QuitOnShow : public QWidget {
protected:
    void showEvent(QShowEvent*) override
    {
        const auto shown = std::chrono::steady_clock::now().time_since_epoch();
        std::printf("shown %lld\n", static_cast<long long>(std::chrono::nanoseconds(shown).count()));
        std::fflush(stdout);
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
};
} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QuitOnShow window;
    window.resize(640, 400);
    window.show();
    return application.exec();
}
