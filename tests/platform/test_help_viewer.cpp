#include "platform/chm_help_viewer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QPointer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTreeWidget>

#include <functional>

using platform::ChmFile;
using platform::ChmTopic;
using Command = platform::HelpViewer::Command;

namespace {

// The help file the program ships, and a small one whose #SYSTEM names neither a title nor a
// table of contents, with its pages in folders.
const QString kHelpFile = QStringLiteral(POS_HELP_FILE);
const QString kFixture = QStringLiteral(POS_CHM_FIXTURE);

// "First=a.htm(Second=b.htm), Third=c.htm": the topics in order, children in brackets.
QString outline(const std::vector<ChmTopic>& topics)
{
    QStringList parts;
    for (const ChmTopic& topic : topics) {
        QString part = topic.name + u'=' + topic.local;
        if (!topic.children.empty())
            part += u'(' + outline(topic.children) + u')';
        parts.append(part);
    }
    return parts.join(QStringLiteral(", "));
}

void forEachTopic(const std::vector<ChmTopic>& topics, const std::function<void(const ChmTopic&)>& visit)
{
    for (const ChmTopic& topic : topics) {
        visit(topic);
        forEachTopic(topic.children, visit);
    }
}

QTreeWidgetItem* findItem(QTreeWidget* tree, const QString& text)
{
    const QList<QTreeWidgetItem*> found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

int openFileCount() { return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size()); }

} // namespace

class TestHelpViewer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup();

    void parseSitemap_data();
    void parseSitemap();
    void popupTopicText_data();
    void popupTopicText();

    void shippedFile_contentsListThePages();
    void shippedFile_everyPageIsInsideAndRenders();
    void shippedFile_holdsThePopUpText();

    void window_opensOnTheFirstEntry();
    void clickingAnEntry_showsItsPage();
    void clickingALink_followsItInsideTheFile();
    void fileWithoutSystemEntries_findsItsContentsAndUsesItsName();
    void unopenableFile_returnsNullAndShowsNothing_data();
    void unopenableFile_returnsNullAndShowsNothing();
    void owner_data();
    void owner();
    void sameFileAgain_raisesItsOpenWindow();
    void closingTheWindow_closesTheFile();
    void closeAll_closesEveryWindow();
    void topicAndKeyword_data();
    void topicAndKeyword();
};

void TestHelpViewer::cleanup()
{
    QList<QPointer<QWidget>> windows;
    for (QWidget* window : QApplication::topLevelWidgets())
        windows.append(window);
    for (const QPointer<QWidget>& window : windows) {
        if (window && !window->parentWidget())
            delete window.data();
    }
}

void TestHelpViewer::parseSitemap_data()
{
    QTest::addColumn<QByteArray>("sitemap");
    QTest::addColumn<QString>("expected");

    QTest::newRow("nested lists, then a sibling")
        << QByteArray("<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"A\"><param name=\"Local\" value=\"a.htm\"></OBJECT>"
                      "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"B\"><param name=\"Local\" value=\"b.htm\"></OBJECT>"
                      "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"C\"><param name=\"Local\" value=\"c.htm\"></OBJECT></UL>"
                      "<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"D\"><param name=\"Local\" value=\"d.htm\"></OBJECT></UL>"
                      "<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"E\"><param name=\"Local\" value=\"e.htm\"></OBJECT></UL>")
        << "A=a.htm(B=b.htm(C=c.htm), D=d.htm), E=e.htm";
    QTest::newRow("site properties and other objects are not topics")
        << QByteArray("<OBJECT type=\"text/site properties\"><param name=\"ImageType\" value=\"Folder\"></OBJECT>"
                      "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"A\"></OBJECT>"
                      "<OBJECT type=\"application/x-oleobject\"><param name=\"Name\" value=\"X\"></OBJECT></UL>")
        << "A=";
    QTest::newRow("loose HTML")
        << QByteArray("<ul>\n<li> <object TYPE='TEXT/SITEMAP'>\n\t<PARAM VALUE=\"A page\" NAME=\"name\">\n\t<param name=local value=a.htm>\n</object>\n</ul>")
        << "A page=a.htm";
    QTest::newRow("character references")
        << QByteArray("<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"Tax &amp; prices &#8364;&#x41; &bogus; a > b\">"
                      "</OBJECT></UL>")
        << QString::fromUtf8("Tax & prices \u20acA &bogus; a > b=");
    QTest::newRow("first name and first local win")
        << QByteArray("<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"keyword\"><param name=\"Name\" value=\"B\">"
                      "<param name=\"Local\" value=\"k.htm\"><param name=\"Local\" value=\"b.htm\"></OBJECT></UL>")
        << "keyword=k.htm";
    QTest::newRow("comments are skipped")
        << QByteArray("<UL><!-- <LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"hidden\"></OBJECT> -->"
                      "<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"shown\"></OBJECT></UL>")
        << "shown=";
    QTest::newRow("Latin-1 text")
        << QByteArray("<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"C\xf3" "digo\"></OBJECT></UL>")
        << QString::fromUtf8("C\u00f3digo=");
    QTest::newRow("a list cut short") << QByteArray("<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"A\"></OBJECT><UL><LI><OBJECT")
                                      << "A=";
}

