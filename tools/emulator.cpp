#include "tools/emulator.h"

#include "common/win1251.h"
#include "link/protocol.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace emu {

namespace {

Bytes Triple(std::uint8_t third) { return {ReplyPrefix1, ReplyPrefix2, third}; }

void PutText(std::uint8_t *dest, std::size_t width, const QString &text)
{
    QByteArray b = cp1251::Encode(text).left(static_cast<qsizetype>(width));
    std::memset(dest, ' ', width);
    std::memcpy(dest, b.constData(), static_cast<std::size_t>(b.size()));
}

bool IsErrorStatus(std::uint8_t b) { return b == ReplyErrScale || b == ReplyErrTimeout || b == ReplyErrMemoryFull; }

// Tail bytes of a list entry: the decimals and the point count of the record.
std::array<std::uint8_t, 4> DefaultTail(const StoredScale &s) { return {s.record[15], s.record[49], 0, 0}; }

} // namespace

StoredScale MakeScale(const QString &name, const QString &units, int decimals,
                      const std::vector<std::pair<int, int>> &points)
{
    StoredScale s;
    auto &r = s.record;
    r[0] = RecordMarker;
    PutText(&r[1], 8, name);
    PutText(&r[9], 4, units);
    r[14] = ScaleRecordTag;
    r[15] = static_cast<std::uint8_t>(decimals);
    std::size_t n = std::min<std::size_t>(points.size(), 50);
    r[49] = static_cast<std::uint8_t>(n);
    for (std::size_t i = 0; i < n; ++i) {
        auto x = static_cast<std::uint16_t>(points[i].first);
        auto y = static_cast<std::uint16_t>(points[i].second);
        std::uint8_t *p = &r[50 + 4 * i];
        p[0] = static_cast<std::uint8_t>(x & 0xFF);
        p[1] = static_cast<std::uint8_t>(x >> 8);
        p[2] = static_cast<std::uint8_t>(y & 0xFF);
        p[3] = static_cast<std::uint8_t>(y >> 8);
    }
    s.entryTail = DefaultTail(s);
    return s;
}

MeasurementRecord MakeMeasurement(const QString &value, const QString &scale)
{
    MeasurementRecord m{};
    m[0] = RecordMarker;
    QByteArray v = cp1251::Encode(value).left(5);
    std::memset(&m[1], ' ', 5);
    std::memcpy(&m[1 + 5 - v.size()], v.constData(), static_cast<std::size_t>(v.size())); // right-aligned
    PutText(&m[6], 8, scale);
    return m;
}

InstrumentData DefaultData()
{
    InstrumentData d;
    StoredScale def = MakeScale(QStringLiteral("Udefault"), QStringLiteral("V"), 0, {{0, 0}, {1000, 1000}});
    def.address = 1;
    d.scales.push_back(def);
    return d;
}

Bytes ListEntry(const StoredScale &s)
{
    Bytes e(s.record.begin() + 1, s.record.begin() + 13);
    e.insert(e.end(), s.entryTail.begin(), s.entryTail.end());
    e.push_back(s.address);
    return e;
}

const char *const FixtureHelp = R"(FIXTURE FILE
  A UTF-8 text file of "key = value" lines under section headers. Blank
  lines and lines starting with '#' or ';' are ignored. Texts go on the wire
  in Windows-1251.

  version = A.B.C        the three version bytes (0..255), default 1.0.0

  [default]              the built-in scale, entry 0 of the list (optional;
                         without it: "Udefault", units "V", points 0:0 1000:1000)
  [scale]                one user scale; up to 24, listed in file order
    name = TEXT          up to 8 characters, padded with blanks
    units = TEXT         up to 4 characters, padded with blanks
    decimals = D         0..3, record byte 15
    points = X:Y ...     2..50 pairs of integers 0..65535 as stored in the
                         record: Y is the value times 10^decimals
    address = A          the list address byte; default one more than the
                         address of the entry before (the default scale has 1)

  [file N]               result file N, 1..99 (requested with index N-1)
    value = TEXT | SCALE one measurement: the value text (up to 5 characters,
                         right-aligned with blanks) and the scale name (up to
                         8, padded with blanks)
    raw = HH HH ...      one 16-byte record as given, in hex (a first byte
                         other than C0 marks a record the reader skips)

  Example:
    version = 1.2.15
    [scale]
    name = Temp
    units = C
    decimals = 1
    points = 0:0 100:250 4000:1000
    [file 1]
    value = 12.5 | Temp
    value = -3.0 | Temp
)";

