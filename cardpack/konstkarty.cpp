#include "cardpack/konstkarty.h"

QString Int2Str(std::int64_t value, std::int64_t width)
{
    QString text = QString::number(value);
    if (width > text.size())
        text.prepend(QString(width - text.size(), u'0'));
    return text;
}
