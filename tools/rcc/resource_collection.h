#pragma once
// The binary resource collection ("qres", format version 3, uncompressed) in
// the reference compiler's layout.
//
// File layout, all numbers big-endian:
//   header  "qres", version 3, tree offset, data offset, names offset, flags 0
//   data    per file: u32 length, the bytes
//   names   per distinct name: u16 length in UTF-16 units, u32 name hash, UTF-16
//   tree    22-byte entries, the root first: u32 name offset, u16 flags
//           (2 = folder), then a folder's u32 child count and u32 first child
//           index, or a file's u16 country, u16 language and u32 data offset;
//           last the u64 modification time in ms (0 for folders).
//
// Order. The children of each folder are kept in the order in which the
// reference's string hash table iterates them: buckets chosen by a 31-based
// string hash modulo the smallest prime above 2^bits (bits from 4, one more
// whenever the count reaches the bucket count), entries in a bucket in
// insertion order, and a repeated name placed before its earlier namesakes.
// The data and names blocks follow a depth-first walk with an explicit stack
// (last folder pushed is entered first) over that order. The tree follows
// the same walk with each folder's children sorted by name hash instead; this
// also fixes the indices of each folder's first child.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "resource_list.h"

namespace rcc {

// The name hash stored in the names block and used to sort the tree.
uint32_t ResourceNameHash(std::u16string_view name);

// The hash by which the reference's hash tables place a name (seed 0).
uint32_t TableHash(std::u16string_view name);

// The tree of resources being collected, in the reference's order.
class ResourceCollection {
 public:
  ResourceCollection();
  ~ResourceCollection();
  ResourceCollection(const ResourceCollection&) = delete;
  ResourceCollection& operator=(const ResourceCollection&) = delete;

  // Adds a file under its path, as the reference does: each folder name
  // leads to the newest entry of that name, and when that is a file, what
  // lies below it is kept but never written. Returns false when the folder
  // already held an entry of that name and locale (a folder counts as the
  // neutral locale); the file is added all the same.
  bool Add(ResourceFile file);

  // Writes the collection to `out`. Fails, with a line in `messages`, when
  // a file cannot be read or has changed size since it was added, or when
  // the collection would exceed the format's 4 GiB offsets.
  bool Write(std::FILE* out, std::string& messages);

 private:
  class Tree;
  std::unique_ptr<Tree> tree_;
};

}  // namespace rcc