namespace {

[[noreturn]] void FixtureError(int line, const QString &what)
{
    throw std::runtime_error(QStringLiteral("fixture line %1: %2").arg(line).arg(what).toStdString());
}

int ParseInt(const QString &s, int lo, int hi, int line, const char *what)
{
    bool ok = false;
    int v = s.trimmed().toInt(&ok);
    if (!ok || v < lo || v > hi)
        FixtureError(line, QStringLiteral("%1 must be %2..%3, not \"%4\"").arg(what).arg(lo).arg(hi).arg(s));
    return v;
}

Bytes ParseHex(const QString &s, int line)
{
    Bytes out;
    for (const QString &tok : s.split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts)) {
        bool ok = false;
        uint v = tok.toUInt(&ok, 16);
        if (!ok || v > 0xFF)
            FixtureError(line, QStringLiteral("\"%1\" is not a hex byte").arg(tok));
        out.push_back(static_cast<std::uint8_t>(v));
    }
    return out;
}

struct ScaleDraft {
    QString name, units;
    int decimals = 0;
    std::vector<std::pair<int, int>> points;
    int address = -1;
    int line = 0;
};

} // namespace

InstrumentData ParseFixture(const QString &text)
{
    InstrumentData d = DefaultData();
    std::vector<ScaleDraft> drafts;
    ScaleDraft defaultDraft;
    bool hasDefault = false;
    enum { Top, Default, Scale, File } section = Top;
    int file = -1;
    ScaleDraft *current = nullptr;

    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        const int no = i + 1;
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            if (!line.endsWith(u']'))
                FixtureError(no, QStringLiteral("unclosed section header"));
            const QString head = line.mid(1, line.size() - 2).trimmed().toLower();
            if (head == u"default") {
                section = Default;
                hasDefault = true;
                defaultDraft = {};
                defaultDraft.line = no;
                current = &defaultDraft;
            } else if (head == u"scale") {
                if (drafts.size() >= MaxScales - 1)
                    FixtureError(no, QStringLiteral("more than %1 user scales").arg(MaxScales - 1));
                section = Scale;
                drafts.emplace_back();
                drafts.back().line = no;
                current = &drafts.back();
            } else if (head.startsWith(u"file")) {
                section = File;
                file = ParseInt(head.mid(4), 1, ResultFileCount, no, "file number") - 1;
                current = nullptr;
            } else {
                FixtureError(no, QStringLiteral("unknown section [%1]").arg(head));
            }
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            FixtureError(no, QStringLiteral("expected key = value"));
        const QString key = line.left(eq).trimmed().toLower();
        const QString value = line.mid(eq + 1).trimmed();
        if (section == Top) {
            if (key != u"version")
                FixtureError(no, QStringLiteral("unknown key \"%1\"").arg(key));
            const QStringList parts = value.split(u'.');
            if (parts.size() != 3)
                FixtureError(no, QStringLiteral("version must be A.B.C"));
            for (int k = 0; k < 3; ++k)
                d.version[static_cast<std::size_t>(k)] =
                    static_cast<std::uint8_t>(ParseInt(parts[k], 0, 255, no, "version byte"));
        } else if (section == File) {
            auto &records = d.files[static_cast<std::size_t>(file)];
            if (records.size() >= 255)
                FixtureError(no, QStringLiteral("more than 255 records in one file"));
            if (key == u"value") {
                const qsizetype bar = value.indexOf(u'|');
                if (bar < 0)
                    FixtureError(no, QStringLiteral("value must be TEXT | SCALE"));
                records.push_back(MakeMeasurement(value.left(bar).trimmed(), value.mid(bar + 1).trimmed()));
            } else if (key == u"raw") {
                Bytes b = ParseHex(value, no);
                if (b.size() != 16)
                    FixtureError(no, QStringLiteral("raw must be 16 bytes"));
                MeasurementRecord m{};
                std::copy(b.begin(), b.end(), m.begin());
                records.push_back(m);
            } else {
                FixtureError(no, QStringLiteral("unknown key \"%1\"").arg(key));
            }
        } else {
            if (key == u"name") {
                current->name = value;
            } else if (key == u"units") {
                current->units = value;
            } else if (key == u"decimals") {
                current->decimals = ParseInt(value, 0, 3, no, "decimals");
            } else if (key == u"address") {
                current->address = ParseInt(value, 0, 255, no, "address");
            } else if (key == u"points") {
                current->points.clear();
                for (const QString &pair : value.split(u' ', Qt::SkipEmptyParts)) {
                    const QStringList xy = pair.split(u':');
                    if (xy.size() != 2)
                        FixtureError(no, QStringLiteral("point \"%1\" must be X:Y").arg(pair));
                    current->points.emplace_back(ParseInt(xy[0], 0, 65535, no, "x"),
                                                 ParseInt(xy[1], 0, 65535, no, "y"));
                }
            } else {
                FixtureError(no, QStringLiteral("unknown key \"%1\"").arg(key));
            }
        }
    }

    auto build = [](const ScaleDraft &s) {
        if (s.points.size() < 2 || s.points.size() > 50)
            FixtureError(s.line, QStringLiteral("a scale needs 2..50 points"));
        return MakeScale(s.name, s.units, s.decimals, s.points);
    };
    if (hasDefault) {
        StoredScale def = build(defaultDraft);
        def.address = static_cast<std::uint8_t>(defaultDraft.address >= 0 ? defaultDraft.address : 1);
        d.scales[0] = def;
    }
    for (const ScaleDraft &s : drafts) {
        StoredScale st = build(s);
        int address = s.address >= 0 ? s.address : d.scales.back().address + 1;
        if (address > 255)
            FixtureError(s.line, QStringLiteral("address above 255"));
        st.address = static_cast<std::uint8_t>(address);
        d.scales.push_back(st);
    }
    return d;
}

