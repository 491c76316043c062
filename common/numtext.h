#pragma once
// Number text as the GUI class library converts it: one process-wide decimal
// separator (',' in the designer, '.' in the results reader), independent of
// the C locale.
#include <QString>
#include <stdexcept>

namespace numtext {

void SetDecimalSeparator(char separator);
char DecimalSeparator();

// Conversion failure, carrying the message the class library would show:
// "'abc' is not a valid floating point value".
class EConvertError : public std::runtime_error {
public:
    explicit EConvertError(const std::string &message) : std::runtime_error(message) {}
};

// Spaces around, optional sign, digits with at most one separator (and at
// least one digit), optional exponent E/e[sign]digits. Text after a NUL is
// ignored. "inf", "nan", hex, overflow and empty text are errors.
bool TryStrToFloat(const QString &text, double &value);
double StrToFloat(const QString &text); // throws EConvertError

bool TryStrToInt(const QString &text, int &value);
int StrToInt(const QString &text); // throws EConvertError ("'x' is not a valid integer value")
QString IntToStr(long long value);

// General format, 15 significant digits, shortest form: 12.34 -> "12,34",
// 1e20 -> "1E20", 1e-7 -> "1E-7", 0.0001 -> "0,0001". The text always reads
// back through StrToFloat: where 15 digits would round past the largest
// double, the digits that give the value exactly are written instead
// (1.7976931348623157e308 -> "1,7976931348623157E308").
QString FloatToStr(double value);

// Format patterns: '0' digit, '#' optional digit, '.' decimal separator (the
// process one is written), ',' thousands separator, "E+"/"E-"/"e+"/"e-"
// exponents, '...' and "..." literals, up to three ';'-separated sections
// (positive; negative; zero). FormatFloat("0.###", 2.5) -> "2,5".
QString FormatFloat(const QString &pattern, double value);

} // namespace numtext
