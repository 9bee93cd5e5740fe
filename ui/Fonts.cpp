#include "ui/Fonts.h"

#include <QStringList>

namespace mayorin::ui {

// Each list names the program's own face first, then the ones other desktops carry instead.

QFont fixedFont(int pixelSize, bool bold) {
    QFont f;
    f.setFamilies({"IPAGothic", "Noto Sans Mono CJK JP", "monospace"});
    f.setStyleHint(QFont::TypeWriter);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

QFont proportionalFont(int pixelSize, bool bold) {
    QFont f;
    f.setFamilies({"IPAPGothic", "IPAGothic", "Noto Sans CJK JP"});
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

} // namespace mayorin::ui
