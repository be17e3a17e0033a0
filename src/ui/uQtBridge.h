// The few conversions between engine values and Qt types, in one place.
#pragma once

#include <QColor>
#include <QString>

#include <cstdint>
#include <string>
#include <string_view>

namespace tessaro {

// Engine colours are 0x00BBGGRR.
inline QColor ToQColor(uint32_t bgr) {
  return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                static_cast<int>((bgr >> 16) & 0xFF));
}
inline uint32_t FromQColor(const QColor& c) {
  return static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8) |
         (static_cast<uint32_t>(c.blue()) << 16);
}
inline QString Q(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
inline std::string S(const QString& s) {
  return s.toStdString();
}

// A user-visible text: identifier and German source text. The translation catalogues
// are looked up here once the language switch exists.
QString ResText(const char* id, const char* german);

}  // namespace tessaro
