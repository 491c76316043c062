#include "common/cformat.h"
#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <locale.h>

locale_t CLocale()
{
    static locale_t loc = newlocale(LC_ALL_MASK, "C", locale_t(0));
    return loc;
}

namespace {

// The private "C" locale is made current for the calling thread around each
// call, so setlocale() by Qt or the user never changes the decimal point.
std::string VFormat(const char *format, va_list args)
{
    locale_t old = uselocale(CLocale());
    va_list copy;
    va_copy(copy, args);
    char small[256];
    int n = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    std::string out;
    if (n >= 0 && size_t(n) < sizeof small) {
        out.assign(small, size_t(n));
    } else if (n >= 0) {
        out.resize(size_t(n) + 1);
        std::vsnprintf(out.data(), out.size(), format, args);
        out.resize(size_t(n));
    }
    uselocale(old);
    return out;
}

} // namespace

std::string CFormat(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    std::string out = VFormat(format, args);
    va_end(args);
    return out;
}

QString QCFormat(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    std::string out = VFormat(format, args);
    va_end(args);
    return QString::fromUtf8(out.data(), qsizetype(out.size()));
}