void TestHelpViewer::parseSitemap()
{
    QFETCH(QByteArray, sitemap);
    QFETCH(QString, expected);
    QCOMPARE(outline(platform::parseSitemap(sitemap)), expected);
}

void TestHelpViewer::popupTopicText_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("topic");
    QTest::addColumn<QString>("expected");

    const QByteArray file(".topic 10\nThe main menu.\n\n.topic 20\r\nType your password.\r\nThen press Enter.\r\n\r\n.topic 30\nThe cash register.\n");
    QTest::newRow("first") << file << 10 << "The main menu.";
    QTest::newRow("several lines, CR LF line ends") << file << 20 << "Type your password.\nThen press Enter.";
    QTest::newRow("last") << file << 30 << "The cash register.";
    QTest::newRow("not there") << file << 2 << "";
    QTest::newRow("a number that only starts the same") << QByteArray(".topic 100\nHundred\n") << 10 << "";
}

void TestHelpViewer::popupTopicText()
{
    QFETCH(QByteArray, file);
    QFETCH(int, topic);
    QFETCH(QString, expected);
    QCOMPARE(platform::popupTopicText(file, topic), expected);
}

void TestHelpViewer::shippedFile_contentsListThePages()
{
    const std::unique_ptr<ChmFile> file = ChmFile::open(kHelpFile);
    QVERIFY2(file, qPrintable(kHelpFile));
    QCOMPARE(file->title(), QStringLiteral("Point of Sale Help"));
    QCOMPARE(file->contentsFile(), QStringLiteral("/Sistema.hhc"));
    QCOMPARE(outline(file->contents()),
        QStringLiteral("Welcome=welcome.htm, "
                       "Getting started=getting_started.htm(The main menu=main_menu.htm, Signing in=signing_in.htm, "
                       "The screen must be 800 x 600=screen.htm, Tips of the day=tips.htm), "
                       "The cash register=cash_register.htm(Ringing up a sale=ringing_up.htm, Cancelling a line=cancel_line.htm, "
                       "Completing a sale=complete_sale.htm, Closing the day=close_day.htm), "
                       "Keeping the store=keeping_the_store.htm(Products=products.htm, Suppliers=suppliers.htm, "
                       "The tax rate=tax.htm, Employees and usage codes=employees.htm), "
                       "Reviewing sales=reviewing_sales.htm(Items sold today=items_sold.htm, Sales analysis charts=sales_charts.htm), "
                       "Replicating the store=replication.htm, "
                       "Keyboard quick reference=keys.htm"));
}

