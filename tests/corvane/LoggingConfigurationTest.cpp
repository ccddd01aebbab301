#include "corvane/LoggingConfiguration.h"

#include <gtest/gtest.h>
#include <log4cplus/appender.h>
#include <log4cplus/logger.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace Corvane {
namespace {

// Runs a test in a fresh working folder with a root logger stripped of its appenders,
// and puts both back afterwards.
class LoggingSetup : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousFolder_ = std::filesystem::current_path();
        folder_ = std::filesystem::temp_directory_path() / ("orvanta-logging-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
        std::filesystem::current_path(folder_);
        root_ = log4cplus::Logger::getRoot();
        savedAppenders_ = root_.getAllAppenders();
        savedLevel_ = root_.getLogLevel();
        root_.removeAllAppenders();
    }
    void TearDown() override
    {
        root_.removeAllAppenders();
        for (auto& appender : savedAppenders_)
            root_.addAppender(appender);
        root_.setLogLevel(savedLevel_);
        std::filesystem::current_path(previousFolder_);
        std::filesystem::remove_all(folder_);
    }

    std::filesystem::path folder_;
    log4cplus::Logger root_;

private:
    std::filesystem::path previousFolder_;
    log4cplus::SharedAppenderPtrList savedAppenders_;
    log4cplus::LogLevel savedLevel_ = log4cplus::NOT_SET_LOG_LEVEL;
};

TEST_F(LoggingSetup, WithoutAPropertiesFileNothingIsLogged)
{
    logging::configure();
    ASSERT_EQ(root_.getAllAppenders().size(), 1u);
    EXPECT_EQ(root_.getLogLevel(), log4cplus::OFF_LOG_LEVEL);
}

TEST_F(LoggingSetup, PropertiesFileInTheWorkingFolderIsUsed)
{
    std::ofstream("log4cplus.win.properties") << "log4cplus.rootLogger=DEBUG, quiet\n"
                                                 "log4cplus.appender.quiet=log4cplus::NullAppender\n";
    logging::configure();
    ASSERT_EQ(root_.getAllAppenders().size(), 1u);
    EXPECT_EQ(root_.getAllAppenders()[0]->getName(), "quiet");
    EXPECT_EQ(root_.getLogLevel(), log4cplus::DEBUG_LOG_LEVEL);
}

} // namespace
} // namespace Corvane
