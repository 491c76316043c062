#pragma once
// Keeps an edit to what its scale-file value can hold: no line breaks or
// NUL, only Windows-1251 characters, at most the limit of them.
#include <QValidator>

class EditTextValidator : public QValidator {
    Q_OBJECT
public:
    EditTextValidator(int maxLength, QObject *parent = nullptr);
    State validate(QString &input, int &pos) const override;
    int MaxLength() const { return maxLength_; }

private:
    int maxLength_;
};
