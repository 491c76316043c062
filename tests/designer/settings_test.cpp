// The window's settings: defaults at the first start, all fourteen values
// written when the window goes, restored at the next start.
#include "common/windowplace.h"
#include "tests/designer/designer_util.h"
#include "designer/main_views.h"
#include <QCheckBox>
#include <QComboBox>
#include <QSettings>
#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <limits>

namespace {

using SettingsTest = DesignerTest;

void Store(const QString &key, const QVariant &value)
{
    QSettings s(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Scale"));
    s.setValue(key, value);
}

TEST_F(SettingsTest, FirstStartGivesTheDefaultsAndExitStoresAllFourteen)
{
    TMainForm &f = Start();
    EXPECT_EQ(f.pos(), QPoint(1010, 144));
    EXPECT_EQ(f.size(), QSize(874, 802));
    EXPECT_EQ(f.MainPanelAlign(), alRight);
    EXPECT_TRUE(f.TableViewItem->isChecked());
    EXPECT_FALSE(f.TableMemo->isHidden());
    EXPECT_EQ(f.ATypeRadioGroup->ItemIndex(), 0);
    EXPECT_EQ(f.PowerComboBox->currentIndex(), 0);
    EXPECT_EQ(f.MinEdit->text(), "1");
    EXPECT_EQ(f.MaxEdit->text(), "100");
    EXPECT_EQ(f.StepEdit->text(), "1");
    EXPECT_EQ(f.ScalePwrComboBox->currentIndex(), 0);
    EXPECT_FALSE(f.IntervalsCheckBox->isChecked());
    EXPECT_EQ(f.MaxErrEdit->text(), "1");
    EXPECT_FALSE(f.Document.Modified);
    EXPECT_EQ(f.Document.GraphXMax, 100.0);
    EXPECT_TRUE(f.PosLabel->text().isEmpty());
    EXPECT_FALSE(f.ProgrammItem->isEnabled());
    EXPECT_FALSE(f.MenuItem12->isEnabled());
    Stop();

    QSettings s(SettingsFile(), QSettings::IniFormat);
    const QStringList expected = {"Params/AType", "Params/Power", "Table/Intervals", "Table/Max",
                                  "Table/MaxError", "Table/Min", "Table/ScalePower", "Table/Step",
                                  "Window/Height", "Window/Left", "Window/Panel", "Window/Table",
                                  "Window/Top", "Window/Width"};
    QStringList keys = s.allKeys();
    keys.sort();
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(s.value("Window/Left").toInt(), 1010);
    EXPECT_EQ(s.value("Window/Width").toInt(), 874);
    EXPECT_EQ(s.value("Window/Panel").toInt(), 4);
    EXPECT_EQ(s.value("Window/Table").toInt(), 1);
    EXPECT_EQ(s.value("Table/Max").toString(), "100");
    EXPECT_EQ(s.value("Table/Intervals").toInt(), 0);
}

TEST_F(SettingsTest, ARestartRestoresWhatTheLastRunLeft)
{
    {
        TMainForm &f = Start();
        f.move(200, 150);
        f.resize(900, 700);
        f.LeftItemClick();
        f.TableViewItemClick(f.TableViewItem);
        f.ATypeRadioGroup->SetItemIndex(1);
        f.PowerComboBox->setCurrentIndex(4);
        f.MinEdit->setText("-5");
        f.MaxEdit->setText("250,5");
        f.StepEdit->setText("0,5");
        f.ScalePwrComboBox->setCurrentIndex(2);
        f.IntervalsCheckBox->setChecked(true);
        f.MaxErrEdit->setText("0,25");
        Stop();
    }
    for (int run = 0; run < 2; ++run) { // and again: nothing drifts
        TMainForm &f = Start();
        EXPECT_EQ(f.pos(), QPoint(200, 150)) << run;
        EXPECT_EQ(f.size(), QSize(900, 700)) << run;
        EXPECT_EQ(f.MainPanelAlign(), alLeft);
        EXPECT_EQ(f.MainPanel->x(), 0);
        EXPECT_FALSE(f.TableViewItem->isChecked());
        EXPECT_TRUE(f.TableMemo->isHidden());
        EXPECT_EQ(f.ATypeRadioGroup->ItemIndex(), 1);
        EXPECT_EQ(f.PowerComboBox->currentIndex(), 4);
        EXPECT_EQ(f.MinEdit->text(), "-5");
        EXPECT_EQ(f.MaxEdit->text(), "250,5");
        EXPECT_EQ(f.StepEdit->text(), "0,5");
        EXPECT_EQ(f.ScalePwrComboBox->currentIndex(), 2);
        EXPECT_TRUE(f.IntervalsCheckBox->isChecked());
        EXPECT_EQ(f.MaxErrEdit->text(), "0,25");
        EXPECT_FALSE(f.Document.Modified) << "the settings are no change of the scale";
        EXPECT_EQ(f.Document.PowerIndex, 4);
        EXPECT_EQ(f.Document.StepText, "0,5");
        Stop();
    }
}

struct StoredCase {
    const char *name;
    const char *power;
    int powerIndex;
    const char *panel;
    TPanelAlign align;
};

void PrintTo(const StoredCase &c, std::ostream *os) { *os << c.name; }

class StoredValues : public DesignerTest, public ::testing::WithParamInterface<StoredCase> {};

TEST_P(StoredValues, ReadAsNumbersOrDefaults)
{
    const StoredCase &c = GetParam();
    Store("Params/Power", QString::fromLatin1(c.power));
    Store("Window/Panel", QString::fromLatin1(c.panel));
    TMainForm &f = Start();
    EXPECT_EQ(f.PowerComboBox->currentIndex(), c.powerIndex);
    EXPECT_EQ(f.Document.PowerIndex, c.powerIndex);
    EXPECT_EQ(f.MainPanelAlign(), c.align);
    EXPECT_EQ(f.MainPanel->x() == 0, c.align == alLeft);
}

INSTANTIATE_TEST_SUITE_P(Cases, StoredValues,
                         ::testing::Values(StoredCase{"TextThree", "3", 3, "3", alLeft},
                                           StoredCase{"NotANumber", "abc", 0, "x", alRight},
                                           // Out of range: no degree selected, as the core expects.
                                           StoredCase{"OutOfRange", "20", -1, "0", alRight},
                                           StoredCase{"Right", "8", 8, "4", alRight},
                                           StoredCase{"OtherPanel", "0", 0, "7", alRight}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(SettingsTest, AWindowOffEveryScreenComesBackWholeOnOne)
{
    Store("Window/Left", 30000);
    Store("Window/Top", -5000);
    TMainForm &f = Start();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    // Moved no further than needed: to the right edge, at the top.
    EXPECT_EQ(f.pos(), QPoint(screen.right() + 1 - f.width(), 0));
    EXPECT_TRUE(screen.contains(f.frameGeometry()));

    const QRect small(0, 0, 1024, 768), wide(1024, 0, 1920, 1080);
    EXPECT_EQ(FitOnScreen(1010, 144, 874, 802, {small}), QRect(150, 0, 874, 768))
        << "moved left and up, shrunk only in height";
    EXPECT_EQ(FitOnScreen(-400, 10, 874, 702, {small}), QRect(0, 10, 874, 702));
    EXPECT_EQ(FitOnScreen(2000, 10, 874, 802, {small, wide}), QRect(2000, 10, 874, 802)) << "wholly on the second";
    EXPECT_EQ(FitOnScreen(600, 10, 874, 702, {small, wide}), QRect(600, 10, 874, 702)) << "across both is whole";
    EXPECT_EQ(FitOnScreen(600, 10, 874, 802, {small, wide}), QRect(1024, 10, 874, 802))
        << "too high for the first: onto the second, which holds most of it";
    EXPECT_EQ(FitOnScreen(5000, -3000, 800, 600, {small, wide}), QRect(2144, 0, 800, 600)) << "the nearest";
    EXPECT_EQ(FitOnScreen(std::numeric_limits<int>::min(), std::numeric_limits<int>::max(),
                          std::numeric_limits<int>::max(), std::numeric_limits<int>::max(), {small, wide}),
              small)
        << "the nearest, with no overflow";
    EXPECT_EQ(FitOnScreen(10, 10, 0, -5, {small}), QRect(10, 10, 1, 1));
    EXPECT_EQ(FitOnScreen(10, 10, std::numeric_limits<int>::max(), 100, {}), QRect(10, 10, 1 << 24, 100))
        << "no screen: kept, its size limited";
}

} // namespace
