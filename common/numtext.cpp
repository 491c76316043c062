#include "common/numtext.h"
#include "common/cformat.h"
#include <QStringList>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>
#include <string>

namespace numtext {
namespace {

char gSeparator = '.';

// Text up to its first NUL, as the class library reads a C string.
QString UpToNul(const QString &text)
{
    qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

std::string Quote(const QString &text) { return "'" + UpToNul(text).toStdString() + "'"; }

// Decimal digits of |value| rounded to `significant` digits: value =
// 0.d1d2d3... x 10^exponent, no trailing zeros; empty for zero.
struct Decimal {
    std::string digits;
    int exponent = 0;
};

// significant <= 0: the fewest digits that read back as the same double.
Decimal ToDecimal(double value, int significant)
{
    Decimal d;
    value = std::fabs(value);
    if (value == 0)
        return d;
    char buf[64];
    auto r = significant > 0
                 ? std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, significant - 1)
                 : std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    std::string s(buf, r.ptr);
    size_t e = s.find('e');
    std::string mant = s.substr(0, e);
    int exp10 = std::atoi(s.c_str() + e + 1);
    for (char c : mant)
        if (c != '.')
            d.digits += c;
    d.exponent = exp10 + 1;
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    return d;
}

// Rounds half away from zero so that at most `decimals` digits remain after
// the decimal point (decimals may be negative for the scientific case).
void RoundAt(Decimal &d, int keep)
{
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    if (int(d.digits.size()) <= keep)
        return;
    bool up = d.digits[size_t(keep)] >= '5';
    d.digits.resize(size_t(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[size_t(i)] == '9') {
            d.digits[size_t(i)] = '0';
            --i;
        }
        if (i < 0) {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        } else {
            ++d.digits[size_t(i)];
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
}

QString SpecialText(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
}

} // namespace

void SetDecimalSeparator(char separator) { gSeparator = separator; }
char DecimalSeparator() { return gSeparator; }

bool TryStrToFloat(const QString &input, double &value)
{
    QString text = UpToNul(input);
    qsizetype i = 0, n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    while (n > i && text[n - 1] == ' ')
        --n;
    std::string norm;
    if (i < n && (text[i] == '+' || text[i] == '-'))
        norm += char(text[i++].unicode());
    int digits = 0;
    bool separator = false;
    for (; i < n; ++i) {
        char16_t c = text[i].unicode();
        if (c >= '0' && c <= '9') {
            norm += char(c);
            ++digits;
        } else if (c == char16_t(gSeparator) && !separator) {
            separator = true;
            norm += '.';
        } else {
            break;
        }
    }
    if (digits == 0)
        return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        norm += 'e';
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-'))
            norm += char(text[i++].unicode());
        int expDigits = 0;
        for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i, ++expDigits)
            norm += char(text[i].unicode());
        if (expDigits == 0)
            return false;
    }
    if (i != n)
        return false;
    char *end = nullptr;
    double v = strtod_l(norm.c_str(), &end, CLocale());
    if (end != norm.c_str() + norm.size() || std::isinf(v))
        return false; // overflow; underflow quietly gives zero or a denormal
    value = v;
    return true;
}

double StrToFloat(const QString &text)
{
    double v;
    if (!TryStrToFloat(text, v))
        throw EConvertError(Quote(text) + " is not a valid floating point value");
    return v;
}

bool TryStrToInt(const QString &input, int &value)
{
    QString text = UpToNul(input);
    qsizetype i = 0, n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i == n)
        return false;
    long long v = 0;
    for (; i < n; ++i) {
        char16_t c = text[i].unicode();
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
        if (v > 2147483648LL)
            return false;
    }
    if (negative)
        v = -v;
    if (v > std::numeric_limits<int>::max() || v < std::numeric_limits<int>::min())
        return false;
    value = int(v);
    return true;
}

int StrToInt(const QString &text)
{
    int v;
    if (!TryStrToInt(text, v))
        throw EConvertError(Quote(text) + " is not a valid integer value");
    return v;
}

QString IntToStr(long long value) { return QString::number(value); }

