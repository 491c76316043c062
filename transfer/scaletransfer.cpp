#include "transfer/scaletransfer.h"

#include "common/dialogs.h"
#include "common/numtext.h"
#include "common/win1251.h"
#include "scale/scaledocument.h"

#include <cmath>
#include <cstring>

namespace transfertext {
const LangText Receive{"Ошибка при приеме данных от прибора, или прибор не реагирует на команды",
                       "Error occured while receiving data from the device"};
const LangText Transfer{"Ошибка при передаче команды в прибор !",
                        "Error occured while transferring data to the device"};
const LangText Timeout{"Вышло время ожидания команды", "Command time expired"};
const LangText ScaleRead{"Ошибка чтения шкалы!", "Failed to read the scale"};
const LangText MemoryFull{"В приборе нет свободных шкал !", "Memory is full"};
const LangText NotWritten{"Шкала не записалась!", "Failed to write down the scale"};
const LangText LoadStatus{"Ошибка при приеме данных от прибора, либо прибор не реагирует на команды!",
                          "Error occured while receiving data from the device"};
const LangText LoadClosing{"Ошибка при приеме данных от прибора, либо прибор не реагирует на команды",
                           "Error occured while receiving data from the device"};
const LangText LoadRecord{"Ошибка при приеме данных из прибора!",
                          "Error occured while receiving data from the device"};
const LangText ChooseOther{"Выберите другую шкалу!", "Choose other scale"};
const char *const ChooseOtherForDelete = "Выбереите другую шкалу!";
const LangText SuccessCaption{"Запись шкалы в Q5-M8", "Запись шкалы в Q5-M8"};
} // namespace transfertext

using namespace transfertext;

const LangText WriteRefusalCaption{"Запись шкалы в Q5-M8", "Record the scale to Q5-M8"};

namespace {

constexpr double kFieldMin = -32768.0; // a signed 16-bit value ...
constexpr double kFieldMax = 65535.0;  // ... or an unsigned one

bool IsStatus(const std::uint8_t (&s)[3], std::uint8_t third)
{
    return s[0] == ReplyPrefix1 && s[1] == ReplyPrefix2 && s[2] == third;
}

void ReadStatus(TSerialPort &port, std::uint8_t (&s)[3], const LangText &failure)
{
    for (auto &b : s)
        b = ReadReplyByte(port, failure);
}

// One byte at once; a failure raises failure.
void WriteByte(TSerialPort &port, std::uint8_t b, const LangText &failure)
{
    port.Write(&b, 1);
    if (port.ReportError(true) != 0)
        Raise(failure);
}

QByteArray PaddedBytes(const QString &text, int width)
{
    QByteArray b = cp1251::Encode(text).left(width);
    while (b.size() < width)
        b.append(' ');
    return b;
}

} // namespace

int WriteDecimals(int scalePwrIndex) { return scalePwrIndex >= 1 && scalePwrIndex <= 3 ? scalePwrIndex : 0; }

double SnapTrunc(double v)
{
    if (!std::isfinite(v))
        return v;
    // Far below the instrument's unit, yet far above the noise that table
    // steps and decimal scaling leave (1.15 * 100 = 114.99999999999999).
    const double whole = std::nearbyint(v);
    if (std::fabs(v - whole) <= 0x1p-30 * std::max(1.0, std::fabs(whole)))
        return whole;
    return std::trunc(v);
}

WritePreparation PrepareScaleWrite(const ScaleDocument &doc)
{
    WritePreparation p;
    if (doc.PointCount == 0)
        return p;
    if (!doc.Intervals) {
        p.state = WritePreparation::Refused;
        p.message = Lang("Для записи шкалы в прибор необходимо включить режим Точки для программирования!",
                         "To record the scale in the device, you must enable the mode Points for programming!");
        return p;
    }
    if (doc.ProgCount < 2) {
        p.state = WritePreparation::Refused;
        p.message = Lang("Не достаточное количество точек для программирования !", "Lower points for programming");
        return p;
    }
    ScaleWriteData &d = p.data;
    d.decimals = WriteDecimals(doc.ScalePwrIndex);
    const double factor = std::pow(10.0, d.decimals);
    d.xTitle = doc.XNameText;
    d.name = doc.YNameText;
    d.units = doc.UnitsText;
    const int n = std::min(doc.ProgCount, MaxProgPoints);
    for (int i = 0; i < n; ++i) {
        const double x = SnapTrunc(doc.ProgX[i]);
        const double y = SnapTrunc(doc.ProgY[i] * factor);
        const struct {
            const char *axis;
            double value, given;
        } fields[2] = {{"x", x, doc.ProgX[i]}, {"y", y, doc.ProgY[i]}};
        for (const auto &f : fields) {
            if (f.value >= kFieldMin && f.value <= kFieldMax)
                continue;
            const bool scaled = f.axis[0] == 'y' && d.decimals > 0;
            p.state = WritePreparation::Refused;
            p.message = Lang("Точка для программирования %1: %2 = %3%4 не помещается в прибор "
                             "(допустимо от -32768 до 65535)!",
                             "Programming point %1: %2 = %3%4 does not fit into the device "
                             "(allowed from -32768 to 65535)!")
                            .arg(i + 1)
                            .arg(QString::fromLatin1(f.axis), numtext::FloatToStr(f.given),
                                 scaled ? Lang(" (с учетом множителя %1)", " (times %1)").arg(static_cast<int>(factor))
                                        : QString());
            return p;
        }
        d.x.push_back(static_cast<std::int32_t>(x));
        d.y.push_back(static_cast<std::int32_t>(y));
    }
    const QString why = CheckScaleWrite(d);
    if (!why.isEmpty()) {
        p.state = WritePreparation::Refused;
        p.message = why;
        return p;
    }
    p.state = WritePreparation::Ready;
    return p;
}

