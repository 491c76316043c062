#pragma once
// One serial port for the length of one instrument connection: opened
// exclusively with the instrument's line settings, read and written
// synchronously under Win32-style time-outs, every failure worded for the
// user under the caption "RS232".
#include <QObject>
#include <QString>
#include <cstdint>
#include <deque>
#include <termios.h>
#include <vector>

// The class's own error codes (bit 29: the range left to applications).
inline constexpr std::int32_t SerialErrNoData = 0x20000001;   // never set; still has a text
inline constexpr std::int32_t SerialErrReceive = 0x20000002;  // Read got fewer bytes than asked
inline constexpr std::int32_t SerialErrTransmit = 0x20000003; // Write wrote fewer bytes than asked
inline constexpr std::int32_t SerialErrNotOpen = 0x20000004;  // Read or Write on a closed port

// Has its own text although this platform never produces it.
inline constexpr std::int32_t ERROR_COUNTER_TIMEOUT = 1121;

// Win32 COMMTIMEOUTS semantics, in milliseconds. MAXDWORD (0xFFFFFFFF) keeps
// its special meanings for the read interval and multiplier.
struct CommTimeouts {
    std::uint32_t ReadIntervalTimeout = 0;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;
};
inline constexpr std::uint32_t MAXDWORD = 0xFFFFFFFFu;

// With PARMRK the terminal marks a line error (framing, parity, break) as
// FF 00 x and doubles a data byte FF; this undoes the marking.
class LineDecoder {
public:
    // Appends the data bytes of raw to out, up to the first line error.
    void Feed(const unsigned char *raw, std::size_t length, std::deque<unsigned char> &out);
    bool LineError() const { return lineError_; }
    void Reset();

private:
    std::vector<unsigned char> pending_; // an incomplete marking sequence
    bool lineError_ = false;
};

class TSerialPort {
public:
    explicit TSerialPort(QObject *owner);
    ~TSerialPort();
    TSerialPort(const TSerialPort &) = delete;
    TSerialPort &operator=(const TSerialPort &) = delete;

    // True when the port is open and configured; every failure has been shown
    // and leaves the port closed.
    bool Open(const QString &name, int baudRate, int readIntervalTimeout, int readTotalTimeoutConstant,
              int readTotalTimeoutMultiplier, int writeTotalTimeoutConstant, int writeTotalTimeoutMultiplier,
              int inQueue, int outQueue);
    // Constant before multiplier, unlike the fields of CommTimeouts. False on a
    // closed port.
    bool SetTimeouts(int readIntervalTimeout, int readTotalTimeoutConstant, int readTotalTimeoutMultiplier,
                     int writeTotalTimeoutConstant, int writeTotalTimeoutMultiplier);
    // Returns LastError unchanged; with Show and a positive code, words it first.
    std::int32_t ReportError(bool Show);
    int Read(void *buffer, int count);
    int Write(const void *buffer, int count);
    void Close();

    bool IsOpen() const { return PortHandle >= 0; }

    QObject *OwnerWindow;
    int PortHandle = -1;          // file descriptor; -1 when closed
    std::int32_t LastError = 0;   // 0, an errno value or one of the codes above
    termios Dcb{};                // line settings of the open port
    CommTimeouts Timeouts;

private:
    void ShowOpenError(int code);
    void Fail(std::int32_t code);
    // The checks Read and Write share; false: nothing to transfer (LastError set).
    bool StartTransfer(int count);

    LineDecoder decoder_;
    std::deque<unsigned char> received_; // decoded bytes not yet handed out
    std::int32_t stuckError_ = 0;        // a line error or hang-up fails all later I/O
};
