#include "ui_test.h"

#include "support/scripted_services.h"

#include <QTest>

using testing::ScriptedServices;
using testing::ShownBox;

void UiTest::scriptedServices_recordsBoxesAndAnswersFromQueue()
{
    ScriptedServices services;
    services.answerMessage(ui::Button::Yes);
    services.answerInput(QStringLiteral("3"));

    // The OK box leaves the queued Yes to the Yes/No box after it.
    QCOMPARE(services.message("Saved", "", ui::Icon::Information, ui::Buttons::Ok), ui::Button::Ok);
    QCOMPARE(services.message("Cancel the sale?", "Cancel", ui::Icon::Question, ui::Buttons::YesNo), ui::Button::Yes);
    QCOMPARE(services.input("How many?", "", "1"), QStringLiteral("3"));

    QCOMPARE(services.boxes().size(), std::size_t(3));
    const ShownBox& question = services.boxes()[1];
    QCOMPARE(question.kind, ShownBox::Kind::Message);
    QCOMPARE(question.text, QStringLiteral("Cancel the sale?"));
    QCOMPARE(question.title, QStringLiteral("Cancel"));
    QCOMPARE(question.icon, ui::Icon::Question);
    QCOMPARE(question.buttons, ui::Buttons::YesNo);
    const ShownBox& input = services.boxes()[2];
    QCOMPARE(input.kind, ShownBox::Kind::Input);
    QCOMPARE(input.title, QString());
    QCOMPARE(input.shownTitle, QStringLiteral("Point of Sale"));
    QCOMPARE(input.defaultText, QStringLiteral("1"));
    QCOMPARE(services.failures(), QString());
}

void UiTest::scriptedServices_reportsUnexpectedBoxesAndUnusedAnswers()
{
    ScriptedServices services;
    services.setFailOnUnexpected(false);
    QCOMPARE(services.message("Delete it?", "", ui::Icon::Question, ui::Buttons::YesNo), ui::Button::No);
    QCOMPARE(services.input("Code?", "", ""), QString());
    services.answerInput(QStringLiteral("never asked"));

    const QString failures = services.failures();
    QVERIFY2(failures.contains(u"Delete it?"), qPrintable(failures));
    QVERIFY2(failures.contains(u"Code?"), qPrintable(failures));
    QVERIFY2(failures.contains(u"never asked"), qPrintable(failures));
}
