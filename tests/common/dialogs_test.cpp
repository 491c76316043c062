#include "common/dialogs.h"
#include "tests/support/recording_dialogs.h"
#include <gtest/gtest.h>

TEST(Dialogs, DefaultNeverBlocksAndNeverAgrees)
{
    // With nothing installed, a question is never answered Yes: a test or a
    // tool that forgets to install a seam cannot delete or overwrite anything.
    EXPECT_EQ(ui::Message(nullptr, "t", "c", ui::MbYesNoCancel | ui::MbIconQuestion), ui::IdCancel);
    EXPECT_EQ(ui::Message(nullptr, "t", "c", ui::MbYesNo | ui::MbIconQuestion), ui::IdNo);
    EXPECT_EQ(ui::Message(nullptr, "t", "c", ui::MbOkCancel | ui::MbIconWarning), ui::IdCancel);
    EXPECT_EQ(ui::Message(nullptr, "t", "c", ui::MbOk | ui::MbIconError), ui::IdOk);
    QString path = "keep";
    EXPECT_FALSE(ui::Current().OpenFileName(nullptr, {}, path));
    EXPECT_FALSE(ui::Current().SaveFileName(nullptr, {}, path));
    EXPECT_EQ(path, "keep");
}

TEST(Dialogs, RecorderAnswersAndInstallRestores)
{
    ui::Dialogs *const initial = &ui::Current();
    QString v = "keep";
    EXPECT_FALSE(ui::Current().InputQuery(nullptr, "c", "p", v));
    EXPECT_EQ(v, "keep");
    {
        RecordingDialogs rec;
        EXPECT_EQ(&ui::Current(), &rec);
        rec.answers = {ui::IdNo};
        EXPECT_EQ(ui::Message(nullptr, "first", "cap", ui::MbYesNo | ui::MbIconQuestion), ui::IdNo);
        EXPECT_EQ(ui::Message(nullptr, "second", "cap", ui::MbOk | ui::MbIconError), ui::IdOk);
        ASSERT_EQ(rec.messages.size(), 2u);
        EXPECT_EQ(rec.Texts(), QStringList({"first", "second"}));
        EXPECT_EQ(ui::IconOf(rec.messages[1].flags), unsigned(ui::MbIconError));
        {
            RecordingDialogs inner;
            EXPECT_EQ(&ui::Current(), &inner);
            ui::Message(nullptr, "inner", "", ui::MbOk);
            EXPECT_EQ(inner.messages.size(), 1u);
        }
        ui::Message(nullptr, "third", "", ui::MbOk);
        EXPECT_EQ(rec.messages.size(), 3u); // the outer recorder is back in place
        EXPECT_EQ(&ui::Current(), &rec);
    }
    // The default is back: it answers No, where a recorder would have said Yes.
    EXPECT_EQ(&ui::Current(), initial);
    EXPECT_EQ(ui::Message(nullptr, "t", "c", ui::MbYesNo), ui::IdNo);
    RecordingDialogs another;
    EXPECT_EQ(ui::Install(nullptr), &another);
    EXPECT_EQ(&ui::Current(), initial);
    EXPECT_EQ(ui::Install(&another), nullptr);
}
