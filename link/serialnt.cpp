#include "link/serialnt.h"

#include "common/cformat.h"
#include "common/dialogs.h"
#include "common/lang.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

const QString kCaption = QStringLiteral("RS232");

QString ApplicationTitle() { return QCoreApplication::applicationName(); }

bool SpeedFor(int baud, speed_t &speed)
{
    static const struct { int baud; speed_t speed; } table[] = {
        {50, B50}, {75, B75}, {110, B110}, {134, B134}, {150, B150}, {200, B200}, {300, B300},
        {600, B600}, {1200, B1200}, {1800, B1800}, {2400, B2400}, {4800, B4800}, {9600, B9600},
        {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
        {460800, B460800}, {500000, B500000}, {576000, B576000}, {921600, B921600},
        {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000}, {2000000, B2000000},
    };
    for (const auto &e : table)
        if (e.baud == baud) {
            speed = e.speed;
            return true;
        }
    return false;
}

// Remaining milliseconds until deadline, rounded up so that a wait never ends
// early; 0 when it has passed.
int MsUntil(Clock::time_point deadline)
{
    auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero())
        return 0;
    auto ms = std::chrono::ceil<Ms>(left).count();
    return ms > 1000000 ? 1000000 : static_cast<int>(ms);
}

} // namespace

void LineDecoder::Feed(const unsigned char *raw, std::size_t length, std::deque<unsigned char> &out)
{
    for (std::size_t i = 0; i < length && !lineError_; ++i) {
        unsigned char b = raw[i];
        if (pending_.empty()) {
            if (b == 0xFF)
                pending_.push_back(b);
            else
                out.push_back(b);
            continue;
        }
        if (pending_.size() == 1) {
            if (b == 0xFF) { // doubled data byte
                out.push_back(0xFF);
                pending_.clear();
            } else if (b == 0x00) {
                pending_.push_back(b);
            } else { // not a marking: keep both bytes as data
                out.push_back(0xFF);
                out.push_back(b);
                pending_.clear();
            }
            continue;
        }
        // FF 00 x: the byte x came with a line error (x 00 is a break).
        pending_.clear();
        lineError_ = true;
    }
}

void LineDecoder::Reset()
{
    pending_.clear();
    lineError_ = false;
}

TSerialPort::TSerialPort(QObject *owner) : OwnerWindow(owner) {}

TSerialPort::~TSerialPort()
{
    if (IsOpen())
        Close();
}

void TSerialPort::ShowOpenError(int code)
{
    QString text;
    switch (code) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
    case EIO: // a device node without its hardware, such as a serial port the machine lacks
        text = Lang("Порт не существует !", "The port does not exist!");
        break;
    case EACCES:
    case EPERM:
    case EBUSY:
    case EWOULDBLOCK:
        text = Lang("Порт занят другим приложением !", "The port is busy by another application!");
        break;
    default:
        text = QCFormat("Error #%d at port creation!", code);
        break;
    }
    ui::Message(OwnerWindow, text, kCaption, ui::MbOk | ui::MbIconError);
}

bool TSerialPort::Open(const QString &name, int baudRate, int readIntervalTimeout, int readTotalTimeoutConstant,
                       int readTotalTimeoutMultiplier, int writeTotalTimeoutConstant,
                       int writeTotalTimeoutMultiplier, int inQueue, int outQueue)
{
    if (IsOpen())
        Close();
    const QByteArray path = QFile::encodeName(name);
    int fd = path.isEmpty() ? -1 : ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        ShowOpenError(path.isEmpty() ? ENOENT : errno);
        return false;
    }
    // Exclusive like a Win32 COM port. flock is what refuses a second open
    // even for root, who is exempt from TIOCEXCL.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int code = errno;
        ::close(fd);
        ShowOpenError(code);
        return false;
    }
    PortHandle = fd;
    decoder_.Reset();
    received_.clear();
    stuckError_ = 0;

    if (::tcgetattr(fd, &Dcb) != 0) {
        int code = errno;
        Close();
        ui::Message(nullptr, QStringLiteral("GetCommState - Error #") + QString::number(code), ApplicationTitle(),
                    ui::MbOk);
        return false;
    }
    ::ioctl(fd, TIOCEXCL);

    // Raw 8N1, no flow control, modem status lines ignored. PARMRK marks line
    // errors in the data so that Read can fail on them like abort-on-error;
    // INPCK is what makes the driver flag framing errors at all (with no
    // parity bit there is no parity to check).
    Dcb.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | IGNPAR | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF
                                          | IXANY | IMAXBEL);
