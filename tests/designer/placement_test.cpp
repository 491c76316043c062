// Where the designer's window opens: wholly on the screen whatever its
// stored or default place, moved and shrunk no more than needed, and what it
// had at exit is stored. Runs on the designer tests' large screen and again
// on two bench PC screens (1280x1024, 1366x768).
#include "tests/designer/designer_util.h"
#include "tests/support/window_place.h"
#include <limits>

namespace {

// The offscreen platform's frame is 2 pixels on each side.
const PlaceCase Cases[] = {
    {"FirstStart", nullptr, nullptr, nullptr, nullptr,
     {{"2560x1600", {{1010, 144}, {874, 802}}},
      // The default left would put the right panel off the screen.
      {"1280x1024", {{402, 144}, {874, 802}}},
      {"1366x768", {{488, 0}, {874, 764}}}}},
    {"StoredPlaceThatFits", "100", "50", "800", "600",
     {{"2560x1600", {{100, 50}, {800, 600}}},
      {"1280x1024", {{100, 50}, {800, 600}}},
      {"1366x768", {{100, 50}, {800, 600}}}}},
    {"OffTheRightAndAbove", "30000", "-5000", "874", "700",
     {{"2560x1600", {{1682, 0}, {874, 700}}},
      {"1280x1024", {{402, 0}, {874, 700}}},
      {"1366x768", {{488, 0}, {874, 700}}}}},
    {"PartlyLeftOfTheScreen", "-400", "10", "800", "600",
     {{"2560x1600", {{0, 10}, {800, 600}}},
      {"1280x1024", {{0, 10}, {800, 600}}},
      {"1366x768", {{0, 10}, {800, 600}}}}},
    {"AbsurdSize", "10", "10", "2147483647", "2147483647",
     {{"2560x1600", {{0, 0}, {2556, 1596}}},
      {"1280x1024", {{0, 0}, {1276, 1020}}},
      {"1366x768", {{0, 0}, {1362, 764}}}}},
    {"ExtremePlace", "-2147483648", "2147483647", "874", "600",
     {{"2560x1600", {{0, 996}, {874, 600}}},
      {"1280x1024", {{0, 420}, {874, 600}}},
      {"1366x768", {{0, 164}, {874, 600}}}}},
    // A value that is not a number takes its default, as a missing one does.
    {"NotNumbers", "0", "0", "abc", "8x",
     {{"2560x1600", {{0, 0}, {874, 802}}},
      {"1280x1024", {{0, 0}, {874, 802}}},
      {"1366x768", {{0, 0}, {874, 764}}}}},
};

class Placement : public DesignerTest, public ::testing::WithParamInterface<PlaceCase> {};

} // namespace

TEST_P(Placement, TheWindowComesBackWholeOnTheScreen)
{
    CheckPlaceCase<TMainForm>(
        GetParam(), QStringLiteral("Scale"), SettingsFile(), [this]() -> TMainForm & { return Start(); },
        [this] { Stop(); },
        [](TMainForm &f) {
            // The panel with the grid, the parameters and the buttons shows.
            EXPECT_TRUE(WhollyOnScreen(QRect(f.MainPanel->mapToGlobal(QPoint(0, 0)), f.MainPanel->size())));
            EXPECT_TRUE(WhollyOnScreen(QRect(f.BitBtn1->mapToGlobal(QPoint(0, 0)), f.BitBtn1->size())));
        });
}

INSTANTIATE_TEST_SUITE_P(Stored, Placement, ::testing::ValuesIn(Cases),
                         [](const auto &info) { return std::string(info.param.name); });
