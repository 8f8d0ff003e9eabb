// The library's debug log written by several threads at once: each line reaches the console whole,
// on a row of its own.

#include "ConsoleText.h"
#include "runtime/DebugStream.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kThreads = 4;
constexpr int kLinesPerThread = 15;

// Narrower than the console, so that a row holds one line: "thread 2 line 07 cccc...".
std::wstring LineOf(int thread, int line) {
    wchar_t head[32];
    swprintf(head, 32, L"thread %d line %02d ", thread, line);
    return head + std::wstring(50, wchar_t(L'a' + thread));
}

TEST(DebugStreamTest, LinesOfSeveralThreadsAtOnceComeOutWholeAndInEachThreadsOrder) {
    ASSERT_FALSE(HasConsole()) << "no console before the log is opened";
    std::vector<std::wstring> shown;
    {
        OpenDebugLog log;
        ASSERT_TRUE(HasConsole());
        std::atomic<int> ready{0};
        std::vector<std::thread> writers;
        for (int t = 0; t < kThreads; ++t) {
            writers.emplace_back([t, &ready] {
                // All threads start writing together.
                ++ready;
                while (ready < kThreads) std::this_thread::yield();
                // The line goes to the log in pieces, as the library's callers write it.
                for (int i = 0; i < kLinesPerThread; ++i) {
                    const std::wstring line = LineOf(t, i);
                    capi::Log(line.substr(0, 10), line.substr(10, 20), line.substr(30));
                }
            });
        }
        for (std::thread& writer : writers) writer.join();
        support::Eventually([&] { return ConsoleLines().size() >= size_t(kThreads * kLinesPerThread); });
        shown = ConsoleLines();
    }

    ASSERT_EQ(shown.size(), size_t(kThreads * kLinesPerThread));
    std::vector<int> next(kThreads, 0);
    for (const std::wstring& row : shown) {
        const int thread = row.size() > 7 ? row[7] - L'0' : -1;
        ASSERT_TRUE(thread >= 0 && thread < kThreads) << "a row that is no line of the log";
        EXPECT_EQ(row, LineOf(thread, next[thread]));
        ++next[thread];
    }
    EXPECT_EQ(next, std::vector<int>(kThreads, kLinesPerThread));
}

}  // namespace
