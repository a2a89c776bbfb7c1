#include "help/tip_window.h"

#include "app/app_info.h"
#include "app/clock.h"
#include "app/context.h"
#include "app/window_manager.h"
#include "ui/artwork.h"
#include "ui/captions.h"
#include "ui/fonts.h"
#include "ui/named.h"
#include "ui/services.h"
#include "ui/value_label.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLoggingCategory>
#include <QPushButton>
#include <QStringDecoder>
#include <QVBoxLayout>

namespace help {
namespace {

// Which tip file was read and which tip is shown, for finding out where a program looks for its
// files: QT_LOGGING_RULES="pos.tips.debug=true" writes them to standard error.
Q_LOGGING_CATEGORY(lcTips, "pos.tips", QtInfoMsg)

// Windows-1252 differs from Latin-1 only in 0x80..0x9F.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,
};

QString fromCp1252(const QByteArray& bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        out += (byte >= 0x80 && byte < 0xA0) ? QChar(kCp1252High[byte - 0x80]) : QChar(char16_t(byte));
    }
    return out;
}

} // namespace

QStringList TipWindow::readTipLines(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes);
    if (utf8.hasError())
        text = fromCp1252(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (text.isEmpty())
        return {};
    // The last line's end does not start another line.
    if (text.endsWith(u'\n'))
        text.chop(1);
    return text.split(u'\n');
}

TipWindow::TipWindow(app::Context& context) : app::Window(context, QString::fromLatin1(kName))
{
    setWindowTitle(QStringLiteral("Tip of The Day"));

    Picture1 = ui::makeNamed<QLabel>(QStringLiteral("Picture1"), this);
    Picture1->setPixmap(ui::artwork(u"logo.png").scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    Picture1->setAccessibleName(QStringLiteral("Tip of the day picture"));
    Label2 = ui::makeNamed<QLabel>(QStringLiteral("Label2"), QStringLiteral("Tip of the day"), this);
    Label2->setFont(ui::headingFont(Label2->font(), 16));
    Label2->setStyleSheet(QStringLiteral("color: #2e7d32;"));
    Label1 = ui::makeNamed<QLabel>(QStringLiteral("Label1"), QStringLiteral("Did you know..."), this);
    Label1->setFont(ui::boldFont(Label1->font()));
    lblTipText = ui::makeNamed<ui::ValueLabel>(QStringLiteral("lblTipText"), QStringLiteral("Tip"), QString(), this);
    lblTipText->setWordWrap(true);
    lblTipText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblTipText->setMinimumSize(380, 120);
    auto* tipPanel = ui::makeNamed<QWidget>(QStringLiteral("tipPanel"), this);
    tipPanel->setStyleSheet(QStringLiteral("QWidget#tipPanel { background: white; border: 1px solid #a5c8a7; }"));
    auto* tipLayout = new QVBoxLayout(tipPanel);
    tipLayout->addWidget(Label1);
    tipLayout->addWidget(lblTipText, 1);

    chkLoadTipsAtStartup = ui::makeNamed<QCheckBox>(QStringLiteral("chkLoadTipsAtStartup"), QStringLiteral("&Show at Start up"), this);
    cmdNextTip = ui::makeNamed<QPushButton>(QStringLiteral("cmdNextTip"), QStringLiteral("&Next Tip"), this);
    cmdOK = ui::makeNamed<QPushButton>(QStringLiteral("cmdOK"), QStringLiteral("OK"), this);
    cmdOK->setDefault(true);

    auto* top = new QHBoxLayout;
    top->addWidget(Picture1);
    top->addWidget(Label2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(chkLoadTipsAtStartup);
    buttons->addStretch();
    buttons->addWidget(cmdNextTip);
    buttons->addWidget(cmdOK);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 14, 18, 14);
    layout->addLayout(top);
    layout->addWidget(tipPanel, 1);
    layout->addLayout(buttons);

    connect(cmdNextTip, &QPushButton::clicked, this, &TipWindow::cmdNextTip_Click);
    connect(cmdOK, &QPushButton::clicked, this, &TipWindow::cmdOK_Click);
    connect(chkLoadTipsAtStartup, &QCheckBox::clicked, this, &TipWindow::chkLoadTipsAtStartup_Click);
    ui::nameControls(this);
    fixSize();
}

void TipWindow::load()
{
    chkLoadTipsAtStartup->setChecked(true);
    const app::Clock& clock = context().clock;
    m_random.seed(quint32(QDateTime(clock.today(), clock.now()).toMSecsSinceEpoch()));
    const QString tipFile = QString::fromLatin1(kTipFile);
    const QString path = QDir(context().app.path).filePath(tipFile);
    if (!LoadTips(path)) {
        qCDebug(lcTips, "no tip file at %ls", qUtf16Printable(QDir::toNativeSeparators(path)));
        lblTipText->setText(QStringLiteral("That the ") + tipFile + QStringLiteral(" file was not found? ") + QStringLiteral("\r\n\r\n")
            + QStringLiteral("Create a text file named ") + tipFile + QStringLiteral(" using NotePad with 1 tip per line. ")
            + QStringLiteral("Then place it in the same directory as the application. "));
    }
    centreOnScreen();
}

bool TipWindow::LoadTips(const QString& fileName)
{
    if (fileName.isEmpty() || !QFileInfo(fileName).isFile())
        return false;
    QFile file(fileName);
    // A tip file that is there but cannot be read gives no tips: the box stays blank.
    if (file.open(QIODevice::ReadOnly))
        m_tips += readTipLines(file.readAll());
    qCDebug(lcTips, "%lld tips read from %ls", static_cast<long long>(m_tips.size()), qUtf16Printable(QDir::toNativeSeparators(fileName)));
    ShowRandomTip();
    return true;
}

void TipWindow::ShowRandomTip()
{
    const double r = m_random.generateDouble(); // 0 <= r < 1
    m_currentTip = int(r * double(m_tips.size())) + 1;
    DisplayCurrentTip();
}

void TipWindow::DisplayCurrentTip()
{
    if (!m_tips.isEmpty()) {
        lblTipText->setText(m_tips.at(m_currentTip - 1));
        qCDebug(lcTips, "tip shown: %ls", qUtf16Printable(m_tips.at(m_currentTip - 1)));
    }
}

void TipWindow::cmdNextTip_Click()
{
    ShowRandomTip();
}

void TipWindow::cmdOK_Click()
{
    context().windows.unload(objectName());
}

void TipWindow::closeRequested()
{
    cmdOK_Click();
}

void TipWindow::chkLoadTipsAtStartup_Click()
{
    context().ui.saveSetting(context().app.exeName, QStringLiteral("Options"), QStringLiteral("Show Tips at Startup"),
        QString::number(chkLoadTipsAtStartup->isChecked() ? 1 : 0));
}

} // namespace help
