// The scale record built from a scale's programming points, and a loaded
// record taken back into the scale document.
#include "common/lang.h"
#include "common/numtext.h"
#include "scale/scaledocument.h"
#include "tests/support/recording_dialogs.h"
#include "transfer/prx54.h"
#include "transfer/scaleimport.h"
#include "transfer/scaletransfer.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class RecordTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        numtext::SetDecimalSeparator(',');
        English = false;
        doc.PointCount = 2;
        doc.Intervals = true;
        doc.YNameText = QStringLiteral("AB");
        doc.UnitsText = QStringLiteral("mV");
        doc.XNameText = QStringLiteral("U");
    }
    void TearDown() override { English = false; }

    // Programming points as a recalculation would leave them.
    void SetProg(std::initializer_list<std::pair<double, double>> points, int pwrIndex)
    {
        doc.ProgCount = 0;
        for (auto [x, y] : points) {
            doc.ProgX[doc.ProgCount] = x;
            doc.ProgY[doc.ProgCount] = y;
            ++doc.ProgCount;
        }
        doc.ScalePwrIndex = pwrIndex;
    }

    RecordingDialogs dialogs;
    ScaleDocument doc;
};

TEST_F(RecordTest, NameAndUnitsArePaddedAndTheLayoutHolds)
{
    SetProg({{0, 0}, {100, 12.5}}, 1);
    WritePreparation p = PrepareScaleWrite(doc);
    ASSERT_EQ(p.state, WritePreparation::Ready) << p.message.toStdString();
    const ScaleRecord r = BuildScaleRecord(p.data);
    EXPECT_EQ(r[0], 0xC0);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(&r[1]), 8), QByteArray("AB      "));
    EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(&r[9]), 4), QByteArray("mV  "));
    EXPECT_EQ(r[13], 0);
    EXPECT_EQ(r[14], 0xBD);
    EXPECT_EQ(r[15], 1);
    for (int i = 16; i < 49; ++i)
        EXPECT_EQ(r[static_cast<std::size_t>(i)], 0) << i;
    EXPECT_EQ(r[49], 2);
    // Point 1: x = 100 (64 00), y = 125 (7D 00).
    EXPECT_EQ(r[54], 0x64);
    EXPECT_EQ(r[55], 0x00);
    EXPECT_EQ(r[56], 0x7D);
    EXPECT_EQ(r[57], 0x00);
    for (int i = 58; i < ScaleRecordSize; ++i)
        EXPECT_EQ(r[static_cast<std::size_t>(i)], 0) << i;
    EXPECT_EQ(WriteSuccessText(p.data), QString::fromUtf8("Шкала AB      mV   записана в Q5-M8"));
    English = true;
    EXPECT_EQ(WriteSuccessText(p.data), QStringLiteral("Scale AB      mV   write to Q5-M8"));
}

struct ValueCase {
    double x, y;
    int pwrIndex;
    std::int32_t wantX, wantY;
    std::uint16_t wireX, wireY;
};

TEST_F(RecordTest, ValuesAreTruncatedAfterRoundingNoiseIsSnapped)
{
    double tenth = 0;
    for (int i = 0; i < 10; ++i)
        tenth += 0.1; // 0.9999999999999999
    double x3 = 0;
    for (int i = 0; i < 30; ++i)
        x3 += 0.1; // 2.9999999999999996
    const ValueCase cases[] = {
        {17.9, 12.345, 2, 17, 1234, 17, 1234},        // truncation toward zero stays
        {-5, 1, 0, -5, 1, 65531, 1},                  // the wrap the instrument relies on
        {tenth, tenth, 0, 1, 1, 1, 1},                // the memo shows 1: so does the record
        {x3, 1.15, 2, 3, 115, 3, 115},                // 1.15 * 100 = 114.99999999999999
        {1, 0.7, 1, 1, 7, 1, 7},                      // 0.7 * 10 = 7.000000000000001
        {2, -1.9, 1, 2, -19, 2, 65517},               // negative y toward zero
        {65535, 40000, 0, 65535, 40000, 65535, 40000}, // y above 32767: unsigned words
        {3, 4.0005, 3, 3, 4000, 3, 4000},             // 4000.4999.. truncated
        {-0.5, 0.0015, 3, 0, 1, 0, 1},
    };
    for (const ValueCase &c : cases) {
        SetProg({{c.x, c.y}, {c.x - 1, c.y}}, c.pwrIndex);
        WritePreparation p = PrepareScaleWrite(doc);
        ASSERT_EQ(p.state, WritePreparation::Ready) << c.x << " " << c.y << " " << p.message.toStdString();
        EXPECT_EQ(p.data.x[0], c.wantX) << c.x;
        EXPECT_EQ(p.data.y[0], c.wantY) << c.y;
        const ScaleRecord r = BuildScaleRecord(p.data);
        EXPECT_EQ(RecordPointX(r, 0), c.wireX) << c.x;
        EXPECT_EQ(RecordPointY(r, 0), c.wireY) << c.y;
        EXPECT_EQ(r[15], WriteDecimals(c.pwrIndex));
    }
}

