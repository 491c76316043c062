#include "link/rx5lnk.h"
#include "common/lang.h"
#include "tests/link/link_test_util.h"
#include "tests/support/recording_dialogs.h"

#include <cerrno>
#include <chrono>
#include <thread>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

struct LangGuard {
    explicit LangGuard(bool english) : saved(English) { English = english; }
    ~LangGuard() { English = saved; }
    bool saved;
};

emu::Fault FaultOf(emu::Fault::Kind kind)
{
    emu::Fault f;
    f.kind = kind;
    return f;
}

emu::Fault Patch(std::uint8_t value)
{
    emu::Fault f = FaultOf(emu::Fault::Patch);
    f.value = value;
    return f;
}

// The bytes the program sent, once the end command (or nothing more) came.
emu::Bytes ReceivedAfter(const Stand &stand, std::size_t atLeast)
{
    stand.instrument.WaitReceived([&](const emu::Bytes &r) { return r.size() >= atLeast; }, 3000ms);
    return stand.instrument.Received();
}

// Shortens the connection's time-outs for tests that expect silence.
void ShortTimeouts(TSerialPort &port) { port.SetTimeouts(100, 300, 0, 1000, 0); }

const emu::Bytes kDesignerFrame{0x81, 0x00, 0x84};

} // namespace

TEST(Handshake, AcceptsC3_66_81)
{
    Stand stand;
    RecordingDialogs dialogs;
    TSerialPort port(nullptr);
    ASSERT_TRUE(OpenLinkPort(port, stand.Path()));
    SendCommand(port, CmdConnect);
    EXPECT_EQ(port.ReportError(true), 0);
    EXPECT_TRUE(Handshake(port));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(Hex(ReceivedAfter(stand, 2)), Hex({0x81, 0x00}));
}

TEST(Handshake, RefusesAWrongThirdByteWithoutAnRs232Box)
{
    Stand stand;
    stand.instrument.InjectFault(CmdConnect, Patch(0x82));
    RecordingDialogs dialogs;
    TSerialPort port(nullptr);
    ASSERT_TRUE(OpenLinkPort(port, stand.Path()));
    SendCommand(port, CmdConnect);
    EXPECT_FALSE(Handshake(port));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST(Handshake, SilenceIsRefusedAfterTheReceiveBox)
{
    LangGuard lang(true);
    Stand stand;
    stand.instrument.InjectFault(CmdConnect, FaultOf(emu::Fault::Silence));
    RecordingDialogs dialogs;
    TSerialPort port(nullptr);
    ASSERT_TRUE(OpenLinkPort(port, stand.Path()));
    ShortTimeouts(port);
    SendCommand(port, CmdConnect);
    EXPECT_FALSE(Handshake(port));
    ASSERT_EQ(dialogs.messages.size(), 1u); // the first missing byte ends it
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Error at receiving data!"));
    EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("RS232"));
}

TEST(Handshake, NoPollVariantSendsNoPollByte)
{
    Stand stand;
    RecordingDialogs dialogs;
    TSerialPort port(nullptr);
    ASSERT_TRUE(OpenLinkPort(port, stand.Path()));
    EXPECT_EQ(SendCommandNoPause(port, CmdConnect), 1);
    EXPECT_TRUE(HandshakeNoPoll(port));
    EXPECT_EQ(Hex(stand.instrument.Received()), Hex({0x81}));
}

TEST(Pause, NeverEndsEarly)
{
    for (int i = 0; i < 3; ++i) {
        auto start = Clock::now();
        Pause(CommandPause);
        EXPECT_GE(Clock::now() - start, 100ms);
    }
}

struct FrameCase {
    const char *name;
    const ConnectionProfile *profile;
    bool english;
    const char *handshakeText;
    const char *caption;
};

void PrintTo(const FrameCase &c, std::ostream *os) { *os << c.name; }

class HandshakeFailure : public ::testing::TestWithParam<FrameCase> {};

