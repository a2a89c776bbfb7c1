#include "ui_test.h"

#include "support/read_aloud.h"
#include "ui/captions.h"
#include "ui/named.h"
#include "ui/value_label.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QLabel>
#include <QScopeGuard>
#include <QTest>

#include <utility>

using testing::readAloud;

namespace {

// The ways a window changes what a value label shows.
enum class Change { SetText, Clear, WholeNumber, Number, TextProperty, SlotByName };

// What assistive technology is told of one label: each event's kind and, as the event goes out,
// the description it would read.
struct Heard {
    static inline QObject* label = nullptr;
    static inline QList<std::pair<QAccessible::Event, QString>> events;

    static void handle(QAccessibleEvent* event)
    {
        if (event->object() == label)
            events.append({event->type(), event->accessibleInterface()->text(QAccessible::Description)});
    }

    // The description changes heard since the last call.
    static QStringList descriptionChanges()
    {
        QStringList changes;
        for (const auto& [type, description] : std::as_const(events)) {
            if (type == QAccessible::DescriptionChanged)
                changes.append(description);
        }
        events.clear();
        return changes;
    }
};

} // namespace

Q_DECLARE_METATYPE(Change)

void UiTest::valueLabel_readsAsItsCaptionThenTheShownText_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<QVariant>("argument");
    QTest::addColumn<QString>("shown");
    QTest::newRow("an amount") << Change::SetText << QVariant(QStringLiteral(" $4.25")) << " $4.25";
    QTest::newRow("an empty text") << Change::SetText << QVariant(QString()) << "";
    QTest::newRow("cleared") << Change::Clear << QVariant() << "";
    QTest::newRow("a whole number") << Change::WholeNumber << QVariant(3) << "3";
    QTest::newRow("a number") << Change::Number << QVariant(2.5) << "2.5";
    QTest::newRow("the text property") << Change::TextProperty << QVariant(QStringLiteral("Version 1.0.0")) << "Version 1.0.0";
    QTest::newRow("the slot called by name") << Change::SlotByName << QVariant(QStringLiteral(" 3 items sold")) << " 3 items sold";
    QTest::newRow("text that looks like markup") << Change::SetText << QVariant(QStringLiteral("<b>Fish</b> & Chips")) << "<b>Fish</b> & Chips";
}

void UiTest::valueLabel_readsAsItsCaptionThenTheShownText()
{
    QFETCH(Change, change);
    QFETCH(QVariant, argument);
    QFETCH(QString, shown);
    QWidget window;
    auto* caption = new QLabel(QStringLiteral("&Subtotal"), &window);
    auto* amount = ui::makeNamed<ui::ValueLabel>(QStringLiteral("lblSubtotal"), &window);
    ui::setCaption(caption, amount);
    amount->setText(QStringLiteral(" $0.00"));
    QCOMPARE(readAloud(amount), std::pair(QStringLiteral("Subtotal"), QStringLiteral(" $0.00")));

    switch (change) {
    case Change::SetText:
        amount->setText(argument.toString());
        break;
    case Change::Clear:
        amount->clear();
        break;
    case Change::WholeNumber:
        amount->setNum(argument.toInt());
        break;
    case Change::Number:
        amount->setNum(argument.toDouble());
        break;
    case Change::TextProperty:
        QVERIFY(amount->setProperty("text", argument));
        break;
    case Change::SlotByName:
        QVERIFY(QMetaObject::invokeMethod(amount, "setText", Q_ARG(QString, argument.toString())));
        break;
    }

    QCOMPARE(amount->text(), shown);
    QCOMPARE(readAloud(amount), std::pair(QStringLiteral("Subtotal"), shown));
}

void UiTest::valueLabel_madeWithItsCaption()
{
    QWidget window;
    auto* action = ui::makeNamed<ui::ValueLabel>(QStringLiteral("lblProductDescription"), QStringLiteral("Last action"),
        QStringLiteral("  ABC Milk 2 X $3.00"), &window);
    QCOMPARE(action->text(), QStringLiteral("  ABC Milk 2 X $3.00"));
    QCOMPARE(readAloud(action), std::pair(QStringLiteral("Last action"), QStringLiteral("  ABC Milk 2 X $3.00")));
    action->setText(QStringLiteral("-  ABC Milk 2 X $3.00"));
    QCOMPARE(readAloud(action), std::pair(QStringLiteral("Last action"), QStringLiteral("-  ABC Milk 2 X $3.00")));
}

void UiTest::valueLabel_announcesEachChange()
{
    // Qt hands events on only while assistive technology listens: on X11 once the accessibility
    // bus answers (with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 when no screen reader runs), never on
    // the offscreen platform.
    const bool listening = QAccessible::isActive()
        || (QGuiApplication::platformName() != u"offscreen" && QTest::qWaitFor([] { return QAccessible::isActive(); }, 2000));
    if (!listening)
        QSKIP("no assistive technology is listening on this platform");
    ui::ValueLabel change(QStringLiteral("Change:"), QStringLiteral(" $0.00"));
    Heard::label = &change;
    Heard::events.clear();
    const QAccessible::UpdateHandler before = QAccessible::installUpdateHandler(&Heard::handle);
    const auto restore = qScopeGuard([&] {
        QAccessible::installUpdateHandler(before);
        Heard::label = nullptr;
    });

    change.setText(QStringLiteral(" $0.50"));
    QCOMPARE(Heard::descriptionChanges(), QStringList{QStringLiteral(" $0.50")});
    change.setText(QStringLiteral(" $0.50"));
    QCOMPARE(Heard::descriptionChanges(), QStringList());
    change.clear();
    QCOMPARE(Heard::descriptionChanges(), QStringList{QString()});
    QCOMPARE(readAloud(&change), std::pair(QStringLiteral("Change:"), QString()));
}
