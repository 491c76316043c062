#include "common/dialogs.h"
#include "tests/support/recording_dialogs.h"
#include <gtest/gtest.h>

TEST(Dialogs, DefaultNeverBlocksAndRecorderAnswers)
{
    EXPECT_EQ(ui::Message(nullptr, "t", "c", ui::MbYesNoCancel | ui::MbIconQuestion), ui::IdYes);
    QString v = "keep";
    EXPECT_FALSE(ui::Current().InputQuery(nullptr, "c", "p", v));
    EXPECT_EQ(v, "keep");
    {
        RecordingDialogs rec;
        rec.answers = {ui::IdNo};
        EXPECT_EQ(ui::Message(nullptr, "first", "cap", ui::MbYesNo | ui::MbIconQuestion), ui::IdNo);
        EXPECT_EQ(ui::Message(nullptr, "second", "cap", ui::MbOk | ui::MbIconError), ui::IdOk);
        ASSERT_EQ(rec.messages.size(), 2u);
        EXPECT_EQ(rec.Texts(), QStringList({"first", "second"}));
        EXPECT_EQ(ui::IconOf(rec.messages[1].flags), unsigned(ui::MbIconError));
        {
            RecordingDialogs inner;
            ui::Message(nullptr, "inner", "", ui::MbOk);
            EXPECT_EQ(inner.messages.size(), 1u);
        }
        ui::Message(nullptr, "third", "", ui::MbOk);
        EXPECT_EQ(rec.messages.size(), 3u); // the outer recorder is back in place
    }
    EXPECT_EQ(&ui::Current(), &ui::Current());
}
