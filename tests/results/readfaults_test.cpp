// What the user sees when the instrument misbehaves during a read, in both
// languages, and what the read keeps.
#include "tests/results/read_test_util.h"

#include <QTest>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

struct Box {
    const char *captionRu, *captionEn, *textRu, *textEn;
    unsigned flags;
};

const Box kReceiveBox{"RS232", "RS232", "Ошибка при приеме данных!", "Error at receiving data!", ui::MbIconError};
const Box kHangUpBox{"RS232", "RS232", "Ошибка #5", "Error #5", ui::MbIconError};
const Box kConnectBox{"Результаты Q5-M8", "Q5-M8 results", "Не удается подключится к прибору!",
                      "Cant't connect to device!", ui::MbIconError};
const Box kReadDataBox{"Результаты Q5-M8", "Q5-M8 results",
                       "Ошибка при приеме данных от прибора, или прибор не реагирует на команды", "Read data error!",
                       ui::MbIconError};

struct FaultCase {
    const char *name;
    std::vector<std::pair<std::uint8_t, emu::Fault>> faults;
    std::vector<Box> boxes;
    bool completed;
    const char *deviceText;
    emu::Bytes sent; // empty: the whole read
};

void PrintTo(const FaultCase &c, std::ostream *os) { *os << c.name; }

emu::Fault Patch(int offset, std::uint8_t value)
{
    emu::Fault f = FaultOf(emu::Fault::Patch);
    f.offset = offset;
    f.value = value;
    return f;
}

emu::Fault Keep(emu::Fault::Kind kind, int file, std::size_t keep)
{
    emu::Fault f = FaultOf(kind, file);
    f.keep = keep;
    return f;
}

const emu::Bytes kUpToFile3{0x81, 0x8B, 0x8C, 0x00, 0x8C, 0x01, 0x8C, 0x02, 0x84};

// As typed on the emulator's command line.
std::pair<std::uint8_t, emu::Fault> Typed(const char *text)
{
    std::pair<std::uint8_t, emu::Fault> f;
    std::string error;
    EXPECT_TRUE(emu::ParseFault(text, f.first, f.second, error)) << error;
    return f;
}

// The bytes of a read that requested files 0..last.
emu::Bytes UpToFile(int last)
{
    emu::Bytes b{0x81, 0x8B};
    for (int i = 0; i <= last; ++i) {
        b.push_back(0x8C);
        b.push_back(static_cast<std::uint8_t>(i));
    }
    return b;
}

class ReadFaults : public ::testing::TestWithParam<std::tuple<FaultCase, bool>> {};

} // namespace

TEST_P(ReadFaults, TheUserSeesWhatWentWrong)
{
    const auto &[c, english] = GetParam();
    LangGuard lang(english);
    Stand stand(SmallData(4));
    for (const auto &[cmd, f] : c.faults)
        stand.instrument.InjectFault(cmd, f);
    RecordingDialogs dialogs;
    TProgressForm form;
    const auto start = Clock::now();
    InstrumentRead read = RunRead(dialogs, form, stand.Path());
    const auto took = Clock::now() - start;

    ASSERT_EQ(dialogs.messages.size(), c.boxes.size()) << dialogs.Texts().join(u'|').toStdString();
    for (std::size_t i = 0; i < c.boxes.size(); ++i) {
        const Box &b = c.boxes[i];
        EXPECT_EQ(dialogs.messages[i].text, QString::fromUtf8(english ? b.textEn : b.textRu)) << i;
        EXPECT_EQ(dialogs.messages[i].caption, QString::fromUtf8(english ? b.captionEn : b.captionRu)) << i;
        EXPECT_EQ(dialogs.messages[i].flags, ui::MbOk | b.flags) << i;
    }
    EXPECT_EQ(read.completed, c.completed);
    EXPECT_EQ(read.deviceText, QString::fromUtf8(c.deviceText));
    if (!c.completed) {
        EXPECT_TRUE(read.files.empty());
    }
    const emu::Bytes expected = c.sent.empty() ? FullReadBytes() : c.sent;
    stand.instrument.WaitReceived([&](const emu::Bytes &r) { return r.size() >= expected.size(); }, 3000ms);
    EXPECT_EQ(Hex(stand.instrument.Received()), Hex(expected));
    // At most one read time-out of waiting, whatever is missing.
    EXPECT_LT(took, 5010ms + 4000ms);
}

