#include "src/app/qt/window_icon.h"

#include <QPixmap>

namespace tovrin {

void paintWindowIcon(QPainter& p) {
    p.setPen(QColor(60, 40, 10));
    p.setBrush(QColor(205, 160, 90));
    p.drawRect(1, 4, 13, 10);                      // the box
    p.fillRect(2, 5, 12, 3, QColor(40, 150, 60));  // its band
    p.drawLine(1, 4, 4, 1);                        // the lid
    p.drawLine(4, 1, 15, 1);
    p.drawLine(15, 1, 14, 4);
}

QIcon makeWindowIcon() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    paintWindowIcon(p);
    return QIcon(pixmap);
}

}  // namespace tovrin
