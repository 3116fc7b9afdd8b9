// Every text crosses between the program (code page 936) and Qt (Unicode)
// here, so titles, captions, pasted links and copied names keep every character.
#pragma once

#include <QString>

#include "text/text.h"

namespace lj {

QString toQString(const text& t);
// A text never holds a zero byte: whatever follows a U+0000 is dropped, as a
// zero-terminated CF_TEXT copy would drop it.
text toText(const QString& s);

}  // namespace lj
