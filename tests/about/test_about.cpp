#include "about/about_window.h"
#include "platform/fakes.h"
#include "support/read_aloud.h"
#include "support/test_context.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

// The test context with a shell that records what the window opens.
struct Fixture {
    explicit Fixture(bool shellOpens = true)
        : platform(makePlatform(base.root.path(), shellOpens)),
          shell(static_cast<testing::FakeShell&>(platform.shell())),
          context{*base.store, base.ui, platform, windows, base.clock, base.app, base.context.locale}
    {
        windows.setContext(context);
        about::registerWindows(windows);
    }

    static platform::Platform makePlatform(const QString& root, bool shellOpens)
    {
        return platform::Platform(platform::Drives(root), nullptr, std::make_unique<testing::FakeShell>(shellOpens));
    }

    app::Window* show() { return windows.show(about::AboutWindow::kName.toString()); }

    template <typename T>
    T* control(const char* name)
    {
        auto* found = windows.find(about::AboutWindow::kName.toString())->findChild<T*>(QString::fromLatin1(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }

    testing::TestContext base;
    platform::Platform platform;
    testing::FakeShell& shell;
    app::WindowManager windows;
    app::Context context;
};

enum class How { Click, Enter, Space };

void activate(QWidget* label, How how)
{
    switch (how) {
    case How::Click:
        QTest::mouseClick(label, Qt::LeftButton);
        break;
    case How::Enter:
        QTest::keyClick(label, Qt::Key_Return);
        break;
    case How::Space:
        QTest::keyClick(label, Qt::Key_Space);
        break;
    }
}

} // namespace

Q_DECLARE_METATYPE(How)

class TestAbout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void window_showsWhoMakesTheProgramAndItsVersion();
    void version_isBuiltFromTheProgramsVersion();
    void values_readAsCaptionThenTheShownText_data();
    void values_readAsCaptionThenTheShownText();
    void links_lookAndActLikeLinks();
    void link_opensTheMakersAddress_data();
    void link_opensTheMakersAddress();
    void link_thatCannotOpenSaysWhy_data();
    void link_thatCannotOpenSaysWhy();
    void okAndCloseButton_hideTheWindow();
};

void TestAbout::window_showsWhoMakesTheProgramAndItsVersion()
{
    Fixture f;
    app::Window* window = f.show();
    QCOMPARE(window->objectName(), QStringLiteral("frmSobre"));
    QCOMPARE(window->windowTitle(), QStringLiteral("About Point of Sale"));
    QCOMPARE(window->minimumSize(), QSize(420, 300));
    QCOMPARE(window->maximumSize(), QSize(420, 300));

    QCOMPARE(f.control<QLabel>("lblCompany")->text(), QStringLiteral("Vantoral\u00AE"));
    QCOMPARE(f.control<QLabel>("lblVersion")->text(), QStringLiteral("Version 1.0.0"));
    QCOMPARE(f.control<QLabel>("lblPlatform")->text(), QStringLiteral("Windows 9x/ME"));
    QCOMPARE(f.control<QLabel>("lblWeb")->text(), QStringLiteral("www.vantoral.com"));
    QCOMPARE(f.control<QLabel>("lblMail")->text(), QStringLiteral("sales@vantoral.com"));
    const QString rights = f.control<QLabel>("lblRights")->text();
    QVERIFY2(rights.startsWith(QStringLiteral("Copyright \u00A9 Vantoral. All rights reserved.")), qPrintable(rights));
    QVERIFY2(rights.contains(QStringLiteral("protected")), qPrintable(rights));
    QCOMPARE(f.control<QLabel>("imgLogo")->pixmap().size(), QSize(96, 96));

    // Every control fits in the window and has a name a screen reader can say.
    const QList<QWidget*> controls = window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (const QWidget* control : controls) {
        QVERIFY2(window->rect().contains(control->geometry()), qPrintable(control->objectName()));
        if (control->objectName().startsWith(u"lin"))
            continue;
        QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(control->objectName()));
    }
    QCOMPARE(f.control<QPushButton>("cmdOK")->accessibleName(), QStringLiteral("OK"));
    QCOMPARE(f.base.ui.failures(), QString());
}

void TestAbout::version_isBuiltFromTheProgramsVersion()
{
    Fixture f;
    f.base.app.major = 2;
    f.base.app.minor = 10;
    f.base.app.revision = 3;
    f.show();
    QCOMPARE(f.control<QLabel>("lblVersion")->text(), QStringLiteral("Version 2.10.3"));
}

void TestAbout::values_readAsCaptionThenTheShownText_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shown");
    QTest::newRow("version") << "lblVersion" << "Version" << "Version 1.0.0";
    QTest::newRow("platform") << "lblPlatform" << "Platform" << "Windows 9x/ME";
}

