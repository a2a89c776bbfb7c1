// The yardstick for start-up: the least a Qt Widgets program does to show one window, and quit
// once it is shown.
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {
class QuitOnShow : public QWidget {
protected:
    void showEvent(QShowEvent*) override { QTimer::singleShot(0, qApp, &QCoreApplication::quit); }
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
