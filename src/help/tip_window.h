#pragma once

#include "app/window.h"
#include "ui/value_label.h"

#include <QRandomGenerator>
#include <QStringList>

class QCheckBox;
class QLabel;
class QPushButton;

namespace help {

// frmTip: a tip of the day, drawn at random from the tip file in the program's folder, shown
// over the main menu at every start.
class TipWindow : public app::Window {
    Q_OBJECT
public:
    static constexpr const char* kName = "frmTip";
    static constexpr const char* kTipFile = "TIPOFDAY.TXT";

    explicit TipWindow(app::Context& context);

    void load() override;
    void closeRequested() override;

    // Fills the tip list from the file and shows a first tip; false when there is no such file.
    bool LoadTips(const QString& fileName);
    void ShowRandomTip();
    void DisplayCurrentTip();

    const QStringList& tips() const { return m_tips; }
    int currentTip() const { return m_currentTip; }

    QLabel* Label2;
    QLabel* Picture1;
    QLabel* Label1;
    ui::ValueLabel* lblTipText;
    QCheckBox* chkLoadTipsAtStartup;
    QPushButton* cmdNextTip;
    QPushButton* cmdOK;

    // The lines of a tip file: UTF-8 when the bytes are valid UTF-8, else the Windows-1252 code
    // page of the store's computers. Lines end with CR LF (a lone LF is taken too); every line
    // is one entry, an empty one included.
    static QStringList readTipLines(const QByteArray& bytes);

private:
    void cmdNextTip_Click();
    void cmdOK_Click();
    void chkLoadTipsAtStartup_Click();

    QStringList m_tips;
    int m_currentTip = 0;
    QRandomGenerator m_random;
};

} // namespace help
