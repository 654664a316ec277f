#include "console/keys.h"

#include <atomic>
#include <cassert>

#include "base/mutex.h"

namespace life3d {
namespace {

struct QueuedKey {
  char bytes[2] = {};
  uint8_t length = 0;
};

// A fixed ring: pushing never allocates, and a flood of keys (a held key in
// a stalled program) costs the newest ones, not memory.
struct KeyQueue {
  Mutex mutex;
  QueuedKey keys[kKeyQueueCapacity] GUARDED_BY(mutex);
  int first GUARDED_BY(mutex) = 0;  // index of the oldest key
  int count GUARDED_BY(mutex) = 0;
};

// The ring's bounds, which every index into keys relies on.
void AssertRing([[maybe_unused]] const KeyQueue& queue) REQUIRES(queue.mutex) {
  assert(queue.first >= 0 && queue.first < kKeyQueueCapacity);
  assert(queue.count >= 0 && queue.count <= kKeyQueueCapacity);
}

KeyQueue& TheKeyQueue() {
  static KeyQueue queue;
  return queue;
}

std::atomic<KeySourcePoll> keySource{nullptr};

// Scan codes of the letter keys A..Z on a PC keyboard.
constexpr uint8_t kLetterScan[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                     0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                     0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};

}  // namespace

uint8_t LetterScanCode(char c) {
  if (c >= 'a' && c <= 'z') return kLetterScan[c - 'a'];
  if (c >= 'A' && c <= 'Z') return kLetterScan[c - 'A'];
  return 0;
}

void PushKey(std::string_view key) {
  if (key.empty() || key.size() > 2) return;
  KeyQueue& queue = TheKeyQueue();
  MutexLock lock(queue.mutex);
  AssertRing(queue);
  if (queue.count == kKeyQueueCapacity) {
    // Esc is the user's way out: a flood of keys in front of it (a held key,
    // a paste, a stalled loop) must not swallow it. It takes the newest
    // waiting key's place, so the keys before it keep their order and it
    // still arrives after all of them.
    if (key.size() == 1 && key[0] == kKeyEsc) {
      QueuedKey& newest = queue.keys[(queue.first + queue.count - 1) % kKeyQueueCapacity];
      newest.length = 1;
      newest.bytes[0] = kKeyEsc;
    }
    return;
  }
  QueuedKey& slot = queue.keys[(queue.first + queue.count) % kKeyQueueCapacity];
  slot.length = static_cast<uint8_t>(key.size());
  key.copy(slot.bytes, key.size());
  ++queue.count;
}

std::string ReadKey() {
  // The poll pushes through PushKey, so it runs before the queue is locked.
  if (KeySourcePoll poll = keySource.load()) poll();
  KeyQueue& queue = TheKeyQueue();
  MutexLock lock(queue.mutex);
  AssertRing(queue);
  if (queue.count == 0) return std::string();
  const QueuedKey& key = queue.keys[queue.first];
  assert(key.length == 1 || key.length == 2);
  queue.first = (queue.first + 1) % kKeyQueueCapacity;
  --queue.count;
  return std::string(key.bytes, key.length);  // short: kept inside the string, no heap
}

void SetKeySource(KeySourcePoll poll) {
  keySource.store(poll);
}

void ClearKeys() {
  KeyQueue& queue = TheKeyQueue();
  MutexLock lock(queue.mutex);
  queue.first = 0;
  queue.count = 0;
}

}  // namespace life3d
