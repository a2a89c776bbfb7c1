#include "platform/chm_help_viewer.h"

#include <chm_lib.h>

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QScreen>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStringDecoder>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QUrl>
#include <QtEndian>

#include <algorithm>
#include <limits>
#include <utility>

namespace platform {
namespace {

// The scheme of the addresses the help window reads out of its file: "chm:/welcome.htm".
constexpr QLatin1StringView kScheme("chm");
constexpr QSize kWindowSize(640, 480);

// Text inside a help file: UTF-8 when it is valid UTF-8, else Latin-1.
QString decodeText(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

QString decodeEntities(QStringView value)
{
    if (!value.contains(u'&'))
        return value.toString();
    static constexpr std::pair<QLatin1StringView, char16_t> kNamed[] = {
        {QLatin1StringView("amp"), u'&'}, {QLatin1StringView("lt"), u'<'}, {QLatin1StringView("gt"), u'>'},
        {QLatin1StringView("quot"), u'"'}, {QLatin1StringView("apos"), u'\''}, {QLatin1StringView("nbsp"), u'\u00a0'},
    };
    QString text;
    text.reserve(value.size());
    qsizetype i = 0;
    while (i < value.size()) {
        const qsizetype semicolon = value[i] == u'&' ? value.indexOf(u';', i + 1) : -1;
        if (semicolon < 0 || semicolon - i > 10) {
            text += value[i++];
            continue;
        }
        const QStringView entity = value.mid(i + 1, semicolon - i - 1);
        bool known = false;
        if (entity.startsWith(u'#')) {
            const bool hex = entity.size() > 1 && (entity[1] == u'x' || entity[1] == u'X');
            const uint code = entity.mid(hex ? 2 : 1).toUInt(&known, hex ? 16 : 10);
            known = known && code > 0 && code <= 0x10ffff;
            if (known) {
                const char32_t character = code;
                text += QString::fromUcs4(&character, 1);
            }
        } else {
            for (const auto& [name, character] : kNamed) {
                if (entity.compare(name, Qt::CaseInsensitive) == 0) {
                    text += QChar(character);
                    known = true;
                    break;
                }
            }
        }
        if (known)
            i = semicolon + 1;
        else
            text += value[i++];
    }
    return text;
}

// One tag of a sitemap: its name in lower case ("ul", "/ul", "param") and its attributes, whose
// names are in lower case too.
struct Tag {
    QString name;
    QHash<QString, QString> attributes;
};

bool isBlank(QChar c) { return c.isSpace(); }

Tag parseTag(QStringView inside)
{
    Tag tag;
    qsizetype i = 0;
    const qsizetype n = inside.size();
    const qsizetype nameStart = i;
    while (i < n && !isBlank(inside[i]) && !(inside[i] == u'/' && i > nameStart))
        ++i;
    tag.name = inside.mid(nameStart, i - nameStart).toString().toLower();
    while (i < n) {
        while (i < n && (isBlank(inside[i]) || inside[i] == u'/'))
            ++i;
        const qsizetype keyStart = i;
        while (i < n && !isBlank(inside[i]) && inside[i] != u'=' && inside[i] != u'/')
            ++i;
        const QString key = inside.mid(keyStart, i - keyStart).toString().toLower();
        while (i < n && isBlank(inside[i]))
            ++i;
        QString value;
        if (i < n && inside[i] == u'=') {
            ++i;
            while (i < n && isBlank(inside[i]))
                ++i;
            if (i < n && (inside[i] == u'"' || inside[i] == u'\'')) {
                const QChar quote = inside[i++];
                const qsizetype valueStart = i;
                while (i < n && inside[i] != quote)
                    ++i;
                value = decodeEntities(inside.mid(valueStart, i - valueStart));
                ++i;
            } else {
                const qsizetype valueStart = i;
                while (i < n && !isBlank(inside[i]))
                    ++i;
                value = decodeEntities(inside.mid(valueStart, i - valueStart));
            }
        }
        if (!key.isEmpty())
            tag.attributes.insert(key, value);
    }
    return tag;
}

// Where the tag that opens at `open` ends: its '>' outside quoted values.
qsizetype tagEnd(QStringView text, qsizetype open)
{
    QChar quote;
    for (qsizetype i = open + 1; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'>') {
            return i;
        }
    }
    return -1;
}

int collectFile(chmFile*, chmUnitInfo* info, void* context)
{
    const QString path = QString::fromUtf8(info->path);
    // The archive's own files start with '#' or '$' (or "::" for its data spaces).
    if (path.startsWith(u'/') && path.size() > 1 && path[1] != u'#' && path[1] != u'$' && !path.endsWith(u'/'))
        static_cast<QStringList*>(context)->append(path);
    return CHM_ENUMERATOR_CONTINUE;
}

const ChmTopic* findTopic(const std::vector<ChmTopic>& topics, QStringView name)
{
    for (const ChmTopic& topic : topics) {
        if (topic.name.compare(name, Qt::CaseInsensitive) == 0 && !topic.local.isEmpty())
            return &topic;
        if (const ChmTopic* child = findTopic(topic.children, name))
            return child;
    }
    return nullptr;
}

const ChmTopic* firstPage(const std::vector<ChmTopic>& topics)
{
    for (const ChmTopic& topic : topics) {
        if (!topic.local.isEmpty())
            return &topic;
        if (const ChmTopic* child = firstPage(topic.children))
            return child;
    }
    return nullptr;
}

// The address in the help window of a page reference of the file.
QUrl pageUrl(const QString& reference)
{
    QUrl url;
    url.setScheme(kScheme);
    url.setPath(ChmFile::archivePath(reference));
    const qsizetype hash = reference.indexOf(u'#');
    if (hash >= 0)
        url.setFragment(reference.mid(hash + 1));
    return url;
}

// The page side of the help window: reads every page, picture and style sheet out of the help
// file, which it keeps open while it lives.
class ChmPage final : public QTextBrowser {
public:
    ChmPage(std::unique_ptr<ChmFile> file, QWidget* parent) : QTextBrowser(parent), m_file(std::move(file))
    {
        setObjectName(QStringLiteral("page"));
        // Links are followed here, so that addresses inside the file stay in the window and
        // others go to the desktop.
        setOpenLinks(false);
        connect(this, &QTextBrowser::anchorClicked, this, &ChmPage::follow);
    }