InstrumentData LoadFixture(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error(QStringLiteral("cannot read fixture %1: %2").arg(path, f.errorString()).toStdString());
    return ParseFixture(QString::fromUtf8(f.readAll()));
}

static bool ParseFaultText(const std::string &faultText, std::uint8_t &command, Fault &fault, std::string &error)
{
    const QString s = QString::fromStdString(faultText).trimmed();
    const QStringList parts = s.split(u':');
    if (parts.size() < 2) {
        error = "a fault is CMD[/REPLY]:KIND[:ARG]";
        return false;
    }
    const QStringList head = parts[0].split(u'/');
    bool ok = false;
    const QString commandText = head[0].section(u'@', 0, 0);
    int exchange = 0;
    if (head[0].contains(u'@')) {
        exchange = head[0].section(u'@', 1).toInt(&ok);
        if (!ok || exchange < 1) {
            error = "exchange number after @ must be 1 or more";
            return false;
        }
    }
    uint cmd = commandText.toUInt(&ok, 16);
    if (!ok || cmd > 0xFF) {
        error = "command must be a hex byte";
        return false;
    }
    command = static_cast<std::uint8_t>(cmd);
    fault = Fault{};
    fault.exchange = exchange;
    if (head.size() > 1) {
        fault.reply = head[1].toInt(&ok);
        if (!ok || fault.reply < 0 || fault.reply > 1) {
            error = "reply number must be 0 or 1";
            return false;
        }
    }
    const QString kind = parts[1].toLower();
    const QString arg = parts.size() > 2 ? parts.mid(2).join(u':') : QString();
    auto hexBytes = [&](Bytes &out) {
        out.clear();
        for (const QString &tok : arg.split(u' ', Qt::SkipEmptyParts)) {
            uint v = tok.toUInt(&ok, 16);
            if (!ok || v > 0xFF)
                return false;
            out.push_back(static_cast<std::uint8_t>(v));
        }
        return !out.empty();
    };
    if (kind == u"silence") {
        fault.kind = Fault::Silence;
    } else if (kind == u"hangup") {
        fault.kind = Fault::HangUp;
        if (!arg.isEmpty()) {
            fault.keep = arg.toUInt(&ok);
            if (!ok) {
                error = "hangup takes a byte count";
                return false;
            }
        }
    } else if (kind == u"patch") {
        // "patch:VALUE" sets the third byte; "patch:OFFSET=VALUE" any byte.
        fault.kind = Fault::Patch;
        QString v = arg;
        if (arg.contains(u'=')) {
            fault.offset = arg.section(u'=', 0, 0).toInt(&ok);
            if (!ok) {
                error = "patch offset must be a decimal number";
                return false;
            }
            v = arg.section(u'=', 1);
        }
        uint b = v.toUInt(&ok, 16);
        if (!ok || b > 0xFF) {
            error = "patch value must be a hex byte";
            return false;
        }
        fault.value = static_cast<std::uint8_t>(b);
    } else if (kind == u"truncate") {
        fault.kind = Fault::Truncate;
        fault.keep = arg.toUInt(&ok);
        if (!ok) {
            error = "truncate needs a byte count";
            return false;
        }
    } else if (kind == u"slow") {
        fault.kind = Fault::Slow;
        fault.delayMs = arg.toInt(&ok);
        if (!ok || fault.delayMs < 0) {
            error = "slow needs milliseconds";
            return false;
        }
    } else if (kind == u"extra" || kind == u"replace") {
        fault.kind = kind == u"extra" ? Fault::Extra : Fault::Replace;
        if (!hexBytes(fault.bytes) && kind == u"extra") {
            error = "extra needs hex bytes";
            return false;
        }
    } else {
        error = "unknown fault kind";
        return false;
    }
    return true;
}

