#pragma once

#include "platform/help_viewer.h"

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>
#include <optional>
#include <vector>

struct chmFile;
class QWidget;

namespace platform {

// One entry of a help file's table of contents or index: its title, the page it shows (as the
// sitemap writes it) and the entries nested under it.
struct ChmTopic {
    QString name;
    QString local;
    std::vector<ChmTopic> children;
};

// Reads an HTML Help sitemap, the table of contents (.hhc) or the index (.hhk): one topic for each
// <OBJECT type="text/sitemap">, named by its first "Name" parameter and pointing at its first
// "Local", nested as the sitemap's <UL> lists are. The loose HTML these files are written in is
// taken as it comes: tags and parameter names in any letter case, quoted or bare values, the
// numeric character references and the XML entities (plus &nbsp;) in values, unclosed <LI>s.
// The text is UTF-8 when it is valid UTF-8, Latin-1 otherwise.
std::vector<ChmTopic> parseSitemap(const QByteArray& sitemap);

// The text of pop-up topic `topic` in an HTML Help pop-up text file, where each topic starts with
// a line ".topic N" and runs to the next such line; trimmed, and empty when there is no such topic.
QString popupTopicText(const QByteArray& textFile, int topic);

// An open compiled HTML Help (.chm) file, read through chmlib. The archive stays open while the
// object lives. Paths inside the archive start with "/", as in "/welcome.htm", and are found
// without regard to letter case.
class ChmFile {
public:
    // Null when the file is missing or is not a compiled HTML Help file.
    static std::unique_ptr<ChmFile> open(const QString& path);

    ~ChmFile();
    ChmFile(const ChmFile&) = delete;
    ChmFile& operator=(const ChmFile&) = delete;

    // The file on disk, as given to open().
    const QString& path() const { return m_path; }
    // The file's title and default topic, from its #SYSTEM file; empty when it names none.
    const QString& title() const { return m_title; }
    const QString& defaultTopic() const { return m_defaultTopic; }
    // The archive paths of the table of contents and the index: the ones #SYSTEM names when they
    // are in the archive, else the first *.hhc (*.hhk) the archive holds; empty when there is none.
    const QString& contentsFile() const { return m_contentsFile; }
    const QString& indexFile() const { return m_indexFile; }

    // The archive paths of every file in the archive, leaving out its own bookkeeping
    // (#SYSTEM, $WWKeywordLinks/... and the like), in the archive's order.
    QStringList files() const;

    // Whether the archive holds a file at `reference`, and its bytes; see archivePath().
    bool contains(QStringView reference) const;
    std::optional<QByteArray> read(QStringView reference) const;

    // The topics of the table of contents (none when the file has no table of contents), and of
    // the index.
    std::vector<ChmTopic> contents() const;
    std::vector<ChmTopic> index() const;

    // The archive path a page reference names: "welcome.htm", "/welcome.htm#top",
    // "html\\page.htm" and "Sistema.chm::/welcome.htm" name "/welcome.htm" and "/html/page.htm".
    static QString archivePath(QStringView reference);

private:
    struct Closer {
        void operator()(chmFile* handle) const;
    };

    ChmFile(QString path, std::unique_ptr<chmFile, Closer> handle);
    void readSystemFile();
    // The object at an exact archive path, such as "/#SYSTEM".
    std::optional<QByteArray> readObject(const QByteArray& path) const;
    QString firstFileEndingIn(QStringView suffix) const;

    QString m_path;
    std::unique_ptr<chmFile, Closer> m_handle;
    QString m_title;
    QString m_defaultTopic;
    QString m_contentsFile;
    QString m_indexFile;
};

// The platform's help viewer: shows a compiled HTML Help file in a help window of its own, with
// the table of contents on the left (a tree named "contents") and the page on the right (a text
// browser named "page", reading pages, pictures and style sheets out of the file). The window is
// titled with the file's title, or its file name when it has none, and opens on the first entry's
// page. It is deleted when it is closed, and the file stays open until then.
//
// Asking again for a file whose window is still open, with the same owner, brings that window to
// the front, on the page it shows, instead of opening a second one.
class ChmHelpViewer final : public HelpViewer {
public:
    ChmHelpViewer();
    ~ChmHelpViewer() override;
    ChmHelpViewer(const ChmHelpViewer&) = delete;
    ChmHelpViewer& operator=(const ChmHelpViewer&) = delete;

    QWidget* displayContents(const QString& chmPath, QWidget* owner) override;
    // Topic shows the page `argument` names inside the file, and Keyword the page of the index
    // entry named `argument` (without regard to letter case); the other commands, and a page or a
    // keyword that is not there, do what displayContents does.
    QWidget* display(const QString& chmPath, QWidget* owner, Command command, const QString& argument) override;
    QString popupText(const QString& chmPath, const QString& textFile, int topic) override;
    void closeAll() override;

private:
    struct Opened {
        QString path;
        QPointer<QWidget> owner;
        QPointer<QWidget> window;
    };

    std::vector<Opened> m_opened;
};

} // namespace platform
