#include "tools/emulator.h"
#include "common/win1251.h"
#include "link/rx5lnk.h"
#include "tests/link/link_test_util.h"
#include "tests/support/recording_dialogs.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cctype>
#include <chrono>

using namespace std::chrono_literals;
using emu::Bytes;

namespace {

Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes &p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

emu::InstrumentData TwoScales()
{
    emu::InstrumentData d = emu::DefaultData();
    d.version = {3, 4, 200};
    auto a = emu::MakeScale(QStringLiteral("Темп"), QStringLiteral("°C"), 1, {{0, 0}, {100, 250}});
    a.address = 2;
    auto b = emu::MakeScale(QStringLiteral("Pressure1"), QStringLiteral("kPa"), 0, {{1, 2}, {3, 4}, {5, 6}});
    b.address = 3;
    d.scales.push_back(a);
    d.scales.push_back(b);
    d.files[0] = {emu::MakeMeasurement(QStringLiteral("12.5"), QStringLiteral("Темп"))};
    emu::MeasurementRecord other{};
    other[0] = 0x11;
    for (int i = 0; i < 20; ++i)
        d.files[98].push_back(i == 3 ? other : emu::MakeMeasurement(QString::number(i), QStringLiteral("P")));
    return d;
}

Bytes RecordBytes(const emu::StoredScale &s, std::size_t n) { return Bytes(s.record.begin(), s.record.begin() + n); }

} // namespace

TEST(Emulator, AnswersNothingOutsideAConnection)
{
    Stand stand;
    Line line(stand);
    WriteBytes(line.port, {0x8B, 0x87, 0x00});
    EXPECT_TRUE(line.Quiet());
    EXPECT_EQ(Hex(line.Ask({0x81}, 3)), Hex({0xC3, 0x66, 0x81}));
    EXPECT_TRUE(line.Quiet()) << "the poll byte is not answered";
    WriteBytes(line.port, {0x00});
    EXPECT_TRUE(line.Quiet());
    WriteBytes(line.port, {0x84, 0x8B});
    EXPECT_TRUE(line.Quiet()) << "nothing after the end command";
}

TEST(Emulator, VersionAndListByteForByte)
{
    auto data = TwoScales();
    Stand stand(data);
    Line line(stand);
    line.Ask({0x81}, 3);
    EXPECT_EQ(Hex(line.Ask({0x8B}, 5)), Hex({0xC3, 0x66, 3, 4, 200}));

    Bytes list = line.Ask({0x87}, 3 + 1 + 3 * 17 + 3);
    Bytes expected = Cat({{0xC3, 0x66, 0x87, 3}, emu::ListEntry(data.scales[0]), emu::ListEntry(data.scales[1]),
                          emu::ListEntry(data.scales[2]), {0xC3, 0x66, 0x87}});
    EXPECT_EQ(Hex(list), Hex(expected));
    // Entry 1: name and units in Windows-1251 padded with blanks, decimals and
    // point count, then the address.
    Bytes entry1(list.begin() + 4 + 17, list.begin() + 4 + 34);
    EXPECT_EQ(Hex(entry1), Hex(Cat({{0xD2, 0xE5, 0xEC, 0xEF, ' ', ' ', ' ', ' '}, {0xB0, 'C', ' ', ' '}, {1, 2, 0, 0},
                                     {2}})));
    EXPECT_TRUE(line.Quiet());
}

TEST(Emulator, WriteStoresTheRecordAndListsItWithTheNextAddress)
{
    Stand stand(TwoScales());
    Line line(stand);
    line.Ask({0x81}, 3);
    EXPECT_EQ(Hex(line.Ask({0x85}, 3)), Hex({0xC3, 0x66, 0x85}));
    auto scale = emu::MakeScale(QStringLiteral("AB"), QStringLiteral("mV"), 2, {{65531, 1234}, {17, 0}});
    EXPECT_EQ(Hex(line.Ask(RecordBytes(scale, 250), 3)), Hex({0xC3, 0x66, 0x85}));
    auto stored = stand.instrument.Data().scales;
    ASSERT_EQ(stored.size(), 4u);
    EXPECT_EQ(stored[3].address, 4);
    EXPECT_EQ(Hex(RecordBytes(stored[3], 256)), Hex(RecordBytes(scale, 256)));

    // Loading it back: the address byte of the entry above (3), i.e. slot 3.
    Bytes load = line.Ask({0x92, 0x03}, 3 + 255 + 3);
    EXPECT_EQ(Hex(load), Hex(Cat({{0xC3, 0x66, 0x92}, RecordBytes(scale, 255), {0xC3, 0x66, 0x92}})));
}