    const ChmFile& file() const { return *m_file; }

    // Shows the page at `url`, or says that the file does not hold it.
    void showPage(const QUrl& url)
    {
        if (m_file->contains(url.path())) {
            setSource(url);
            return;
        }
        setHtml(QStringLiteral("<p>The page <b>%1</b> is not in this help file.</p>").arg(url.path().toHtmlEscaped()));
    }

    QVariant loadResource(int, const QUrl& name) override
    {
        const QUrl url = name.isRelative() ? source().resolved(name) : name;
        if (url.scheme() != kScheme)
            return {};
        std::optional<QByteArray> bytes = m_file->read(url.path());
        if (!bytes)
            return {};
        return QVariant(std::move(*bytes));
    }

private:
    void follow(const QUrl& url)
    {
        if (url.scheme() == kScheme)
            showPage(url);
        else
            QDesktopServices::openUrl(url);
    }

    std::unique_ptr<ChmFile> m_file;
};

// The help window: the table of contents beside the page.
class ChmHelpWindow final : public QWidget {
public:
    ChmHelpWindow(std::unique_ptr<ChmFile> file, QWidget* owner) : QWidget(owner, Qt::Window)
    {
        setObjectName(QStringLiteral("helpWindow"));
        setAttribute(Qt::WA_DeleteOnClose);
        const QString title = file->title().isEmpty() ? QFileInfo(file->path()).fileName() : file->title();
        setWindowTitle(title);
        const std::vector<ChmTopic> topics = file->contents();
        const QString defaultTopic = file->defaultTopic();

        auto* splitter = new QSplitter(Qt::Horizontal, this);
        m_contents = new QTreeWidget(splitter);
        m_contents->setObjectName(QStringLiteral("contents"));
        m_contents->setAccessibleName(QStringLiteral("Contents"));
        m_contents->setHeaderHidden(true);
        m_contents->setColumnCount(1);
        m_contents->header()->setStretchLastSection(false);
        m_contents->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
        m_page = new ChmPage(std::move(file), splitter);
        m_page->document()->setDocumentMargin(10);
        m_page->setAccessibleName(title);
        splitter->addWidget(m_contents);
        splitter->addWidget(m_page);
        splitter->setStretchFactor(1, 1);
        splitter->setChildrenCollapsible(false);

        addTopics(topics, nullptr);
        m_contents->expandAll();

        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(splitter);

        connect(m_contents, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) { showItem(item); });
        connect(m_contents, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { showItem(item); });
        connect(m_page, &QTextBrowser::sourceChanged, this, &ChmHelpWindow::followPage);

