#pragma once
// A stand-in for the Q5-M8 instrument at the far end of a pseudo-terminal:
// it answers every exchange of the designer and the results reader byte for
// byte, from scales and result files that a fixture provides, and can be told
// to misbehave per command.
#include <QString>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace emu {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

inline constexpr int MaxScales = 25;
inline constexpr int ResultFileCount = 99;
inline constexpr int ScaleRecordSize = 256;
inline constexpr int ScaleSendLength = 250;
inline constexpr int ScaleReadLength = 255;

// One stored scale: the record as written (256 bytes), its list address byte
// and the four list-entry bytes after the units.
struct StoredScale {
    std::array<std::uint8_t, ScaleRecordSize> record{};
    std::uint8_t address = 0;
    std::array<std::uint8_t, 4> entryTail{};
};

using MeasurementRecord = std::array<std::uint8_t, 16>;

struct InstrumentData {
    std::array<std::uint8_t, 3> version{1, 0, 0};
    std::vector<StoredScale> scales; // [0] is the built-in default scale
    std::array<std::vector<MeasurementRecord>, ResultFileCount> files;
};

// Name, units (Windows-1251, padded with blanks to 8 and 4), decimals and the
// points (x, y already multiplied by 10^decimals) in the record layout the
// designer writes.
StoredScale MakeScale(const QString &name, const QString &units, int decimals,
                      const std::vector<std::pair<int, int>> &points);
// A measurement: 0xC0, the value text padded with blanks to 5, the scale name
// padded to 8, two zero bytes.
MeasurementRecord MakeMeasurement(const QString &value, const QString &scale);
// The built-in default scale and no result files; version 1.0.0.
InstrumentData DefaultData();

// The 17 bytes of a list entry: name, units, the entry tail, the address.
Bytes ListEntry(const StoredScale &s);

// Fixture text (format in FixtureHelp). Throws std::runtime_error with a
// message naming the line.
InstrumentData ParseFixture(const QString &text);
InstrumentData LoadFixture(const QString &path);
extern const char *const FixtureHelp;

// A misbehaviour for one reply of one command. A command's replies are
// numbered in order: 0x85 has the go-ahead (0) and the result (1), 0x89 its
// two statuses (0, 1); every other command has one reply (0).
struct Fault {
    enum Kind {
        Silence,  // send nothing
        Patch,    // set one byte: offset from the start, or from the end when negative
        Truncate, // send only the first `keep` bytes
        Extra,    // append `bytes`
        Slow,     // wait `delayMs` before each byte
        HangUp,   // hang the line up instead of answering (after the first `keep` bytes)
        Replace,  // send `bytes` instead
    } kind = Silence;
    int reply = 0;
    int offset = 2;
    std::uint8_t value = 0;
    std::size_t keep = 0;
    Bytes bytes;
    int delayMs = 0;
    int times = -1; // how many times it applies; -1 always
    int argument = -1; // only the exchange with this argument byte (0x8C index, 0x92/0x89 address); -1 any
    int exchange = 0;  // only the n-th time the command comes (1-based, counted since Start); 0 every time
};
// "CMD[#ARG][@N][/REPLY]:KIND[:ARG]" as on the command line, e.g. "81:patch:82",
// "87:silence", "85/1:patch:0", "8c:slow:20", "89:extra:c3 66", "8b:truncate:2",
// "87@2:silence" (the second 0x87 only), "92:hangup:100" (hang up after 100 bytes).
// "#ARG" after CMD aims it at one argument byte: "8c#31:hangup:801" (file 50:
// its count and 50 records, then the line drops).
bool ParseFault(const std::string &faultText, std::uint8_t &command, Fault &fault, std::string &error);

struct WireEvent {
    Clock::time_point time;
    bool fromPc; // true: received from the program; false: sent by the instrument
    std::uint8_t byte;
};

