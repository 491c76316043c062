#include "results/readinstrument.h"

#include "common/dialogs.h"
#include "link/portlist.h"
#include "results/progress.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QWidget>

InstrumentRead ReadInstrument(QWidget *owner, const QString &portName, TProgressForm &progress,
                              const std::function<void(const QString &)> &showDevice)
{
    InstrumentRead read;
    read.connection = RunConnection(owner, portName, ReadResultsConnection, [&](TSerialPort &port) {
        read.deviceText = ReadDeviceText(port);
        if (showDevice)
            showDevice(read.deviceText);
        progress.StartReading(port, read.deviceText);
        if (progress.Failed())
            Raise(ReadDataError);
        if (!progress.Completed)
            Raise(UserAbortText);
        read.files = progress.TakeFiles();
        read.completed = true;
    });
    if (read.completed)
        read.droppedReport = DroppedValuesReport(read.files);
    return read;
}

StatisticReport StoreRead(ResultsData &results, const InstrumentRead &read)
{
    results.DeviceText = read.deviceText;
    std::vector<std::vector<TValue>> files;
    files.reserve(read.files.size());
    for (const ReceivedFile &f : read.files)
        files.push_back(f.values);
    return results.TakeRead(files);
}

void ShowReadNotes(QWidget *owner, const StatisticReport &statistics, const InstrumentRead &read)
{
    if (!statistics.Clean())
        ui::Message(owner, statistics.Message(), ReadResultsCaption.Text(), ui::MbOk | ui::MbIconWarning);
    if (!read.droppedReport.isEmpty())
        ui::Message(owner, read.droppedReport, ReadResultsCaption.Text(), ui::MbOk | ui::MbIconWarning);
}

void RepaintPending() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }

void FillPortList(QComboBox &box)
{
    const QString typed = box.currentText();
    box.clear();
    box.addItems(SerialPortNames());
    box.setCurrentIndex(-1);
    box.setEditText(typed);
}
