#pragma once
// One complete read of the instrument's result files: the results reader's
// connection (start, version, the 99 files under the progress dialog, end),
// with every failure shown to the user on the way. The main window puts what
// it returns into its results.
#include "link/rx5lnk.h"
#include "results/resread.h"

#include <QString>
#include <functional>
#include <vector>

class QWidget;
class TProgressForm;

struct InstrumentRead {
    ConnectionResult connection = ConnectionResult::NotOpened;
    bool completed = false;          // all 99 files came; nothing else is to be kept
    QString deviceText;              // "Q5-M8 v.a.b.c", or empty
    std::vector<ReceivedFile> files; // the 99 files when completed
    QString droppedReport;           // to say after the read, when not empty
};

// Opens portName (an empty name fails in Open with nothing sent), starts the
// connection, reads the version and hands its text to showDevice (which may
// repaint; user input must wait), then runs the transfer in progress. Every
// failure has been shown when it returns; the end command has been sent once
// the port was open, and the port is closed.
InstrumentRead ReadInstrument(QWidget *owner, const QString &portName, TProgressForm &progress,
                              const std::function<void(const QString &)> &showDevice = {});

// The values of each file of a read, as the results take them.
std::vector<std::vector<TValue>> ReadValues(const InstrumentRead &read);

// Lets the window repaint (the device panel) without taking user input, so no
// second command starts while the port is open.
void RepaintPending();