        placeOver(owner);
        // The contents as wide as their longest title, up to two-fifths of the window.
        const int contentsWidth = std::min(m_widestEntry + m_contents->frameWidth() * 2 + 16, width() * 2 / 5);
        splitter->setSizes({contentsWidth, width() - contentsWidth});
        if (const ChmTopic* first = firstPage(topics))
            showTopic(first->local);
        else if (!defaultTopic.isEmpty())
            showTopic(defaultTopic);
    }

    // Shows a page of the file, by its reference.
    void showTopic(const QString& reference) { m_page->showPage(pageUrl(reference)); }
    const ChmFile& file() const { return m_page->file(); }

private:
    void addTopics(const std::vector<ChmTopic>& topics, QTreeWidgetItem* parent, int depth = 1)
    {
        for (const ChmTopic& topic : topics) {
            auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_contents);
            item->setText(0, topic.name.isEmpty() ? topic.local : topic.name);
            m_widestEntry = std::max(m_widestEntry, m_contents->indentation() * depth + m_contents->fontMetrics().horizontalAdvance(item->text(0)));
            item->setData(0, Qt::UserRole, topic.local);
            if (!topic.local.isEmpty()) {
                const QString key = ChmFile::archivePath(topic.local).toLower();
                if (!m_items.contains(key))
                    m_items.insert(key, item);
            }
            addTopics(topic.children, item, depth + 1);
        }
    }

    void showItem(QTreeWidgetItem* item)
    {
        if (!item)
            return;
        const QString local = item->data(0, Qt::UserRole).toString();
        if (!local.isEmpty())
            showTopic(local);
    }

    // Keeps the contents on the page shown, whichever way it was reached.
    void followPage(const QUrl& url)
    {
        QTreeWidgetItem* item = m_items.value(url.path().toLower());
        if (!item || item == m_contents->currentItem())
            return;
        const QSignalBlocker blocker(m_contents);
        m_contents->setCurrentItem(item);
        m_contents->scrollToItem(item);
    }

    // 640 x 480, or the screen's free area when that is smaller; centred over the owner, or on
    // the screen.
    void placeOver(QWidget* owner)
    {
        QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
        const QRect available = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), kWindowSize);
        const QSize size = kWindowSize.boundedTo(available.size());
        resize(size);
        const QRect over = owner ? owner->frameGeometry() : available;
        QRect placed(QPoint(0, 0), size);
        placed.moveCenter(over.center());
        placed.moveLeft(std::clamp(placed.left(), available.left(), std::max(available.left(), available.right() - size.width() + 1)));
        placed.moveTop(std::clamp(placed.top(), available.top(), std::max(available.top(), available.bottom() - size.height() + 1)));
        move(placed.topLeft());
    }

    QTreeWidget* m_contents = nullptr;
    ChmPage* m_page = nullptr;
    QHash<QString, QTreeWidgetItem*> m_items; // by lower-case archive path
    int m_widestEntry = 0;
};

} // namespace

std::vector<ChmTopic> parseSitemap(const QByteArray& sitemap)
{
    const QString text = decodeText(sitemap);
    std::vector<ChmTopic> root;
    // The list each level of <UL> adds to; the outermost <UL> is the root's own.
    std::vector<std::vector<ChmTopic>*> levels{&root};
    int lists = 0;
    std::optional<ChmTopic> entry;
    qsizetype pos = 0;
    while ((pos = text.indexOf(u'<', pos)) >= 0) {
        if (QStringView(text).mid(pos).startsWith(u"<!--")) {
            pos = text.indexOf(QStringLiteral("-->"), pos + 4);
            if (pos < 0)
                break;
            pos += 3;
            continue;
        }
        const qsizetype end = tagEnd(text, pos);
        if (end < 0)
            break;
        const Tag tag = parseTag(QStringView(text).mid(pos + 1, end - pos - 1));
        pos = end + 1;
        if (tag.name == u"ul") {
            if (lists > 0) {
                std::vector<ChmTopic>* level = levels.back();
                levels.push_back(level->empty() ? level : &level->back().children);
            }
            ++lists;
        } else if (tag.name == u"/ul") {
            if (lists > 0 && --lists > 0 && levels.size() > 1)
                levels.pop_back();
        } else if (tag.name == u"object") {
            if (tag.attributes.value(QStringLiteral("type")).compare(u"text/sitemap", Qt::CaseInsensitive) == 0)
                entry = ChmTopic{};
        } else if (tag.name == u"param" && entry) {
            const QString name = tag.attributes.value(QStringLiteral("name")).toLower();
            const QString value = tag.attributes.value(QStringLiteral("value"));
            if (name == u"name" && entry->name.isEmpty())
                entry->name = value;
            else if (name == u"local" && entry->local.isEmpty())
                entry->local = value;
        } else if (tag.name == u"/object" && entry) {
            levels.back()->push_back(std::move(*entry));
            entry.reset();
        }
    }
    return root;
}

