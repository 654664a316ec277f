#include "console/keys.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace life3d {
namespace {

class KeyQueueTest : public testing::Test {
 protected:
  void SetUp() override {
    SetKeySource(nullptr);
    ClearKeys();
  }
  void TearDown() override {
    SetKeySource(nullptr);
    ClearKeys();
  }
};

TEST_F(KeyQueueTest, EmptyQueueGivesTheEmptyText) {
  EXPECT_EQ(ReadKey(), "");
}

TEST_F(KeyQueueTest, KeysComeOutOldestFirstOnePerRead) {
  const std::vector<std::string> keys = {"x", std::string{'\0', 72}, std::string(1, '\x1b'), "N"};
  for (const std::string& key : keys) PushKey(key);
  for (const std::string& key : keys) EXPECT_EQ(ReadKey(), key);
  EXPECT_EQ(ReadKey(), "");
}

TEST_F(KeyQueueTest, TextsThatAreNoKeysAreIgnored) {
  PushKey("");
  PushKey("abc");
  PushKey("q");
  EXPECT_EQ(ReadKey(), "q");
  EXPECT_EQ(ReadKey(), "");
}

TEST_F(KeyQueueTest, FullQueueDropsTheNewestKeys) {
  for (int k = 0; k < kKeyQueueCapacity + 10; ++k)
    PushKey(std::string(1, static_cast<char>('a' + k % 26)));
  for (int k = 0; k < kKeyQueueCapacity; ++k) {
    ASSERT_EQ(ReadKey(), std::string(1, static_cast<char>('a' + k % 26))) << k;
  }
  EXPECT_EQ(ReadKey(), "");
  PushKey("z");  // room again after reading
  EXPECT_EQ(ReadKey(), "z");
}

// A flood that fills the queue, pushed from the reading thread (as the
// terminal's poll does) or from another thread (as the window's events are),
// then Esc: the flood's oldest keys come out in order and Esc last, in the
// newest key's place.
struct FloodCase {
  const char* name;
  std::string key;  // the flood repeats this key
  bool otherThread;
};

class KeyFloodTest : public KeyQueueTest, public testing::WithParamInterface<FloodCase> {};

TEST_P(KeyFloodTest, EscAtAFullQueueStillArrivesLast) {
  const FloodCase& c = GetParam();
  auto flood = [&] {
    for (int k = 0; k < 1000; ++k) PushKey(c.key);
    PushKey(std::string(1, kKeyEsc));
    PushKey("x");  // after Esc, still dropped
  };
  if (c.otherThread) {
    std::thread window(flood);
    window.join();
  } else {
    flood();
  }
  for (int k = 0; k < kKeyQueueCapacity - 1; ++k) ASSERT_EQ(ReadKey(), c.key) << k;
  EXPECT_EQ(ReadKey(), std::string(1, kKeyEsc));
  EXPECT_EQ(ReadKey(), "");
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyFloodTest,
                         testing::Values(FloodCase{"Characters", "a", false},
                                         FloodCase{"ScanCodesFromTheWindow", {'\0', 72}, true},
                                         FloodCase{"EscsFromTheWindow", "\x1b", true}),
                         [](const testing::TestParamInfo<FloodCase>& info) {
                           return std::string(info.param.name);
                         });

int polls = 0;

TEST_F(KeyQueueTest, SourceIsPolledBeforeTheQueueIsRead) {
  polls = 0;
  SetKeySource([] {
    ++polls;
    PushKey("t");  // a key the terminal had waiting
  });
  PushKey("w");
  EXPECT_EQ(ReadKey(), "w");
  EXPECT_EQ(ReadKey(), "t");
  EXPECT_EQ(polls, 2);
}

TEST_F(KeyQueueTest, KeysPushedFromAnotherThreadWhileReadingArriveWholeAndInOrder) {
  auto keyOf = [](int k) { return std::string{'\0', static_cast<char>(59 + k % 10)}; };
  constexpr int kCount = 200;  // below the capacity, so none is dropped
  std::atomic<bool> pushed{false};
  std::thread window([&] {
    for (int k = 0; k < kCount; ++k) PushKey(keyOf(k));
    pushed.store(true);
  });
  int received = 0;
  while (received < kCount) {
    // Read the flag first: a key lost by the queue ends the loop, not hangs it.
    const bool done = pushed.load();
    const std::string key = ReadKey();
    if (key.empty() && done) break;
    if (key.empty()) continue;
    if (key != keyOf(received)) break;  // the thread must be joined before failing
    ++received;
  }
  window.join();
  EXPECT_EQ(received, kCount);
  EXPECT_EQ(ReadKey(), "");
}

}  // namespace
}  // namespace life3d
