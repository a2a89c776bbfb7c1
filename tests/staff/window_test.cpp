// The employee window: its controls, its digits-only boxes and its way back.
#include "staff_test.h"

using namespace stafftest;

void TestStaff::window_controls()
{
    StaffFixture t;
    t.add(kAnn);
    EmployeeWindow* w = t.open();
    QCOMPARE(w->windowTitle(),
        QStringLiteral("                                      ******WELCOME TO VANTORAL\u00ae EMPLOYEE SYSTEM******"));
    QCOMPARE(w->dbmMenu->title(), QStringLiteral("&Updade System"));
    QCOMPARE(w->dbmMenu->actions(), (QList<QAction*>{w->dbmHelp, w->dbmExit}));
    QCOMPARE(w->dbmHelp->text(), QStringLiteral("&Help"));
    QCOMPARE(w->dbmHelp->shortcut(), QKeySequence(Qt::Key_F1));
    QCOMPARE(w->dbmExit->text(), QStringLiteral("&Back to Main System"));
    QCOMPARE(w->dbmExit->shortcut(), QKeySequence(Qt::Key_F2));

    // Each box by its name, with the caption beside it.
    const std::pair<const char*, QString> captions[] = {{"dbcboProdCode", "SS#:"}, {"dbcboProdName", "Last Name:"},
        {"txtProdPrice", "First Name:"}, {"txtCategory", "Job Title:"}, {"txtQtyBought", "Salary:"}, {"Tempo", "Years in the Comp:"},
        {"totHoras", "Weekly Hours:"}, {"txtSupAddr", "Address:"}, {"txtSupPhone", "Phone#:"}, {"passeword", "Password:"},
        {"txtuso", "Select usage:"}, {"lblNome", "Name:"}};
    const QList<QLabel*> labels = w->findChildren<QLabel*>();
    for (const auto& [name, caption] : captions) {
        auto* box = w->findChild<QWidget*>(QString::fromLatin1(name));
        QVERIFY2(box, name);
        const auto beside = std::find_if(labels.begin(), labels.end(), [&](QLabel* l) { return l->text() == caption; });
        QVERIFY2(beside != labels.end(), name);
        QVERIFY2(box->accessibleName().startsWith(QString(caption).remove(u':')), name);
        QVERIFY2(std::abs((*beside)->geometry().center().y() - box->geometry().center().y()) < 30, name);
        QVERIFY2((*beside)->x() < box->x(), name);
    }
    QVERIFY(qobject_cast<ui::ValueLabel*>(w->lblNome));
    QCOMPARE(w->passeword->echoMode(), QLineEdit::Normal);

    const std::pair<QPushButton*, QString> buttons[] = {{w->cmdAddNewProd, "NEW EMPLOYEE"}, {w->cmdClearProd, "CLEAR SCREEN"},
        {w->cmdShowProd, "SHOW EMPLOYEE"}, {w->cmdProdUpd, "UPDATE EMPLOYEE"}, {w->cmdDelProd, "DELETE EMPLOYEE"}};
    for (const auto& [button, caption] : buttons) {
        QCOMPARE(button->text(), caption);
        QCOMPARE(button->isEnabled(), button != w->cmdProdUpd);
    }
    // SHOW and UPDATE side by side, CLEAR below them, NEW and DELETE side by side at the bottom.
    QCOMPARE(w->cmdShowProd->y(), w->cmdProdUpd->y());
    QVERIFY(w->cmdShowProd->x() < w->cmdProdUpd->x());
    QVERIFY(w->cmdClearProd->y() > w->cmdShowProd->y());
    QCOMPARE(w->cmdAddNewProd->y(), w->cmdDelProd->y());
    QVERIFY(w->cmdAddNewProd->y() > w->cmdClearProd->y());
    QVERIFY(w->cmdAddNewProd->x() < w->cmdDelProd->x());

    // The record sources and what the lists offer.
    QCOMPARE(w->datProdPrice->table().qName(), kEmployees);
    QCOMPARE(w->datPass->table().qName(), kEmployees);
    QCOMPARE(listOf(w->dbcboProdCode), QStringList{"111"});
    QCOMPARE(listOf(w->dbcboProdName), QStringList{"Lee"});
    QCOMPARE(listOf(w->txtuso), (QStringList{"A", "C", "E", "AC", "EC", "AE", "ACE"}));
    QCOMPARE(textsOf(w), QStringList(12, QString()));

    // Tab goes down the left column, the right column, then the buttons.
    // UPDATE EMPLOYEE is passed over while disabled.
    const QList<QWidget*> order{w->dbcboProdCode, w->dbcboProdName, w->txtProdPrice, w->txtCategory, w->txtQtyBought, w->Tempo,
        w->totHoras, w->txtSupAddr, w->txtSupPhone, w->passeword, w->txtuso, w->cmdAddNewProd, w->cmdClearProd, w->cmdShowProd,
        w->cmdDelProd};
    w->dbcboProdCode->setFocus();
    for (int i = 0; i < order.size(); ++i) {
        QWidget* focus = QApplication::focusWidget();
        QVERIFY2(focused(order[i]), qPrintable(QStringLiteral("%1: %2").arg(i).arg(focus ? focus->objectName() : QStringLiteral("none"))));
        QTest::keyClick(focus, Qt::Key_Tab);
    }

    QVERIFY(w->width() <= 800 && w->height() <= 600);
    QCOMPARE(w->minimumSize(), w->maximumSize());
}