TEST_P(HandshakeFailure, RaisesTheConnectionsTextAndStillEnds)
{
    const FrameCase c = GetParam();
    LangGuard lang(c.english);
    Stand stand;
    stand.instrument.InjectFault(CmdConnect, Patch(0x82));
    RecordingDialogs dialogs;
    QObject owner;
    bool exchanged = false;
    auto result = RunConnection(&owner, stand.Path(), *c.profile, [&](TSerialPort &) { exchanged = true; });
    EXPECT_EQ(result, ConnectionResult::Failed);
    EXPECT_FALSE(exchanged);
    const bool prompt = c.profile->prompt;
    ASSERT_EQ(dialogs.messages.size(), prompt ? 2u : 1u);
    const RecordedMessage &box = dialogs.messages.back();
    EXPECT_EQ(box.text, QString::fromUtf8(c.handshakeText));
    EXPECT_EQ(box.caption, QString::fromUtf8(c.caption));
    EXPECT_EQ(box.flags, ui::MbOk | ui::MbIconError);
    EXPECT_EQ(box.owner, &owner);
    const emu::Bytes expected = prompt ? kDesignerFrame : emu::Bytes{0x81, 0x84};
    // The load after a failure closes without the end command.
    const bool ends = c.profile != &LoadScaleConnection;
    const emu::Bytes sent = ends ? expected : emu::Bytes{0x81, 0x00};
    EXPECT_EQ(Hex(ReceivedAfter(stand, sent.size())), Hex(sent));
    std::this_thread::sleep_for(300ms); // a late end command would have come by now
    EXPECT_EQ(Hex(stand.instrument.Received()), Hex(sent));
}

class ConnectFailure : public ::testing::TestWithParam<FrameCase> {};

// The start command cannot be sent when the line is gone: the "RS232" box
// with the system's code, then the connection's own start-failure text.
TEST_P(ConnectFailure, ShowsTheSerialBoxThenTheConnectionsText)
{
    const FrameCase c = GetParam();
    LangGuard lang(c.english);
    Stand stand;
    RecordingDialogs dialogs;
    QObject owner;
    bool exchanged = false;
    ConnectionHooks hooks;
    hooks.beforeStart = [&] { stand.instrument.Stop(); };
    auto result = RunConnection(&owner, stand.Path(), *c.profile, [&](TSerialPort &) { exchanged = true; }, hooks);
    EXPECT_EQ(result, ConnectionResult::Failed);
    EXPECT_FALSE(exchanged);
    QStringList expected;
    if (c.profile->prompt)
        expected << (c.english ? QStringLiteral("In the Q5-M8 device, go to measurement mode")
                               : QStringLiteral("В приборе Q5-M8 выйдите в режим измерения"));
    expected << (c.english ? QStringLiteral("Error #%1") : QStringLiteral("Ошибка #%1")).arg(EIO)
             << QString::fromUtf8(c.handshakeText);
    EXPECT_EQ(dialogs.Texts(), expected);
    ASSERT_EQ(dialogs.messages.size(), static_cast<std::size_t>(expected.size()));
    const RecordedMessage &serial = dialogs.messages[dialogs.messages.size() - 2];
    EXPECT_EQ(serial.caption, QStringLiteral("RS232"));
    EXPECT_EQ(serial.owner, &owner);
    const RecordedMessage &box = dialogs.messages.back();
    EXPECT_EQ(box.caption, QString::fromUtf8(c.caption));
    EXPECT_EQ(box.flags, ui::MbOk | ui::MbIconError);
}

