#include "link/serialnt.h"
#include "link/rx5lnk.h"
#include "common/lang.h"
#include "tests/link/link_test_util.h"
#include "tests/support/recording_dialogs.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

struct LangGuard {
    explicit LangGuard(bool english) : saved(English) { English = english; }
    ~LangGuard() { English = saved; }
    bool saved;
};

bool OpenFast(TSerialPort &port, const QString &path, int constantMs = 300)
{
    return port.Open(path, LinkBaudRate, 0, constantMs, 0, 1000, 0, 1024, 1024);
}

long long MsSince(Clock::time_point t)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

} // namespace

class OpenMissing : public ::testing::TestWithParam<std::pair<bool, const char *>> {};

TEST_P(OpenMissing, ShowsDoesNotExistInTheChosenLanguage)
{
    LangGuard lang(GetParam().first);
    RecordingDialogs dialogs;
    QObject owner;
    TSerialPort port(&owner);
    EXPECT_FALSE(OpenFast(port, QStringLiteral("/dev/q5m8-no-such-port")));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QString::fromUtf8(GetParam().second));
    EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("RS232"));
    EXPECT_EQ(dialogs.messages[0].flags, ui::MbOk | ui::MbIconError);
    EXPECT_EQ(dialogs.messages[0].owner, &owner);
    EXPECT_FALSE(port.IsOpen());
    unsigned char b = 0;
    EXPECT_EQ(port.Read(&b, 1), 0);
    EXPECT_EQ(port.LastError, SerialErrNotOpen);
    EXPECT_EQ(port.Write(&b, 1), 0);
    EXPECT_EQ(port.LastError, SerialErrNotOpen);
    EXPECT_FALSE(port.SetTimeouts(0, 1, 1, 1, 1));
}

INSTANTIATE_TEST_SUITE_P(Languages, OpenMissing,
                         ::testing::Values(std::make_pair(false, "Порт не существует !"),
                                           std::make_pair(true, "The port does not exist!")),
                         [](const auto &info) { return std::string(info.param.first ? "English" : "Russian"); });

TEST(SerialPortOpen, EmptyNameIsAMissingPort)
{
    LangGuard lang(true);
    RecordingDialogs dialogs;
    TSerialPort port(nullptr);
    EXPECT_FALSE(OpenFast(port, QString()));
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("The port does not exist!")});
}

TEST(SerialPortOpen, SecondOpenIsRefusedAsBusyUntilTheFirstCloses)
{
    Stand stand;
    RecordingDialogs dialogs;
    TSerialPort first(nullptr);
    ASSERT_TRUE(OpenFast(first, stand.Path()));
    for (bool english : {false, true}) {
        LangGuard lang(english);
        dialogs.Clear();
        TSerialPort second(nullptr);
        EXPECT_FALSE(OpenFast(second, stand.Path()));
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, english ? QStringLiteral("The port is busy by another application!")
                                                    : QStringLiteral("Порт занят другим приложением !"));
        EXPECT_EQ(dialogs.messages[0].flags, ui::MbOk | ui::MbIconError);
        EXPECT_FALSE(second.IsOpen());
    }
    first.Close();
    first.Close(); // closing a closed port does nothing
    dialogs.Clear();
    TSerialPort third(nullptr);
    EXPECT_TRUE(OpenFast(third, stand.Path()));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST(SerialPortOpen, DestructorReleasesThePort)
{
    Stand stand;
    RecordingDialogs dialogs;
    {
        TSerialPort first(nullptr);
        ASSERT_TRUE(OpenFast(first, stand.Path()));
    }
    TSerialPort second(nullptr);
    EXPECT_TRUE(OpenFast(second, stand.Path()));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST(SerialPortOpen, AFileThatIsNotATerminalFailsAtTheLineSettings)
{
    LangGuard lang(false);
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    RecordingDialogs dialogs;
    TSerialPort port(nullptr);
    EXPECT_FALSE(OpenFast(port, file.fileName()));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("GetCommState - Error #%1").arg(ENOTTY));
    EXPECT_EQ(dialogs.messages[0].flags, ui::MbOk); // the plain box: no icon
    EXPECT_FALSE(port.IsOpen());
    // The failed open let go of its lock.
    dialogs.Clear();
    TSerialPort again(nullptr);
    EXPECT_FALSE(OpenFast(again, file.fileName()));
    EXPECT_EQ(dialogs.messages.at(0).text, QStringLiteral("GetCommState - Error #%1").arg(ENOTTY));
}

