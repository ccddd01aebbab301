// The queue between the receiver and the caller: bounded, and honest about why a wait ended.

#include "quelder/at/AnswerQueue.h"

#include <gtest/gtest.h>

namespace GSM {
namespace {

using namespace std::chrono_literals;
using Outcome = AnswerQueue::Outcome;

TEST(AnswerQueue, FloodKeepsTheNewestLinesWithinTheBound)
{
    AnswerQueue queue;
    queue.Reopen();
    for (std::size_t i = 0; i < AnswerQueue::kCapacity; ++i)
        EXPECT_TRUE(queue.Push(AnswerLine("+CSQ: " + std::to_string(i))));
    EXPECT_FALSE(queue.Push(AnswerLine("OK"))) << "full: the oldest goes";
    EXPECT_EQ(queue.Size(), AnswerQueue::kCapacity);
    std::optional<AnswerLine> line;
    ASSERT_EQ(queue.Take(0ms, line), Outcome::line);
    EXPECT_EQ(line->Text(), "+CSQ: 1");
}

TEST(AnswerQueue, EndedInputYieldsWhatCameBeforeThenFails)
{
    AnswerQueue queue;
    queue.Reopen();
    queue.Push(AnswerLine("OK"));
    queue.EndOfInput();
    std::optional<AnswerLine> line;
    EXPECT_EQ(queue.Take(1s, line), Outcome::line);
    EXPECT_EQ(queue.Take(1s, line), Outcome::aborted) << "nothing more can come: no waiting";
}

TEST(AnswerQueue, AbortFailsAtOnceEvenWithLinesQueued)
{
    AnswerQueue queue;
    queue.Reopen();
    queue.Push(AnswerLine("OK"));
    queue.Abort();
    std::optional<AnswerLine> line;
    EXPECT_EQ(queue.Take(1s, line), Outcome::aborted);
    queue.Reopen();
    EXPECT_EQ(queue.Size(), 0u) << "a reopened port starts empty";
    EXPECT_EQ(queue.Take(1ms, line), Outcome::timedOut);
}

} // namespace
} // namespace GSM