#ifdef IUCLC
    Dcb.c_iflag &= ~static_cast<tcflag_t>(IUCLC);
#endif
    Dcb.c_iflag |= PARMRK | INPCK;
    Dcb.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    Dcb.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
    Dcb.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    Dcb.c_cflag |= CS8 | CREAD | CLOCAL;
    Dcb.c_cc[VMIN] = 1;
    Dcb.c_cc[VTIME] = 0;
    speed_t speed = B0;
    bool speedOk = SpeedFor(baudRate, speed);
    if (speedOk) {
        ::cfsetispeed(&Dcb, speed);
        ::cfsetospeed(&Dcb, speed);
    }
    if (!speedOk || ::tcsetattr(fd, TCSANOW, &Dcb) != 0) {
        int code = speedOk ? errno : EINVAL;
        Close();
        ui::Message(OwnerWindow, QStringLiteral("SetCommState error!"), kCaption, ui::MbOk | ui::MbIconError);
        ui::Message(nullptr, QString::number(code), ApplicationTitle(), ui::MbOk);
        return false;
    }
    // DTR and RTS on; a pseudo-terminal has no modem lines, which is no error.
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd, TIOCMBIS, &lines);

    // There are no queue sizes to set here; the input is emptied instead, so
    // nothing left over from an earlier connection is read as an answer. The
    // output is left alone: on a pseudo-terminal it may still hold the end
    // command of a connection closed a moment ago, which a real port would
    // have sent before its close returned.
    if (inQueue < 0 || outQueue < 0 || ::tcflush(fd, TCIFLUSH) != 0) {
        Close();
        ui::Message(OwnerWindow, QStringLiteral("SetupComm error!"), kCaption, ui::MbOk | ui::MbIconError);
        return false;
    }
    if (!SetTimeouts(readIntervalTimeout, readTotalTimeoutConstant, readTotalTimeoutMultiplier,
                     writeTotalTimeoutConstant, writeTotalTimeoutMultiplier)) {
        Close();
        ui::Message(OwnerWindow, QStringLiteral("SetTimeOuts error!"), kCaption, ui::MbOk | ui::MbIconError);
        return false;
    }
    return true;
}

bool TSerialPort::SetTimeouts(int readIntervalTimeout, int readTotalTimeoutConstant, int readTotalTimeoutMultiplier,
                              int writeTotalTimeoutConstant, int writeTotalTimeoutMultiplier)
{
    if (!IsOpen())
        return false;
    Timeouts.ReadIntervalTimeout = static_cast<std::uint32_t>(readIntervalTimeout);
    Timeouts.ReadTotalTimeoutMultiplier = static_cast<std::uint32_t>(readTotalTimeoutMultiplier);
    Timeouts.ReadTotalTimeoutConstant = static_cast<std::uint32_t>(readTotalTimeoutConstant);
    Timeouts.WriteTotalTimeoutMultiplier = static_cast<std::uint32_t>(writeTotalTimeoutMultiplier);
    Timeouts.WriteTotalTimeoutConstant = static_cast<std::uint32_t>(writeTotalTimeoutConstant);
    return true;
}

std::int32_t TSerialPort::ReportError(bool Show)
{
    if (Show && LastError > 0) {
        QString text;
        switch (LastError) {
        case ERROR_COUNTER_TIMEOUT:
            text = Lang("Устройство не готово к приему данных !", "The port is not ready to receive data!");
            break;
        case SerialErrNoData:
            text = Lang("Нет данных!", "Time-out error. Input buffer is empty!");
            break;
        case SerialErrReceive:
            text = Lang("Ошибка при приеме данных!", "Error at receiving data!");
            break;
        case SerialErrTransmit:
            text = Lang("Ошибка при передаче данных", "Error at transmitting data!");
            break;
        case SerialErrNotOpen:
            text = Lang("Порт не инициализирован!", "The port is not initialized!");
            break;
        default:
            text = Lang("Ошибка #", "Error #") + QString::number(LastError);
            break;
        }
        ui::Message(OwnerWindow, text, kCaption, ui::MbOk | ui::MbIconError);
    }
    return LastError;
}

void TSerialPort::Fail(std::int32_t code)
{
    LastError = code;
    stuckError_ = code;
}

bool TSerialPort::StartTransfer(int count)
{
    LastError = 0;
    if (!IsOpen()) {
        LastError = SerialErrNotOpen;
        return false;
    }
    if (count <= 0)
        return false;
    if (stuckError_ != 0) {
        LastError = stuckError_;
        return false;
    }
    return true;
}