void TestHelpViewer::shippedFile_everyPageIsInsideAndRenders()
{
    // Every page of the contents and of the index is in the file and shows with the title its
    // entry gives it, and every link, picture and style sheet a page names is in the file too.
    platform::ChmHelpViewer viewer;
    QWidget* window = viewer.displayContents(kHelpFile, nullptr);
    QVERIFY(window);
    auto* page = window->findChild<QTextBrowser*>(QStringLiteral("page"));
    QVERIFY(page);
    const std::unique_ptr<ChmFile> file = ChmFile::open(kHelpFile);
    QVERIFY(file);

    const QRegularExpression reference(QStringLiteral("(?:href|src)\\s*=\\s*\"([^\"#]+)[^\"]*\""), QRegularExpression::CaseInsensitiveOption);
    forEachTopic(file->contents(), [&](const ChmTopic& topic) {
        QVERIFY2(file->contains(topic.local), qPrintable(topic.local));
        viewer.display(kHelpFile, nullptr, Command::Topic, topic.local);
        QCOMPARE(page->source().path(), ChmFile::archivePath(topic.local));
        QCOMPARE(page->documentTitle(), topic.name);
        QVERIFY2(page->toPlainText().trimmed().size() > 100, qPrintable(topic.local));

        const QString html = QString::fromUtf8(*file->read(topic.local));
        for (auto match = reference.globalMatch(html); match.hasNext();) {
            const QUrl target = page->source().resolved(QUrl(match.next().captured(1)));
            QVERIFY2(target.scheme() == u"chm" && file->contains(target.path()),
                     qPrintable(topic.local + QStringLiteral(" names ") + target.toString()));
        }
    });
    forEachTopic(file->index(), [&](const ChmTopic& entry) { QVERIFY2(file->contains(entry.local), qPrintable(entry.name)); });
    QVERIFY(!file->index().empty());
}

void TestHelpViewer::shippedFile_holdsThePopUpText()
{
    const std::unique_ptr<ChmFile> file = ChmFile::open(kHelpFile);
    QVERIFY(file);
    QVERIFY(file->files().contains(QStringLiteral("/Sistema.txt")));
    platform::ChmHelpViewer viewer;
    QVERIFY(viewer.popupText(kHelpFile, QStringLiteral("Sistema.txt"), 40).contains(QStringLiteral("2550 for $25.50")));
    QCOMPARE(viewer.popupText(kHelpFile, QStringLiteral("Sistema.txt"), 9999), QString());
    QCOMPARE(viewer.popupText(kHelpFile, QStringLiteral("Other.txt"), 40), QString());
    QCOMPARE(viewer.popupText(QStringLiteral("/no/such/file.chm"), QStringLiteral("Sistema.txt"), 40), QString());
}

void TestHelpViewer::window_opensOnTheFirstEntry()
{
    platform::ChmHelpViewer viewer;
    QWidget* window = viewer.displayContents(kHelpFile, nullptr);
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Point of Sale Help"));
    QVERIFY(window->width() <= 800 && window->height() <= 600);
    QVERIFY(QRect(0, 0, 800, 600).contains(window->geometry()));

    auto* tree = window->findChild<QTreeWidget*>(QStringLiteral("contents"));
    auto* page = window->findChild<QTextBrowser*>(QStringLiteral("page"));
    QVERIFY(tree && page);
    QCOMPARE(tree->topLevelItemCount(), 7);
    QTreeWidgetItem* register_ = tree->topLevelItem(2);
    QCOMPARE(register_->text(0), QStringLiteral("The cash register"));
    QCOMPARE(register_->childCount(), 4);
    QCOMPARE(register_->child(2)->text(0), QStringLiteral("Completing a sale"));
    QCOMPARE(register_->child(2)->data(0, Qt::UserRole).toString(), QStringLiteral("complete_sale.htm"));

    QCOMPARE(page->source().path(), QStringLiteral("/welcome.htm"));
    QVERIFY(page->toPlainText().contains(QStringLiteral("Welcome to Point of Sale")));
}

void TestHelpViewer::clickingAnEntry_showsItsPage()
{
    platform::ChmHelpViewer viewer;
    QWidget* window = viewer.displayContents(kHelpFile, nullptr);
    QVERIFY(window);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    auto* tree = window->findChild<QTreeWidget*>(QStringLiteral("contents"));
    auto* page = window->findChild<QTextBrowser*>(QStringLiteral("page"));

    for (const QString& title : {QStringLiteral("The tax rate"), QStringLiteral("Welcome"), QStringLiteral("Closing the day")}) {
        QTreeWidgetItem* item = findItem(tree, title);
        QVERIFY(item);
        tree->scrollToItem(item);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
        QCOMPARE(page->documentTitle(), title);
        QCOMPARE(page->source().path(), ChmFile::archivePath(item->data(0, Qt::UserRole).toString()));
    }
}

