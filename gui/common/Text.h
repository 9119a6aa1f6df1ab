// Text between the core and Qt: texts from files may be UTF-8 (file names) or 8-bit console
// text, and either shows.
#pragma once

#include <QString>
#include <string>

namespace orb {

QString TextOf(const std::string& text);
std::string StdText(const QString& text);

}  // namespace orb