namespace {

// The general layout of significant digits: plain from 0,0001 up to 15
// integer digits, mantissa and exponent beyond.
QString GeneralText(const Decimal &d, bool negative)
{
    if (d.digits.empty())
        return QStringLiteral("0");
    std::string out = negative ? "-" : "";
    const char sep = gSeparator;
    if (d.exponent > 15 || d.exponent < -3) {
        out += d.digits[0];
        if (d.digits.size() > 1) {
            out += sep;
            out += d.digits.substr(1);
        }
        out += 'E';
        out += std::to_string(d.exponent - 1);
    } else if (d.exponent <= 0) {
        out += '0';
        out += sep;
        out += std::string(size_t(-d.exponent), '0');
        out += d.digits;
    } else {
        std::string digits = d.digits;
        if (int(digits.size()) < d.exponent)
            digits.append(size_t(d.exponent) - digits.size(), '0');
        out += digits.substr(0, size_t(d.exponent));
        if (int(digits.size()) > d.exponent) {
            out += sep;
            out += digits.substr(size_t(d.exponent));
        }
    }
    return QString::fromLatin1(out.c_str());
}

} // namespace

QString FloatToStr(double value)
{
    if (!std::isfinite(value))
        return SpecialText(value);
    const QString text = GeneralText(ToDecimal(value, 15), value < 0);
    // Next to the largest double, 15 digits round up past it and the text
    // would no longer read; there the shortest exact digits are written.
    double back;
    if (TryStrToFloat(text, back))
        return text;
    return GeneralText(ToDecimal(value, 0), value < 0);
}

namespace {

// One section of a format pattern, analysed the way the class library does.
struct Section {
    QString text;
    int intPlaceholders = 0;  // '0' and '#' before the decimal point
    int minInt = 0;           // placeholders from the first '0' to the point
    int minFrac = 0;          // up to the last '0' after the point
    int maxFrac = 0;          // all placeholders after the point
    bool point = false;
    bool thousands = false;
    bool scientific = false;
    bool expPlus = false;
    int expDigits = 0;
};

QStringList SplitSections(const QString &pattern)
{
    QStringList out;
    QString cur;
    QChar quote;
    for (QChar c : pattern) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == ';') {
            out << cur;
            cur.clear();
            continue;
        }
        cur += c;
    }
    out << cur;
    return out;
}

Section Analyse(const QString &text)
{
    Section s;
    s.text = text;
    bool seenZero = false;
    QChar quote;
    for (qsizetype i = 0; i < text.size(); ++i) {
        QChar c = text[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
        } else if ((c == 'E' || c == 'e') && i + 1 < text.size() && (text[i + 1] == '+' || text[i + 1] == '-')) {
            if (s.scientific)
                continue;
            s.scientific = true;
            s.expPlus = text[i + 1] == '+';
            i += 2;
            while (i < text.size() && text[i] == '0') {
                ++s.expDigits;
                ++i;
            }
            --i;
        } else if (s.scientific) {
            continue;
        } else if (c == '.') {
            s.point = true;
        } else if (c == ',') {
            if (!s.point)
                s.thousands = true;
        } else if (c == '0' || c == '#') {
            if (!s.point) {
                ++s.intPlaceholders;
                if (c == '0')
                    seenZero = true;
                if (seenZero)
                    ++s.minInt;
            } else {
                ++s.maxFrac;
                if (c == '0')
                    s.minFrac = s.maxFrac;
            }
        }
    }
    return s;
}

