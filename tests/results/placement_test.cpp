// Where the reader's window opens: wholly on the screen whatever its stored
// or default place, moved and shrunk no more than needed, and what it had at
// exit is stored. Runs on the offscreen platform's screen (800x800) and again
// on two bench PC screens (1280x1024, 1366x768).
#include "results/mainform.h"
#include "common/lang.h"
#include "tests/support/recording_dialogs.h"
#include "tests/support/window_place.h"
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

// The offscreen platform's frame is 2 pixels on each side.
const PlaceCase Cases[] = {
    {"FirstStart", nullptr, nullptr, nullptr, nullptr,
     {{"800x800", {{0, 133}, {796, 648}}},
      {"1280x1024", {{438, 133}, {838, 648}}},
      {"1366x768", {{524, 116}, {838, 648}}}}},
    {"StoredPlaceThatFits", "100", "50", "600", "500",
     {{"800x800", {{100, 50}, {600, 500}}},
      {"1280x1024", {{100, 50}, {600, 500}}},
      {"1366x768", {{100, 50}, {600, 500}}}}},
    {"OffTheRightAndAbove", "30000", "-5000", "838", "648",
     {{"800x800", {{0, 0}, {796, 648}}},
      {"1280x1024", {{438, 0}, {838, 648}}},
      {"1366x768", {{524, 0}, {838, 648}}}}},
    {"PartlyLeftOfTheScreen", "-400", "10", "600", "500",
     {{"800x800", {{0, 10}, {600, 500}}},
      {"1280x1024", {{0, 10}, {600, 500}}},
      {"1366x768", {{0, 10}, {600, 500}}}}},
    {"AbsurdSize", "10", "10", "2147483647", "2147483647",
     {{"800x800", {{0, 0}, {796, 796}}},
      {"1280x1024", {{0, 0}, {1276, 1020}}},
      {"1366x768", {{0, 0}, {1362, 764}}}}},
    // A value that is not a number takes its default (838 for the width), as
    // a missing one does.
    {"NotNumbers", "0", "zero", "abc", "500",
     {{"800x800", {{0, 133}, {796, 500}}},
      {"1280x1024", {{0, 133}, {838, 500}}},
      {"1366x768", {{0, 133}, {838, 500}}}}},
};

class Placement : public ::testing::TestWithParam<PlaceCase> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
        English = false;
    }
    void TearDown() override
    {
        form.reset();
        English = false;
    }
    TMainForm &Start()
    {
        form = std::make_unique<TMainForm>(QStringList{QStringLiteral("Ostrel")});
        return *form;
    }

    QTemporaryDir dir;
    RecordingDialogs dialogs;
    std::unique_ptr<TMainForm> form;
};

} // namespace

TEST_P(Placement, TheWindowComesBackWholeOnTheScreen)
{
    CheckPlaceCase<TMainForm>(GetParam(), QStringLiteral("Ostrel"), dir.filePath(QStringLiteral("Ostrel.ini")),
                              [this]() -> TMainForm & { return Start(); }, [this] { form.reset(); });
}

INSTANTIATE_TEST_SUITE_P(Stored, Placement, ::testing::ValuesIn(Cases),
                         [](const auto &info) { return std::string(info.param.name); });