INSTANTIATE_TEST_SUITE_P(
    Instrument, ReadFaults,
    ::testing::Combine(
        ::testing::Values(
            FaultCase{"SilenceAtConnect", {{0x81, FaultOf(emu::Fault::Silence)}}, {kReceiveBox, kConnectBox}, false,
                      "", {0x81, 0x84}},
            FaultCase{"WrongTriple", {{0x81, Patch(2, 0x82)}}, {kConnectBox}, false, "", {0x81, 0x84}},
            FaultCase{"VersionWithoutPrefix", {{0x8B, Patch(0, 0x00)}}, {}, true, "", {}},
            FaultCase{"SilenceAtAFilesCount", {{0x8C, FaultOf(emu::Fault::Silence, 2)}}, {kReceiveBox, kReadDataBox},
                      false, "Q5-M8 v.1.2.15", kUpToFile3},
            FaultCase{"SilenceInTheMiddleOfAFile", {{0x8C, Keep(emu::Fault::Truncate, 2, 1 + 16 + 7)}},
                      {kReceiveBox, kReadDataBox}, false, "Q5-M8 v.1.2.15", kUpToFile3},
            FaultCase{"HangUpInTheMiddleOfAFile", {{0x8C, Keep(emu::Fault::HangUp, 2, 1 + 16 * 2 + 3)}},
                      {kHangUpBox, kReadDataBox}, false, "Q5-M8 v.1.2.15",
                      {0x81, 0x8B, 0x8C, 0x00, 0x8C, 0x01, 0x8C, 0x02}},
            FaultCase{"HangUpPartWayThroughFile50", {Typed("8c#31:hangup:30")}, {kHangUpBox, kReadDataBox}, false,
                      "Q5-M8 v.1.2.15", UpToFile(49)}),
        ::testing::Bool()),
    [](const auto &info) {
        return std::string(std::get<0>(info.param).name) + (std::get<1>(info.param) ? "English" : "Russian");
    });

// One read of an instrument whose files hold every odd content at once: the
// read must keep each file's own records and stay in step after each.
class ReadContent : public ::testing::TestWithParam<bool> {};

TEST_P(ReadContent, KeepsEachFilesOwnRecords)
{
    const bool english = GetParam();
    LangGuard lang(english);
    emu::InstrumentData d = SmallData(3);
    d.files[0] = {emu::MakeMeasurement(QStringLiteral("1.5"), QStringLiteral("A")),
                  emu::MakeMeasurement(QStringLiteral("-----"), QStringLiteral("A")),
                  emu::MakeMeasurement(QStringLiteral("2.5"), QStringLiteral("A"))};
    d.files[1].clear();
    for (int i = 0; i < 255; ++i) // an over-long count
        d.files[1].push_back(emu::MakeMeasurement(QString::number(i), QStringLiteral("Long")));
    d.files[3].clear(); // a count of 0
    d.files[4].clear();
    for (int i = 0; i < 17; ++i)
        d.files[4].push_back(emu::MakeMeasurement(QString::number(100 + i), QStringLiteral("Seventeen")));
    for (auto &m : d.files[5]) // records of another kind
        m[0] = 0xA0;
    Stand stand(d);
    RecordingDialogs dialogs;
    TProgressForm form;
    InstrumentRead read = RunRead(dialogs, form, stand.Path());
    ASSERT_TRUE(read.completed) << dialogs.Texts().join(u'|').toStdString();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(Hex(SentUntilEnd(stand)), Hex(FullReadBytes()));

    ResultsData results;
    StatisticReport stats = results.TakeRead(ReadValues(read));
    EXPECT_EQ(results.FileCount, 99);
    EXPECT_EQ(stats.nonNumeric, 1);
    EXPECT_EQ(read.droppedReport,
              english ? QStringLiteral("The device sent more than 100 values in a file; the first 100 are kept, "
                                       "dropped: file 2 - 155.")
                      : QStringLiteral("Прибор передал больше 100 значений в файле; сохранены первые 100, "
                                       "отброшено: файл 2 - 155."));

    // The reading that is not a number stays, out of the statistics.
    const TResFile &f0 = results.Files[0];
    ASSERT_EQ(f0.ValuesCount, 3);
    EXPECT_EQ(f0.Values[1].Str, QStringLiteral("-----"));
    ASSERT_EQ(f0.ScalesCount, 1);
    EXPECT_EQ(f0.SCount[0], 3);
    EXPECT_DOUBLE_EQ(f0.SMx[0], 2.0);

    const TResFile &f1 = results.Files[1];
    ASSERT_EQ(f1.ValuesCount, 100);
    EXPECT_EQ(f1.Values[99].Str, QStringLiteral("   99"));
    EXPECT_EQ(read.files[1].announced, 255);
    EXPECT_EQ(read.files[1].dropped, 155);

    // The file after the long one is its own, not the long one's tail.
    const TResFile &f2 = results.Files[2];
    ASSERT_EQ(f2.ValuesCount, 3);
    EXPECT_EQ(f2.Values[0].Str, QStringLiteral("    2"));

    EXPECT_EQ(results.Files[3].ValuesCount, 0);
    EXPECT_EQ(results.Files[3].ScalesCount, 0);
    ASSERT_EQ(results.Files[4].ValuesCount, 17);
    EXPECT_EQ(results.Files[4].Values[16].Str, QStringLiteral("  116"));
    EXPECT_EQ(results.Files[4].SCount[0], 17);
    EXPECT_EQ(results.Files[5].ValuesCount, 0);
    EXPECT_EQ(results.Files[6].ValuesCount, 3);
}

