#pragma once
// The instrument's command layer: line settings and time-outs of a
// connection, command bytes and status replies, the start of a connection and
// the frame that every exchange with the instrument runs in.
#include "common/lang.h"
#include "link/protocol.h"
#include "link/serialnt.h"

#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>
#include <stdexcept>

// Line settings and time-outs (milliseconds).
inline constexpr int LinkBaudRate = 38400;
struct LinkTimeouts {
    int readInterval;
    int readTotalConstant;
    int readTotalMultiplier;
    int writeTotalConstant;
    int writeTotalMultiplier;
};
inline constexpr LinkTimeouts OpenTimeouts{0, 1000, 2, 1000, 2};
inline constexpr int OpenInQueue = 1024;
inline constexpr int OpenOutQueue = 1024;
// Every read asks for one byte, so a byte that does not come costs 5010 ms.
inline constexpr LinkTimeouts ConnectionTimeouts{1000, 5000, 10, 1000, 10};

inline constexpr std::chrono::milliseconds CommandPause{100};

// Opens with LinkBaudRate, OpenTimeouts and the queue sizes.
bool OpenLinkPort(TSerialPort &port, const QString &name);
bool SetLinkTimeouts(TSerialPort &port, const LinkTimeouts &t);

// Blocks for at least d on the monotonic clock (no window messages are handled
// meanwhile, as with the instrument's busy waits).
void Pause(std::chrono::milliseconds d);

// CommandPause, then the one byte; the caller checks with ReportError.
void SendCommand(TSerialPort &port, std::uint8_t command);
// True when the instrument answered the start with C3 66 81; a failed read has
// been shown in the "RS232" box.
bool Handshake(TSerialPort &port);

// The results reader's start: no pause, no poll byte.
int SendCommandNoPause(TSerialPort &port, std::uint8_t command);
bool HandshakeNoPoll(TSerialPort &port);

// A connection failure carrying the text the connection shows.
class ELinkError : public std::runtime_error {
public:
    explicit ELinkError(const QString &message);
    QString Message() const { return QString::fromUtf8(what()); }
};
[[noreturn]] void Raise(const LangText &text);

// One reply byte: Read, ReportError with display on, and a non-zero code
// raises failure.
std::uint8_t ReadReplyByte(TSerialPort &port, const LangText &failure);

// What differs from one connection to the next.
struct ConnectionProfile {
    LangText connectFailure;   // CmdConnect could not be sent
    LangText handshakeFailure; // the start was not answered with C3 66 81
    LangText errorCaption;     // caption of the connection's error box
    bool prompt;               // ask for measurement mode first (the designer)
    bool pausedCommands;       // SendCommand and Handshake; otherwise the no-pause variants
    bool showEmptyMessage;     // the error box appears even for an empty text
    bool endAfterFailure;      // send CmdDisconnect after a failure too
};

extern const ConnectionProfile WriteScaleConnection;
extern const ConnectionProfile UpdateListConnection;
extern const ConnectionProfile DeleteScaleConnection;
extern const ConnectionProfile LoadScaleConnection;
extern const ConnectionProfile ReadResultsConnection;

enum class ConnectionResult {
    Cancelled, // the prompt was not answered with OK; nothing opened
    NotOpened, // Open failed and has shown why; nothing sent
    Failed,    // a failure was raised and shown
    Done,
};

struct ConnectionHooks {
    std::function<void()> beforeOpen;  // after the prompt, before the port opens
    std::function<void()> beforeStart; // guarded, before CmdConnect is sent
};

// Runs one connection: prompt, open, connection time-outs, start, exchange,
// error box, end command, close. Any std::exception raised by the exchange or
// the hooks is a failure whose what() (UTF-8) is the message.
ConnectionResult RunConnection(QObject *owner, const QString &portName, const ConnectionProfile &profile,
                               const std::function<void(TSerialPort &)> &exchange,
                               const ConnectionHooks &hooks = {});
