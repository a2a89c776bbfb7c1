#include "catalogue_test.h"

#include "support/read_aloud.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace cataloguetest;

// ---------------------------------------------------------------------------------------------
// The products menu and the way through the area

void TestCatalogue::menu_controls()
{
    CatalogueFixture t;
    auto* w = t.open<ProductsMenuWindow>();
    QCOMPARE(w->windowTitle(), QStringLiteral("            ************  WELCOME TO VANTORAL\u00ae POINT OF SALE SYSTEM  ************"));
    const std::pair<QPushButton*, QString> buttons[] = {
        {w->cmdupdateProd, "ADD NEW PRODUCTS "}, {w->cmdUpdateCancel, "UPDATE / RETURN PRODUCTS"}, {w->cmdExit, "BACK TO MAIN"}};
    for (const auto& [button, caption] : buttons) {
        QCOMPARE(button->text(), caption);
        QCOMPARE(w->findChild<QPushButton*>(button->objectName()), button);
        QVERIFY(button->isEnabled());
        QVERIFY(!button->accessibleName().isEmpty());
    }
    QCOMPARE(w->findChild<QMenu*>(QStringLiteral("myMenu")), w->myMenu);
    QCOMPARE(w->myMenu->title(), QStringLiteral("."));
    QVERIFY(w->myMenu->actions().isEmpty());
    QVERIFY(w->menuBar->actions().contains(w->myMenu->menuAction()));
    QVERIFY(w->findChild<QWidget*>(QStringLiteral("Frame1")));
    QVERIFY(!w->findChild<QLabel*>(QStringLiteral("Image1"))->pixmap().isNull());
}

void TestCatalogue::menu_openedByTheProductsGate()
{
    CatalogueFixture t;
    auto* menu = static_cast<startup::MainWindow*>(t.windows.show(QStringLiteral("frmMain")));
    click(menu->cmdUpdDb);
    auto* gate = static_cast<access_control::PasswordGate*>(t.shown(QStringLiteral("frmPassUpd")));
    QVERIFY(gate);
    QTest::keyClicks(gate->txtPass, "PLINTH");
    click(gate->cmdEnter);

    QVERIFY(t.shown(QStringLiteral("updateProdutos")));
    QVERIFY(!menu->isVisible());
    QVERIFY(!t.windows.isLoaded(QStringLiteral("frmPassUpd")));
    QVERIFY(t.ui.boxes().empty());
}

void TestCatalogue::menu_buttons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("target");
    QTest::newRow("ADD NEW PRODUCTS ") << "cmdupdateProd" << "frmUpdate";
    QTest::newRow("UPDATE / RETURN PRODUCTS") << "cmdUpdateCancel" << "frmProdutosCancelados";
}

// A maintenance window opens over the hidden menu; left, it brings the menu back and is gone, so
// the next opening is a fresh window.
void TestCatalogue::menu_buttons()
{
    QFETCH(QString, button);
    QFETCH(QString, target);
    CatalogueFixture t;
    t.catalogue();
    t.windows.show(QStringLiteral("frmMain"));
    auto* menu = t.open<ProductsMenuWindow>();
    t.windows.hide(QStringLiteral("frmMain"));

    click(menu->findChild<QPushButton*>(button));
    QWidget* opened = t.active(target);
    QVERIFY(opened);
    QVERIFY(!menu->isVisible());
    QVERIFY(t.windows.isLoaded(QStringLiteral("updateProdutos")));
    QVERIFY(!t.shown(QStringLiteral("frmMain")));

    type(opened->findChild<QComboBox*>(QStringLiteral("dbcboProdCode")), QStringLiteral("ABC"));
    press(opened, Qt::Key_F2);
    QVERIFY(!t.windows.isLoaded(target));
    QCOMPARE(t.shown(QStringLiteral("updateProdutos")), menu);
    QVERIFY(!t.shown(QStringLiteral("frmMain")));

    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    click(menu->findChild<QPushButton*>(button));
    QWidget* again = t.shown(target);
    QVERIFY(again);
    QCOMPARE(again->findChild<QComboBox*>(QStringLiteral("dbcboProdCode"))->currentText(), QString());
    QVERIFY(t.ui.boxes().empty());
}

void TestCatalogue::menu_backToMain_data()
{
    QTest::addColumn<bool>("closeButton");
    QTest::newRow("BACK TO MAIN") << false;
    QTest::newRow("the close button") << true;
}

void TestCatalogue::menu_backToMain()
{
    QFETCH(bool, closeButton);
    CatalogueFixture t;
    t.windows.show(QStringLiteral("frmMain"));
    t.windows.hide(QStringLiteral("frmMain"));
    auto* menu = t.open<ProductsMenuWindow>();
    if (closeButton)
        menu->close();
    else
        click(menu->cmdExit);
    QVERIFY(t.shown(QStringLiteral("frmMain")));
    QVERIFY(!t.windows.isLoaded(QStringLiteral("updateProdutos")));
}

void TestCatalogue::windows_fitTheScreenAndKeepTheirSize_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("updateProdutos") << "updateProdutos";
    QTest::newRow("frmUpdate") << "frmUpdate";
    QTest::newRow("frmProdutosCancelados") << "frmProdutosCancelados";
}

