// Writes the program's icon at the sizes of the desktop's icon theme:
//   icon_sizes PICTURE FOLDER SIZE...
// gives FOLDER/SIZExSIZE/apps/point-of-sale.png for each SIZE, the picture scaled smoothly.
#include <QDir>
#include <QImage>
#include <QString>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc < 4) {
        std::fprintf(stderr, "Usage: %s PICTURE FOLDER SIZE...\n", argv[0]);
        return 2;
    }
    const QImage picture(QString::fromLocal8Bit(argv[1]));
    if (picture.isNull()) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    const QDir folder(QString::fromLocal8Bit(argv[2]));
    for (int i = 3; i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLatin1(argv[i]).toInt(&ok);
        if (!ok || size <= 0) {
            std::fprintf(stderr, "%s: not a size: %s\n", argv[0], argv[i]);
            return 2;
        }
        const QString apps = QStringLiteral("%1x%1/apps").arg(size);
        const QString file = folder.filePath(apps + QStringLiteral("/point-of-sale.png"));
        const QImage icon = picture.convertToFormat(QImage::Format_ARGB32).scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        if (!folder.mkpath(apps) || !icon.save(file, "PNG")) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], qPrintable(file));
            return 1;
        }
    }
    return 0;
}
