#pragma once
// printf-style formatting that always writes '.' as the decimal point,
// whatever locale Qt or the user set for the process.
#include <QString>
#include <locale.h>
#include <string>

std::string CFormat(const char *format, ...) __attribute__((format(printf, 1, 2)));
QString QCFormat(const char *format, ...) __attribute__((format(printf, 1, 2)));

// A "C" locale object of our own, for conversions that must not follow the
// process locale.
locale_t CLocale();