int TSerialPort::Read(void *buffer, int count)
{
    if (!StartTransfer(count))
        return 0;
    auto *out = static_cast<unsigned char *>(buffer);
    const CommTimeouts t = Timeouts;
    const auto start = Clock::now();
    // MAXDWORD interval with no totals: hand out what is there at once.
    const bool immediate =
        t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0;
    // MAXDWORD interval and multiplier: wait up to the constant for a first
    // byte, then return with what has come.
    const bool firstByte = t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == MAXDWORD
                           && t.ReadTotalTimeoutConstant > 0 && t.ReadTotalTimeoutConstant < MAXDWORD;
    bool hasTotal = false;
    Clock::time_point totalDeadline;
    if (firstByte) {
        hasTotal = true;
        totalDeadline = start + Ms(t.ReadTotalTimeoutConstant);
    } else if (!immediate && (t.ReadTotalTimeoutMultiplier != 0 || t.ReadTotalTimeoutConstant != 0)) {
        hasTotal = true;
        totalDeadline = start
                        + Ms(static_cast<std::uint64_t>(t.ReadTotalTimeoutMultiplier) * static_cast<std::uint64_t>(count)
                             + t.ReadTotalTimeoutConstant);
    }
    const bool hasInterval = !immediate && !firstByte && t.ReadIntervalTimeout != 0;
    Clock::time_point lastByte;

    int got = 0;
    bool polledOnce = false;
    for (;;) {
        if (!received_.empty() && got < count) {
            while (!received_.empty() && got < count) {
                out[got++] = received_.front();
                received_.pop_front();
            }
            lastByte = Clock::now();
        }
        if (got == count)
            break;
        if (decoder_.LineError()) {
            Fail(EIO);
            break;
        }
        if (firstByte && got > 0)
            break;
        int wait = -1;
        if (immediate) {
            if (polledOnce)
                break;
            wait = 0;
        } else {
            if (hasTotal)
                wait = MsUntil(totalDeadline);
            if (hasInterval && got > 0) {
                int w = MsUntil(lastByte + Ms(t.ReadIntervalTimeout));
                wait = wait < 0 ? w : std::min(wait, w);
            }
            if (wait == 0)
                break;
        }
        polledOnce = true;
        pollfd p{PortHandle, POLLIN, 0};
        int r = ::poll(&p, 1, wait);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            Fail(errno);
            break;
        }
        if (r == 0)
            continue; // the deadlines are checked above
        if (p.revents & POLLIN) {
            unsigned char raw[4096];
            ssize_t n = ::read(PortHandle, raw, sizeof raw);
            if (n > 0) {
                decoder_.Feed(raw, static_cast<std::size_t>(n), received_);
                continue;
            }
            if (n == 0) { // end of file: the other end has gone
                Fail(EIO);
                break;
            }
            if (errno == EAGAIN || errno == EINTR)
                continue;
            Fail(errno);
            break;
        }
        if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) {
            Fail(EIO);
            break;
        }
    }
    if (LastError == 0 && got < count)
        LastError = SerialErrReceive;
    return got;
}

int TSerialPort::Write(const void *buffer, int count)
{
    if (!StartTransfer(count))
        return 0;
    const auto *in = static_cast<const unsigned char *>(buffer);
    const CommTimeouts t = Timeouts;
    const bool hasTotal = t.WriteTotalTimeoutMultiplier != 0 || t.WriteTotalTimeoutConstant != 0;
    const auto deadline =
        Clock::now()
        + Ms(static_cast<std::uint64_t>(t.WriteTotalTimeoutMultiplier) * static_cast<std::uint64_t>(count)
             + t.WriteTotalTimeoutConstant);
    int written = 0;
    while (written < count) {
        ssize_t n = ::write(PortHandle, in + written, static_cast<std::size_t>(count - written));
        if (n > 0) {
            written += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            Fail(errno);
            break;
        }
        int wait = hasTotal ? MsUntil(deadline) : -1;
        if (wait == 0)
            break;
        pollfd p{PortHandle, POLLOUT, 0};
        int r = ::poll(&p, 1, wait);
        if (r < 0 && errno != EINTR) {
            Fail(errno);
            break;
        }
        if (r > 0 && !(p.revents & POLLOUT) && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
            Fail(EIO);
            break;
        }
    }
    if (LastError == 0 && written < count)
        LastError = SerialErrTransmit;
    return written;
}

void TSerialPort::Close()
{
    if (PortHandle >= 0) {
        ::ioctl(PortHandle, TIOCNXCL);
        ::close(PortHandle); // releases the lock
    }
    PortHandle = -1;
    decoder_.Reset();
    received_.clear();
    stuckError_ = 0;
}
