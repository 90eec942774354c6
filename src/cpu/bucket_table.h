// The one hash scheme of both searches: a position hashed to a bucket of two entries, a
// generation per search so that clearing is a counter, and one rule for what makes way.
#pragma once
#include <cstdint>
#include <cstring>

#include "cpu/bitboard.h"

namespace dfx {

// Entry needs `own`, `other` and `generation`. The table lives inside its owner, which is
// made in zeroed memory (see ComputerPlayer), so its pages are only taken as they are used.
template <class Entry, int TableBits>
class BucketTable {
 public:
  BucketTable() {
    const auto address = reinterpret_cast<std::uintptr_t>(storage_);
    entries_ = reinterpret_cast<Entry*>(storage_ + (64 - address % 64) % 64);  // buckets on cache lines
  }
  BucketTable(const BucketTable&) = delete;
  BucketTable& operator=(const BucketTable&) = delete;

  // Forgets everything from earlier searches.
  void NextGeneration() {
    if (++generation_ == 0) {
      std::memset(static_cast<void*>(storage_), 0, sizeof storage_);
      generation_ = 1;
    }
  }
  uint8_t Generation() const { return generation_; }

  // `salt` keeps apart what else the key holds (ply, passes) where it varies a lot.
  Entry* Bucket(Bits own, Bits other, unsigned salt = 0) const {
    Bits h = own * 0x9E3779B97F4A7C15ULL ^ (other + 0x632BE59BD9B4E019ULL) * 0xC2B2AE3D27D4EB4FULL ^
             static_cast<Bits>(salt) * 0xD6E8FEB86659FD93ULL;
    h ^= h >> 31;
    return &entries_[(h >> (64 - TableBits)) & ~Bits{1}];
  }

  // The bucket's entry of this search for which same(entry) holds, or null.
  template <class Same>
  Entry* Find(Entry* bucket, Same same) const {
    for (int i = 0; i < 2; ++i)
      if (bucket[i].generation == generation_ && same(bucket[i])) return &bucket[i];
    return nullptr;
  }

  // Where to store: the node's own entry, else one of an earlier search, else the one that
  // stands for less work (work(a) < work(b)); the first of the two on a tie.
  template <class Same, class Less>
  Entry* Place(Entry* bucket, Same same, Less lessWork) const {
    if (Entry* e = Find(bucket, same)) return e;
    if (bucket[0].generation != generation_) return &bucket[0];
    if (bucket[1].generation != generation_) return &bucket[1];
    return lessWork(bucket[1], bucket[0]) ? &bucket[1] : &bucket[0];
  }

 private:
  Entry* entries_;
  uint8_t generation_ = 0;
  alignas(Entry) unsigned char storage_[(sizeof(Entry) << TableBits) + 64];
};

}  // namespace dfx
