#pragma once

#include <QDate>
#include <QString>
#include <QTime>

// The system's short date and long time formats: the C library's formats of
// the user's locale (nl_langinfo D_FMT and T_FMT; "%m/%d/%y" and "%H:%M:%S"
// in the C locale). Qt's own short date spells the month in the C locale,
// which a narrow column clips to the month and year.
namespace platform {

QString SystemShortDate(const QDate &date);
QString SystemLongTime(const QTime &time);

} // namespace platform
