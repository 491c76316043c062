#include "link/rx5lnk.h"

#include "common/dialogs.h"
#include "common/lang.h"

#include <memory>
#include <thread>

bool OpenLinkPort(TSerialPort &port, const QString &name)
{
    return port.Open(name, LinkBaudRate, OpenTimeouts.readInterval, OpenTimeouts.readTotalConstant,
                     OpenTimeouts.readTotalMultiplier, OpenTimeouts.writeTotalConstant,
                     OpenTimeouts.writeTotalMultiplier, OpenInQueue, OpenOutQueue);
}

bool SetLinkTimeouts(TSerialPort &port, const LinkTimeouts &t)
{
    return port.SetTimeouts(t.readInterval, t.readTotalConstant, t.readTotalMultiplier, t.writeTotalConstant,
                            t.writeTotalMultiplier);
}

void Pause(std::chrono::milliseconds d)
{
    // A monotonic clock neither wraps nor jumps, so the pause is never cut short.
    const auto end = std::chrono::steady_clock::now() + d;
    for (auto now = std::chrono::steady_clock::now(); now < end; now = std::chrono::steady_clock::now())
        std::this_thread::sleep_for(end - now);
}

void SendCommand(TSerialPort &port, std::uint8_t command)
{
    Pause(CommandPause);
    port.Write(&command, 1);
}

bool Handshake(TSerialPort &port)
{
    std::uint8_t poll = PollByte;
    port.Write(&poll, 1);
    return HandshakeNoPoll(port);
}

int SendCommandNoPause(TSerialPort &port, std::uint8_t command)
{
    return port.Write(&command, 1);
}

bool HandshakeNoPoll(TSerialPort &port)
{
    std::uint8_t reply[3];
    for (auto &b : reply) {
        b = 0;
        port.Read(&b, 1);
        if (port.ReportError(true) != 0)
            return false;
    }
    return reply[0] == ReplyPrefix1 && reply[1] == ReplyPrefix2 && reply[2] == CmdConnect;
}

ELinkError::ELinkError(const QString &message) : std::runtime_error(message.toUtf8().toStdString()) {}

void Raise(const LangText &text) { throw ELinkError(text.Text()); }

std::uint8_t ReadReplyByte(TSerialPort &port, const LangText &failure)
{
    std::uint8_t b = 0;
    port.Read(&b, 1);
    if (port.ReportError(true) != 0)
        Raise(failure);
    return b;
}

namespace {

constexpr LangText kConnectFailure{"Не удается подключиться к прибору !", "Failed to connect to the device!"};

} // namespace

const ConnectionProfile WriteScaleConnection{
    kConnectFailure,
    {"Не удается подключиться к прибору", "Connect error"},
    {"Запись шкалы в Q5-M8", "Writing the scale to Q5-M8"},
    true, true, true, true};
const ConnectionProfile UpdateListConnection{
    kConnectFailure, kConnectFailure, {"Результаты Q5-M8", "Results of Q5-M8"}, true, true, false, true};
const ConnectionProfile DeleteScaleConnection{
    kConnectFailure, kConnectFailure, {"Результаты Q5-M8", "Results Q5-M8"}, true, true, false, true};
const ConnectionProfile LoadScaleConnection{
    kConnectFailure, kConnectFailure, {"Результаты Q5-M8", "Results Q5-M8"}, true, true, false, false};
const ConnectionProfile ReadResultsConnection{
    {"Не удается подключится к прибору!", "Cant't connect to device!"},
    {"Не удается подключится к прибору!", "Cant't connect to device!"},
    {"Результаты Q5-M8", "Q5-M8 results"},
    false, false, false, true};

ConnectionResult RunConnection(QObject *owner, const QString &portName, const ConnectionProfile &profile,
                               const std::function<void(TSerialPort &)> &exchange, const ConnectionHooks &hooks)
{
    if (profile.prompt) {
        int answer = ui::Message(nullptr,
                                 Lang("В приборе Q5-M8 выйдите в режим измерения",
                                      "In the Q5-M8 device, go to measurement mode"),
                                 Lang("Соединение с прибором", "Connecting to device"),
                                 ui::MbOkCancel | ui::MbIconInformation);
        if (answer != ui::IdOk)
            return ConnectionResult::Cancelled;
    }
    if (hooks.beforeOpen)
        hooks.beforeOpen();

    auto port = std::make_unique<TSerialPort>(owner);
    if (!OpenLinkPort(*port, portName))
        return ConnectionResult::NotOpened;
    SetLinkTimeouts(*port, ConnectionTimeouts);

    auto end = [&](bool failed) {
        if (!failed || profile.endAfterFailure) {
            if (profile.pausedCommands)
                SendCommand(*port, CmdDisconnect);
            else
                SendCommandNoPause(*port, CmdDisconnect);
        }
        port->Close();
    };

    bool failed = false;
    try {
        if (hooks.beforeStart)
            hooks.beforeStart();
        if (profile.pausedCommands)
            SendCommand(*port, CmdConnect);
        else
            SendCommandNoPause(*port, CmdConnect);
        if (port->ReportError(true) != 0)
            Raise(profile.connectFailure);
        if (!(profile.pausedCommands ? Handshake(*port) : HandshakeNoPoll(*port)))
            Raise(profile.handshakeFailure);
        if (exchange)
            exchange(*port);
    } catch (const std::exception &e) {
        failed = true;
        QString message = QString::fromUtf8(e.what());
        if (profile.showEmptyMessage || !message.isEmpty())
            ui::Message(owner, message, profile.errorCaption.Text(), ui::MbOk | ui::MbIconError);
    } catch (...) {
        // Not a failure of the connection: still leave the line and the port
        // in order before it goes on up.
        end(true);
        throw;
    }
    end(failed);
    return failed ? ConnectionResult::Failed : ConnectionResult::Done;
}