bool ParseFault(const std::string &faultText, std::uint8_t &command, Fault &fault, std::string &error)
{
    // "#ARG" in the command part aims the fault at the exchange with that
    // argument byte.
    std::string text = faultText;
    int argument = -1;
    const std::size_t hash = text.find('#');
    if (hash != std::string::npos && hash < text.find(':')) {
        const std::size_t end = text.find_first_of(":/@", hash + 1);
        bool ok = false;
        const uint a = QString::fromStdString(text.substr(hash + 1, end - hash - 1)).toUInt(&ok, 16);
        if (!ok || a > 0xFF) {
            error = "argument after # must be a hex byte";
            return false;
        }
        argument = static_cast<int>(a);
        text.erase(hash, end - hash);
    }
    if (!ParseFaultText(text, command, fault, error))
        return false;
    fault.argument = argument;
    return true;
}

// ---------------------------------------------------------------------------

Instrument::Instrument(InstrumentData data, Options options) : data_(std::move(data)), options_(std::move(options)) {}

Instrument::~Instrument() { Stop(); }

bool Instrument::OpenTerminal(std::string *error)
{
    auto fail = [&](const char *what) {
        if (error)
            *error = std::string(what) + ": " + std::strerror(errno);
        CloseTerminal();
        return false;
    };
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0)
        return fail("posix_openpt");
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
        return fail("grantpt/unlockpt");
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0)
        return fail("ptsname");
    slavePath_ = name;
    // Held open so that the terminal outlives each program's connection.
    slaveKeep_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (slaveKeep_ < 0)
        return fail("open slave");
    termios t{};
    if (::tcgetattr(slaveKeep_, &t) == 0) {
        ::cfmakeraw(&t);
        ::cfsetspeed(&t, B38400);
        ::tcsetattr(slaveKeep_, TCSANOW, &t);
    }
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    if (!options_.linkPath.isEmpty()) {
        const QByteArray link = QFile::encodeName(options_.linkPath);
        struct stat st{};
        if (::lstat(link.constData(), &st) == 0) {
            if (!S_ISLNK(st.st_mode)) {
                errno = EEXIST;
                return fail("link path exists and is not a symlink");
            }
            ::unlink(link.constData());
        }
        if (::symlink(name, link.constData()) != 0)
            return fail("symlink");
    }
    return true;
}

void Instrument::CloseTerminal()
{
    if (slaveKeep_ >= 0)
        ::close(slaveKeep_);
    if (master_ >= 0)
        ::close(master_);
    slaveKeep_ = master_ = -1;
}

bool Instrument::Start(std::string *error)
{
    if (thread_.joinable())
        return true;
    if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
        if (error)
            *error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    if (!OpenTerminal(error)) {
        ::close(wake_[0]);
        ::close(wake_[1]);
        wake_[0] = wake_[1] = -1;
        return false;
    }
    stop_ = false;
    exchanges_.clear();
    logStart_ = Clock::now();
    thread_ = std::thread([this] { Serve(); });
    return true;
}

void Instrument::Stop()
{
    if (!thread_.joinable())
        return;
    stop_ = true;
    Wake();
    thread_.join();
    CloseTerminal();
    ::close(wake_[0]);
    ::close(wake_[1]);
    wake_[0] = wake_[1] = -1;
    if (!options_.linkPath.isEmpty()) {
        const QByteArray link = QFile::encodeName(options_.linkPath);
        struct stat st{};
        if (::lstat(link.constData(), &st) == 0 && S_ISLNK(st.st_mode))
            ::unlink(link.constData());
    }
}

void Instrument::Wake()
{
    if (wake_[1] >= 0) {
        char c = 1;
        [[maybe_unused]] ssize_t n = ::write(wake_[1], &c, 1);
    }
}

QString Instrument::PortPath() const
{
    return options_.linkPath.isEmpty() ? SlavePath() : options_.linkPath;
}

QString Instrument::SlavePath() const
{
    std::lock_guard lock(mutex_);
    return QString::fromStdString(slavePath_);
}

void Instrument::InjectFault(std::uint8_t command, const Fault &fault)
{
    std::lock_guard lock(mutex_);
    faults_.emplace(command, fault);
}

void Instrument::ClearFaults()
{
    std::lock_guard lock(mutex_);
    faults_.clear();
}

