#include "PrintableName.h"

namespace cli {

QString printable(const QString &name) {
    QString out;
    out.reserve(name.size());
    for (QChar ch : name) {
        if (ch.unicode() < 0x20 || ch.unicode() == 0x7f)
            out += QStringLiteral("\\x%1").arg(ch.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += ch;
    }
    return out;
}

std::string printableBytes(const QString &name) {
    for (QChar ch : name) {
        if (ch.unicode() < 0x20 || ch.unicode() == 0x7f)
            return printable(name).toStdString();
    }
    return name.toStdString();
}

} // namespace cli