QString Render(const Section &s, double value)
{
    const QChar sep = QChar(gSeparator);
    const QChar thousandSep = gSeparator == ',' ? QChar(0x00A0) : QChar(',');
    Decimal d = ToDecimal(value, 18);
    int exp10 = 0;
    std::string intDigits, fracDigits;
    if (s.scientific) {
        int precision = s.intPlaceholders + s.maxFrac;
        if (precision < 1)
            precision = 1;
        RoundAt(d, precision);
        int intCount = s.intPlaceholders > 0 ? s.intPlaceholders : 1;
        if (!d.digits.empty())
            exp10 = d.exponent - intCount;
        std::string digits = d.digits;
        digits.resize(size_t(std::max<int>(int(digits.size()), intCount)), '0');
        intDigits = digits.substr(0, size_t(intCount));
        fracDigits = digits.substr(size_t(intCount));
        size_t firstNonZero = intDigits.find_first_not_of('0');
        intDigits = firstNonZero == std::string::npos ? "" : intDigits.substr(firstNonZero);
        // Zero has no significant digit; a mantissa still needs one.
        if (intDigits.empty() && d.digits.empty())
            intDigits = "0";
    } else {
        RoundAt(d, d.exponent + s.maxFrac);
        if (!d.digits.empty()) {
            if (d.exponent > 0) {
                std::string digits = d.digits;
                if (int(digits.size()) < d.exponent)
                    digits.append(size_t(d.exponent) - digits.size(), '0');
                intDigits = digits.substr(0, size_t(d.exponent));
                fracDigits = digits.substr(size_t(d.exponent));
            } else {
                fracDigits = std::string(size_t(-d.exponent), '0') + d.digits;
            }
        }
    }
    while (int(fracDigits.size()) > s.minFrac && !fracDigits.empty() && fracDigits.back() == '0')
        fracDigits.pop_back();
    if (int(fracDigits.size()) < s.minFrac)
        fracDigits.append(size_t(s.minFrac) - fracDigits.size(), '0');
    if (int(intDigits.size()) < s.minInt)
        intDigits.insert(0, size_t(s.minInt) - intDigits.size(), '0');

    // Integer digits with their thousands separators, as one block written at
    // the first integer placeholder (digits beyond the placeholders go there too).
    QString intText;
    for (size_t k = 0; k < intDigits.size(); ++k) {
        if (s.thousands && k > 0 && (intDigits.size() - k) % 3 == 0)
            intText += thousandSep;
        intText += QChar(intDigits[k]);
    }

    QString out;
    bool intWritten = false, pointPassed = false;
    int fracIndex = 0;
    QChar quote;
    auto writeInt = [&] {
        if (!intWritten) {
            out += intText;
            intWritten = true;
        }
    };
    for (qsizetype i = 0; i < s.text.size(); ++i) {
        QChar c = s.text[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                out += c;
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
        } else if ((c == 'E' || c == 'e') && s.scientific && i + 1 < s.text.size() &&
                   (s.text[i + 1] == '+' || s.text[i + 1] == '-')) {
            writeInt();
            out += c;
            if (exp10 < 0)
                out += '-';
            else if (s.expPlus)
                out += '+';
            QString e = QString::number(std::abs(exp10));
            while (e.size() < s.expDigits)
                e.prepend('0');
            out += e;
            i += 2;
            while (i < s.text.size() && s.text[i] == '0')
                ++i;
            --i;
        } else if (c == '0' || c == '#') {
            if (!pointPassed) {
                writeInt();
            } else {
                if (fracIndex < int(fracDigits.size()))
                    out += QChar(fracDigits[size_t(fracIndex)]);
                ++fracIndex;
            }
        } else if (c == '.') {
            if (!pointPassed) {
                writeInt();
                pointPassed = true;
                if (!fracDigits.empty())
                    out += sep;
            }
        } else if (c == ',') {
            // a thousands marker, not a character of the output
        } else {
            out += c;
        }
    }
    writeInt();
    return out;
}

bool RoundsToZero(const Section &s, double value)
{
    Decimal d = ToDecimal(value, 18);
    if (s.scientific)
        return d.digits.empty();
    RoundAt(d, d.exponent + s.maxFrac);
    return d.digits.empty();
}

} // namespace

QString FormatFloat(const QString &pattern, double value)
{
    if (!std::isfinite(value))
        return SpecialText(value);
    QStringList sections = SplitSections(pattern);
    if (sections.size() > 3)
        sections = sections.mid(0, 3);
    if (pattern.isEmpty())
        return FloatToStr(value);
    Section positive = Analyse(sections[0]);
    // Fixed notation carries at most 18 digits; beyond that the general format.
    if (!positive.scientific && std::fabs(value) >= 1e18)
        return FloatToStr(value);
    const Section *use = &positive;
    Section negative, zero;
    bool sign = false;
    if (value == 0 || RoundsToZero(positive, value)) {
        if (sections.size() >= 3 && !sections[2].isEmpty()) {
            zero = Analyse(sections[2]);
            use = &zero;
        }
        value = 0;
    } else if (value < 0) {
        if (sections.size() >= 2 && !sections[1].isEmpty()) {
            negative = Analyse(sections[1]);
            use = &negative;
        } else {
            sign = true;
        }
    }
    QString out = Render(*use, value);
    return sign ? QStringLiteral("-") + out : out;
}

} // namespace numtext