InstrumentData Instrument::Data() const
{
    std::lock_guard lock(mutex_);
    return data_;
}

void Instrument::SetData(const InstrumentData &data)
{
    std::lock_guard lock(mutex_);
    data_ = data;
}

void Instrument::SendUnsolicited(const Bytes &bytes)
{
    {
        std::lock_guard lock(mutex_);
        for (std::uint8_t b : bytes)
            out_.push_back({b, 0});
    }
    Wake();
}

std::vector<WireEvent> Instrument::Events() const
{
    std::lock_guard lock(mutex_);
    return events_;
}

Bytes Instrument::Received() const
{
    std::lock_guard lock(mutex_);
    Bytes r;
    for (const auto &e : events_)
        if (e.fromPc)
            r.push_back(e.byte);
    return r;
}

void Instrument::ClearEvents()
{
    std::lock_guard lock(mutex_);
    events_.clear();
}

bool Instrument::WaitReceived(const std::function<bool(const Bytes &)> &pred, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] {
        Bytes r;
        for (const auto &e : events_)
            if (e.fromPc)
                r.push_back(e.byte);
        return pred(r);
    });
}

bool Instrument::Connected() const
{
    std::lock_guard lock(mutex_);
    return connected_;
}

void Instrument::Log(bool fromPc, std::uint8_t b, Clock::time_point now)
{
    if (options_.record)
        events_.push_back({now, fromPc, b});
    if (options_.log) {
        auto wall = std::chrono::system_clock::now();
        std::time_t secs = std::chrono::system_clock::to_time_t(wall);
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(wall.time_since_epoch()).count() % 1000;
        std::tm tm{};
        ::localtime_r(&secs, &tm);
        char stamp[32];
        std::strftime(stamp, sizeof stamp, "%H:%M:%S", &tm);
        std::fprintf(options_.log, "%s.%03lld %s %02X\n", stamp, static_cast<long long>(ms),
                     fromPc ? "pc->dev" : "dev->pc", b);
        std::fflush(options_.log);
    }
}

void Instrument::Reply(std::uint8_t command, int reply, Bytes bytes)
{
    int delay = 0;
    bool hangUp = false;
    auto range = faults_.equal_range(command);
    for (auto it = range.first; it != range.second;) {
        Fault &f = it->second;
        if (f.reply != reply || f.times == 0 || (f.exchange != 0 && f.exchange != exchanges_[command])) {
            ++it;
            continue;
        }
        if (f.argument >= 0 && f.argument != currentArgument_) {
            ++it;
            continue;
        }
        switch (f.kind) {
        case Fault::Silence:
            bytes.clear();
            break;
        case Fault::Patch: {
            long long at = f.offset >= 0 ? f.offset : static_cast<long long>(bytes.size()) + f.offset;
            if (at >= 0 && at < static_cast<long long>(bytes.size()))
                bytes[static_cast<std::size_t>(at)] = f.value;
            break;
        }
        case Fault::Truncate:
            if (bytes.size() > f.keep)
                bytes.resize(f.keep);
            break;
        case Fault::Extra:
            bytes.insert(bytes.end(), f.bytes.begin(), f.bytes.end());
            break;
        case Fault::Slow:
            delay = f.delayMs;
            break;
        case Fault::HangUp:
            hangUp = true;
            if (bytes.size() > f.keep)
                bytes.resize(f.keep);
            break;
        case Fault::Replace:
            bytes = f.bytes;
            break;
        }
        if (f.times > 0 && --f.times == 0)
            it = faults_.erase(it);
        else
            ++it;
    }
    if (hangUp)
        hangUpPending_ = true;
    // The program takes the record only after C3 66 92: after any other
    // status the instrument has nothing more to say.
    if (command == CmdReadScale && reply == 0 && bytes.size() > 3
        && !(bytes[0] == ReplyPrefix1 && bytes[1] == ReplyPrefix2 && bytes[2] == CmdReadScale))
        bytes.resize(3);
    if (out_.size() == outPos_)
        nextSend_ = Clock::now() + std::chrono::milliseconds(delay);
    for (std::uint8_t b : bytes)
        out_.push_back({b, delay});

    // Wait for what follows exactly when the program will send it: the record
    // unless the status was C3 66 and an error code (a foreign prefix does
    // not stop the program), the address only after C3 66 89 itself.
    const bool fullStatus = !hangUp && bytes.size() >= 3;
    const bool prefixed = fullStatus && bytes[0] == ReplyPrefix1 && bytes[1] == ReplyPrefix2;
    const bool goAhead = command == CmdWriteScale ? fullStatus && !(prefixed && IsErrorStatus(bytes[2]))
                                                  : prefixed && bytes[2] == CmdDeleteScale;
    if ((command == CmdWriteScale || command == CmdDeleteScale) && reply == 0) {
        if (goAhead) {
            state_ = command == CmdWriteScale ? State::WantRecord : State::WantDeleteAddress;
            record_.clear();
            armAfterSend_ = true;
            hasDeadline_ = false;
        } else {
            state_ = State::Connected;
        }
    }
}

