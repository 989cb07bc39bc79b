// The handle family: one owner per handle, closed exactly once, and the two failure values of
// kernel handles kept apart.

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <type_traits>
#include <vector>

#include "support/UniqueHandle.h"

namespace {

// Handles are small numbers; closing one records it, so a test sees what was closed and how
// often.
class CCloseLog {
public:
    static void Clear() {
        std::lock_guard<std::mutex> lock(s_mutex);
        s_closed.clear();
    }
    static void Add(int handle) {
        std::lock_guard<std::mutex> lock(s_mutex);
        s_closed.push_back(handle);
    }
    static std::vector<int> Closed() {
        std::lock_guard<std::mutex> lock(s_mutex);
        return s_closed;
    }

private:
    static inline std::mutex s_mutex;
    static inline std::vector<int> s_closed;
};

struct TCountingTraits {
    using Handle = int;
    static Handle Invalid() { return 0; }
    static void Close(Handle handle) { CCloseLog::Add(handle); }
};

using CCounted = bxutil::CUniqueHandle<TCountingTraits>;
using CAtomicCounted = bxutil::CAtomicUniqueHandle<TCountingTraits>;

static_assert(!std::is_copy_constructible_v<CCounted> && !std::is_copy_assignable_v<CCounted>);
static_assert(std::is_nothrow_move_constructible_v<CCounted> && std::is_nothrow_move_assignable_v<CCounted>);
static_assert(!std::is_move_constructible_v<CAtomicCounted>, "threads share the holder itself");

struct TOwnershipCase {
    const char* name;
    std::function<void()> run;
    std::vector<int> closed;  // in the order they are closed
};

TEST(UniqueHandle, ClosesWhatItOwnsExactlyOnce) {
    const TOwnershipCase cases[] = {
        {"the end of the scope closes", [] { CCounted held(1); }, {1}},
        {"an empty holder closes nothing", [] { CCounted held; }, {}},
        {"Reset closes the old handle first",
         [] {
             CCounted held(1);
             held.Reset(2);
             EXPECT_EQ(held.Get(), 2);
         },
         {1, 2}},
        {"Reset with the handle held keeps it", [] { CCounted held(1); held.Reset(1); }, {1}},
        {"Release gives the handle up unclosed",
         [] {
             CCounted held(1);
             EXPECT_EQ(held.Release(), 1);
             EXPECT_FALSE(held);
         },
         {}},
        {"a move leaves the source empty",
         [] {
             CCounted source(1);
             CCounted target(std::move(source));
             EXPECT_FALSE(source);
             EXPECT_EQ(target.Get(), 1);
         },
         {1}},
        {"a move assignment closes what the target held",
         [] {
             CCounted source(1);
             CCounted target(2);
             target = std::move(source);
             EXPECT_EQ(CCloseLog::Closed(), std::vector<int>{2});
         },
         {2, 1}},
        {"the atomic holder: Reset, Release and the end of the scope",
         [] {
             CAtomicCounted held(1);
             held.Reset(2);
             CAtomicCounted released(3);
             EXPECT_EQ(released.Release(), 3);
         },
         {1, 2}},
    };
    for (const TOwnershipCase& c : cases) {
        CCloseLog::Clear();
        c.run();
        EXPECT_EQ(CCloseLog::Closed(), c.closed) << c.name;
    }
}

// Null is "no handle" for events and the like, INVALID_HANDLE_VALUE for files: each holder takes
// only its own failure value for "nothing".
TEST(UniqueHandle, KernelAndFileHandlesKeepTheirOwnFailureValue) {
    bxutil::CKernelHandle nullKernel(nullptr);
    bxutil::CKernelHandle invalidKernel(INVALID_HANDLE_VALUE);
    bxutil::CFileHandle invalidFile(INVALID_HANDLE_VALUE);
    bxutil::CFileHandle nullFile(nullptr);
    EXPECT_FALSE(nullKernel);
    EXPECT_TRUE(invalidKernel) << "INVALID_HANDLE_VALUE is a handle to an event holder";
    EXPECT_FALSE(invalidFile);
    EXPECT_TRUE(nullFile) << "null is a handle to a file holder";
    // Neither is a real handle: nothing to close.
    (void)invalidKernel.Release();
    (void)nullFile.Release();

    const bxutil::CFileHandle missing(CreateFileW(L"Z:\\no such folder\\no such file", GENERIC_READ, 0,
                                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_FALSE(missing) << "a failed CreateFileW";

    bxutil::CKernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event);
    const HANDLE raw = event.Get();
    DWORD flags = 0;
    EXPECT_TRUE(GetHandleInformation(raw, &flags));
    event.Reset();
    EXPECT_FALSE(GetHandleInformation(raw, &flags)) << "Reset closed the event";
}

// Two threads resetting the same holder at once (an exchange ending while another thread cancels
// it) close its handle once between them.
TEST(UniqueHandle, AtomicHolderIsClosedOnceWhenTwoThreadsResetIt) {
    constexpr int kRounds = 500;
    CCloseLog::Clear();
    for (int round = 1; round <= kRounds; ++round) {
        CAtomicCounted held(round);
        std::atomic<bool> go{false};
        auto reset = [&] {
            while (!go) std::this_thread::yield();
            held.Reset();
        };
        std::thread first(reset);
        std::thread second(reset);
        go = true;
        first.join();
        second.join();
        EXPECT_FALSE(held);
    }
    const std::vector<int> closed = CCloseLog::Closed();
    ASSERT_EQ(closed.size(), static_cast<size_t>(kRounds)) << "each handle closed once, none twice";
    std::vector<int> times(kRounds + 1, 0);
    for (const int handle : closed) ++times[handle];
    for (int round = 1; round <= kRounds; ++round) EXPECT_EQ(times[round], 1) << "handle " << round;
}

}  // namespace
