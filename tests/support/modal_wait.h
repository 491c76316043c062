#pragma once
// For tests that run real Qt dialogs (exec() blocks): acts on the modal widget
// once it is up, and gives up after a time-out instead of hanging: a modal
// that never shows is reported, and one that the action leaves open is
// closed so that exec() returns.
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <functional>

class ModalWaiter {
public:
    // Polls for QApplication::activeModalWidget() and runs act on the first
    // one that appears (once). The time-out counts from construction. A
    // further modal that comes up while the waiter lives (an error box after
    // the dialog, say) is unexpected: it is noted and closed at once.
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
    // The titles and texts of modals that came up after the first.
    const QStringList &Unexpected() const { return unexpected_; }
    // Seen and closed in time, and nothing else came up: what a test checks.
    bool Done() const { return acted_ && !timedOut_ && unexpected_.isEmpty(); }

private:
    static void Close(QWidget *m)
    {
        if (auto *d = qobject_cast<QDialog *>(m))
            d->reject();
        else
            m->close();
    }

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
            if (w) {
                QString text = w->windowTitle();
                if (auto *box = qobject_cast<QMessageBox *>(w))
                    text += QStringLiteral(": ") + box->text();
                unexpected_ << text;
                Close(w);
            }
            return;
        }
        if (!timedOut_ && deadline_.hasExpired()) {
            timedOut_ = true;
            // Close whatever is still modal so exec() returns.
            while (QWidget *m = QApplication::activeModalWidget()) {
                Close(m);
                if (QApplication::activeModalWidget() == m)
                    break; // refuses to close; do not spin
            }
            if (!acted_)
                timer_.stop();
        }
    }

    std::function<void(QWidget *)> act_;
    QDeadlineTimer deadline_;
    QTimer timer_;
    QPointer<QWidget> shown_;
    bool acted_ = false;
    bool timedOut_ = false;
    QStringList unexpected_;
};
