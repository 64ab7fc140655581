// Build step: the window icon (sys/kv.ic, Windows icon format) as the PNG a desktop menu shows.
// Takes the largest picture the icon holds. Usage: zn_icon_png ICON PNG
#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s ICON PNG\n", argv[0]);
        return 2;
    }
    QImageReader reader(QString::fromLocal8Bit(argv[1]), "ico");
    QImage largest;
    for (int i = 0; i < qMax(1, reader.imageCount()); ++i) {
        if (i > 0 && !reader.jumpToImage(i)) break;
        const QImage image = reader.read();
        if (!image.isNull() && image.width() > largest.width()) largest = image;
    }
    if (largest.isNull() || !largest.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "%s: cannot convert %s: %s\n", argv[0], argv[1],
                     qPrintable(reader.errorString()));
        return 1;
    }
    return 0;
}
