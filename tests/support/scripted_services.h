#pragma once

#include "ui/services.h"

#include <QHash>
#include <QQueue>
#include <QSize>
#include <QStringList>

#include <vector>

namespace testing {

// One box a screen showed.
struct ShownBox {
    enum class Kind { Message, Input };
    Kind kind = Kind::Message;
    QString text;        // the message, or the input box's prompt
    QString title;       // as the screen gave it
    QString shownTitle;  // as the box shows it: the program's title for an empty one
    ui::Icon icon = ui::Icon::None;
    ui::Buttons buttons = ui::Buttons::Ok;
    QString defaultText; // input boxes only
};

// The dialog double: records every box shown and answers from queues the test fills.
//
// A message box with only an OK button answers Ok, taking a queued Ok if one is next. A Yes/No
// box takes the next queued Yes or No. A Yes/No box or an input box with no answer queued is a box the test did not expect: it fails the running test
// (unless failOnUnexpected is off), is listed in failures(), and answers No or the empty text.
class ScriptedServices final : public ui::Services {
public:
    ScriptedServices() : m_screenSize(800, 600) {}

    void answerMessage(ui::Button answer) { m_messageAnswers.enqueue(answer); }
    void answerInput(const QString& answer) { m_inputAnswers.enqueue(answer); }
    // Drops the answers not asked for yet (a command that ended before its boxes).
    void dropAnswers()
    {
        m_messageAnswers.clear();
        m_inputAnswers.clear();
    }

    const std::vector<ShownBox>& boxes() const { return m_boxes; }
    // The texts of the boxes shown, in order.
    QStringList texts() const;
    void clearBoxes() { m_boxes.clear(); }

    // Everything that went against the script: boxes nobody answered, answers nobody asked for.
    // Empty when the script was followed: QCOMPARE(services.failures(), QString()).
    QString failures() const;
    void setFailOnUnexpected(bool fail) { m_failOnUnexpected = fail; }

    // The screen's size in logical units, and the desktop's scale (device pixels per unit).
    void setScreenSize(QSize size, qreal scale = 1.0)
    {
        m_screenSize = size;
        m_screenScale = scale;
    }
    bool busy() const { return m_busy; }
    bool ended() const { return m_ended; }

    ui::Button message(const QString& text, const QString& title, ui::Icon icon, ui::Buttons buttons) override;
    QString input(const QString& prompt, const QString& title, const QString& defaultText = {}) override;
    void setBusy(bool busy) override { m_busy = busy; }
    QSize screenSize() const override { return m_screenSize; }
    qreal screenScale() const override { return m_screenScale; }
    QSize screenPixels() const override
    {
        return QSize(qRound(m_screenSize.width() * m_screenScale), qRound(m_screenSize.height() * m_screenScale));
    }
    QString setting(const QString& app, const QString& section, const QString& key,
                    const QString& defaultValue) const override;
    void saveSetting(const QString& app, const QString& section, const QString& key,
                     const QString& value) override;
    void end() override { m_ended = true; }

private:
    void unexpected(const QString& what);

    std::vector<ShownBox> m_boxes;
    QQueue<ui::Button> m_messageAnswers;
    QQueue<QString> m_inputAnswers;
    QStringList m_unexpected;
    bool m_failOnUnexpected = true;
    QSize m_screenSize;
    qreal m_screenScale = 1.0;
    bool m_busy = false;
    bool m_ended = false;
    QHash<QString, QString> m_settings;
};

} // namespace testing
