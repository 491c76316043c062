#pragma once
// For tests that run real Qt dialogs (exec() blocks): acts on the modal widget
// once it is up, and gives up after a time-out instead of hanging: a modal
// that never shows is reported, and one that the action leaves open is
// closed so that exec() returns.
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

class ModalWaiter {
public:
    // Polls for QApplication::activeModalWidget() and runs act on the first
    // one that appears (once). The time-out counts from construction.
    explicit ModalWaiter(std::function<void(QWidget *)> act, int timeoutMs = 10000)
        : act_(std::move(act)), deadline_(timeoutMs)
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start();
    }
    ~ModalWaiter() { timer_.stop(); }
    ModalWaiter(const ModalWaiter &) = delete;
    ModalWaiter &operator=(const ModalWaiter &) = delete;

    // A modal came up and act ran on it.
    bool Seen() const { return acted_; }
    // The modal did not come up, or stayed up, within the time-out.
    bool TimedOut() const { return timedOut_; }
    // Seen and closed in time: what a test normally checks.
    bool Done() const { return acted_ && !timedOut_; }

private:
    void Poll()
    {
        QWidget *w = QApplication::activeModalWidget();
        if (!acted_) {
            if (w) {
                acted_ = true;
                shown_ = w;
                act_(w);
                return;
            }
        } else if (!shown_ || !shown_->isVisible()) {
            timer_.stop(); // closed: nothing more to do
            return;
        }
        if (deadline_.hasExpired()) {
            timedOut_ = true;
            timer_.stop();
            // Close whatever is still modal so exec() returns.
            while (QWidget *m = QApplication::activeModalWidget()) {
                if (auto *d = qobject_cast<QDialog *>(m))
                    d->reject();
                else
                    m->close();
                if (QApplication::activeModalWidget() == m)
                    break; // refuses to close; do not spin
            }
        }
    }

    std::function<void(QWidget *)> act_;
    QDeadlineTimer deadline_;
    QTimer timer_;
    QPointer<QWidget> shown_;
    bool acted_ = false;
    bool timedOut_ = false;
};