void Instrument::OnByte(std::uint8_t b, Clock::time_point now)
{
    const bool isArgument =
        state_ == State::WantResultIndex || state_ == State::WantScaleAddress || state_ == State::WantDeleteAddress;
    currentArgument_ = isArgument ? b : -1;
    switch (state_) {
    case State::Idle:
        // Nothing is answered outside a connection.
        if (b == CmdConnect) {
            ++exchanges_[b];
            connected_ = true;
            state_ = State::Connected;
            Reply(b, 0, Triple(CmdConnect));
        }
        return;
    case State::Connected:
        pendingCommand_ = b;
        ++exchanges_[b];
        switch (b) {
        case CmdConnect:
            Reply(b, 0, Triple(CmdConnect));
            return;
        case CmdDisconnect:
            connected_ = false;
            state_ = State::Idle;
            // The line closes: what the program has not read is lost.
            out_.clear();
            outPos_ = 0;
            if (slaveKeep_ >= 0)
                ::tcflush(slaveKeep_, TCIFLUSH);
            return;
        case CmdReadVersion:
            Reply(b, 0, {ReplyPrefix1, ReplyPrefix2, data_.version[0], data_.version[1], data_.version[2]});
            return;
        case CmdReadScaleList: {
            Bytes r = Triple(CmdReadScaleList);
            r.push_back(static_cast<std::uint8_t>(data_.scales.size()));
            for (const StoredScale &s : data_.scales) {
                Bytes e = ListEntry(s);
                r.insert(r.end(), e.begin(), e.end());
            }
            Bytes close = Triple(CmdReadScaleList);
            r.insert(r.end(), close.begin(), close.end());
            Reply(b, 0, r);
            return;
        }
        case CmdWriteScale:
            Reply(b, 0, Triple(data_.scales.size() >= MaxScales ? ReplyErrMemoryFull : CmdWriteScale));
            return;
        case CmdDeleteScale:
            Reply(b, 0, Triple(CmdDeleteScale));
            return;
        case CmdReadScale:
        case CmdReadResultFile:
            state_ = b == CmdReadScale ? State::WantScaleAddress : State::WantResultIndex;
            deadline_ = now + std::chrono::milliseconds(options_.argumentWaitMs);
            hasDeadline_ = true;
            return;
        default:
            return; // the poll byte and anything unknown
        }
    case State::WantResultIndex: {
        hasDeadline_ = false;
        armAfterSend_ = false;
        state_ = State::Connected;
        Bytes r;
        if (b < ResultFileCount) {
            const auto &records = data_.files[b];
            r.push_back(static_cast<std::uint8_t>(records.size()));
            for (const auto &m : records)
                r.insert(r.end(), m.begin(), m.end());
        } else {
            r.push_back(0);
        }
        Reply(CmdReadResultFile, 0, r);
        return;
    }
    case State::WantScaleAddress: {
        hasDeadline_ = false;
        armAfterSend_ = false;
        state_ = State::Connected;
        auto it = std::find_if(data_.scales.begin(), data_.scales.end(),
                               [&](const StoredScale &s) { return s.address == static_cast<std::uint8_t>(b + 1); });
        if (it == data_.scales.end()) {
            Reply(CmdReadScale, 0, Triple(ReplyErrScale));
            return;
        }
        Bytes r = Triple(CmdReadScale);
        r.insert(r.end(), it->record.begin(), it->record.begin() + ScaleReadLength);
        Bytes close = Triple(CmdReadScale);
        r.insert(r.end(), close.begin(), close.end());
        Reply(CmdReadScale, 0, r);
        return;
    }
    case State::WantDeleteAddress: {
        hasDeadline_ = false;
        armAfterSend_ = false;
        state_ = State::Connected;
        auto it = data_.scales.empty()
                      ? data_.scales.end()
                      : std::find_if(data_.scales.begin() + 1, data_.scales.end(), [&](const StoredScale &s) {
                            return s.address == static_cast<std::uint8_t>(b + 1);
                        });
        if (it == data_.scales.end()) {
            Reply(CmdDeleteScale, 1, Triple(ReplyErrScale));
            return;
        }
        // The instrument packs its memory: the scales after the deleted one
        // move down one address.
        for (auto later = it + 1; later != data_.scales.end(); ++later)
            --later->address;
        data_.scales.erase(it);
        Reply(CmdDeleteScale, 1, Triple(CmdDeleteScale));
        return;
    }
    case State::WantRecord: {
        record_.push_back(b);
        deadline_ = now + std::chrono::milliseconds(options_.recordGapMs);
        hasDeadline_ = true;
        if (record_.size() < static_cast<std::size_t>(ScaleSendLength))
            return;
        hasDeadline_ = false;
        armAfterSend_ = false;
        state_ = State::Connected;
        const int count = record_[49];
        if (record_[0] != RecordMarker || record_[14] != ScaleRecordTag || record_[15] > 3 || count < 2 || count > 50
            || data_.scales.size() >= MaxScales) {
            Reply(CmdWriteScale, 1, Triple(ReplyErrScale));
            return;
        }
        StoredScale s;
        std::copy(record_.begin(), record_.end(), s.record.begin());
        s.entryTail = DefaultTail(s);
        s.address = static_cast<std::uint8_t>(data_.scales.empty() ? 1 : data_.scales.back().address + 1);
        data_.scales.push_back(s);
        Reply(CmdWriteScale, 1, Triple(CmdWriteScale));
        return;
    }
    }
}

