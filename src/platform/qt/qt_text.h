#pragma once

#include <QString>
#include <string_view>

namespace platform {

// The program's texts are UTF-8 wherever they come from; this is the one way they become Qt's.
inline QString toQString(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace platform
