#include "results/resread.h"

#include "common/win1251.h"
#include "link/protocol.h"
#include "link/rx5lnk.h"

QString DeviceTextOf(const std::array<std::uint8_t, 5> &reply)
{
    if (reply[0] != ReplyPrefix1 || reply[1] != ReplyPrefix2)
        return {};
    return QStringLiteral("Q5-M8 v.%1.%2.%3").arg(reply[2]).arg(reply[3]).arg(reply[4]);
}

QString ReadDeviceText(TSerialPort &port)
{
    SendCommandNoPause(port, CmdReadVersion);
    std::array<std::uint8_t, 5> reply{};
    for (auto &b : reply)
        b = ReadReplyByte(port, ReadDataError);
    return DeviceTextOf(reply);
}

ReceivedFile ParseResultFile(int count, const std::uint8_t *records)
{
    ReceivedFile file;
    file.announced = count;
    for (int r = 0; r < count; ++r) {
        const std::uint8_t *rec = records + static_cast<std::size_t>(r) * MeasurementRecordSize;
        if (rec[0] != RecordMarker)
            continue;
        if (static_cast<int>(file.values.size()) >= MaxValues) {
            ++file.dropped;
            continue;
        }
        TValue v;
        v.Str = cp1251::Decode(reinterpret_cast<const char *>(rec + 1), 5);
        v.Scale = cp1251::Decode(reinterpret_cast<const char *>(rec + 6), 8);
        file.values.push_back(std::move(v));
    }
    return file;
}

bool ReceiveResultFile(TSerialPort &port, std::uint8_t index, ReceivedFile &file, bool show)
{
    file = ReceivedFile{};
    const std::uint8_t request[2] = {CmdReadResultFile, index};
    port.Write(request, 2);
    // One byte a read, as every exchange does; the first that does not come
    // ends the file, so a silent instrument costs one time-out, not one per
    // missing byte.
    auto next = [&](std::uint8_t &b) {
        b = 0;
        if (port.Read(&b, 1) == 1)
            return true;
        port.ReportError(show);
        return false;
    };
    std::uint8_t count = 0;
    if (!next(count))
        return false;
    std::vector<std::uint8_t> records(static_cast<std::size_t>(count) * MeasurementRecordSize);
    for (auto &b : records)
        if (!next(b))
            return false;
    file = ParseResultFile(count, records.data());
    return true;
}

void ResultReceiver::Reset()
{
    files_.clear();
    next_ = 0;
    failed_ = false;
}

bool ResultReceiver::ReceiveNext(TSerialPort &port)
{
    if (failed_ || Done())
        return false;
    ReceivedFile file;
    if (!ReceiveResultFile(port, static_cast<std::uint8_t>(next_), file)) {
        failed_ = true;
        return false;
    }
    files_.push_back(std::move(file));
    ++next_;
    return true;
}

QString DroppedValuesReport(const std::vector<ReceivedFile> &files)
{
    QStringList parts;
    for (std::size_t i = 0; i < files.size(); ++i)
        if (files[i].dropped > 0)
            parts << Lang("файл %1 - %2", "file %1 - %2").arg(i + 1).arg(files[i].dropped);
    if (parts.isEmpty())
        return {};
    return Lang("Прибор передал больше %1 значений в файле; сохранены первые %1, отброшено: ",
                "The device sent more than %1 values in a file; the first %1 are kept, dropped: ")
               .arg(MaxValues)
           + parts.join(QStringLiteral(", ")) + u'.';
}
