#include "hosts/qt/qt_text.h"

#include "text/charset.h"

namespace lj {

QString toQString(const text& t) {
    const std::string utf8 = ansiToUtf8(t);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

text toText(const QString& s) {
    const qsizetype zero = s.indexOf(QChar(u'\0'));
    const QByteArray utf8 = (zero < 0 ? s : s.left(zero)).toUtf8();
    return utf8ToAnsi(text(utf8.constData(), static_cast<size_t>(utf8.size())));
}

}  // namespace lj
