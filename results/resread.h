#pragma once
// The receive side of reading the instrument's result files: the version
// reply, one result file's exchange and the parse of what it brought. Plain
// code over TSerialPort, so it runs without a window.
#include "common/lang.h"
#include "link/serialnt.h"
#include "results/resmodel.h"

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

inline constexpr int MeasurementRecordSize = 16; // kind, value 5, scale 8, 2 unused

// Texts of the read's failures (the connection texts are ReadResultsConnection's).
inline constexpr LangText ReadDataError{
    "Ошибка при приеме данных от прибора, или прибор не реагирует на команды", "Read data error!"};
inline constexpr LangText UserAbortText{"Чтение отменено пользователем!", "User abort reading files!"};
inline constexpr LangText ReadResultsCaption{"Результаты Q5-M8", "Q5-M8 results"};

// "Q5-M8 v.a.b.c" when the reply starts with C3 66, else empty.
QString DeviceTextOf(const std::array<std::uint8_t, 5> &reply);

// Sends 0x8B and reads the five reply bytes one at a time; a byte that does
// not come has been shown in the "RS232" box and raises ReadDataError.
QString ReadDeviceText(TSerialPort &port);

struct ReceivedFile {
    int announced = 0;          // the count byte: records announced
    std::vector<TValue> values; // the measurements, at most MaxValues
    int dropped = 0;            // measurements beyond MaxValues
};

// Takes exactly count records from records (16 bytes each): those marked
// RecordMarker become values (the 5 characters of the reading as Str, the 8
// of the scale name as Scale, taken as they are, blanks and NUL bytes
// included), the others are skipped.
ReceivedFile ParseResultFile(int count, const std::uint8_t *records);

// The exchange of result file index: 0x8C and the index, then the count byte
// and exactly count records, every byte read so the line stays in step.
// False when a byte did not come or the line failed: the read is over (the
// "RS232" box has been shown when show is true); file is then incomplete.
bool ReceiveResultFile(TSerialPort &port, std::uint8_t index, ReceivedFile &file, bool show = true);

// Receives the 99 files one by one; the progress dialog drives it.
class ResultReceiver {
public:
    void Reset();
    // Receives the next file; false on a failed line (Failed() then holds).
    bool ReceiveNext(TSerialPort &port);
    int NextIndex() const { return next_; }
    bool Done() const { return next_ >= ResultFileCount; }
    bool Failed() const { return failed_; }
    const std::vector<ReceivedFile> &Files() const { return files_; }
    std::vector<ReceivedFile> TakeFiles() { return std::move(files_); }

private:
    std::vector<ReceivedFile> files_;
    int next_ = 0;
    bool failed_ = false;
};

// Said once after a read that had to drop values: which files, how many each.
// Empty when nothing was dropped.
QString DroppedValuesReport(const std::vector<ReceivedFile> &files);