void TestHelpViewer::clickingALink_followsItInsideTheFile()
{
    platform::ChmHelpViewer viewer;
    QWidget* window = viewer.displayContents(kFixture, nullptr);
    QVERIFY(window);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    auto* tree = window->findChild<QTreeWidget*>(QStringLiteral("contents"));
    auto* page = window->findChild<QTextBrowser*>(QStringLiteral("page"));
    QCOMPARE(page->source().path(), QStringLiteral("/pages/first.htm"));

    // The link to "../top.htm", clicked where it is drawn.
    const int at = page->toPlainText().indexOf(QStringLiteral("To the top page"));
    QVERIFY(at >= 0);
    QTextCursor cursor(page->document());
    cursor.setPosition(at + 3);
    QTest::mouseClick(page->viewport(), Qt::LeftButton, {}, page->cursorRect(cursor).center());

    QCOMPARE(page->source().path(), QStringLiteral("/top.htm"));
    QCOMPARE(page->documentTitle(), QStringLiteral("Top"));
    QVERIFY(tree->currentItem());
    QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Top"));
}

void TestHelpViewer::fileWithoutSystemEntries_findsItsContentsAndUsesItsName()
{
    const std::unique_ptr<ChmFile> file = ChmFile::open(kFixture);
    QVERIFY(file);
    QCOMPARE(file->title(), QString());
    QCOMPARE(file->contentsFile(), QStringLiteral("/contents.hhc"));
    QCOMPARE(outline(file->contents()), QStringLiteral("First=pages/first.htm(Second=pages/second.htm), Top=top.htm"));
    QVERIFY(file->contains(u"/PAGES/First.HTM"));
    QVERIFY(!file->contains(u"/pages/"));
    QVERIFY(!file->read(u"missing.htm"));

    platform::ChmHelpViewer viewer;
    QWidget* window = viewer.displayContents(kFixture, nullptr);
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("fixture.chm"));
    auto* page = window->findChild<QTextBrowser*>(QStringLiteral("page"));
    QCOMPARE(page->documentTitle(), QStringLiteral("First"));

    // The style sheet and the picture of pages/first.htm are "../fixture.css" and "../art/dot.png".
    QCOMPARE(page->document()->begin().begin().fragment().charFormat().foreground().color(), QColor(0x12, 0x34, 0x56));
    QString picture;
    for (QTextBlock block = page->document()->begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            if (fragment.fragment().charFormat().isImageFormat())
                picture = fragment.fragment().charFormat().toImageFormat().name();
        }
    }
    QCOMPARE(picture, QStringLiteral("../art/dot.png"));
    const QVariant resource = page->document()->resource(QTextDocument::ImageResource, QUrl(picture));
    // Read as bytes, it is kept as the picture the page was drawn with.
    QImage image;
    switch (resource.userType()) {
    case QMetaType::QImage: image = resource.value<QImage>(); break;
    case QMetaType::QPixmap: image = resource.value<QPixmap>().toImage(); break;
    default: image = QImage::fromData(resource.toByteArray()); break;
    }
    QCOMPARE(image.size(), QSize(4, 4));
    QCOMPARE(image.pixelColor(0, 0), QColor(Qt::red));
}

void TestHelpViewer::unopenableFile_returnsNullAndShowsNothing_data()
{
    QTest::addColumn<QByteArray>("contents"); // what the file holds
    QTest::addColumn<bool>("exists");

    QTest::newRow("missing") << QByteArray() << false;
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("text") << QByteArray("This is not a help file.\n") << true;
    QTest::newRow("garbage") << QByteArray(4096, '\x9c') << true;
    QTest::newRow("a help file's header alone") << QByteArray("ITSF\x03\x00\x00\x00`\x00\x00\x00", 12) << true;
}

void TestHelpViewer::unopenableFile_returnsNullAndShowsNothing()
{
    QFETCH(QByteArray, contents);
    QFETCH(bool, exists);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Sistema.chm"));
    if (exists) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }

    const qsizetype windows = QApplication::topLevelWidgets().size();
    platform::ChmHelpViewer viewer;
    QVERIFY(!ChmFile::open(path));
    QCOMPARE(viewer.displayContents(path, nullptr), nullptr);
    QCOMPARE(viewer.display(path, nullptr, Command::Topic, QStringLiteral("welcome.htm")), nullptr);
    QCOMPARE(QApplication::topLevelWidgets().size(), windows);
}