void Instrument::OnTimeout()
{
    currentArgument_ = -1;
    hasDeadline_ = false;
    const State was = state_;
    state_ = State::Connected;
    switch (was) {
    case State::WantRecord:
        Reply(CmdWriteScale, 1, Triple(ReplyErrTimeout));
        break;
    case State::WantDeleteAddress:
        Reply(CmdDeleteScale, 1, Triple(ReplyErrTimeout));
        break;
    case State::WantScaleAddress:
        Reply(CmdReadScale, 0, Triple(ReplyErrTimeout));
        break;
    default: // the result-file exchange has no status to answer with
        break;
    }
}

Clock::duration Instrument::ByteTime() const
{
    // Start bit, 8 data bits, stop bit.
    const long long baud = options_.baud > 0 ? options_.baud : 38400;
    return std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(10'000'000'000LL / baud));
}

void Instrument::HangUp()
{
    hangUpPending_ = false;
    draining_ = false;
    out_.clear();
    outPos_ = 0;
    state_ = State::Idle;
    connected_ = false;
    hasDeadline_ = false;
    CloseTerminal();
    if (options_.reopenAfterHangUp) {
        std::string error;
        if (OpenTerminal(&error))
            std::fprintf(stderr, "q5m8-emu: line hung up; new terminal %s\n", slavePath_.c_str());
        else
            std::fprintf(stderr, "q5m8-emu: line hung up; no new terminal: %s\n", error.c_str());
    }
}

// Sends what is due; false when the terminal will take no more for now.
bool Instrument::FlushOutput()
{
    if (master_ < 0) { // hung up: nobody to answer
        out_.clear();
        outPos_ = 0;
    }
    while (outPos_ < out_.size() && master_ >= 0) {
        const auto now = Clock::now();
        if (now < nextSend_)
            return true;
        // Bytes without delay go out together.
        std::size_t end = outPos_ + 1;
        Clock::time_point lineStart{};
        if (options_.paced) {
            // A byte is handed over once it has fully crossed the line: one
            // byte time after the one before it, or after it became ready on
            // an idle line. The clock runs on from byte to byte, so waking
            // late sends more at once instead of stretching the reply.
            // An answer cannot start before the command has crossed the line.
            lineStart = std::max({lineFree_, nextSend_, rxFree_});
            Clock::time_point t = lineStart;
            end = outPos_;
            while (end < out_.size() && end - outPos_ < 512 && (end == outPos_ || out_[end].delayMs == 0)
                   && t + ByteTime() <= now) {
                t += ByteTime();
                ++end;
            }
            if (end == outPos_) {
                nextDue_ = t + ByteTime();
                return true;
            }
        } else if (out_[outPos_].delayMs == 0) {
            while (end < out_.size() && out_[end].delayMs == 0)
                ++end;
        }
        std::uint8_t chunk[512];
        std::size_t n = std::min<std::size_t>(end - outPos_, sizeof chunk);
        for (std::size_t i = 0; i < n; ++i)
            chunk[i] = out_[outPos_ + i].byte;
        ssize_t w = ::write(master_, chunk, n);
        if (w < 0) {
            if (errno == EAGAIN || errno == EINTR)
                return false;
            out_.clear(); // nobody to answer
            outPos_ = 0;
            return true;
        }
        lastWrite_ = now;
        for (ssize_t i = 0; i < w; ++i)
            Log(false, chunk[i], now);
        outPos_ += static_cast<std::size_t>(w);
        if (options_.paced)
            lineFree_ = lineStart + w * ByteTime();
        if (outPos_ < out_.size()) {
            nextSend_ = now + std::chrono::milliseconds(out_[outPos_].delayMs);
            if (options_.paced && out_[outPos_].delayMs == 0)
                nextSend_ = Clock::time_point{}; // the line's clock alone
        }
        changed_.notify_all();
    }
    if (outPos_ >= out_.size()) {
        out_.clear();
        outPos_ = 0;
        if (armAfterSend_) {
            armAfterSend_ = false;
            deadline_ = Clock::now()
                        + std::chrono::milliseconds(state_ == State::WantRecord ? options_.recordGapMs
                                                                                : options_.argumentWaitMs);
            hasDeadline_ = true;
        }
        if (hangUpPending_ && Drained())
            HangUp();
    }
    return true;
}

bool Instrument::Drained()
{
    // A pseudo-terminal throws away what its program has not read when the
    // master closes, which a real line does not do to bytes already across:
    // the line drops once the program has taken them, or has plainly
    // stopped reading.
    const auto now = Clock::now();
    if (!draining_) {
        draining_ = true;
        sawUnread_ = false;
        drainStart_ = now;
    }
    int unread = 0;
    if (slaveKeep_ >= 0 && ::ioctl(slaveKeep_, TIOCINQ, &unread) != 0)
        unread = 0;
    if (unread > 0) {
        sawUnread_ = true;
        return now - drainStart_ >= std::chrono::milliseconds(1000);
    }
    // Bytes just written may take a moment to reach the terminal's queue,
    // longer on a busy machine; once they were seen there, an empty queue
    // means the program has them.
    return sawUnread_ || now - lastWrite_ >= std::chrono::milliseconds(200);
}

void Instrument::Serve()
{
    std::unique_lock lock(mutex_);
    while (!stop_) {
        bool writable = FlushOutput();
        int timeout = -1;
        auto until = [&](Clock::time_point t) {
            auto ms = std::chrono::ceil<std::chrono::milliseconds>(t - Clock::now()).count();
            int v = ms < 0 ? 0 : static_cast<int>(std::min<long long>(ms, 60000));
            timeout = timeout < 0 ? v : std::min(timeout, v);
        };
        if (writable && outPos_ < out_.size())
            until(options_.paced ? std::max(nextSend_, nextDue_) : nextSend_);
        if (hasDeadline_)
            until(deadline_);
        if (hangUpPending_ && outPos_ >= out_.size())
            until(Clock::now() + std::chrono::milliseconds(10)); // watch the program drain the line
        // A program that died holding the port would leave the terminal
        // exclusive for as long as it is held open here, shutting out every
        // user but root; the programs' own lock still keeps a second one out.
        if (slaveKeep_ >= 0)
            ::ioctl(slaveKeep_, TIOCNXCL);
        until(Clock::now() + std::chrono::seconds(1));
        pollfd p[2] = {{wake_[0], POLLIN, 0}, {master_, static_cast<short>(POLLIN | (writable ? 0 : POLLOUT)), 0}};
        const int nfds = master_ >= 0 ? 2 : 1;
        lock.unlock();
        int r = ::poll(p, static_cast<nfds_t>(nfds), timeout);
        lock.lock();
        if (r < 0 && errno != EINTR)
            break;
        if (p[0].revents & POLLIN) {
            char drain[64];
            while (::read(wake_[0], drain, sizeof drain) > 0) {
            }
        }
        if (nfds == 2 && master_ >= 0 && (p[1].revents & (POLLIN | POLLHUP | POLLERR))) {
            std::uint8_t buf[512];
            ssize_t n = ::read(master_, buf, sizeof buf);
            const auto now = Clock::now();
            if (n > 0) {
                for (ssize_t i = 0; i < n; ++i) {
                    if (options_.paced)
                        rxFree_ = std::max(now, rxFree_) + ByteTime();
                    Log(true, buf[i], now);
                    OnByte(buf[i], now);
                }
                changed_.notify_all();
            } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                // No program on the line (cannot happen while the slave is
                // held open); do not spin.
                lock.unlock();
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                lock.lock();
            }
        }
        if (hasDeadline_ && Clock::now() >= deadline_) {
            OnTimeout();
            changed_.notify_all();
        }
    }
}

} // namespace emu