TEST(SerialPortOpen, OtherSystemCodesAreShownWithTheirNumber)
{
    QTemporaryDir dir;
    RecordingDialogs dialogs;
    TSerialPort port(nullptr);
    EXPECT_FALSE(OpenFast(port, dir.path()));
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("Error #%1 at port creation!").arg(EISDIR)});
}

TEST(SerialPortOpen, UnsupportedBaudRateFailsAtSetCommState)
{
    Stand stand;
    RecordingDialogs dialogs;
    TSerialPort port(nullptr);
    EXPECT_FALSE(port.Open(stand.Path(), 12345, 0, 100, 0, 100, 0, 1024, 1024));
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("SetCommState error!"));
    EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("RS232"));
    EXPECT_EQ(dialogs.messages[1].text, QString::number(EINVAL));
    EXPECT_FALSE(port.IsOpen());
}

struct ReportCase {
    std::int32_t code;
    const char *russian;
    const char *english;
};

void PrintTo(const ReportCase &c, std::ostream *os) { *os << c.code; }

class ReportErrorTexts : public ::testing::TestWithParam<ReportCase> {};

TEST_P(ReportErrorTexts, WordsTheCodeAndReturnsItUnchanged)
{
    const ReportCase c = GetParam();
    for (bool english : {false, true}) {
        LangGuard lang(english);
        RecordingDialogs dialogs;
        TSerialPort port(nullptr);
        port.LastError = c.code;
        EXPECT_EQ(port.ReportError(false), c.code);
        EXPECT_TRUE(dialogs.messages.empty());
        EXPECT_EQ(port.ReportError(true), c.code);
        EXPECT_EQ(port.LastError, c.code);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, QString::fromUtf8(english ? c.english : c.russian));
        EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("RS232"));
        EXPECT_EQ(dialogs.messages[0].flags, ui::MbOk | ui::MbIconError);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ReportErrorTexts,
    ::testing::Values(
        ReportCase{1121, "Устройство не готово к приему данных !", "The port is not ready to receive data!"},
        ReportCase{SerialErrNoData, "Нет данных!", "Time-out error. Input buffer is empty!"},
        ReportCase{SerialErrReceive, "Ошибка при приеме данных!", "Error at receiving data!"},
        ReportCase{SerialErrTransmit, "Ошибка при передаче данных", "Error at transmitting data!"},
        ReportCase{SerialErrNotOpen, "Порт не инициализирован!", "The port is not initialized!"},
        ReportCase{995, "Ошибка #995", "Error #995"}, ReportCase{EIO, "Ошибка #5", "Error #5"}),
    [](const auto &info) { return "Code" + std::to_string(info.param.code); });

TEST(SerialPortReportError, ZeroAndNegativeCodesShowNothing)
{
    RecordingDialogs dialogs;
    TSerialPort port(nullptr);
    port.LastError = 0;
    EXPECT_EQ(port.ReportError(true), 0);
    port.LastError = -7;
    EXPECT_EQ(port.ReportError(true), -7);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST(SerialPortRead, NothingArrivingReturnsShortAfterTheTotalTimeout)
{
    LangGuard lang(true);
    Stand stand;
    RecordingDialogs dialogs;
    TSerialPort port(nullptr);
    ASSERT_TRUE(OpenFast(port, stand.Path()));
    ASSERT_TRUE(port.SetTimeouts(0, 200, 0, 1000, 0));
    unsigned char b = 0x55;
    auto start = Clock::now();
    EXPECT_EQ(port.Read(&b, 1), 0);
    auto elapsed = MsSince(start);
    EXPECT_GE(elapsed, 200);
    EXPECT_LT(elapsed, 2000);
    EXPECT_EQ(port.LastError, SerialErrReceive);
    EXPECT_EQ(port.ReportError(true), 0x20000002);
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("Error at receiving data!")});
}

TEST(SerialPortRead, TotalTimeoutIsMultiplierTimesBytesPlusConstant)
{
    Stand stand;
    TSerialPort port(nullptr);
    ASSERT_TRUE(OpenFast(port, stand.Path()));
    ASSERT_TRUE(port.SetTimeouts(0, 100, 50, 1000, 0));
    unsigned char b[4];
    auto start = Clock::now();
    EXPECT_EQ(port.Read(b, 4), 0);
    EXPECT_GE(MsSince(start), 300);
    EXPECT_EQ(port.LastError, SerialErrReceive);
}

