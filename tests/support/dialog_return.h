#pragma once
// Return presses the button that has the focus, in every dialog: a table of
// dialogs, each opened as its program opens it, the user tabbing to one
// button (Cancel after typing a value, say) and pressing Return; the dialog
// must do what that button does.
#include "common/lang.h"
#include "common/numtext.h"
#include "common/qtdialogs.h"
#include "tests/support/modal_wait.h"
#include "tests/support/recording_dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

struct DialogCase {
    const char *name;
    // The button tabbed to, by object name or text.
    QString button;
    // What the user does first in the shown dialog (may be empty).
    std::function<void(QWidget *)> prepare;
    // Opens the dialog as the program does and tells what came of it.
    std::function<QString(RecordingDialogs &)> open;
    const char *outcome;
};

inline void PrintTo(const DialogCase &c, std::ostream *os) { *os << c.name; }

// A button of the modal by object name, else by text.
inline QAbstractButton *FindButton(QWidget *modal, const QString &key)
{
    for (QAbstractButton *b : modal->findChildren<QAbstractButton *>())
        if (b->objectName() == key)
            return b;
    for (QAbstractButton *b : modal->findChildren<QAbstractButton *>())
        if (b->text() == key)
            return b;
    return nullptr;
}

// Types text into the edit (by object name; any edit when null), replacing
// what it held.
inline void TypeInto(QWidget *modal, const char *editName, const QString &text)
{
    auto *edit = editName ? modal->findChild<QLineEdit *>(QString::fromLatin1(editName)) : modal->findChild<QLineEdit *>();
    ASSERT_TRUE(edit) << (editName ? editName : "an edit");
    edit->setFocus(Qt::TabFocusReason);
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

// A closed form's result and what it said meanwhile.
inline QString Closed(int result, const RecordingDialogs &dialogs)
{
    const QString said = dialogs.Texts().join(u'|');
    return (result == QDialog::Accepted ? QStringLiteral("accepted") : QStringLiteral("closed"))
           + (said.isEmpty() ? QString() : QStringLiteral(", said ") + said);
}

// The dialogs' buttons and texts in Russian, the designer's decimal comma.
class DialogReturn : public ::testing::TestWithParam<DialogCase> {
protected:
    void SetUp() override
    {
        English = false;
        numtext::SetDecimalSeparator(',');
    }
    void TearDown() override { numtext::SetDecimalSeparator('.'); }

    // Opens the case's dialog, tabs to its button and presses Return there.
    void Run(const DialogCase &c)
    {
        RecordingDialogs dialogs;
        // The programs' own forms run for real; messages are recorded.
        dialogs.forms.push_back([](QDialog &d) { return d.exec(); });
        QWidget *focused = nullptr;
        QAbstractButton *target = nullptr;
        ModalWaiter waiter(
            [&](QWidget *modal) {
                modal->activateWindow();
                ASSERT_TRUE(QTest::qWaitForWindowActive(modal));
                if (c.prepare)
                    c.prepare(modal);
                target = FindButton(modal, c.button);
                ASSERT_TRUE(target);
                // Tab from wherever the focus is until the button has it.
                for (int i = 0; i < 30 && QApplication::focusWidget() != target; ++i)
                    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : modal, Qt::Key_Tab);
                focused = QApplication::focusWidget();
                if (focused == target)
                    QTest::keyClick(target, Qt::Key_Return);
            },
            5000);
        const QString outcome = c.open(dialogs);
        EXPECT_TRUE(waiter.Seen());
        EXPECT_FALSE(waiter.TimedOut()) << "the dialog stayed open after Return";
        EXPECT_TRUE(waiter.Unexpected().isEmpty()) << waiter.Unexpected().join(u'|').toStdString();
        ASSERT_TRUE(target) << "no button " << c.button.toStdString();
        EXPECT_EQ(focused, target) << "Tab never reached the button";
        EXPECT_EQ(outcome, QString::fromUtf8(c.outcome));
    }
};

TEST_P(DialogReturn, AFocusedButtonTakesReturn) { Run(GetParam()); }