void TestCatalogue::windows_fitTheScreenAndKeepTheirSize()
{
    QFETCH(QString, name);
    CatalogueFixture t;
    QWidget* w = t.windows.show(name);
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QCOMPARE(w->minimumSize(), w->maximumSize());
    const QRect screen(0, 0, 800, 600);
    QVERIFY2(screen.contains(w->frameGeometry()), qPrintable(QStringLiteral("%1 x %2 at %3, %4")
                                                                 .arg(w->frameGeometry().width())
                                                                 .arg(w->frameGeometry().height())
                                                                 .arg(w->x())
                                                                 .arg(w->y())));
    // Every control lies inside its window, none over another.
    const QList<QWidget*> controls = w->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    QList<QRect> placed;
    for (QWidget* control : controls) {
        if (!control->isVisible() || qobject_cast<QMenuBar*>(control))
            continue;
        QVERIFY2(w->rect().contains(control->geometry()), qPrintable(control->objectName()));
        for (const QRect& other : placed)
            QVERIFY2(!other.intersects(control->geometry()), qPrintable(control->objectName()));
        placed << control->geometry();
    }
}

void TestCatalogue::windows_return_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("how"); // a key, a button or menu entry by name, or "close"
    QTest::newRow("frmUpdate, F2") << "frmUpdate" << "F2";
    QTest::newRow("frmUpdate, &Return") << "frmUpdate" << "dbmExit";
    QTest::newRow("frmUpdate, the close button") << "frmUpdate" << "close";
    QTest::newRow("frmProdutosCancelados, F2") << "frmProdutosCancelados" << "F2";
    QTest::newRow("frmProdutosCancelados, Return") << "frmProdutosCancelados" << "rturn";
    QTest::newRow("frmProdutosCancelados, &RETURN") << "frmProdutosCancelados" << "cmdSair";
    QTest::newRow("frmProdutosCancelados, the close button") << "frmProdutosCancelados" << "close";
}

// Every way out of a maintenance window goes back to the products menu and unloads the window.
void TestCatalogue::windows_return()
{
    QFETCH(QString, name);
    QFETCH(QString, how);
    CatalogueFixture t;
    t.open<ProductsMenuWindow>();
    t.windows.hide(QStringLiteral("updateProdutos"));
    QWidget* w = t.windows.show(name);
    QVERIFY(QTest::qWaitForWindowActive(w));
    if (how == u"F2")
        press(w, Qt::Key_F2);
    else if (how == u"close")
        w->close();
    else if (auto* action = w->findChild<QAction*>(how))
        action->trigger();
    else
        click(w->findChild<QPushButton*>(how));
    QVERIFY(t.shown(QStringLiteral("updateProdutos")));
    QVERIFY(!t.windows.isLoaded(name));
    QVERIFY(t.ui.boxes().empty());
}

void TestCatalogue::windows_help_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("ways"); // keys, or help buttons and menu entries by name
    QTest::newRow("frmUpdate: F1, then &Help") << "frmUpdate" << QStringList{"F1", "dbmHelp"};
    QTest::newRow("frmProdutosCancelados: F1, then &HELP") << "frmProdutosCancelados" << QStringList{"F1", "cmdajuda"};
    QTest::newRow("frmProdutosCancelados: &HELP, then Help") << "frmProdutosCancelados" << QStringList{"cmdajuda", "hlp"};
}

// Help opens the help file's contents each time, and the window stays.
void TestCatalogue::windows_help()
{
    QFETCH(QString, name);
    QFETCH(QStringList, ways);
    CatalogueFixture t;
    QTemporaryDir programFolder;
    t.app.path = programFolder.path();
    QFile chm(QDir(programFolder.path()).filePath(QStringLiteral("Sistema.chm")));
    QVERIFY(chm.open(QIODevice::WriteOnly));
    chm.write("ITSF");
    chm.close();
    QWidget* w = t.windows.show(name);
    QVERIFY(QTest::qWaitForWindowActive(w));
    for (const QString& way : ways) {
        if (way == u"F1")
            press(w, Qt::Key_F1);
        else if (auto* action = w->findChild<QAction*>(way))
            action->trigger();
        else
            click(w->findChild<QPushButton*>(way));
    }
    QVERIFY(t.ui.boxes().empty());
    QCOMPARE(t.helpViewer().shown.size(), std::size_t(2));
    QCOMPARE(t.helpViewer().shown[1].path, chm.fileName());
    QVERIFY(t.windows.isLoaded(name));
}

void TestCatalogue::valueLabels_readAsCaptionThenTheShownText_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("onHandCaption");
    QTest::addColumn<QString>("soldCaption");
    QTest::newRow("frmUpdate") << "frmUpdate" << "Quanitity on Hand:" << "Quantity Sold:";
    QTest::newRow("frmProdutosCancelados") << "frmProdutosCancelados" << "Quantity On Hand:" << "Quantity Sold:";
}

// The quantities a shown product has are read as their captions, then the numbers shown; once
// cleared, as their captions and nothing more.
void TestCatalogue::valueLabels_readAsCaptionThenTheShownText()
{
    QFETCH(QString, name);
    QFETCH(QString, onHandCaption);
    QFETCH(QString, soldCaption);
    CatalogueFixture t;
    t.catalogue();
    QWidget* w = t.windows.show(name);
    type(w->findChild<QComboBox*>(QStringLiteral("dbcboProdName")), QStringLiteral("Bread"));
    click(w->findChild<QPushButton*>(QStringLiteral("cmdShowProd")));
    auto* onHand = w->findChild<ui::ValueLabel*>(QStringLiteral("lblQOnHand"));
    auto* sold = w->findChild<ui::ValueLabel*>(QStringLiteral("lblQSold"));
    QVERIFY(onHand && sold);
    QCOMPARE(testing::readAloud(onHand), std::pair(onHandCaption, QStringLiteral("5")));
    QCOMPARE(testing::readAloud(sold), std::pair(soldCaption, QStringLiteral("2")));

    click(w->findChild<QPushButton*>(QStringLiteral("cmdClearProd")));
    QCOMPARE(testing::readAloud(onHand), std::pair(onHandCaption, QString()));
    QCOMPARE(testing::readAloud(sold), std::pair(soldCaption, QString()));
}