TEST(SerialPortRead, IntervalTimeoutEndsAReadOnceAByteHasCome)
{
    Stand stand;
    TSerialPort port(nullptr);
    ASSERT_TRUE(OpenFast(port, stand.Path()));
    ASSERT_TRUE(port.SetTimeouts(100, 5000, 0, 1000, 0));
    stand.instrument.SendUnsolicited({0x42});
    auto start = Clock::now();
    emu::Bytes got = ReadBytes(port, 5);
    auto elapsed = MsSince(start);
    EXPECT_EQ(got, emu::Bytes{0x42});
    EXPECT_EQ(port.LastError, SerialErrReceive);
    EXPECT_GE(elapsed, 100);
    EXPECT_LT(elapsed, 2500); // far from the 5 s total
}

TEST(SerialPortRead, IntervalDoesNotRunBeforeTheFirstByte)
{
    Stand stand;
    TSerialPort port(nullptr);
    ASSERT_TRUE(OpenFast(port, stand.Path()));
    ASSERT_TRUE(port.SetTimeouts(50, 300, 0, 1000, 0));
    unsigned char b;
    auto start = Clock::now();
    EXPECT_EQ(port.Read(&b, 1), 0);
    EXPECT_GE(MsSince(start), 300);
}

TEST(SerialPortIo, EveryByteValueCrossesTheLineUnchanged)
{
    Stand stand;
    TSerialPort port(nullptr);
    ASSERT_TRUE(OpenFast(port, stand.Path()));
    emu::Bytes all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<std::uint8_t>(i));
    all.insert(all.end(), {0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF});
    stand.instrument.SendUnsolicited(all);
    EXPECT_EQ(Hex(ReadBytes(port, static_cast<int>(all.size()))), Hex(all));
    EXPECT_EQ(port.LastError, 0);

    // 0x81 starts a connection; whatever follows it is not answered.
    WriteBytes(port, {0x81, 0xFF, 0x00, 0x0A, 0x0D});
    EXPECT_EQ(port.LastError, 0);
    ASSERT_TRUE(stand.instrument.WaitReceived([](const emu::Bytes &r) { return r.size() >= 5; }, 2000ms));
    EXPECT_EQ(Hex(stand.instrument.Received()), Hex({0x81, 0xFF, 0x00, 0x0A, 0x0D}));
    EXPECT_EQ(Hex(ReadBytes(port, 3)), Hex({0xC3, 0x66, 0x81}));
}

TEST(SerialPortIo, AHangUpFailsThisAndEveryLaterCallWithASystemCode)
{
    Stand stand;
    emu::Fault f;
    f.kind = emu::Fault::HangUp;
    stand.instrument.InjectFault(0x81, f);
    RecordingDialogs dialogs;
    TSerialPort port(nullptr);
    ASSERT_TRUE(OpenFast(port, stand.Path()));
    ASSERT_TRUE(port.SetTimeouts(1000, 5000, 10, 1000, 10));
    unsigned char cmd = 0x81;
    EXPECT_EQ(port.Write(&cmd, 1), 1);
    unsigned char b;
    auto start = Clock::now();
    EXPECT_EQ(port.Read(&b, 1), 0);
    EXPECT_LT(MsSince(start), 4000); // not the 5 s time-out
    EXPECT_EQ(port.LastError, EIO);
    EXPECT_EQ(port.Read(&b, 1), 0);
    EXPECT_EQ(port.LastError, EIO);
    EXPECT_EQ(port.Write(&cmd, 1), 0);
    EXPECT_EQ(port.LastError, EIO);
    port.Close();
    EXPECT_EQ(port.Read(&b, 1), 0);
    EXPECT_EQ(port.LastError, SerialErrNotOpen);
}

TEST(SerialPortIo, OpenDiscardsBytesLeftFromAnEarlierConnection)
{
    Stand stand;
    {
        TSerialPort first(nullptr);
        ASSERT_TRUE(OpenFast(first, stand.Path()));
        stand.instrument.SendUnsolicited({0xC3, 0x66, 0x87});
        // Closed with the bytes unread.
        std::this_thread::sleep_for(50ms);
    }
    TSerialPort second(nullptr);
    ASSERT_TRUE(OpenFast(second, stand.Path(), 150));
    unsigned char b;
    EXPECT_EQ(second.Read(&b, 1), 0);
    EXPECT_EQ(second.LastError, SerialErrReceive);
}