TEST_F(RecordTest, TheMenuCommandRefusesWhatTheInstrumentCannotHold)
{
    struct Case {
        double x, y;
        int pwrIndex;
        QString name;
        const char *russian; // part of the message
        const char *english;
    };
    const Case cases[] = {
        {65536, 1, 0, QStringLiteral("A"), "x = 65536", "x = 65536"},
        {-32769, 1, 0, QStringLiteral("A"), "x = -32769", "x = -32769"},
        {1, 65.536, 3, QStringLiteral("A"), "y = 65,536 (с учетом множителя 1000)", "y = 65,536 (times 1000)"},
        {1, -3276.9, 1, QStringLiteral("A"), "y = -3276,9", "y = -3276,9"},
        {1, 1, 0, QStringLiteral("Ω"), "Windows-1251", "Windows-1251"},
    };
    for (const Case &c : cases) {
        for (bool english : {false, true}) {
            English = english;
            SetProg({{0, 0}, {c.x, c.y}}, c.pwrIndex);
            doc.YNameText = c.name;
            TPRx54ProgForm form;
            ScaleWriteCommand(nullptr, doc, form);
            EXPECT_EQ(dialogs.formCount, 0) << "the dialog does not open";
            ASSERT_EQ(dialogs.messages.size(), 1u);
            const RecordedMessage &m = dialogs.messages[0];
            EXPECT_TRUE(m.text.contains(QString::fromUtf8(english ? c.english : c.russian))) << m.text.toStdString();
            EXPECT_EQ(m.caption, QString::fromUtf8(english ? "Record the scale to Q5-M8" : "Запись шкалы в Q5-M8"));
            EXPECT_EQ(m.flags, ui::MbOk | ui::MbIconError);
            dialogs.Clear();
        }
    }
    // Units go through the same check.
    SetProg({{0, 0}, {1, 1}}, 0);
    doc.YNameText = QStringLiteral("A");
    doc.UnitsText = QStringLiteral("µ€"); // € is in the code page, µ too; ☃ is not
    EXPECT_EQ(PrepareScaleWrite(doc).state, WritePreparation::Ready);
    doc.UnitsText = QStringLiteral("☃");
    EXPECT_EQ(PrepareScaleWrite(doc).state, WritePreparation::Refused);
}

TEST_F(RecordTest, TheMenuCommandsOwnRefusals)
{
    TPRx54ProgForm form;
    doc.PointCount = 0;
    ScaleWriteCommand(nullptr, doc, form);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.formCount, 0);

    doc.PointCount = 3;
    doc.Intervals = false;
    SetProg({{0, 0}, {1, 1}}, 0);
    doc.Intervals = false;
    for (bool english : {false, true}) {
        English = english;
        ScaleWriteCommand(nullptr, doc, form);
    }
    doc.Intervals = true;
    SetProg({{0, 0}}, 0);
    for (bool english : {false, true}) {
        English = english;
        ScaleWriteCommand(nullptr, doc, form);
    }
    EXPECT_EQ(dialogs.formCount, 0);
    EXPECT_EQ(dialogs.Texts(),
              QStringList({QString::fromUtf8("Для записи шкалы в прибор необходимо включить режим Точки для "
                                             "программирования!"),
                           QStringLiteral("To record the scale in the device, you must enable the mode Points for "
                                          "programming!"),
                           QString::fromUtf8("Не достаточное количество точек для программирования !"),
                           QStringLiteral("Lower points for programming")}));
}