void TestStaff::window_digitsOnlyBoxes_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("digitsOnly");
    for (const char* name : {"dbcboProdCode", "txtQtyBought", "Tempo", "totHoras"})
        QTest::newRow(name) << name << true;
    for (const char* name : {"dbcboProdName", "txtProdPrice", "txtSupPhone", "passeword"})
        QTest::newRow(name) << name << false;
}

void TestStaff::window_digitsOnlyBoxes()
{
    QFETCH(QString, box);
    QFETCH(bool, digitsOnly);
    StaffFixture t;
    EmployeeWindow* w = t.open();
    auto* control = w->findChild<QWidget*>(box);
    type(control, QStringLiteral("1a2-3 4"));
    QCOMPARE(textOf(control), digitsOnly ? QStringLiteral("1234") : QStringLiteral("1a2-3 4"));
}

void TestStaff::window_backToMain_data()
{
    QTest::addColumn<int>("way");
    QTest::newRow("&Back to Main System") << 0;
    QTest::newRow("F2") << 1;
    QTest::newRow("close button") << 2;
}

void TestStaff::window_backToMain()
{
    QFETCH(int, way);
    StaffFixture t;
    EmployeeWindow* w = t.open();
    QVERIFY(!t.shown(QStringLiteral("frmMain")));
    if (way == 0)
        w->dbmExit->trigger();
    else if (way == 1)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F2);
    else
        w->close();
    QVERIFY(t.shown(QStringLiteral("frmMain")));
    QVERIFY(!t.windows.isLoaded(QString::fromLatin1(EmployeeWindow::kName)));
}

void TestStaff::window_help_data()
{
    QTest::addColumn<bool>("byKey");
    QTest::newRow("&Help") << false;
    QTest::newRow("F1") << true;
}

// Help opens the help file over the window, which stays.
void TestStaff::window_help()
{
    QFETCH(bool, byKey);
    StaffFixture t;
    QTemporaryDir programFolder;
    t.app.path = programFolder.path();
    QFile chm(QDir(programFolder.path()).filePath(QStringLiteral("Sistema.chm")));
    QVERIFY(chm.open(QIODevice::WriteOnly));
    chm.write("ITSF");
    chm.close();
    EmployeeWindow* w = t.open();
    if (byKey)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    else
        w->dbmHelp->trigger();
    QVERIFY(t.ui.boxes().empty());
    QVERIFY(!t.helpViewer().shown.empty());
    QCOMPARE(t.helpViewer().shown.back().path, chm.fileName());
    QVERIFY(t.shown(QString::fromLatin1(EmployeeWindow::kName)));
}
