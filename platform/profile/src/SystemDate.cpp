#include "platform/SystemDate.h"

#include <ctime>
#include <langinfo.h>

namespace platform {
namespace {

QString Format(nl_item item, const std::tm &tm) {
    char out[128];
    // The format is the locale's own, not one of ours.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    const std::size_t n = std::strftime(out, sizeof out, nl_langinfo(item), &tm);
#pragma GCC diagnostic pop
    return QString::fromLocal8Bit(out, static_cast<qsizetype>(n));
}

} // namespace

QString SystemShortDate(const QDate &date) {
    if (!date.isValid())
        return QString();
    std::tm tm{};
    tm.tm_year = date.year() - 1900;
    tm.tm_mon = date.month() - 1;
    tm.tm_mday = date.day();
    tm.tm_wday = date.dayOfWeek() % 7;
    tm.tm_yday = date.dayOfYear() - 1;
    return Format(D_FMT, tm);
}

QString SystemLongTime(const QTime &time) {
    if (!time.isValid())
        return QString();
    std::tm tm{};
    tm.tm_hour = time.hour();
    tm.tm_min = time.minute();
    tm.tm_sec = time.second();
    return Format(T_FMT, tm);
}

} // namespace platform
