// The emulator follows the program's decisions on the scale commands: what
// it waits for after each status, the end command, faults on one exchange.
#include "tools/emulator.h"
#include "link/rx5lnk.h"
#include "tests/link/link_test_util.h"

#include <QDir>
#include <QFileInfo>

#include <chrono>
#include <fcntl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using emu::Bytes;
using namespace std::chrono_literals;

namespace {

emu::Fault Parse(const char *text, std::uint8_t &cmd)
{
    emu::Fault f;
    std::string error;
    EXPECT_TRUE(emu::ParseFault(text, cmd, f, error)) << text << ": " << error;
    return f;
}

void Inject(Stand &stand, const char *text)
{
    std::uint8_t cmd = 0;
    emu::Fault f = Parse(text, cmd);
    stand.instrument.InjectFault(cmd, f);
}

Bytes Record(const emu::StoredScale &s) { return Bytes(s.record.begin(), s.record.begin() + emu::ScaleSendLength); }

emu::StoredScale Scale() { return emu::MakeScale(QStringLiteral("New"), QStringLiteral("V"), 1, {{0, 0}, {9, 90}}); }

TEST(EmulatorScales, AWriteStatusWithAForeignPrefixStillTakesTheRecord)
{
    Stand stand;
    Inject(stand, "85:replace:00 66 e4");
    Line line(stand);
    line.Ask({0x81}, 3);
    EXPECT_EQ(Hex(line.Ask({0x85}, 3)), Hex({0x00, 0x66, 0xE4}));
    EXPECT_EQ(Hex(line.Ask(Record(Scale()), 3)), Hex({0xC3, 0x66, 0x85}));
    EXPECT_EQ(stand.instrument.Data().scales.size(), 2u);
}

TEST(EmulatorScales, AnErrorStatusToTheWriteTakesNoRecord)
{
    Stand stand;
    Inject(stand, "85:patch:e0");
    Line line(stand);
    line.Ask({0x81}, 3);
    EXPECT_EQ(Hex(line.Ask({0x85}, 3)), Hex({0xC3, 0x66, 0xE0}));
    EXPECT_EQ(Hex(line.Ask({0x8B}, 5)), Hex({0xC3, 0x66, 1, 0, 0})) << "the next byte is a command";
}

TEST(EmulatorScales, AfterARefusedDeleteStatusTheNextByteIsACommand)
{
    auto data = emu::DefaultData();
    for (int i = 0; i < 0x90; ++i) { // a scale at every address up to 0x91
        auto s = Scale();
        s.address = static_cast<std::uint8_t>(i + 2);
        data.scales.push_back(s);
    }
    data.scales.resize(emu::MaxScales);
    data.scales.back().address = 0x85; // the one the end command would hit
    Stand stand(data);
    Inject(stand, "89:patch:00");
    Line line(stand);
    line.Ask({0x81}, 3);
    EXPECT_EQ(Hex(line.Ask({0x89}, 3)), Hex({0xC3, 0x66, 0x00}));
    WriteBytes(line.port, {0x84});
    EXPECT_TRUE(line.Quiet());
    EXPECT_EQ(stand.instrument.Data().scales.size(), static_cast<std::size_t>(emu::MaxScales));
    EXPECT_FALSE(stand.instrument.Connected());
}

TEST(EmulatorScales, AfterARefusedLoadStatusNothingMoreIsSent)
{
    Stand stand;
    Inject(stand, "92:patch:e0");
    Line line(stand);
    line.Ask({0x81}, 3);
    EXPECT_EQ(Hex(line.Ask({0x92, 0x00}, 10)), Hex({0xC3, 0x66, 0xE0}));
    // A patch inside the record keeps the whole reply.
    stand.instrument.ClearFaults();
    Inject(stand, "92:patch:52=00");
    Bytes load = line.Ask({0x92, 0x00}, 261);
    ASSERT_EQ(load.size(), 261u);
    EXPECT_EQ(load[52], 0);
}

TEST(EmulatorScales, TheEndCommandDropsWhatWasNotSent)
{
    Stand stand;
    Inject(stand, "87:slow:30");
    Line line(stand);
    line.Ask({0x81}, 3);
    EXPECT_EQ(line.Ask({0x87}, 3).size(), 3u);
    WriteBytes(line.port, {0x84});
    EXPECT_TRUE(line.Quiet());
    std::size_t sent = 0;
    for (const auto &e : stand.instrument.Events())
        sent += e.fromPc ? 0 : 1;
    EXPECT_LT(sent, 3u + 3 + 1 + 17 + 3);
}

TEST(EmulatorScales, TheEndCommandDropsWhatWasNotRead)
{
    Stand stand;
    // A raw terminal, so that nothing is read ahead by the program's side.
    const int fd = ::open(stand.Path().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
    auto send = [&](std::uint8_t b) { ASSERT_EQ(::write(fd, &b, 1), 1); };
    send(0x81);
    ASSERT_TRUE(stand.instrument.WaitReceived([](const Bytes &r) { return r.size() == 1; }, 1s));
    std::this_thread::sleep_for(50ms);
    std::uint8_t buf[64];
    EXPECT_EQ(::read(fd, buf, sizeof buf), 3);
    send(0x87);
    std::this_thread::sleep_for(100ms); // the whole list is waiting in the terminal
    send(0x84);
    ASSERT_TRUE(stand.instrument.WaitReceived([](const Bytes &r) { return r.size() == 3; }, 1s));
    std::this_thread::sleep_for(50ms);
    EXPECT_LT(::read(fd, buf, sizeof buf), 1) << "the unread list is gone";
    ::close(fd);
}

TEST(EmulatorScales, AFaultCanAimAtTheNthExchangeOfACommand)
{
    std::uint8_t cmd = 0;
    emu::Fault f = Parse("87@2/0:patch:e3", cmd);
    EXPECT_EQ(cmd, 0x87);
    EXPECT_EQ(f.exchange, 2);
    EXPECT_EQ(f.kind, emu::Fault::Patch);
    for (const char *bad : {"87@0:silence", "87@x:silence", "87@:silence"}) {
        emu::Fault g;
        std::string error;
        EXPECT_FALSE(emu::ParseFault(bad, cmd, g, error)) << bad;
        EXPECT_FALSE(error.empty());
    }
    f = Parse("92:hangup:100", cmd);
    EXPECT_EQ(f.kind, emu::Fault::HangUp);
    EXPECT_EQ(f.keep, 100u);

    Stand stand;
    Inject(stand, "87@2:patch:e3");
    Line line(stand);
    line.Ask({0x81}, 3);
    const int listLength = 3 + 1 + 17 + 3;
    EXPECT_EQ(line.Ask({0x87}, listLength)[2], 0x87);
    EXPECT_EQ(line.Ask({0x87}, listLength)[2], 0xE3);
    EXPECT_EQ(line.Ask({0x87}, listLength)[2], 0x87);
    // Counted across connections.
    Inject(stand, "8b@2:silence");
    EXPECT_EQ(line.Ask({0x8B}, 5).size(), 5u);
    line.Ask({0x84, 0x81}, 3);
    EXPECT_TRUE(line.Ask({0x8B}, 5).empty());
}

} // namespace

namespace {

TEST(EmulatorScales, TheSampleFixtureHoldsAFewScales)
{
    const QString path = QFileInfo(QString::fromUtf8(__FILE__)).dir().filePath(
        QStringLiteral("../../tools/fixtures/scales.txt"));
    const emu::InstrumentData d = emu::LoadFixture(path);
    ASSERT_EQ(d.scales.size(), 5u);
    EXPECT_EQ(d.scales[2].record[1], 0xC4); // Д
    EXPECT_EQ(d.scales[4].record[15], 3);
    EXPECT_EQ(d.scales[4].address, 5);
}

} // namespace
