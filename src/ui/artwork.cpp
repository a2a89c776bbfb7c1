#include "ui/artwork.h"

#include <QEvent>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QPixmapCache>
#include <QString>
#include <QtEndian>
#include <QtGlobal>

// Q_INIT_RESOURCE names the resource's loader at the scope it is used in, which must be the
// global one.
static void loadArtworkResource()
{
    Q_INIT_RESOURCE(artwork);
}

namespace ui {
namespace {

QString resourcePath(QStringView fileName)
{
    return QStringLiteral(":/artwork/") + fileName.toString();
}

// The artwork is PNG: its readers are told so and told not to ask the image plugins first, which
// would load every one of them.
void readAsPng(QImageReader& reader)
{
    reader.setFormat(QByteArrayLiteral("png"));
    reader.setAutoDetectImageFormat(false);
}

// The size of a PNG picture, from the IHDR chunk that opens it; invalid when the file is no PNG.
// Read by hand, since a QImageReader asking the same would first list the image plugins.
QSize pngSize(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray header = file.read(24);
    if (header.size() < 24 || !header.startsWith("\x89PNG\r\n\x1a\n") || header.mid(12, 4) != "IHDR")
        return {};
    const auto* bytes = reinterpret_cast<const uchar*>(header.constData());
    return QSize(int(qFromBigEndian<quint32>(bytes + 16)), int(qFromBigEndian<quint32>(bytes + 20)));
}

// Holds the label at the picture's size until the label is first shown, then puts the decoded
// picture on it and goes.
class PictureOnShow final : public QObject {
public:
    PictureOnShow(QLabel* label, QString fileName)
        : QObject(label), m_label(label), m_fileName(std::move(fileName)), m_minimum(label->minimumSize()),
          m_maximum(label->maximumSize())
    {
        const QSize size = pngSize(resourcePath(m_fileName));
        if (size.isValid())
            label->setFixedSize(size);
        label->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_label && event->type() == QEvent::Show) {
            m_label->removeEventFilter(this);
            m_label->setMinimumSize(m_minimum);
            m_label->setMaximumSize(m_maximum);
            m_label->setPixmap(artwork(m_fileName));
            deleteLater();
        }
        return false;
    }

private:
    QLabel* m_label;
    QString m_fileName;
    QSize m_minimum;
    QSize m_maximum;
};

} // namespace

void loadArtwork()
{
    loadArtworkResource();
}

QPixmap artwork(QStringView fileName)
{
    const QString path = resourcePath(fileName);
    QPixmap pixmap;
    if (QPixmapCache::find(path, &pixmap))
        return pixmap;
    QImageReader reader(path);
    readAsPng(reader);
    const QImage image = reader.read();
    if (image.isNull())
        return pixmap;
    pixmap = QPixmap::fromImage(image);
    QPixmapCache::insert(path, pixmap);
    return pixmap;
}

void setArtworkWhenShown(QLabel* label, QStringView fileName)
{
    QPixmap cached;
    if (label->isVisible() || QPixmapCache::find(resourcePath(fileName), &cached)) {
        label->setPixmap(cached.isNull() ? artwork(fileName) : cached);
        return;
    }
    new PictureOnShow(label, fileName.toString());
}

} // namespace ui
