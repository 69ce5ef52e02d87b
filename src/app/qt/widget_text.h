#pragma once
// The seam's 8-bit local text to the widgets' text and back.

#include <QString>

#include <string>

namespace tovrin {

inline QString toQt(const std::string& s) {
    return QString::fromLocal8Bit(s.data(), static_cast<qsizetype>(s.size()));
}

inline std::string fromQt(const QString& s) { return s.toLocal8Bit().toStdString(); }

}  // namespace tovrin
