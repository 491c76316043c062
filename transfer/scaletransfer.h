#pragma once
// The designer's exchanges with the instrument, without a window: the scale
// record built from a scale's programming points, the write with its
// duplicate-name check, the version, the list, the delete and the load. Each
// exchange runs inside a started connection (RunConnection) and raises the
// text the connection shows.
#include "common/lang.h"
#include "link/rx5lnk.h"
#include "link/scalerecord.h"

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

class ScaleDocument;

// What the write dialog shows and writes.
struct ScaleWriteData {
    QString xTitle;               // title of the x column
    QString name;                 // unpadded
    QString units;                // unpadded
    std::vector<std::int32_t> x;  // the points to write
    std::vector<std::int32_t> y;  // y * 10^decimals
    int decimals = 0;             // 0..3

    int Count() const { return static_cast<int>(x.size()); }
};

// Decimals the record gets for the format selector's entry: 1..3 as they
// are, anything else 0.
int WriteDecimals(int scalePwrIndex);
// v truncated toward zero, after a value within rounding noise of a whole
// number has been taken as that number (ten steps of 0.1 give 1, not 0).
double SnapTrunc(double v);

// The write menu command's checks and conversion. Nothing: no points.
// Refused: the message to show (caption WriteRefusalCaption, error icon).
struct WritePreparation {
    enum State { Nothing, Refused, Ready } state = Nothing;
    QString message;
    ScaleWriteData data;
};
WritePreparation PrepareScaleWrite(const ScaleDocument &doc);
extern const LangText WriteRefusalCaption;

// Empty when the data can be written; otherwise why not (a value that fits
// no 16-bit field, a text the code page cannot hold, a bad count).
QString CheckScaleWrite(const ScaleWriteData &data);

// The name padded to at least 10 characters, the units to at least 6.
QString PaddedName(const QString &name);
QString PaddedUnits(const QString &units);

// The record of data (checked first): marker, name, units, tag, decimals,
// count and the points as unsigned 16-bit halves; the rest zero.
ScaleRecord BuildScaleRecord(const ScaleWriteData &data);

// The texts the exchanges raise.
namespace transfertext {
extern const LangText Receive;      // a reply byte did not come
extern const LangText Transfer;     // a byte could not be sent
extern const LangText Timeout;      // C3 66 E3
extern const LangText ScaleRead;    // C3 66 E0 to the write
extern const LangText MemoryFull;   // C3 66 E4 to the write
extern const LangText NotWritten;   // the write's result was not C3 66 85
extern const LangText LoadStatus;   // the load's statuses were not C3 66 92
extern const LangText LoadClosing;  // the load's closing status did not come
extern const LangText LoadRecord;   // the record bytes did not come, or a bad record
extern const LangText ChooseOther;  // the load of the header or the default scale
extern const char *const ChooseOtherForDelete; // the same text in both languages
extern const LangText SuccessCaption;
} // namespace transfertext

// The instrument's scale list as the list reply gives it: entry 0 is the
// built-in default scale.
struct ScaleListData {
    int count = 0;
    std::array<ScaleListEntry, MaxScales> entries{};
    std::array<std::uint8_t, MaxScales> address{};
};

// 0x87, its status and the list (count, entries, addresses). A count of 0
// or above MaxScales is refused with the receive text, after its entries and
// the closing status have been read. The closing status of a good list is
// left for the caller.
ScaleListData ReadScaleList(TSerialPort &port);

// The whole write after the connection start: list, duplicate check, closing
// status, 0x85, the record (built into buffer), the result. The success box
// is the caller's.
void WriteScaleExchange(TSerialPort &port, const ScaleWriteData &data, ScaleRecord &buffer);
// The success box text: "Шкала " + the 8 name and 4 unit characters + ...
QString WriteSuccessText(const ScaleWriteData &data);

// One write connection (RunConnection with the write's texts), success box
// included. data must have passed CheckScaleWrite.
ConnectionResult WriteScaleToInstrument(QObject *owner, const QString &portName, const ScaleWriteData &data,
                                        ScaleRecord &buffer, const ConnectionHooks &hooks = {});

// 0x8B and its five reply bytes: "Q5-M8 v.a.b.c", or empty when the reply
// does not start with C3 66.
QString ReadVersionLabel(TSerialPort &port);

// 0x89 and the address byte, written at once; both statuses must be C3 66 89.
void DeleteScaleExchange(TSerialPort &port, std::uint8_t addressByte);

// 0x92 and the address byte, the status, the pause, the 255 record bytes and
// the closing status. A record whose point count is outside 1..50 is refused
// (after the closing status). buffer changes only on success.
void LoadScaleExchange(TSerialPort &port, std::uint8_t addressByte, ScaleRecord &buffer);
inline constexpr std::chrono::milliseconds ScaleReadPause{1000};

// Text of one record or entry field: the bytes as Windows-1251, ending at
// the first zero byte or after width bytes.
QString FieldText(const std::uint8_t *bytes, int width);
// Every byte one character, zero bytes included (the list grid's cells).
QString CellText(const std::uint8_t *bytes, int width);
