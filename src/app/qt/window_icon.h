#pragma once
#include <QIcon>

namespace tovrin {

// The window's 16 x 16 icon: a small package with a phone-green band, drawn in code.
QIcon makeWindowIcon();

}  // namespace tovrin
