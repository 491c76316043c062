#include "designer/edittextvalidator.h"
#include "scale/scaledocument.h"
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Types text key by key, as a keyboard with those letters would.
void Type(QLineEdit &edit, const QString &text)
{
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, &edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

} // namespace

// Typing and pasting go through the validator; what it refuses never
// reaches the text.
TEST(EditTextValidator, EditTakesOnlyWhatTheFileCanHold)
{
    QLineEdit edit;
    edit.setValidator(new EditTextValidator(MaxNameLength, &edit));
    Type(edit, QString::fromUtf8("Давление"));
    EXPECT_EQ(edit.text(), QString::fromUtf8("Давление"));
    Type(edit, QStringLiteral("X")); // a ninth character
    EXPECT_EQ(edit.text(), QString::fromUtf8("Давление"));

    edit.clear();
    Type(edit, QString::fromUtf8("°C²")); // '²' has no Windows-1251 byte
    EXPECT_EQ(edit.text(), QString::fromUtf8("°C"));
    edit.insert(QStringLiteral("a\nb"));
    edit.insert(QString("z") + QChar(0));
    EXPECT_EQ(edit.text(), QString::fromUtf8("°C"));
    edit.insert(QString::fromUtf8("№1"));
    EXPECT_EQ(edit.text(), QString::fromUtf8("°C№1"));

    QLineEdit units;
    units.setValidator(new EditTextValidator(MaxUnitsLength, &units));
    units.insert(QString::fromUtf8("кПа/с")); // five: refused whole
    EXPECT_EQ(units.text(), QString());
    units.insert(QString::fromUtf8("кПа"));
    EXPECT_EQ(units.text(), QString::fromUtf8("кПа"));
}
