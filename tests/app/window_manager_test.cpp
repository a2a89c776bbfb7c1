#include "app/window.h"
#include "app/window_manager.h"
#include "store/error.h"
#include "store/record_source.h"
#include "support/test_context.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include <functional>
#include <stdexcept>

namespace {

// What the probe windows tell the test.
struct Probe {
    int made = 0;
    int loads = 0;
    int closeRequests = 0;
    bool ownClose = false;    // the window's close button does its own thing, not the default
    bool failLoad = false;
};

// A window with a text box, a record source and a button that unloads the window itself.
class ProbeWindow final : public app::Window {
public:
    ProbeWindow(app::Context& context, Probe& probe) : Window(context, QStringLiteral("frmProbe")), m_probe(probe)
    {
        ++probe.made;
        auto* layout = new QVBoxLayout(this);
        auto* txtNote = new QLineEdit(this);
        txtNote->setObjectName(QStringLiteral("txtNote"));
        layout->addWidget(txtNote);
        auto* cmdUnload = new QPushButton(QStringLiteral("&Unload"), this);
        cmdUnload->setObjectName(QStringLiteral("cmdUnload"));
        layout->addWidget(cmdUnload);
        connect(cmdUnload, &QPushButton::clicked, this, [this] { this->context().windows.unload(objectName()); });
        new store::RecordSource(context.store, QStringLiteral("datProducts"), QStringLiteral("tblProductPrice"), this);
        fixSize();
    }

    void load() override
    {
        ++m_probe.loads;
        if (m_probe.failLoad)
            throw store::Error(store::ErrorKind::IO, QStringLiteral("cannot read"));
    }

    void closeRequested() override
    {
        ++m_probe.closeRequests;
        if (!m_probe.ownClose)
            Window::closeRequested();
    }

private:
    Probe& m_probe;
};

struct Fixture {
    Fixture()
    {
        context.windows.registerWindow(QStringLiteral("frmProbe"), [this](app::Context& c) {
            return std::make_unique<ProbeWindow>(c, probe);
        });
    }
    app::WindowManager& windows() { return context.windows; }

    testing::TestContext context;
    Probe probe;
};

} // namespace

class WindowManagerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void show_makesTheWindowOnce();
    void hide_keepsTheWindowWithWhatItHolds();
    void unload_fromTheWindowsOwnHandlerReleasesItAndItsRecordSources();
    void closeButton_runsTheWindowsWayBack();
    void load_failuresLeaveNothingLoaded();
};

void WindowManagerTest::show_makesTheWindowOnce()
{
    Fixture fixture;
    QVERIFY(!fixture.windows().isLoaded("frmProbe"));
    app::Window* first = fixture.windows().show("frmProbe");
    app::Window* second = fixture.windows().show("frmProbe");

    QVERIFY(first);
    QCOMPARE(second, first);
    QCOMPARE(fixture.windows().find("frmProbe"), first);
    QCOMPARE(fixture.probe.made, 1);
    QCOMPARE(fixture.probe.loads, 1);
    QVERIFY(first->isVisible());
    QCOMPARE(first->objectName(), QStringLiteral("frmProbe"));
    QCOMPARE(first->minimumSize(), first->maximumSize());
}

void WindowManagerTest::hide_keepsTheWindowWithWhatItHolds()
{
    Fixture fixture;
    app::Window* window = fixture.windows().show("frmProbe");
    QTest::keyClicks(window->findChild<QLineEdit*>("txtNote"), "half done");

    fixture.windows().hide("frmProbe");
    QVERIFY(!window->isVisible());
    QVERIFY(fixture.windows().isLoaded("frmProbe"));

    QCOMPARE(fixture.windows().show("frmProbe"), window);
    QCOMPARE(window->findChild<QLineEdit*>("txtNote")->text(), QStringLiteral("half done"));
    QCOMPARE(fixture.probe.loads, 1);
}

void WindowManagerTest::unload_fromTheWindowsOwnHandlerReleasesItAndItsRecordSources()
{
    Fixture fixture;
    QPointer<app::Window> window = fixture.windows().show("frmProbe");
    QPointer<store::RecordSource> source = window->findChild<store::RecordSource*>("datProducts");
    QVERIFY(source);
    QTest::keyClicks(window->findChild<QLineEdit*>("txtNote"), "half done");

    QTest::mouseClick(window->findChild<QPushButton*>("cmdUnload"), Qt::LeftButton);
    QVERIFY(!fixture.windows().isLoaded("frmProbe"));
    QCOMPARE(fixture.windows().find("frmProbe"), nullptr);
    QTRY_VERIFY(window.isNull());
    QVERIFY(source.isNull());

    app::Window* again = fixture.windows().show("frmProbe");
    QCOMPARE(fixture.probe.made, 2);
    QCOMPARE(fixture.probe.loads, 2);
    QCOMPARE(again->findChild<QLineEdit*>("txtNote")->text(), QString());
}

void WindowManagerTest::closeButton_runsTheWindowsWayBack()
{
    Fixture fixture;
    app::Window* window = fixture.windows().show("frmProbe");

    // By default the way back hides the window, which stays loaded.
    QVERIFY(!window->close());
    QCOMPARE(fixture.probe.closeRequests, 1);
    QVERIFY(!window->isVisible());
    QCOMPARE(fixture.windows().find("frmProbe"), window);

    // A window with a way back of its own does only that.
    fixture.windows().show("frmProbe");
    fixture.probe.ownClose = true;
    QVERIFY(!window->close());
    QCOMPARE(fixture.probe.closeRequests, 2);
    QVERIFY(window->isVisible());
}

void WindowManagerTest::load_failuresLeaveNothingLoaded()
{
    Fixture fixture;
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, fixture.windows().show("frmNowhere"));

    fixture.probe.failLoad = true;
    QVERIFY_THROWS_EXCEPTION(store::Error, fixture.windows().show("frmProbe"));
    QVERIFY(!fixture.windows().isLoaded("frmProbe"));
    QVERIFY(!fixture.windows().anyVisible());

    fixture.probe.failLoad = false;
    QVERIFY(fixture.windows().show("frmProbe"));
    QCOMPARE(fixture.probe.made, 2);
}

QTEST_MAIN(WindowManagerTest)
#include "window_manager_test.moc"