QString popupTopicText(const QByteArray& textFile, int topic)
{
    const QStringList lines = decodeText(textFile).split(u'\n');
    bool inTopic = false;
    QStringList text;
    for (const QString& rawLine : lines) {
        const QString line = rawLine.endsWith(u'\r') ? rawLine.chopped(1) : rawLine;
        if (line.startsWith(QStringLiteral(".topic"), Qt::CaseInsensitive)) {
            if (inTopic)
                break;
            bool number = false;
            inTopic = line.mid(6).trimmed().toInt(&number) == topic && number;
            continue;
        }
        if (inTopic)
            text.append(line);
    }
    return text.join(u'\n').trimmed();
}

void ChmFile::Closer::operator()(chmFile* handle) const { chm_close(handle); }

ChmFile::ChmFile(QString path, std::unique_ptr<chmFile, Closer> handle) : m_path(std::move(path)), m_handle(std::move(handle))
{
    readSystemFile();
}

ChmFile::~ChmFile() = default;

std::unique_ptr<ChmFile> ChmFile::open(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return nullptr;
    std::unique_ptr<chmFile, Closer> handle(chm_open(QFile::encodeName(path).constData()));
    if (!handle)
        return nullptr;
    return std::unique_ptr<ChmFile>(new ChmFile(path, std::move(handle)));
}

QString ChmFile::archivePath(QStringView reference)
{
    const qsizetype separator = reference.indexOf(u"::");
    if (separator >= 0)
        reference = reference.mid(separator + 2);
    const qsizetype end = std::min(reference.indexOf(u'#') < 0 ? reference.size() : reference.indexOf(u'#'),
                                   reference.indexOf(u'?') < 0 ? reference.size() : reference.indexOf(u'?'));
    QString path = reference.left(end).toString();
    path.replace(u'\\', u'/');
    if (!path.startsWith(u'/'))
        path.prepend(u'/');
    return path;
}

void ChmFile::readSystemFile()
{
    // #SYSTEM: a 32-bit version, then entries of a 16-bit code, a 16-bit length and that many
    // bytes; the strings among them end in a NUL.
    if (const std::optional<QByteArray> system = readObject("/#SYSTEM")) {
        const QByteArray& bytes = *system;
        qsizetype at = 4;
        while (at + 4 <= bytes.size()) {
            const quint16 code = qFromLittleEndian<quint16>(bytes.constData() + at);
            const quint16 length = qFromLittleEndian<quint16>(bytes.constData() + at + 2);
            at += 4;
            if (at + length > bytes.size())
                break;
            QByteArray value = bytes.mid(at, length);
            at += length;
            const qsizetype nul = value.indexOf('\0');
            if (nul >= 0)
                value.truncate(nul);
            const QString text = decodeText(value);
            switch (code) {
            case 0: m_contentsFile = text; break;
            case 1: m_indexFile = text; break;
            case 2: m_defaultTopic = text; break;
            case 3: m_title = text; break;
            default: break;
            }
        }
    }
    m_contentsFile = !m_contentsFile.isEmpty() && contains(m_contentsFile) ? archivePath(m_contentsFile) : firstFileEndingIn(u".hhc");
    m_indexFile = !m_indexFile.isEmpty() && contains(m_indexFile) ? archivePath(m_indexFile) : firstFileEndingIn(u".hhk");
}

QString ChmFile::firstFileEndingIn(QStringView suffix) const
{
    const QStringList all = files();
    const auto found = std::find_if(all.begin(), all.end(), [suffix](const QString& file) { return file.endsWith(suffix, Qt::CaseInsensitive); });
    return found == all.end() ? QString() : *found;
}

