#include "results/readinstrument.h"

#include "results/progress.h"

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

std::vector<std::vector<TValue>> ReadValues(const InstrumentRead &read)
{
    std::vector<std::vector<TValue>> files;
    files.reserve(read.files.size());
    for (const ReceivedFile &f : read.files)
        files.push_back(f.values);
    return files;
}

void RepaintPending() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }
