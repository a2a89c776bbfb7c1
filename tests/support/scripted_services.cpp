#include "support/scripted_services.h"

#include <QTest>

namespace testing {
namespace {

QString settingKey(const QString& app, const QString& section, const QString& key)
{
    return app + u'\x1f' + section + u'\x1f' + key;
}

} // namespace

QStringList ScriptedServices::texts() const
{
    QStringList texts;
    for (const ShownBox& box : m_boxes)
        texts.append(box.text);
    return texts;
}

QString ScriptedServices::failures() const
{
    QStringList all = m_unexpected;
    for (const ui::Button answer : m_messageAnswers)
        all.append(QStringLiteral("message answer %1 was never asked for").arg(int(answer)));
    for (const QString& answer : m_inputAnswers)
        all.append(QStringLiteral("input answer \"%1\" was never asked for").arg(answer));
    return all.join(u'\n');
}

void ScriptedServices::unexpected(const QString& what)
{
    m_unexpected.append(what);
    if (m_failOnUnexpected)
        QTest::qFail(qPrintable(what), __FILE__, __LINE__);
}

ui::Button ScriptedServices::message(const QString& text, const QString& title, ui::Icon icon, ui::Buttons buttons)
{
    m_boxes.push_back({ShownBox::Kind::Message, text, title, ui::shownTitle(title), icon, buttons, {}});
    const bool queued = !m_messageAnswers.isEmpty();
    if (buttons == ui::Buttons::Ok) {
        // An OK box can only answer Ok; it takes a queued Ok but leaves a queued Yes or No to
        // the Yes/No box it was meant for.
        if (queued && m_messageAnswers.head() == ui::Button::Ok)
            m_messageAnswers.dequeue();
        return ui::Button::Ok;
    }
    if (!queued) {
        unexpected(QStringLiteral("unexpected Yes/No box: \"%1\"").arg(text));
        return ui::Button::No;
    }
    const ui::Button answer = m_messageAnswers.dequeue();
    if (answer == ui::Button::Ok) {
        unexpected(QStringLiteral("Ok queued for the Yes/No box \"%1\"").arg(text));
        return ui::Button::No;
    }
    return answer;
}

QString ScriptedServices::input(const QString& prompt, const QString& title, const QString& defaultText)
{
    m_boxes.push_back({ShownBox::Kind::Input, prompt, title, ui::shownTitle(title), ui::Icon::None, ui::Buttons::Ok, defaultText});
    if (!m_inputAnswers.isEmpty())
        return m_inputAnswers.dequeue();
    unexpected(QStringLiteral("unexpected input box: \"%1\"").arg(prompt));
    return {};
}

QString ScriptedServices::setting(const QString& app, const QString& section, const QString& key,
                                  const QString& defaultValue) const
{
    return m_settings.value(settingKey(app, section, key), defaultValue);
}

void ScriptedServices::saveSetting(const QString& app, const QString& section, const QString& key,
                                   const QString& value)
{
    m_settings.insert(settingKey(app, section, key), value);
}

} // namespace testing
