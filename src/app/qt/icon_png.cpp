// tovrin-icon-png SIZE FILE: writes the window's icon as a SIZE x SIZE PNG for the desktop's
// icon theme. Run by the build; it is not installed.
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstdlib>

#include "src/app/qt/window_icon.h"

int main(int argc, char** argv) {
    const int size = argc == 3 ? std::atoi(argv[1]) : 0;
    if (size < 16 || size > 1024) {
        std::fprintf(stderr, "usage: tovrin-icon-png SIZE FILE (SIZE from 16 to 1024)\n");
        return 2;
    }
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    // The 16-pixel icon keeps its sharp pixels; larger ones are smoothed.
    p.setRenderHint(QPainter::Antialiasing, size > 16);
    p.scale(size / 16.0, size / 16.0);
    tovrin::paintWindowIcon(p);
    p.end();
    if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "tovrin-icon-png: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
