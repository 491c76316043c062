#pragma once
// What the designer window tests share: a fresh settings store per test, the
// recording dialog seam, Russian at the start, and the point dialog driven
// through the seam.
#include "common/lang.h"
#include "designer/epoint.h"
#include "designer/main_form.h"
#include "tests/support/recording_dialogs.h"
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

class DesignerTest : public ::testing::Test {
protected:
    DesignerTest();
    ~DesignerTest() override;

    // A new main window over the current settings store.
    TMainForm &Start(const QStringList &args = {});
    // Destroys the window (its settings are written).
    void Stop() { form.reset(); }

    // The next point dialog gets x and y typed and OK pressed (until it closes).
    void AnswerPoint(const QString &x, const QString &y);
    void AnswerCancel();
    // Adds a point through the real dialog.
    void Add(double x, double y);
    // The points in the document, as (x, y).
    std::vector<std::pair<double, double>> DocPoints() const;

    QString SettingsFile() const;

    QTemporaryDir settingsDir;
    RecordingDialogs dialogs;
    std::unique_ptr<TMainForm> form;
};
