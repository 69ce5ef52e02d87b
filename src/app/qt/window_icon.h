#pragma once
#include <QIcon>
#include <QPainter>

namespace tovrin {

// The window's 16 x 16 icon: a small package with a phone-green band, drawn in code.
QIcon makeWindowIcon();

// Draws that icon on a 16 x 16 grid; scale the painter for a larger picture.
void paintWindowIcon(QPainter& p);

}  // namespace tovrin
