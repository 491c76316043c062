// Fonts, painters and widgets need an application object; one lives for the
// whole test run.
#include <QApplication>
#include <gtest/gtest.h>

namespace {

class AppEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = new QApplication(argc_, argv_);
    }
    void TearDown() override
    {
        delete app_;
        app_ = nullptr;
    }

private:
    int argc_ = 1;
    char name_[10] = "q5m8_test";
    char *argv_[2] = {name_, nullptr};
    QApplication *app_ = nullptr;
};

[[maybe_unused]] ::testing::Environment *const environment =
    ::testing::AddGlobalTestEnvironment(new AppEnvironment);

} // namespace