void TestHelpViewer::owner_data()
{
    QTest::addColumn<bool>("owned");
    QTest::newRow("owned by the calling window") << true;
    QTest::newRow("free-standing") << false;
}

void TestHelpViewer::owner()
{
    QFETCH(bool, owned);
    QWidget caller;
    caller.setGeometry(80, 60, 640, 480);
    caller.show();
    platform::ChmHelpViewer viewer;
    QPointer<QWidget> window = viewer.displayContents(kHelpFile, owned ? &caller : nullptr);
    QVERIFY(window);
    QVERIFY(window->isWindow());
    QCOMPARE(window->parentWidget(), owned ? &caller : nullptr);
    if (!owned)
        delete window.data();
}

void TestHelpViewer::sameFileAgain_raisesItsOpenWindow()
{
    platform::ChmHelpViewer viewer;
    QPointer<QWidget> first = viewer.displayContents(kHelpFile, nullptr);
    QVERIFY(first);
    auto* page = first->findChild<QTextBrowser*>(QStringLiteral("page"));
    page->setSource(QUrl(QStringLiteral("chm:/tax.htm")));

    QCOMPARE(viewer.displayContents(kHelpFile, nullptr), first.data());
    QCOMPARE(page->source().path(), QStringLiteral("/tax.htm"));

    QWidget caller;
    QWidget* owned = viewer.displayContents(kHelpFile, &caller);
    QVERIFY(owned && owned != first);
    QCOMPARE(viewer.displayContents(kHelpFile, &caller), owned);

    delete first.data();
    QPointer<QWidget> again = viewer.displayContents(kHelpFile, nullptr);
    QVERIFY(again);
    QVERIFY(QApplication::topLevelWidgets().contains(again.data()));
    QCOMPARE(again->findChild<QTextBrowser*>(QStringLiteral("page"))->source().path(), QStringLiteral("/welcome.htm"));
}

void TestHelpViewer::closingTheWindow_closesTheFile()
{
    if (!QDir(QStringLiteral("/proc/self/fd")).exists())
        QSKIP("The open files cannot be counted here.");
    platform::ChmHelpViewer viewer;
    delete viewer.displayContents(kHelpFile, nullptr); // what a first window sets up once

    const int before = openFileCount();
    QPointer<QWidget> window = viewer.displayContents(kHelpFile, nullptr);
    QVERIFY(window);
    QCOMPARE(openFileCount(), before + 1);
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!window);
    QCOMPARE(openFileCount(), before);
}

void TestHelpViewer::closeAll_closesEveryWindow()
{
    platform::ChmHelpViewer viewer;
    QWidget caller;
    QPointer<QWidget> free = viewer.displayContents(kHelpFile, nullptr);
    QPointer<QWidget> owned = viewer.displayContents(kFixture, &caller);
    QVERIFY(free && owned);
    viewer.closeAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!free);
    QVERIFY(!owned);
}

void TestHelpViewer::topicAndKeyword_data()
{
    QTest::addColumn<Command>("command");
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("shown");

    QTest::newRow("topic") << Command::Topic << "tax.htm" << "/tax.htm";
    QTest::newRow("topic in the file's own form") << Command::Topic << "Sistema.chm::/keys.htm" << "/keys.htm";
    QTest::newRow("topic not in the file") << Command::Topic << "nothere.htm" << "/welcome.htm";
    QTest::newRow("keyword, any letter case") << Command::Keyword << "DRIVE D" << "/replication.htm";
    QTest::newRow("keyword not in the index") << Command::Keyword << "lottery" << "/welcome.htm";
    QTest::newRow("search") << Command::Search << "tax" << "/welcome.htm";
}

void TestHelpViewer::topicAndKeyword()
{
    QFETCH(Command, command);
    QFETCH(QString, argument);
    QFETCH(QString, shown);
    platform::ChmHelpViewer viewer;
    QWidget* window = viewer.display(kHelpFile, nullptr, command, argument);
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QCOMPARE(window->findChild<QTextBrowser*>(QStringLiteral("page"))->source().path(), shown);
}

QTEST_MAIN(TestHelpViewer)
#include "test_help_viewer.moc"
