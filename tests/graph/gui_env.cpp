// Fonts and painters need a GUI application; one lives for the whole test run.
#include <QGuiApplication>
#include <gtest/gtest.h>

namespace {

class GuiEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = new QGuiApplication(argc_, argv_);
    }
    void TearDown() override
    {
        delete app_;
        app_ = nullptr;
    }

private:
    int argc_ = 1;
    char name_[12] = "graph_tests";
    char *argv_[2] = {name_, nullptr};
    QGuiApplication *app_ = nullptr;
};

[[maybe_unused]] ::testing::Environment *const environment =
    ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

} // namespace