TEST(Emulator, WriteIsRefusedWhenMemoryIsFull)
{
    auto data = emu::DefaultData();
    while (data.scales.size() < 25) {
        auto s = emu::MakeScale(QStringLiteral("S"), QStringLiteral("u"), 0, {{0, 0}, {1, 1}});
        s.address = static_cast<std::uint8_t>(data.scales.size() + 1);
        data.scales.push_back(s);
    }
    Stand stand(data);
    Line line(stand);
    line.Ask({0x81}, 3);
    EXPECT_EQ(Hex(line.Ask({0x85}, 3)), Hex({0xC3, 0x66, 0xE4}));
    // Not waiting for a record: the next command is answered.
    EXPECT_EQ(Hex(line.Ask({0x8B}, 5)), Hex({0xC3, 0x66, 1, 0, 0}));
}

TEST(Emulator, ABadRecordIsAnsweredScaleErrorAndAStalledOneTimeout)
{
    Stand stand;
    Line line(stand);
    line.Ask({0x81}, 3);
    auto scale = emu::MakeScale(QStringLiteral("X"), QStringLiteral("V"), 0, {{0, 0}, {1, 1}});
    Bytes bad = RecordBytes(scale, 250);
    bad[14] = 0;
    line.Ask({0x85}, 3);
    EXPECT_EQ(Hex(line.Ask(bad, 3)), Hex({0xC3, 0x66, 0xE0}));
    line.Ask({0x85}, 3);
    EXPECT_EQ(Hex(line.Ask(Bytes(RecordBytes(scale, 10)), 3)), Hex({0xC3, 0x66, 0xE3}));
    EXPECT_EQ(stand.instrument.Data().scales.size(), 1u);
}

TEST(Emulator, DeletePacksTheAddressesAndNeverDeletesTheDefault)
{
    Stand stand(TwoScales());
    Line line(stand);
    line.Ask({0x81}, 3);
    // Entry 1 (address 2): the address minus one.
    EXPECT_EQ(Hex(line.Ask({0x89}, 3)), Hex({0xC3, 0x66, 0x89}));
    EXPECT_EQ(Hex(line.Ask({0x01}, 3)), Hex({0xC3, 0x66, 0x89}));
    auto scales = stand.instrument.Data().scales;
    ASSERT_EQ(scales.size(), 2u);
    EXPECT_EQ(scales[1].address, 2);
    EXPECT_EQ(scales[1].record[1], 'P');
    EXPECT_EQ(Hex(line.Ask({0x89}, 3)), Hex({0xC3, 0x66, 0x89}));
    EXPECT_EQ(Hex(line.Ask({0x00}, 3)), Hex({0xC3, 0x66, 0xE0}));
    EXPECT_EQ(Hex(line.Ask({0x89}, 3)), Hex({0xC3, 0x66, 0x89}));
    EXPECT_EQ(Hex(line.Ask({0x20}, 3)), Hex({0xC3, 0x66, 0xE0}));
    EXPECT_EQ(stand.instrument.Data().scales.size(), 2u);
}

TEST(Emulator, LoadOfAMissingScaleIsAScaleError)
{
    Stand stand(TwoScales());
    Line line(stand);
    line.Ask({0x81}, 3);
    EXPECT_EQ(Hex(line.Ask({0x92, 0x07}, 3)), Hex({0xC3, 0x66, 0xE0}));
    auto def = stand.instrument.Data().scales[0];
    EXPECT_EQ(Hex(line.Ask({0x92, 0x00}, 261)),
              Hex(Cat({{0xC3, 0x66, 0x92}, RecordBytes(def, 255), {0xC3, 0x66, 0x92}})));
}