QStringList ChmFile::files() const
{
    QStringList paths;
    chm_enumerate(m_handle.get(), CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, collectFile, &paths);
    return paths;
}

bool ChmFile::contains(QStringView reference) const
{
    const QString path = archivePath(reference);
    chmUnitInfo info;
    return !path.endsWith(u'/') && chm_resolve_object(m_handle.get(), path.toUtf8().constData(), &info) == CHM_RESOLVE_SUCCESS;
}

std::optional<QByteArray> ChmFile::read(QStringView reference) const
{
    const QString path = archivePath(reference);
    if (path.endsWith(u'/'))
        return std::nullopt;
    return readObject(path.toUtf8());
}

std::optional<QByteArray> ChmFile::readObject(const QByteArray& path) const
{
    chmUnitInfo info;
    if (chm_resolve_object(m_handle.get(), path.constData(), &info) != CHM_RESOLVE_SUCCESS)
        return std::nullopt;
    if (info.length > LONGUINT64(std::numeric_limits<qsizetype>::max() / 2))
        return std::nullopt;
    QByteArray bytes(qsizetype(info.length), Qt::Uninitialized);
    if (info.length == 0)
        return bytes;
    const LONGINT64 got = chm_retrieve_object(m_handle.get(), &info, reinterpret_cast<unsigned char*>(bytes.data()), 0, LONGINT64(info.length));
    if (got != LONGINT64(info.length))
        return std::nullopt;
    return bytes;
}

std::vector<ChmTopic> ChmFile::contents() const
{
    if (m_contentsFile.isEmpty())
        return {};
    const std::optional<QByteArray> sitemap = read(m_contentsFile);
    return sitemap ? parseSitemap(*sitemap) : std::vector<ChmTopic>();
}

std::vector<ChmTopic> ChmFile::index() const
{
    if (m_indexFile.isEmpty())
        return {};
    const std::optional<QByteArray> sitemap = read(m_indexFile);
    return sitemap ? parseSitemap(*sitemap) : std::vector<ChmTopic>();
}

ChmHelpViewer::ChmHelpViewer() = default;
ChmHelpViewer::~ChmHelpViewer() = default;

QWidget* ChmHelpViewer::displayContents(const QString& chmPath, QWidget* owner)
{
    return display(chmPath, owner, Command::Index, QString());
}

QWidget* ChmHelpViewer::display(const QString& chmPath, QWidget* owner, Command command, const QString& argument)
{
    std::erase_if(m_opened, [](const Opened& opened) { return opened.window.isNull(); });
    const QString path = QFileInfo(chmPath).absoluteFilePath();
    const auto opened = std::find_if(m_opened.begin(), m_opened.end(),
        [&](const Opened& each) { return each.path == path && each.owner.data() == owner; });
    ChmHelpWindow* window = nullptr;
    const bool isOpen = opened != m_opened.end();
    if (isOpen) {
        window = static_cast<ChmHelpWindow*>(opened->window.data());
    } else {
        std::unique_ptr<ChmFile> file = ChmFile::open(chmPath);
        if (!file)
            return nullptr;
        window = new ChmHelpWindow(std::move(file), owner);
        m_opened.push_back({path, owner, window});
    }

    if (command == Command::Topic && !argument.isEmpty() && window->file().contains(argument)) {
        window->showTopic(argument);
    } else if (command == Command::Keyword) {
        const std::vector<ChmTopic> index = window->file().index();
        if (const ChmTopic* keyword = findTopic(index, argument))
            window->showTopic(keyword->local);
    }
    window->show();
    if (isOpen)
        window->raise();
    window->activateWindow();
    return window;
}

QString ChmHelpViewer::popupText(const QString& chmPath, const QString& textFile, int topic)
{
    const std::unique_ptr<ChmFile> file = ChmFile::open(chmPath);
    if (!file)
        return {};
    const std::optional<QByteArray> bytes = file->read(textFile);
    return bytes ? popupTopicText(*bytes, topic) : QString();
}

void ChmHelpViewer::closeAll()
{
    std::vector<Opened> opened = std::exchange(m_opened, {});
    for (const Opened& each : opened) {
        if (each.window)
            each.window->close();
    }
}

} // namespace platform
