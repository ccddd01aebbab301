// Test entry shared by the test programs: logging is set up once, with a sink that
// swallows everything, so that libraries log as in production without cluttering output.

#include <gtest/gtest.h>
#include <log4cplus/initializer.h>
#include <log4cplus/logger.h>
#include <log4cplus/nullappender.h>

int main(int argc, char** argv)
{
    log4cplus::Initializer logging;
    log4cplus::Logger::getRoot().addAppender(log4cplus::SharedAppenderPtr(new log4cplus::NullAppender));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