struct DecodeCase {
    std::vector<emu::Bytes> chunks;
    emu::Bytes data;
    bool lineError;
};

void PrintTo(const DecodeCase &c, std::ostream *os)
{
    for (const auto &chunk : c.chunks)
        *os << "[" << Hex(chunk) << "]";
}

// Names of the cases below, in their order.
const char *DecodeCaseName(size_t index)
{
    static const char *const names[] = {"Plain", "DoubledMark", "SplitDoubling", "FramingError",
                                        "Break", "Incomplete",  "MarkThenData"};
    return index < std::size(names) ? names[index] : "Case";
}

class LineDecoding : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(LineDecoding, UndoesTheMarkingAndStopsAtALineError)
{
    LineDecoder d;
    std::deque<unsigned char> out;
    for (const auto &c : GetParam().chunks)
        d.Feed(c.data(), c.size(), out);
    EXPECT_EQ(Hex(emu::Bytes(out.begin(), out.end())), Hex(GetParam().data));
    EXPECT_EQ(d.LineError(), GetParam().lineError);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, LineDecoding,
    ::testing::Values(DecodeCase{{{0x41, 0x42}}, {0x41, 0x42}, false},
                      DecodeCase{{{0xFF, 0xFF, 0x41}}, {0xFF, 0x41}, false},
                      DecodeCase{{{0x41, 0xFF}, {0xFF}}, {0x41, 0xFF}, false},            // split doubling
                      DecodeCase{{{0x41, 0xFF, 0x00, 0x55, 0x42}}, {0x41}, true},        // framing error
                      DecodeCase{{{0xFF}, {0x00}, {0x00}, {0x43}}, {}, true},            // break
                      DecodeCase{{{0xFF, 0x00}}, {}, false},                            // incomplete
                      DecodeCase{{{0xFF, 0x41}}, {0xFF, 0x41}, false}),
    [](const auto &info) { return std::string(DecodeCaseName(info.index)); });

TEST(LineDecoding, ResetClearsTheErrorAndPendingBytes)
{
    LineDecoder d;
    std::deque<unsigned char> out;
    const unsigned char bad[] = {0xFF, 0x00, 0x00};
    d.Feed(bad, 3, out);
    ASSERT_TRUE(d.LineError());
    d.Reset();
    const unsigned char good[] = {0x00, 0x01};
    d.Feed(good, 2, out);
    EXPECT_FALSE(d.LineError());
    EXPECT_EQ(out.size(), 2u);
}

// A terminal device without its hardware behind it (a serial port the machine
// does not have, a pseudo-terminal not yet unlocked) refuses to open with
// EIO: for the user that port does not exist.
TEST(SerialPortOpen, ADeviceWithoutItsHardwareDoesNotExist)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    char name[128];
    ASSERT_EQ(::ptsname_r(master, name, sizeof name), 0);
    for (bool english : {false, true}) {
        LangGuard lang(english);
        RecordingDialogs dialogs;
        TSerialPort port(nullptr);
        EXPECT_FALSE(OpenFast(port, QString::fromLocal8Bit(name)));
        EXPECT_EQ(dialogs.Texts(), QStringList{english ? QStringLiteral("The port does not exist!")
                                                       : QStringLiteral("Порт не существует !")});
        EXPECT_FALSE(port.IsOpen());
    }
    ::close(master);
}

// Framing errors and breaks must reach Read as line errors (the terminal
// marks them only when asked to check its input), and a plain 0xFF byte must
// stay data.
TEST(SerialPortOpen, TheTerminalMarksLineErrors)
{
    Stand stand;
    TSerialPort port(nullptr);
    ASSERT_TRUE(OpenFast(port, stand.Path()));
    termios t{};
    ASSERT_EQ(::tcgetattr(port.PortHandle, &t), 0);
    EXPECT_TRUE(t.c_iflag & INPCK) << "framing errors are not flagged without it";
    EXPECT_TRUE(t.c_iflag & PARMRK);
    EXPECT_FALSE(t.c_iflag & (IGNPAR | IGNBRK | BRKINT | ISTRIP));
    EXPECT_FALSE(t.c_cflag & PARENB);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
}
