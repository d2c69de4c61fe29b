#include "ui/Fonts.h"

namespace pelorin::fonts {

void installSubstitutions()
{
    // Qt tries the asked face first; these only apply on systems without it, where Qt would
    // otherwise fall back to a Latin face and show Chinese captions as boxes.
    const QStringList serif { QStringLiteral("SimSun"), QStringLiteral("Noto Serif CJK SC"),
                              QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Micro Hei") };
    QFont::insertSubstitutions(QStringLiteral("宋体"), serif);
    QFont::insertSubstitutions(QStringLiteral("SimSun"), serif.mid(1));
    QFont::insertSubstitutions(QStringLiteral("仿宋_GB2312"),
                               QStringList { QStringLiteral("FangSong"), QStringLiteral("仿宋") } + serif);
    QFont::insertSubstitutions(QStringLiteral("Arial"),
                               { QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
                                 QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Micro Hei") });
}

QFont song(double points, bool bold)
{
    QFont font(QStringLiteral("宋体"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QFont fangSong(double points)
{
    QFont font(QStringLiteral("仿宋_GB2312"));
    font.setPointSizeF(points);
    return font;
}

} // namespace pelorin::fonts