void TestAbout::values_readAsCaptionThenTheShownText()
{
    QFETCH(QString, label);
    QFETCH(QString, caption);
    QFETCH(QString, shown);
    Fixture f;
    f.show();
    QLabel* value = f.control<QLabel>(qPrintable(label));
    QCOMPARE(value->text(), shown);
    QCOMPARE(testing::readAloud(value), std::pair(caption, shown));
}

void TestAbout::links_lookAndActLikeLinks()
{
    Fixture f;
    f.show();
    for (const char* name : {"lblWeb", "lblMail"}) {
        const QLabel* link = f.control<QLabel>(name);
        QVERIFY2(link->font().underline(), name);
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(link->focusPolicy(), Qt::StrongFocus);
    }
    // Only the left button and Enter or Space open them.
    QTest::mouseClick(f.control<QLabel>("lblWeb"), Qt::RightButton);
    QTest::keyClick(f.control<QLabel>("lblWeb"), Qt::Key_A);
    QTest::mouseClick(f.control<QLabel>("lblMail"), Qt::MiddleButton);
    QVERIFY(f.shell.opened.isEmpty());
}

void TestAbout::link_opensTheMakersAddress_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<How>("how");
    QTest::addColumn<QUrl>("opened");

    const QUrl web(QStringLiteral("http://www.vantoral.com"));
    const QUrl mail(QStringLiteral("mailto:sales@vantoral.com"));
    QTest::newRow("web page, click") << "lblWeb" << How::Click << web;
    QTest::newRow("web page, Enter") << "lblWeb" << How::Enter << web;
    QTest::newRow("web page, Space") << "lblWeb" << How::Space << web;
    QTest::newRow("e-mail, click") << "lblMail" << How::Click << mail;
    QTest::newRow("e-mail, Enter") << "lblMail" << How::Enter << mail;
}

void TestAbout::link_opensTheMakersAddress()
{
    QFETCH(QString, link);
    QFETCH(How, how);
    QFETCH(QUrl, opened);
    Fixture f;
    f.show();
    activate(f.control<QLabel>(link.toLatin1().constData()), how);
    QCOMPARE(f.shell.opened, QList<QUrl>{opened});
    QCOMPARE(f.shell.opened.front().toString(), opened.toString());
    QVERIFY(f.base.ui.boxes().empty());
}

void TestAbout::link_thatCannotOpenSaysWhy_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("message");
    QTest::newRow("web page") << "lblWeb"
                              << "The web page www.vantoral.com could not be opened. "
                                 "Please check that a web browser is installed.";
    QTest::newRow("e-mail") << "lblMail"
                            << "An e-mail to sales@vantoral.com could not be started. "
                               "Please check that an e-mail program is installed.";
}

void TestAbout::link_thatCannotOpenSaysWhy()
{
    QFETCH(QString, link);
    QFETCH(QString, message);
    Fixture f(false);
    app::Window* window = f.show();
    QTest::mouseClick(f.control<QLabel>(link.toLatin1().constData()), Qt::LeftButton);

    QCOMPARE(f.shell.opened.size(), 1);
    QCOMPARE(f.base.ui.boxes().size(), std::size_t(1));
    const testing::ShownBox& box = f.base.ui.boxes().front();
    QCOMPARE(box.text, message);
    QCOMPARE(box.title, QStringLiteral("Point of Sale"));
    QCOMPARE(box.icon, ui::Icon::Critical);
    QCOMPARE(box.buttons, ui::Buttons::Ok);
    QVERIFY(window->isVisible());
    QCOMPARE(f.base.ui.failures(), QString());
}

void TestAbout::okAndCloseButton_hideTheWindow()
{
    Fixture f;
    app::Window* window = f.show();
    QTest::mouseClick(f.control<QPushButton>("cmdOK"), Qt::LeftButton);
    QVERIFY(!window->isVisible());
    QCOMPARE(f.windows.find(QStringLiteral("frmSobre")), window);

    QCOMPARE(f.show(), window);
    QVERIFY(window->isVisible());
    QVERIFY(!window->close());
    QVERIFY(!window->isVisible());
    QCOMPARE(f.windows.find(QStringLiteral("frmSobre")), window);

    // Enter on OK, where the focus is when the window opens.
    f.show();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QCOMPARE(window->focusWidget(), f.control<QPushButton>("cmdOK"));
    QTest::keyClick(window->focusWidget(), Qt::Key_Return);
    QVERIFY(!window->isVisible());
}

QTEST_MAIN(TestAbout)
#include "test_about.moc"
