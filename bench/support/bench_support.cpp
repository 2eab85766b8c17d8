// Throughput of the engine's containers for 10^5 keys.
//
// TPointerHash (512 buckets, as the engine's image caches use) adding,
// finding and removing pointer-like keys, against std::unordered_map and, for
// look-ups, binary search in a sorted std::vector. TRdValueStrings'
// IndexOfName over 10^5 name=value lines (ignoring case), against the same
// two peers keyed by the upper-cased name. Reference of each block:
// std::unordered_map.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <numeric>
#include <random>
#include <unordered_map>
#include <utility>
#include <vector>

#include "bench/harness.h"
#include "engine/support/hash_tables.h"
#include "engine/support/value_lists.h"
#include "rtl/numbers.h"
#include "rtl/textutils.h"

namespace {

constexpr int kKeys = 100000;
constexpr int kRepeats = 5;

// Fastest of `repeats` runs of `work`, each after an untimed `setup`.
template <class Setup, class Work>
double BestWithSetup(Setup&& setup, Work&& work, int repeats = kRepeats) {
  double best = 1e300;
  for (int i = 0; i < repeats; ++i) {
    setup();
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
  }
  return best;
}

// Distinct 16-byte aligned values spread like heap addresses, shuffled.
std::vector<uintptr_t> PointerKeys() {
  std::vector<uintptr_t> keys(kKeys);
  std::mt19937_64 random(42);
  std::uniform_int_distribution<uintptr_t> step(1, 64);
  uintptr_t address = 0x10000000;
  for (uintptr_t& key : keys) {
    address += step(random) * 16;
    key = address;
  }
  std::shuffle(keys.begin(), keys.end(), random);
  return keys;
}

void BenchPointerHash() {
  const std::vector<uintptr_t> keys = PointerKeys();
  volatile intptr_t sink = 0;

  std::unordered_map<uintptr_t, intptr_t> map;
  TPointerHash hash(512);
  const auto fill_map = [&] {
    map.clear();
    for (int i = 0; i < kKeys; ++i) map.emplace(keys[size_t(i)], i);
  };
  const auto fill_hash = [&] {
    hash.Clear();
    for (int i = 0; i < kKeys; ++i) hash.Add(keys[size_t(i)], i);
  };

  bench::PrintHeader("TPointerHash (512 buckets), 10^5 keys: add all");
  const double map_add = BestWithSetup([&] { map = {}; }, fill_map);
  bench::PrintRow("std::unordered_map emplace (reference)", map_add, map_add);
  bench::PrintRow("TPointerHash Add", BestWithSetup([&] { hash.Clear(); }, fill_hash), map_add);

  bench::PrintHeader("TPointerHash (512 buckets), 10^5 keys: find all");
  fill_map();
  fill_hash();
  std::vector<std::pair<uintptr_t, intptr_t>> sorted;
  for (int i = 0; i < kKeys; ++i) sorted.emplace_back(keys[size_t(i)], i);
  std::sort(sorted.begin(), sorted.end());
  const double map_find = bench::BestSeconds([&] {
    for (const uintptr_t key : keys) sink = sink + map.find(key)->second;
  });
  bench::PrintRow("std::unordered_map find (reference)", map_find, map_find);
  bench::PrintRow("sorted std::vector lower_bound", bench::BestSeconds([&] {
                    for (const uintptr_t key : keys) {
                      sink = sink + std::lower_bound(sorted.begin(), sorted.end(), std::pair(key, INTPTR_MIN))->second;
                    }
                  }),
                  map_find);
  bench::PrintRow("TPointerHash ValueOf", bench::BestSeconds([&] {
                    for (const uintptr_t key : keys) sink = sink + hash.ValueOf(key);
                  }),
                  map_find);

  bench::PrintHeader("TPointerHash (512 buckets), 10^5 keys: remove all");
  const double map_remove = BestWithSetup(fill_map, [&] {
    for (const uintptr_t key : keys) map.erase(key);
  });
  bench::PrintRow("std::unordered_map erase (reference)", map_remove, map_remove);
  bench::PrintRow("TPointerHash Remove", BestWithSetup(fill_hash, [&] {
                    for (const uintptr_t key : keys) hash.Remove(key);
                  }),
                  map_remove);
}

void BenchValueStrings() {
  std::vector<String> names(kKeys);
  for (int i = 0; i < kKeys; ++i) names[size_t(i)] = u"Name" + IntToStr(int32_t(i * 7919 % 1000003));
  std::vector<String> queries = names;
  std::mt19937 random(7);
  std::shuffle(queries.begin(), queries.end(), random);
  for (String& query : queries) query = LowerCase(query);  // found ignoring case
  volatile int32_t sink = 0;

  TRdValueStrings list;
  {
    const TStringsUpdate update(list);
    for (const String& name : names) list.Add(name + u"=value");
  }
  std::unordered_map<String, int32_t> map;
  std::vector<std::pair<String, int32_t>> sorted;
  for (int i = 0; i < kKeys; ++i) {
    map.emplace(UpperCase(names[size_t(i)]), i);
    sorted.emplace_back(UpperCase(names[size_t(i)]), i);
  }
  std::sort(sorted.begin(), sorted.end());

  bench::PrintHeader("TRdValueStrings.IndexOfName, 10^5 name=value lines, every name (ignoring case)");
  const double map_find = bench::BestSeconds([&] {
    for (const String& query : queries) sink = sink + map.find(UpperCase(query))->second;
  });
  bench::PrintRow("std::unordered_map find (reference)", map_find, map_find);
  bench::PrintRow("sorted std::vector lower_bound", bench::BestSeconds([&] {
                    for (const String& query : queries) {
                      sink = sink + std::lower_bound(sorted.begin(), sorted.end(), std::pair(UpperCase(query), -1))->second;
                    }
                  }),
                  map_find);
  list.IndexOfName(queries[0]);  // builds the index
  bench::PrintRow("TRdValueStrings IndexOfName", bench::BestSeconds([&] {
                    for (const String& query : queries) sink = sink + list.IndexOfName(query);
                  }),
                  map_find);
  bench::PrintRow("TRdValueStrings index rebuild after a change", bench::BestSeconds([&] {
                    list.PutObject(0, nullptr);  // a change: the next look-up rebuilds
                    sink = sink + list.IndexOfName(queries[0]);
                  }),
                  map_find);
}

}  // namespace

int main() {
  BenchPointerHash();
  BenchValueStrings();
  return 0;
}