std::uint32_t Word(const ScaleRecord &r, int i)
{
    const std::uint8_t *p = &r[static_cast<std::size_t>(50 + 4 * i)];
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

ScaleRecord Record(const char *name, const char *units, int decimals, std::vector<std::uint32_t> words)
{
    ScaleRecord r{};
    r[0] = 0xC0;
    std::memcpy(&r[1], name, std::min<std::size_t>(8, std::strlen(name)));
    std::memcpy(&r[9], units, std::min<std::size_t>(4, std::strlen(units)));
    r[14] = 0xBD;
    r[15] = static_cast<std::uint8_t>(decimals);
    r[49] = static_cast<std::uint8_t>(words.size());
    for (std::size_t i = 0; i < words.size(); ++i)
        for (int b = 0; b < 4; ++b)
            r[50 + 4 * i + static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(words[i] >> (8 * b));
    return r;
}

TEST_F(RecordTest, ImportTakesPointsTextsAndTableInputs)
{
    // 64 00 D2 04: x 100, y 1234 at two decimals.
    const ScaleRecord r = Record("Temp", "mV", 2, {0x04D20064u, 0x2710FFFBu});
    EXPECT_EQ(Word(r, 0), 0x04D20064u);
    doc.ATypeIndex = 1;
    doc.PowerIndex = 4;
    ASSERT_TRUE(ImportScaleRecord(doc, r));
    EXPECT_EQ(doc.PointCount, 2);
    EXPECT_EQ(doc.PointX[0], 100.0);
    EXPECT_EQ(doc.PointY[0], 12.34);
    EXPECT_EQ(doc.PointX[1], 65531.0) << "the halves are unsigned";
    EXPECT_EQ(doc.PointY[1], 100.0);
    EXPECT_EQ(doc.ATypeIndex, 0);
    EXPECT_EQ(doc.PowerIndex, 4) << "the degree is kept";
    EXPECT_EQ(doc.XNameText, QStringLiteral("U"));
    EXPECT_EQ(doc.YNameText, QStringLiteral("Temp")) << "zero bytes end the name";
    EXPECT_EQ(doc.UnitsText, QStringLiteral("mV"));
    EXPECT_EQ(doc.MinText, QStringLiteral("12,34"));
    EXPECT_EQ(doc.MaxText, QStringLiteral("100"));
    EXPECT_EQ(doc.StepText, QStringLiteral("1"));
    EXPECT_EQ(doc.MaxErrText, QStringLiteral("0,01"));
    EXPECT_FALSE(doc.Intervals);
    EXPECT_EQ(doc.ScalePwrIndex, 2);
}

TEST_F(RecordTest, ImportDecimalsAndNames)
{
    struct Case {
        int decimals;
        int entry;
        const char *maxErr;
        double y0;
    };
    for (const Case &c : {Case{0, 0, "1", 1234}, Case{1, 1, "0,1", 123.4}, Case{3, 3, "0,001", 1.234},
                          Case{4, 0, "1", 1234}, Case{200, 0, "1", 1234}}) {
        ASSERT_TRUE(ImportScaleRecord(doc, Record("EightChr", "Unit", c.decimals, {0x04D20000u, 0x04D30001u})));
        EXPECT_EQ(doc.ScalePwrIndex, c.entry) << c.decimals;
        EXPECT_EQ(doc.TableDecimals(), c.entry) << c.decimals;
        EXPECT_EQ(doc.MaxErrText, QString::fromLatin1(c.maxErr)) << c.decimals;
        EXPECT_DOUBLE_EQ(doc.PointY[0], c.y0) << c.decimals;
        EXPECT_EQ(doc.YNameText, QStringLiteral("EightChr"));
        EXPECT_EQ(doc.UnitsText, QStringLiteral("Unit"));
    }
    ASSERT_TRUE(ImportScaleRecord(doc, Record("AB      ", "mV  ", 0, {1, 2})));
    EXPECT_EQ(doc.YNameText, QStringLiteral("AB      ")) << "blanks as the write sends them stay";
    EXPECT_EQ(doc.UnitsText, QStringLiteral("mV  "));
    ScaleRecord cyr = Record("", "", 0, {1, 2});
    cyr[1] = 0xD2; // Т
    cyr[2] = 0xE5; // е
    ASSERT_TRUE(ImportScaleRecord(doc, cyr));
    EXPECT_EQ(doc.YNameText, QString::fromUtf8("Те"));
}

TEST_F(RecordTest, AFallingScaleImportsWithATableOverAllItsPoints)
{
    // y falls from 90 to 10 while x rises.
    ASSERT_TRUE(ImportScaleRecord(doc, Record("Fall", "", 0, {(90u << 16) | 0, (50u << 16) | 40, (10u << 16) | 80})));
    EXPECT_EQ(doc.MinText, QStringLiteral("10"));
    EXPECT_EQ(doc.MaxText, QStringLiteral("90"));
    const RecalcReport rep = doc.Recalculate();
    ASSERT_FALSE(rep.Failed());
    ASSERT_GT(doc.TableCount, 0);
    EXPECT_LE(doc.TableXMin, 0.0) << "the first point is in the table";
    EXPECT_GE(doc.TableXMax, 80.0) << "the last point is in the table";
}

TEST_F(RecordTest, PointsThatDoNotAscendKeepTheirOrderAndTheirFirstAndLastY)
{
    // A written x of -10 comes back as 65526, ahead of the others.
    struct Case {
        const char *name;
        std::vector<std::uint32_t> words;
        bool ascend;
        const char *min, *max;
    };
    const Case cases[] = {
        {"a negative first x", {(20u << 16) | 65526, (50u << 16) | 22, (90u << 16) | 100}, false, "20", "90"},
        {"two negative x first, falling y",
         {(90u << 16) | 65516, (70u << 16) | 65531, (50u << 16) | 10, (20u << 16) | 30}, false, "20", "90"},
        {"one out of place in the middle", {(1u << 16) | 0, (65535u << 16) | 70, (5u << 16) | 30, (7u << 16) | 90},
         false, "1", "7"},
        {"in order", {(3u << 16) | 5, (4u << 16) | 6, (9u << 16) | 8}, true, "3", "9"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(ImportScaleRecord(doc, Record("Neg", "V", 0, c.words)));
        ASSERT_EQ(doc.PointCount, int(c.words.size()));
        for (std::size_t i = 0; i < c.words.size(); ++i) {
            EXPECT_EQ(doc.PointX[i], double(c.words[i] & 0xFFFF)) << "as the record has them, " << i;
            EXPECT_EQ(doc.PointY[i], double(c.words[i] >> 16)) << i;
        }
        EXPECT_EQ(PointsAscend(doc), c.ascend);
        EXPECT_EQ(doc.MinText, QString::fromLatin1(c.min));
        EXPECT_EQ(doc.MaxText, QString::fromLatin1(c.max));
        const RecalcReport rep = doc.Recalculate();
        EXPECT_FALSE(rep.Failed());
        if (c.ascend) {
            EXPECT_GT(doc.TableCount, 0);
        } else if (doc.PointX[0] > doc.PointX[doc.PointCount - 1]) {
            EXPECT_EQ(doc.TableCount, 0) << "no table from a first x beyond the last";
        }
    }
    ASSERT_TRUE(ImportScaleRecord(doc, Record("Eq", "V", 0, {(3u << 16) | 5, (4u << 16) | 5, (9u << 16) | 8})));
    EXPECT_TRUE(PointsAscend(doc)) << "equal x are in order";
}

TEST_F(RecordTest, ImportRefusesCountsTheDocumentCannotHold)
{
    doc.PointCount = 2;
    doc.PointX[0] = 7;
    for (int count : {0, 51, 255}) {
        ScaleRecord r = Record("X", "", 0, {1, 2});
        r[49] = static_cast<std::uint8_t>(count);
        EXPECT_FALSE(ImportScaleRecord(doc, r)) << count;
        EXPECT_EQ(doc.PointX[0], 7.0);
    }
    ScaleRecord one = Record("X", "", 0, {5u << 16 | 3});
    ASSERT_TRUE(ImportScaleRecord(doc, one));
    EXPECT_EQ(doc.MinText, QStringLiteral("5"));
    EXPECT_EQ(doc.MaxText, QStringLiteral("5"));
}

class ImportCommandTest : public RecordTest {
protected:
    void SetUp() override
    {
        RecordTest::SetUp();
        ScaleBuffer = Record("Loaded", "V", 1, {(10u << 16) | 0, (500u << 16) | 100});
        ScaleLoaded = true;
        doc.PointCount = 1;
        doc.PointX[0] = 42;
        doc.Modified = false;
    }
    void TearDown() override
    {
        ScaleLoaded = false;
        ScaleBuffer = {};
        RecordTest::TearDown();
    }
    std::vector<std::string> calls;
    ImportSteps Steps(bool clearAnswer)
    {
        ImportSteps s;
        s.tryClearAll = [this, clearAnswer] {
            calls.push_back("clear");
            return clearAnswer;
        };
        s.showDocument = [this] { calls.push_back("show"); };
        s.recalculate = [this] {
            calls.push_back("calc");
            EXPECT_FALSE(doc.Recalculate().Failed());
        };
        s.fitGraph = [this] { calls.push_back("fit"); };
        return s;
    }
};

TEST_F(ImportCommandTest, ImportsClearsTheFlagAndMarksTheDocument)
{
    EXPECT_TRUE(ImportLoadedScale(doc, Steps(true)));
    EXPECT_EQ(calls, (std::vector<std::string>{"clear", "show", "calc", "fit"}));
    EXPECT_FALSE(ScaleLoaded);
    EXPECT_TRUE(doc.Modified);
    EXPECT_EQ(doc.PointCount, 2);
    EXPECT_EQ(doc.PointY[1], 50.0);
    EXPECT_GT(doc.TableCount, 0);
    calls.clear();
    EXPECT_FALSE(ImportLoadedScale(doc, Steps(true))) << "a plain exit imports nothing later";
    EXPECT_TRUE(calls.empty());
}

TEST_F(ImportCommandTest, CancelAtTheSavePromptDropsTheLoadedScale)
{
    EXPECT_FALSE(ImportLoadedScale(doc, Steps(false)));
    EXPECT_EQ(calls, (std::vector<std::string>{"clear"}));
    EXPECT_FALSE(ScaleLoaded);
    EXPECT_EQ(doc.PointCount, 1);
    EXPECT_EQ(doc.PointX[0], 42.0);
    EXPECT_FALSE(doc.Modified);
}

TEST_F(ImportCommandTest, AFailedSaveStillDropsTheLoadedScale)
{
    ImportSteps s = Steps(true);
    s.tryClearAll = [] () -> bool { throw std::runtime_error("disk full"); };
    EXPECT_THROW(ImportLoadedScale(doc, s), std::runtime_error);
    EXPECT_FALSE(ScaleLoaded);
    EXPECT_EQ(doc.PointX[0], 42.0);
    EXPECT_FALSE(ImportLoadedScale(doc, Steps(true)));
}

TEST_F(ImportCommandTest, PointsThatDoNotAscendAreImportedAndTheWarningSaysWhy)
{
    for (bool english : {false, true}) {
        English = english;
        dialogs.Clear();
        calls.clear();
        ScaleBuffer = Record("Neg", "V", 0, {(20u << 16) | 65526, (50u << 16) | 22, (90u << 16) | 100});
        ScaleLoaded = true;
        ImportSteps s = Steps(true);
        s.fitGraph = [this] {
            calls.push_back("fit");
            EXPECT_TRUE(dialogs.messages.empty()) << "the window is up to date first";
        };
        EXPECT_TRUE(ImportLoadedScale(doc, s));
        EXPECT_EQ(calls, (std::vector<std::string>{"clear", "show", "calc", "fit"}));
        EXPECT_FALSE(ScaleLoaded);
        EXPECT_TRUE(doc.Modified);
        EXPECT_EQ(doc.PointX[0], 65526.0);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        const RecordedMessage &m = dialogs.messages[0];
        EXPECT_TRUE(m.text.contains(QStringLiteral("65536 + X"))) << m.text.toStdString();
        EXPECT_EQ(m.text.contains(QStringLiteral("ascend")), english);
        EXPECT_EQ(m.flags, unsigned(ui::MbOk | ui::MbIconWarning));
    }
    // Points in order: no word.
    dialogs.Clear();
    ScaleBuffer = Record("Pos", "V", 0, {(20u << 16) | 0, (90u << 16) | 100});
    ScaleLoaded = true;
    EXPECT_TRUE(ImportLoadedScale(doc, Steps(true)));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ImportCommandTest, NothingLoadedNothingDone)
{
    ScaleLoaded = false;
    EXPECT_FALSE(ImportLoadedScale(doc, Steps(true)));
    EXPECT_TRUE(calls.empty());
}

} // namespace
