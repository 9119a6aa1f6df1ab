#include "gui/common/Text.h"

#include <QByteArrayView>
#include <QStringDecoder>

namespace orb {

QString TextOf(const std::string& text) {
  QStringDecoder utf8(QStringConverter::Utf8);
  QString decoded = utf8(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
  return utf8.hasError() ? QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()))
                         : decoded;
}

std::string StdText(const QString& text) {
  return text.toStdString();
}

}  // namespace orb
