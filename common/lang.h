#pragma once
// The program-wide language flag: false = Russian, true = English. Every text
// is chosen at the moment it is shown, so switching takes effect at once.
#include <QString>

extern bool English;

// Picks the Russian or the English text (both given as UTF-8 literals).
inline QString Lang(const char *russian, const char *english)
{
    return QString::fromUtf8(English ? english : russian);
}

// A Russian/English text pair kept as a constant, chosen when it is shown.
struct LangText {
    const char *russian;
    const char *english;
    QString Text() const { return Lang(russian, english); }
};
