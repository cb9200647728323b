#pragma once
// Text conversion between the core's 8-bit strings (UTF-8 on Linux) and Qt.

#include <QString>
#include <string>

inline QString ToQt(const std::string& text) {
  return QString::fromStdString(text);
}

inline std::string FromQt(const QString& text) {
  return text.toStdString();
}

// A caption for a button or menu item: a literal "&" is not a mnemonic marker.
inline QString CaptionToQt(const std::string& caption) {
  return ToQt(caption).replace(QLatin1Char('&'), QLatin1String("&&"));
}