INSTANTIATE_TEST_SUITE_P(Languages, ReadContent, ::testing::Bool(),
                         [](const auto &info) { return info.param ? "English" : "Russian"; });

// The emulator's own promises for this road.
TEST(PacedEmulator, AFileTakesItsTimeOnTheLine)
{
    emu::Options options;
    options.paced = true;
    emu::InstrumentData d = emu::DefaultData();
    for (int i = 0; i < 100; ++i)
        d.files[0].push_back(emu::MakeMeasurement(QString::number(i), QStringLiteral("S")));
    Stand stand(d, options);
    TSerialPort port(nullptr);
    ASSERT_TRUE(OpenLinkPort(port, stand.Path()));
    SetLinkTimeouts(port, ConnectionTimeouts);
    WriteBytes(port, {0x81});
    EXPECT_EQ(Hex(ReadBytes(port, 3)), Hex({0xC3, 0x66, 0x81}));
    const auto start = Clock::now();
    ReceivedFile file;
    ASSERT_TRUE(ReceiveResultFile(port, 0, file, false));
    const auto took = Clock::now() - start;
    EXPECT_EQ(file.values.size(), 100u);
    // 2 bytes out and 1601 in, 10 bits each at 38400 baud: 417.5 ms at least.
    EXPECT_GE(took, 417ms);
}

TEST(AimedFaults, HitOnlyTheirFile)
{
    std::uint8_t cmd = 0;
    emu::Fault f;
    std::string error;
    ASSERT_TRUE(emu::ParseFault("8c#31:hangup:801", cmd, f, error)) << error;
    EXPECT_EQ(cmd, 0x8C);
    EXPECT_EQ(f.kind, emu::Fault::HangUp);
    EXPECT_EQ(f.argument, 0x31);
    EXPECT_EQ(f.keep, 801u);
    ASSERT_TRUE(emu::ParseFault("8c#2:truncate:24", cmd, f, error)) << error;
    EXPECT_EQ(f.argument, 2);
    ASSERT_TRUE(emu::ParseFault("8c:hangup", cmd, f, error));
    EXPECT_EQ(f.argument, -1);
    EXPECT_EQ(f.keep, 0u);
    EXPECT_FALSE(emu::ParseFault("8c#100:silence", cmd, f, error));
    EXPECT_FALSE(emu::ParseFault("8c:hangup:x", cmd, f, error));

    // Silence aimed at file 2 leaves files 1 and 3 answered.
    Stand stand(SmallData(2));
    ASSERT_TRUE(emu::ParseFault("8c#1:silence", cmd, f, error));
    stand.instrument.InjectFault(cmd, f);
    TSerialPort port(nullptr);
    ASSERT_TRUE(OpenLinkPort(port, stand.Path()));
    port.SetTimeouts(100, 300, 0, 1000, 0);
    WriteBytes(port, {0x81});
    ReadBytes(port, 3);
    ReceivedFile file;
    EXPECT_TRUE(ReceiveResultFile(port, 0, file, false));
    EXPECT_EQ(file.values.size(), 2u);
    EXPECT_FALSE(ReceiveResultFile(port, 1, file, false));
    EXPECT_EQ(port.LastError, SerialErrReceive);
    EXPECT_TRUE(ReceiveResultFile(port, 2, file, false));
    EXPECT_EQ(file.values[0].Str, QStringLiteral("    2"));
}