QString CheckScaleWrite(const ScaleWriteData &data)
{
    for (const QString *text : {&data.name, &data.units}) {
        if (!cp1251::CanEncode(*text))
            return Lang("Название шкалы и единицы могут содержать только символы кодировки Windows-1251; "
                        "прибор не сохранит \"%1\"",
                        "The scale name and units may hold only Windows-1251 characters; the device cannot "
                        "store \"%1\"")
                .arg(*text);
    }
    if (data.x.size() != data.y.size() || data.Count() < 2 || data.Count() > ScaleRecordMaxPoints)
        return Lang("Не достаточное количество точек для программирования !", "Lower points for programming");
    if (data.decimals < 0 || data.decimals > 3)
        return Lang("Недопустимое число знаков после запятой", "Invalid number of decimals");
    for (int i = 0; i < data.Count(); ++i)
        for (std::int32_t v : {data.x[static_cast<std::size_t>(i)], data.y[static_cast<std::size_t>(i)]})
            if (v < kFieldMin || v > kFieldMax)
                return Lang("Точка для программирования %1 не помещается в прибор (допустимо от -32768 до 65535)!",
                            "Programming point %1 does not fit into the device (allowed from -32768 to 65535)!")
                    .arg(i + 1);
    return {};
}

QString PaddedName(const QString &name) { return name.leftJustified(10, u' '); }
QString PaddedUnits(const QString &units) { return units.leftJustified(6, u' '); }

ScaleRecord BuildScaleRecord(const ScaleWriteData &data)
{
    ScaleRecord r{};
    r[scalerec::Marker] = RecordMarker;
    const QByteArray name = PaddedBytes(PaddedName(data.name), scalerec::NameWidth);
    const QByteArray units = PaddedBytes(PaddedUnits(data.units), scalerec::UnitsWidth);
    std::memcpy(&r[scalerec::Name], name.constData(), scalerec::NameWidth);
    std::memcpy(&r[scalerec::Units], units.constData(), scalerec::UnitsWidth);
    r[scalerec::Tag] = ScaleRecordTag;
    r[scalerec::Decimals] = static_cast<std::uint8_t>(data.decimals);
    const int n = std::min(data.Count(), ScaleRecordMaxPoints);
    r[scalerec::PointCount] = static_cast<std::uint8_t>(n);
    for (int i = 0; i < n; ++i) {
        // The low halves, in unsigned arithmetic: -5 is stored as 65531.
        const auto x = static_cast<std::uint16_t>(static_cast<std::uint32_t>(data.x[static_cast<std::size_t>(i)]));
        const auto y = static_cast<std::uint16_t>(static_cast<std::uint32_t>(data.y[static_cast<std::size_t>(i)]));
        PutRecordPoint(r, i, x, y);
    }
    return r;
}

QString FieldText(const std::uint8_t *bytes, int width)
{
    int n = 0;
    while (n < width && bytes[n] != 0)
        ++n;
    return cp1251::Decode(reinterpret_cast<const char *>(bytes), n);
}

QString CellText(const std::uint8_t *bytes, int width)
{
    QString s = cp1251::Decode(reinterpret_cast<const char *>(bytes), width);
    s.replace(QChar(u'\0'), QChar(u' '));
    return s;
}

ScaleListData ReadScaleList(TSerialPort &port)
{
    SendCommand(port, CmdReadScaleList);
    std::uint8_t status[3];
    ReadStatus(port, status, Receive);
    if (IsStatus(status, ReplyErrTimeout))
        Raise(Timeout);
    ScaleListData list;
    const int n = ReadReplyByte(port, Receive);
    const bool fits = n >= 1 && n <= MaxScales;
    for (int k = 0; k < n; ++k) {
        ScaleListEntry entry;
        for (auto &b : entry)
            b = ReadReplyByte(port, Receive);
        const std::uint8_t address = ReadReplyByte(port, Receive);
        if (fits) {
            list.entries[static_cast<std::size_t>(k)] = entry;
            list.address[static_cast<std::size_t>(k)] = address;
        }
    }
    if (!fits) {
        // Leave the line clean before the refusal: a count no list can hold.
        ReadStatus(port, status, Receive);
        Raise(Receive);
    }
    list.count = n;
    return list;
}