TEST(Emulator, ResultFilesHaveACountAndRecordsWithoutAStatus)
{
    auto data = TwoScales();
    Stand stand(data);
    Line line(stand);
    line.Ask({0x81}, 3);
    Bytes f0 = line.Ask({0x8C, 0}, 1 + 16);
    Bytes rec(data.files[0][0].begin(), data.files[0][0].end());
    EXPECT_EQ(Hex(f0), Hex(Cat({{1}, rec})));
    EXPECT_EQ(Hex(Bytes(f0.begin() + 1, f0.begin() + 15)),
              Hex({0xC0, ' ', '1', '2', '.', '5', 0xD2, 0xE5, 0xEC, 0xEF, ' ', ' ', ' ', ' '}));
    EXPECT_EQ(Hex(line.Ask({0x8C, 1}, 1)), Hex({0}));
    Bytes f98 = line.Ask({0x8C, 98}, 1 + 20 * 16);
    ASSERT_EQ(f98.size(), 321u);
    EXPECT_EQ(f98[0], 20);
    EXPECT_EQ(f98[1 + 3 * 16], 0x11);
    EXPECT_EQ(Hex(line.Ask({0x8C, 99}, 1)), Hex({0}));
    EXPECT_TRUE(line.Quiet());
}

struct FaultCase {
    const char *faultText;
    Bytes send;
    Bytes expected;
};

void PrintTo(const FaultCase &c, std::ostream *os) { *os << c.faultText; }

class EmulatorFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(EmulatorFaults, ChangeTheReplyAsAsked)
{
    const FaultCase c = GetParam();
    std::uint8_t cmd = 0;
    emu::Fault f;
    std::string error;
    ASSERT_TRUE(emu::ParseFault(c.faultText, cmd, f, error)) << error;
    Stand stand(TwoScales());
    stand.instrument.InjectFault(cmd, f);
    Line line(stand);
    if (cmd != 0x81)
        line.Ask({0x81}, 3);
    Bytes got = line.Ask(c.send, static_cast<int>(c.expected.size()) + 1); // one more: nothing extra
    EXPECT_EQ(Hex(got), Hex(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, EmulatorFaults,
    ::testing::Values(FaultCase{"81:patch:82", {0x81}, {0xC3, 0x66, 0x82}},
                      FaultCase{"81:silence", {0x81}, {}},
                      FaultCase{"8b:truncate:2", {0x8B}, {0xC3, 0x66}},
                      FaultCase{"8b:extra:aa bb", {0x8B}, {0xC3, 0x66, 3, 4, 200, 0xAA, 0xBB}},
                      FaultCase{"8b:replace:01 02", {0x8B}, {0x01, 0x02}},
                      FaultCase{"8b:slow:5", {0x8B}, {0xC3, 0x66, 3, 4, 200}},
                      FaultCase{"87:truncate:4", {0x87}, {0xC3, 0x66, 0x87, 3}},
                      FaultCase{"85:patch:e4", {0x85, 0x8B}, {0xC3, 0x66, 0xE4, 0xC3, 0x66, 3, 4, 200}},
                      FaultCase{"89/1:patch:0", {0x89, 0x01}, {0xC3, 0x66, 0x89, 0xC3, 0x66, 0x00}},
                      FaultCase{"8c:patch:0=02", {0x8C, 0x01}, {0x02}},
                      // Aimed at one address: only the delete's second status knows it.
                      FaultCase{"89#01/1:patch:e0", {0x89, 0x01}, {0xC3, 0x66, 0x89, 0xC3, 0x66, 0xE0}},
                      FaultCase{"89#02/1:patch:e0", {0x89, 0x01}, {0xC3, 0x66, 0x89, 0xC3, 0x66, 0x89}}),
    [](const auto &info) {
        // "8b:extra:aa bb" -> "Cmd8b_extra_aa_bb"
        std::string name = "Cmd";
        for (const char *p = info.param.faultText; *p; ++p) {
            if (std::isalnum(static_cast<unsigned char>(*p)))
                name += *p;
            else if (name.back() != '_')
                name += '_';
        }
        return name;
    });

TEST(EmulatorFaults, PatchFromTheEndChangesTheClosingTriple)
{
    std::uint8_t cmd;
    emu::Fault f;
    std::string error;
    ASSERT_TRUE(emu::ParseFault("87:patch:-1=e3", cmd, f, error));
    Stand stand;
    stand.instrument.InjectFault(cmd, f);
    Line line(stand);
    line.Ask({0x81}, 3);
    Bytes list = line.Ask({0x87}, 3 + 1 + 17 + 3);
    ASSERT_EQ(list.size(), 24u);
    EXPECT_EQ(Hex(Bytes(list.end() - 3, list.end())), Hex({0xC3, 0x66, 0xE3}));
    EXPECT_EQ(Hex(Bytes(list.begin(), list.begin() + 3)), Hex({0xC3, 0x66, 0x87}));
}

TEST(EmulatorFaults, AOneTimeFaultAppliesOnce)
{
    Stand stand;
    emu::Fault f;
    f.kind = emu::Fault::Silence;
    f.times = 1;
    stand.instrument.InjectFault(0x81, f);
    Line line(stand);
    EXPECT_TRUE(line.Ask({0x81}, 3).empty());
    EXPECT_EQ(Hex(line.Ask({0x81}, 3)), Hex({0xC3, 0x66, 0x81}));
}

TEST(EmulatorFaults, BadFaultTextsAreRefusedWithAReason)
{
    for (const char *faultText : {"", "81", "zz:silence", "81:explode", "81:patch:1ff", "81:truncate:x", "85/2:silence",
                             "8b:extra"}) {
        std::uint8_t cmd;
        emu::Fault f;
        std::string error;
        EXPECT_FALSE(emu::ParseFault(faultText, cmd, f, error)) << faultText;
        EXPECT_FALSE(error.empty()) << faultText;
    }
}

TEST(EmulatorFixture, ParsesScalesFilesAndVersion)
{
    const QString text = QStringLiteral(R"(# a test fixture
version = 1.2.15
[default]
name = Base
units = V
points = 0:0 10:10
[scale]
name = Темп
units = C
decimals = 1
points = 0:0 100:250 4000:1000
[scale]
name = Second
points = 1:1 2:2
address = 9
[scale]
name = Third
points = 1:1 2:2
[file 1]
value = 12.5 | Темп
raw = 11 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
[file 99]
value = -3.0|Second
)");
    emu::InstrumentData d = emu::ParseFixture(text);
    EXPECT_EQ(d.version, (std::array<std::uint8_t, 3>{1, 2, 15}));
    ASSERT_EQ(d.scales.size(), 4u);
    EXPECT_EQ(d.scales[0].record[1], 'B');
    EXPECT_EQ(d.scales[0].address, 1);
    EXPECT_EQ(d.scales[1].address, 2);
    EXPECT_EQ(d.scales[2].address, 9);
    EXPECT_EQ(d.scales[3].address, 10);
    EXPECT_EQ(d.scales[1].record[1], 0xD2);
    EXPECT_EQ(d.scales[1].record[15], 1);
    EXPECT_EQ(d.scales[1].record[49], 3);
    // Point 2: x 4000 = A0 0F, y 1000 = E8 03.
    EXPECT_EQ(Hex(Bytes(d.scales[1].record.begin() + 58, d.scales[1].record.begin() + 62)), Hex({0xA0, 0x0F, 0xE8, 0x03}));
    ASSERT_EQ(d.files[0].size(), 2u);
    EXPECT_EQ(d.files[0][1][0], 0x11);
    ASSERT_EQ(d.files[98].size(), 1u);
    EXPECT_EQ(Hex(Bytes(d.files[98][0].begin() + 1, d.files[98][0].begin() + 6)), Hex({' ', '-', '3', '.', '0'}));
}

TEST(EmulatorFixture, ErrorsNameTheLine)
{
    struct Case {
        const char *text;
        const char *line;
    } cases[] = {
        {"version = 1.2", "line 1"},
        {"\n[scale]\nname = A\npoints = 1:1\n", "line 2"},
        {"[file 100]\n", "line 1"},
        {"[scale]\ncolour = red\n", "line 2"},
        {"[file 3]\nvalue = 1.0\n", "line 2"},
        {"[scale]\npoints = 1:1 70000:2\n", "line 2"},
        {"[nonsense]\n", "line 1"},
    };
    for (const Case &c : cases) {
        try {
            emu::ParseFixture(QString::fromUtf8(c.text));
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const std::runtime_error &e) {
            EXPECT_NE(std::string(e.what()).find(c.line), std::string::npos) << e.what();
        }
    }
}

TEST(EmulatorLink, MakesASymlinkForThePortAndRemovesItAfterwards)
{
    const QString link = UniqueLinkPath();
    {
        emu::Options o;
        o.linkPath = link;
        Stand stand(emu::DefaultData(), o);
        EXPECT_EQ(stand.Path(), link);
        EXPECT_EQ(QFileInfo(link).symLinkTarget(), stand.instrument.SlavePath());
        Line line(stand);
        EXPECT_EQ(Hex(line.Ask({0x81}, 3)), Hex({0xC3, 0x66, 0x81}));
    }
    EXPECT_FALSE(QFileInfo(link).isSymLink());
}

TEST(EmulatorLink, RefusesToReplaceAFileThatIsNotALink)
{
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    emu::Options o;
    o.linkPath = file.fileName();
    emu::Instrument instrument(emu::DefaultData(), o);
    std::string error;
    EXPECT_FALSE(instrument.Start(&error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(QFileInfo(file.fileName()).isFile());
}

TEST(EmulatorLog, WritesEveryByteWithItsDirection)
{
    std::FILE *log = std::tmpfile();
    ASSERT_NE(log, nullptr);
    {
        emu::Options o;
        o.log = log;
        Stand stand(emu::DefaultData(), o);
        Line line(stand);
        line.Ask({0x81}, 3);
    }
    std::rewind(log);
    std::string text;
    char buf[256];
    while (std::fgets(buf, sizeof buf, log))
        text += buf;
    std::fclose(log);
    EXPECT_NE(text.find(" pc->dev 81\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" dev->pc C3\n"), std::string::npos);
    EXPECT_NE(text.find(" dev->pc 66\n"), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4);
}

// The designer's whole write exchange inside a real connection frame, byte by
// byte as the record goes out: one Write per byte.
TEST(EmulatorSession, AWriteConnectionStoresTheScale)
{
    Stand stand(TwoScales());
    auto scale = emu::MakeScale(QStringLiteral("New"), QStringLiteral("V"), 0, {{0, 0}, {10, 20}});
    Bytes result;
    RecordingDialogs dialogs;
    auto outcome = RunConnection(nullptr, stand.Path(), WriteScaleConnection, [&](TSerialPort &port) {
        const LangText receive{"приём", "receive"};
        SendCommand(port, CmdReadScaleList);
        for (int i = 0; i < 3; ++i)
            ReadReplyByte(port, receive);
        const int n = ReadReplyByte(port, receive);
        for (int i = 0; i < n * 17 + 3; ++i)
            ReadReplyByte(port, receive);
        SendCommand(port, CmdWriteScale);
        for (int i = 0; i < 3; ++i)
            ReadReplyByte(port, receive);
        for (int i = 0; i < emu::ScaleSendLength; ++i)
            ASSERT_EQ(port.Write(&scale.record[static_cast<std::size_t>(i)], 1), 1);
        for (int i = 0; i < 3; ++i)
            result.push_back(ReadReplyByte(port, receive));
    });
    EXPECT_EQ(outcome, ConnectionResult::Done) << dialogs.Texts().join(u'|').toStdString();
    EXPECT_EQ(Hex(result), Hex({0xC3, 0x66, 0x85}));
    auto scales = stand.instrument.Data().scales;
    ASSERT_EQ(scales.size(), 4u);
    EXPECT_EQ(scales[3].record[1], 'N');
    ASSERT_TRUE(stand.instrument.WaitReceived([](const Bytes &r) { return !r.empty() && r.back() == 0x84; }, 3000ms));
    EXPECT_FALSE(stand.instrument.Connected());
}

// A hang-up after some bytes lets those bytes reach the program first, even
// one that comes to read them a moment late; only then does the line drop.
TEST(EmulatorFaults, AHangUpDeliversTheBytesBeforeIt)
{
    std::uint8_t cmd = 0;
    emu::Fault f;
    std::string error;
    ASSERT_TRUE(emu::ParseFault("8b:hangup:3", cmd, f, error)) << error;
    Stand stand;
    stand.instrument.InjectFault(cmd, f);
    Line line(stand);
    line.Ask({0x81}, 3);
    WriteBytes(line.port, {0x8B});
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(Hex(ReadBytes(line.port, 5)), Hex({0xC3, 0x66, 0x01}));
    EXPECT_EQ(line.port.LastError, EIO) << "then the line is gone";
}