// Here handshakeText holds the text raised when the start cannot be sent.
INSTANTIATE_TEST_SUITE_P(
    Connections, ConnectFailure,
    ::testing::Values(
        FrameCase{"WriteRu", &WriteScaleConnection, false, "Не удается подключиться к прибору !",
                  "Запись шкалы в Q5-M8"},
        FrameCase{"WriteEn", &WriteScaleConnection, true, "Failed to connect to the device!",
                  "Writing the scale to Q5-M8"},
        FrameCase{"UpdateRu", &UpdateListConnection, false, "Не удается подключиться к прибору !",
                  "Результаты Q5-M8"},
        FrameCase{"DeleteEn", &DeleteScaleConnection, true, "Failed to connect to the device!", "Results Q5-M8"},
        FrameCase{"LoadEn", &LoadScaleConnection, true, "Failed to connect to the device!", "Results Q5-M8"},
        FrameCase{"ResultsEn", &ReadResultsConnection, true, "Cant't connect to device!", "Q5-M8 results"},
        FrameCase{"ResultsRu", &ReadResultsConnection, false, "Не удается подключится к прибору!",
                  "Результаты Q5-M8"}),
    [](const auto &info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Connections, HandshakeFailure,
    ::testing::Values(
        FrameCase{"WriteRu", &WriteScaleConnection, false, "Не удается подключиться к прибору", "Запись шкалы в Q5-M8"},
        FrameCase{"WriteEn", &WriteScaleConnection, true, "Connect error", "Writing the scale to Q5-M8"},
        FrameCase{"UpdateEn", &UpdateListConnection, true, "Failed to connect to the device!", "Results of Q5-M8"},
        FrameCase{"UpdateRu", &UpdateListConnection, false, "Не удается подключиться к прибору !",
                  "Результаты Q5-M8"},
        FrameCase{"DeleteEn", &DeleteScaleConnection, true, "Failed to connect to the device!", "Results Q5-M8"},
        FrameCase{"LoadEn", &LoadScaleConnection, true, "Failed to connect to the device!", "Results Q5-M8"},
        FrameCase{"ResultsEn", &ReadResultsConnection, true, "Cant't connect to device!", "Q5-M8 results"},
        FrameCase{"ResultsRu", &ReadResultsConnection, false, "Не удается подключится к прибору!",
                  "Результаты Q5-M8"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ConnectionFrame, SuccessPromptsStartsRunsTheExchangeAndEnds)
{
    LangGuard lang(false);
    emu::InstrumentData data = emu::DefaultData();
    data.version = {1, 2, 15};
    Stand stand(data);
    RecordingDialogs dialogs;
    emu::Bytes version;
    auto result = RunConnection(nullptr, stand.Path(), WriteScaleConnection, [&](TSerialPort &port) {
        SendCommand(port, CmdReadVersion);
        for (int i = 0; i < 5; ++i)
            version.push_back(ReadReplyByte(port, {"приём", "receive"}));
    });
    EXPECT_EQ(result, ConnectionResult::Done);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("В приборе Q5-M8 выйдите в режим измерения"));
    EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("Соединение с прибором"));
    EXPECT_EQ(dialogs.messages[0].flags, ui::MbOkCancel | ui::MbIconInformation);
    EXPECT_EQ(dialogs.messages[0].owner, nullptr);
    EXPECT_EQ(Hex(version), Hex({0xC3, 0x66, 1, 2, 15}));
    EXPECT_EQ(Hex(ReceivedAfter(stand, 4)), Hex({0x81, 0x00, 0x8B, 0x84}));
    EXPECT_FALSE(stand.instrument.Connected());
}

TEST(ConnectionFrame, EveryCommandByteFollowsAPauseOfAtLeast100MsOnTheWire)
{
    Stand stand;
    RecordingDialogs dialogs;
    const auto start = Clock::now();
    RunConnection(nullptr, stand.Path(), UpdateListConnection, [&](TSerialPort &port) {
        SendCommand(port, CmdReadVersion);
        for (int i = 0; i < 5; ++i)
            ReadReplyByte(port, {"", ""});
    });
    ASSERT_EQ(Hex(ReceivedAfter(stand, 4)), Hex({0x81, 0x00, 0x8B, 0x84}));
    const auto events = stand.instrument.Events();
    Clock::time_point lastActivity = start;
    int commands = 0;
    for (const auto &e : events) {
        if (e.fromPc && e.byte != PollByte) {
            EXPECT_GE(e.time - lastActivity, 100ms) << "before byte " << int(e.byte);
            ++commands;
        }
        lastActivity = e.time;
    }
    EXPECT_EQ(commands, 3);
}

TEST(ConnectionFrame, AFailedExchangeIsShownOnceThenTheEndCommandIsSent)
{
    LangGuard lang(true);
    Stand stand;
    RecordingDialogs dialogs;
    auto result = RunConnection(nullptr, stand.Path(), UpdateListConnection,
                                [&](TSerialPort &) { Raise({"Время", "Command time expired"}); });
    EXPECT_EQ(result, ConnectionResult::Failed);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].text, QStringLiteral("Command time expired"));
    EXPECT_EQ(dialogs.messages[1].caption, QStringLiteral("Results of Q5-M8"));
    EXPECT_EQ(Hex(ReceivedAfter(stand, 3)), Hex(kDesignerFrame));
}