QString WriteSuccessText(const ScaleWriteData &data)
{
    const QString twelve = PaddedName(data.name).left(8) + PaddedUnits(data.units).left(4);
    return Lang("Шкала ", "Scale ") + twelve + Lang(" записана в Q5-M8", " write to Q5-M8");
}

void WriteScaleExchange(TSerialPort &port, const ScaleWriteData &data, ScaleRecord &buffer)
{
    const QString why = CheckScaleWrite(data);
    if (!why.isEmpty())
        throw ELinkError(why);

    const ScaleListData list = ReadScaleList(port);
    const QByteArray name = PaddedBytes(PaddedName(data.name), scalerec::NameWidth);
    for (int k = 1; k < list.count; ++k) {
        const auto &e = list.entries[static_cast<std::size_t>(k)];
        if (std::memcmp(&e[scaleentry::Name], name.constData(), scalerec::NameWidth) == 0) {
            const QString stored = cp1251::Decode(reinterpret_cast<const char *>(&e[scaleentry::Name]),
                                                  scalerec::NameWidth);
            throw ELinkError(Lang("Шкала с именем ", "Scale with the same name") + stored
                             + Lang("уже есть", "already exist"));
        }
    }
    // The closing status is read without a report; a failed read leaves it
    // unrecognised and so accepted.
    std::uint8_t closing[3] = {0, 0, 0};
    for (auto &b : closing)
        port.Read(&b, 1);
    if (closing[0] == ReplyPrefix1 && closing[1] == ReplyPrefix2 && closing[2] != CmdReadScaleList)
        Raise(Timeout);

    SendCommand(port, CmdWriteScale);
    if (port.ReportError(true) != 0)
        Raise(Transfer);
    std::uint8_t status[3];
    ReadStatus(port, status, Receive);
    if (status[0] == ReplyPrefix1 && status[1] == ReplyPrefix2) {
        if (status[2] == ReplyErrScale)
            Raise(ScaleRead);
        if (status[2] == ReplyErrTimeout)
            Raise(Timeout);
        if (status[2] == ReplyErrMemoryFull)
            Raise(MemoryFull);
    }

    buffer = BuildScaleRecord(data);
    for (int i = 0; i < ScaleSendLength; ++i)
        WriteByte(port, buffer[static_cast<std::size_t>(i)], Transfer);

    std::uint8_t result[3];
    ReadStatus(port, result, Transfer);
    if (!IsStatus(result, CmdWriteScale))
        Raise(NotWritten);
}

ConnectionResult WriteScaleToInstrument(QObject *owner, const QString &portName, const ScaleWriteData &data,
                                        ScaleRecord &buffer, const ConnectionHooks &hooks)
{
    return RunConnection(
        owner, portName, WriteScaleConnection,
        [&](TSerialPort &port) {
            WriteScaleExchange(port, data, buffer);
            ui::Message(owner, WriteSuccessText(data), SuccessCaption.Text(), ui::MbOk | ui::MbIconInformation);
        },
        hooks);
}

QString ReadVersionLabel(TSerialPort &port)
{
    SendCommand(port, CmdReadVersion);
    std::uint8_t v[5];
    for (auto &b : v)
        b = ReadReplyByte(port, Receive);
    if (v[0] != ReplyPrefix1 || v[1] != ReplyPrefix2)
        return {};
    return QStringLiteral("Q5-M8 v.%1.%2.%3").arg(v[2]).arg(v[3]).arg(v[4]);
}

void DeleteScaleExchange(TSerialPort &port, std::uint8_t addressByte)
{
    std::uint8_t status[3];
    // Both bytes go at once; a failed write shows in the status read after it.
    port.Write(&CmdDeleteScale, 1);
    ReadStatus(port, status, Receive);
    if (!IsStatus(status, CmdDeleteScale))
        Raise(Receive);
    port.Write(&addressByte, 1);
    ReadStatus(port, status, Receive);
    if (!IsStatus(status, CmdDeleteScale))
        Raise(Receive);
}

void LoadScaleExchange(TSerialPort &port, std::uint8_t addressByte, ScaleRecord &buffer)
{
    SendCommand(port, CmdReadScale);
    SendCommand(port, addressByte);
    std::uint8_t status[3];
    ReadStatus(port, status, Receive);
    if (!IsStatus(status, CmdReadScale))
        Raise(LoadStatus);
    Pause(ScaleReadPause);
    ScaleRecord record{};
    for (int i = 0; i < ScaleReadLength; ++i)
        record[static_cast<std::size_t>(i)] = ReadReplyByte(port, LoadRecord);
    ReadStatus(port, status, LoadClosing);
    if (!IsStatus(status, CmdReadScale))
        Raise(LoadStatus);
    const int count = record[scalerec::PointCount];
    if (count < 1 || count > ScaleRecordMaxPoints)
        Raise(LoadRecord);
    buffer = record;
}
