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

class QComboBox;
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

// Puts a completed read into results (device text, the files and their
// statistics); what StatisticList found is to be said after the read.
StatisticReport StoreRead(ResultsData &results, const InstrumentRead &read);

// Says after a stored read what the user must know: readings that are not
// numbers (kept, out of the statistics) and values dropped beyond MaxValues.
void ShowReadNotes(QWidget *owner, const StatisticReport &statistics, const InstrumentRead &read);

// Lets the window repaint (the device panel) without taking user input, so no
// second command starts while the port is open.
void RepaintPending();

// The machine's serial ports into box's list; the edit text stays as it is, so
// a typed device path survives a refresh.
void FillPortList(QComboBox &box);