TEST(ConnectionFrame, AReadFailureShowsTheRs232BoxThenTheConnectionsText)
{
    LangGuard lang(true);
    Stand stand;
    stand.instrument.InjectFault(CmdReadVersion, FaultOf(emu::Fault::Silence));
    RecordingDialogs dialogs;
    RunConnection(nullptr, stand.Path(), UpdateListConnection, [&](TSerialPort &port) {
        ShortTimeouts(port);
        SendCommand(port, CmdReadVersion);
        ReadReplyByte(port, {"Ошибка", "Error occured while receiving data from the device"});
        ADD_FAILURE() << "the read should have raised";
    });
    EXPECT_EQ(dialogs.Texts(), (QStringList{QStringLiteral("In the Q5-M8 device, go to measurement mode"),
                                            QStringLiteral("Error at receiving data!"),
                                            QStringLiteral("Error occured while receiving data from the device")}));
    EXPECT_EQ(Hex(ReceivedAfter(stand, 4)), Hex({0x81, 0x00, 0x8B, 0x84}));
}

TEST(ConnectionFrame, AFailedLoadClosesWithoutTheEndCommand)
{
    Stand stand;
    RecordingDialogs dialogs;
    auto result = RunConnection(nullptr, stand.Path(), LoadScaleConnection, [&](TSerialPort &port) {
        SendCommand(port, CmdReadScale);
        Raise({"", "Choose other scale"});
    });
    EXPECT_EQ(result, ConnectionResult::Failed);
    std::this_thread::sleep_for(300ms); // an end command would have come by now
    EXPECT_EQ(Hex(stand.instrument.Received()), Hex({0x81, 0x00, 0x92}));
}

TEST(ConnectionFrame, AFailureBeforeTheStartOfALoadSendsNothing)
{
    LangGuard lang(true);
    Stand stand;
    RecordingDialogs dialogs;
    bool exchanged = false;
    ConnectionHooks hooks;
    hooks.beforeStart = [] { Raise({"Выберите другую шкалу!", "Choose other scale"}); };
    auto result = RunConnection(nullptr, stand.Path(), LoadScaleConnection,
                                [&](TSerialPort &) { exchanged = true; }, hooks);
    EXPECT_EQ(result, ConnectionResult::Failed);
    EXPECT_FALSE(exchanged);
    EXPECT_EQ(dialogs.Texts().back(), QStringLiteral("Choose other scale"));
    EXPECT_EQ(dialogs.messages.back().caption, QStringLiteral("Results Q5-M8"));
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(stand.instrument.Received().empty());
    // The port was closed: it opens again.
    TSerialPort again(nullptr);
    EXPECT_TRUE(OpenLinkPort(again, stand.Path()));
}

TEST(ConnectionFrame, ASuccessfulLoadEnds)
{
    Stand stand;
    RecordingDialogs dialogs;
    EXPECT_EQ(RunConnection(nullptr, stand.Path(), LoadScaleConnection, [](TSerialPort &) {}),
              ConnectionResult::Done);
    EXPECT_EQ(Hex(ReceivedAfter(stand, 3)), Hex(kDesignerFrame));
}

TEST(ConnectionFrame, OnlyTheWriteConnectionShowsAnEmptyMessage)
{
    for (const ConnectionProfile *p : {&WriteScaleConnection, &UpdateListConnection}) {
        Stand stand;
        RecordingDialogs dialogs;
        EXPECT_EQ(RunConnection(nullptr, stand.Path(), *p, [](TSerialPort &) { throw ELinkError(QString()); }),
                  ConnectionResult::Failed);
        const bool shown = p == &WriteScaleConnection;
        ASSERT_EQ(dialogs.messages.size(), shown ? 2u : 1u);
        if (shown) {
            EXPECT_TRUE(dialogs.messages[1].text.isEmpty());
        }
        EXPECT_EQ(Hex(ReceivedAfter(stand, 3)), Hex(kDesignerFrame));
    }
}

TEST(ConnectionFrame, OtherStandardExceptionsCarryTheirMessage)
{
    Stand stand;
    RecordingDialogs dialogs;
    auto result = RunConnection(nullptr, stand.Path(), ReadResultsConnection,
                                [](TSerialPort &) { throw std::runtime_error("'1x' is not a valid floating point value"); });
    EXPECT_EQ(result, ConnectionResult::Failed);
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("'1x' is not a valid floating point value")});
    EXPECT_EQ(Hex(ReceivedAfter(stand, 2)), Hex({0x81, 0x84}));
}