struct Options {
    QString linkPath;              // a symlink to the terminal, replaced if it exists
    std::FILE *log = nullptr;      // every byte with a timestamp
    bool record = true;            // keep the wire events for Events()
    bool reopenAfterHangUp = false; // a fresh terminal (and link) after a hang-up
    int argumentWaitMs = 1000;     // wait for an argument byte before C3 66 E3
    int recordGapMs = 80;          // longest gap between two bytes of a scale record
    // Bytes cross the line at its real speed: 10 bits a byte at `baud`, on a
    // cumulative clock, in both directions.
    bool paced = false;
    int baud = 38400;
};

class Instrument {
public:
    explicit Instrument(InstrumentData data = DefaultData(), Options options = {});
    ~Instrument();
    Instrument(const Instrument &) = delete;
    Instrument &operator=(const Instrument &) = delete;

    // Opens the pseudo-terminal pair and serves on a thread of its own.
    // False (with a reason) when the terminal or the link cannot be made.
    bool Start(std::string *error = nullptr);
    void Stop();

    // The terminal a program opens: the link when one was asked for.
    QString PortPath() const;
    QString SlavePath() const;

    void InjectFault(std::uint8_t command, const Fault &fault);
    void ClearFaults();

    InstrumentData Data() const;
    void SetData(const InstrumentData &data);

    // Sends bytes on its own, outside any exchange (stale bytes, noise).
    void SendUnsolicited(const Bytes &bytes);

    std::vector<WireEvent> Events() const;
    Bytes Received() const; // bytes from the program, in order
    void ClearEvents();
    // Waits until pred holds for the received bytes, or timeout.
    bool WaitReceived(const std::function<bool(const Bytes &)> &pred, std::chrono::milliseconds timeout) const;
    bool Connected() const;

private:
    enum class State { Idle, Connected, WantResultIndex, WantScaleAddress, WantDeleteAddress, WantRecord };

    bool OpenTerminal(std::string *error);
    void CloseTerminal();
    void Serve();
    void OnByte(std::uint8_t b, Clock::time_point now);
    void OnTimeout();
    void Reply(std::uint8_t command, int reply, Bytes bytes);
    bool FlushOutput();
    void Log(bool fromPc, std::uint8_t b, Clock::time_point now);
    void HangUp();
    bool Drained(); // the program has read what was sent before a hang-up
    void Wake();
    Clock::duration ByteTime() const; // one byte on the paced line

    InstrumentData data_;
    Options options_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    int master_ = -1;
    int slaveKeep_ = -1; // keeps the terminal alive between connections
    int wake_[2] = {-1, -1};
    std::string slavePath_;

    State state_ = State::Idle;
    bool connected_ = false;
    std::uint8_t pendingCommand_ = 0;
    Bytes record_;
    Clock::time_point deadline_{};
    bool hasDeadline_ = false;

    struct Outgoing {
        std::uint8_t byte;
        int delayMs;
    };
    std::vector<Outgoing> out_;
    std::size_t outPos_ = 0;
    Clock::time_point nextSend_{};
    // Paced line: when the last byte sent has fully crossed, when the last
    // byte received had, and when the next byte is due.
    Clock::time_point lineFree_{};
    Clock::time_point rxFree_{};
    Clock::time_point nextDue_{};
    int currentArgument_ = -1; // argument byte of the exchange being answered
    bool hangUpPending_ = false;
    // A pending hang-up waits until the program has read what was sent.
    Clock::time_point lastWrite_{};
    Clock::time_point drainStart_{};
    bool draining_ = false;
    bool sawUnread_ = false;
    bool armAfterSend_ = false; // start the deadline when the reply is out

    std::multimap<std::uint8_t, Fault> faults_;
    std::map<std::uint8_t, int> exchanges_; // how often each command has come
    std::vector<WireEvent> events_;
    Clock::time_point logStart_ = Clock::now();
};

// The help text of the command-line program (the fixture format follows it).
extern const char *const UsageText;

} // namespace emu
