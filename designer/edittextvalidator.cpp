#include "designer/edittextvalidator.h"
#include "scale/scalefile.h"

EditTextValidator::EditTextValidator(int maxLength, QObject *parent) : QValidator(parent), maxLength_(maxLength) {}

QValidator::State EditTextValidator::validate(QString &input, int &) const
{
    return AcceptableEditText(input, maxLength_) ? Acceptable : Invalid;
}