TEST(ConnectionFrame, AForeignExceptionPassesThroughAfterEndingTheConnection)
{
    Stand stand;
    RecordingDialogs dialogs;
    EXPECT_THROW(RunConnection(nullptr, stand.Path(), ReadResultsConnection, [](TSerialPort &) { throw 42; }), int);
    EXPECT_EQ(Hex(ReceivedAfter(stand, 2)), Hex({0x81, 0x84}));
    TSerialPort again(nullptr);
    EXPECT_TRUE(OpenLinkPort(again, stand.Path()));
}

TEST(ConnectionFrame, CancelAtThePromptOpensNothing)
{
    Stand stand;
    RecordingDialogs dialogs;
    dialogs.answers.push_back(ui::IdCancel);
    bool opened = false;
    ConnectionHooks hooks;
    hooks.beforeOpen = [&] { opened = true; };
    EXPECT_EQ(RunConnection(nullptr, stand.Path(), DeleteScaleConnection, [](TSerialPort &) {}, hooks),
              ConnectionResult::Cancelled);
    EXPECT_FALSE(opened);
    EXPECT_EQ(dialogs.messages.size(), 1u);
    std::this_thread::sleep_for(200ms);
    EXPECT_TRUE(stand.instrument.Received().empty());
}

TEST(ConnectionFrame, APortThatCannotBeOpenedShowsOnlyItsOwnBoxAndSendsNothing)
{
    LangGuard lang(true);
    Stand stand;
    RecordingDialogs dialogs;
    TSerialPort holder(nullptr);
    ASSERT_TRUE(OpenLinkPort(holder, stand.Path()));
    bool exchanged = false;
    EXPECT_EQ(RunConnection(nullptr, stand.Path(), ReadResultsConnection, [&](TSerialPort &) { exchanged = true; }),
              ConnectionResult::NotOpened);
    EXPECT_FALSE(exchanged);
    EXPECT_EQ(dialogs.Texts(), QStringList{QStringLiteral("The port is busy by another application!")});
    EXPECT_EQ(RunConnection(nullptr, QStringLiteral("/dev/q5m8-none"), WriteScaleConnection, nullptr),
              ConnectionResult::NotOpened);
    EXPECT_EQ(dialogs.Texts().last(), QStringLiteral("The port does not exist!"));
    std::this_thread::sleep_for(200ms);
    EXPECT_TRUE(stand.instrument.Received().empty());
}

TEST(ConnectionFrame, StaleBytesFromAnEarlierConnectionDoNotBreakTheNext)
{
    Stand stand;
    // The first connection leaves a list's closing triple unread.
    emu::Fault extra = FaultOf(emu::Fault::Extra);
    extra.bytes = {0xC3, 0x66, 0x87};
    extra.times = 1;
    stand.instrument.InjectFault(CmdConnect, extra);
    RecordingDialogs dialogs;
    EXPECT_EQ(RunConnection(nullptr, stand.Path(), ReadResultsConnection, nullptr), ConnectionResult::Done);
    stand.instrument.SendUnsolicited({0xC3, 0x66}); // and noise after the end
    ReceivedAfter(stand, 2);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(RunConnection(nullptr, stand.Path(), ReadResultsConnection, nullptr), ConnectionResult::Done);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.Texts().join(u'|').toStdString();
}

// The one test that waits for the real time-out of a connection.
TEST(ConnectionFrame, SilentInstrumentFailsAfterTheRealConnectionTimeout)
{
    LangGuard lang(true);
    Stand stand;
    stand.instrument.InjectFault(CmdConnect, FaultOf(emu::Fault::Silence));
    RecordingDialogs dialogs;
    const auto start = Clock::now();
    EXPECT_EQ(RunConnection(nullptr, stand.Path(), WriteScaleConnection, nullptr), ConnectionResult::Failed);
    const auto elapsed = Clock::now() - start;
    EXPECT_GE(elapsed, 100ms + 5010ms);
    EXPECT_LT(elapsed, 9000ms);
    EXPECT_EQ(dialogs.Texts(), (QStringList{QStringLiteral("In the Q5-M8 device, go to measurement mode"),
                                            QStringLiteral("Error at receiving data!"),
                                            QStringLiteral("Connect error")}));
    EXPECT_EQ(dialogs.messages[1].caption, QStringLiteral("RS232"));
    EXPECT_EQ(Hex(ReceivedAfter(stand, 3)), Hex(kDesignerFrame));
}
