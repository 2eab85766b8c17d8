#include "resource_collection.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <unordered_map>

#include "platform.h"

namespace rcc {
namespace {

// The smallest prime above 2^bits: the bucket counts of the reference's hash tables.
size_t BucketCount(int bits) {
  for (size_t n = (size_t(1) << bits) + 1;; ++n) {
    bool prime = true;
    for (size_t d = 2; d * d <= n && prime; ++d) prime = n % d != 0;
    if (prime) return n;
  }
}

// The iteration order of the reference's multi-valued string hash table, for
// the children of one folder (see the header for the rules).
class HashTableOrder {
 public:
  template <class SameKey>
  void InsertMulti(uint32_t hash, size_t node, SameKey same_key) {
    if (buckets_.empty()) Rehash(kMinBits);
    if (size_ >= buckets_.size()) Rehash(bits_ + 1);
    std::vector<Slot>& chain = buckets_[hash % buckets_.size()];
    auto at = std::find_if(chain.begin(), chain.end(),
                           [&](const Slot& s) { return s.hash == hash && same_key(s.node); });
    chain.insert(at, Slot{hash, node});
    ++size_;
  }

  // The first node under `hash` for which `match` holds, or npos.
  template <class Match>
  size_t Find(uint32_t hash, Match match) const {
    if (buckets_.empty()) return kNone;
    for (const Slot& s : buckets_[hash % buckets_.size()]) {
      if (s.hash == hash && match(s.node)) return s.node;
    }
    return kNone;
  }

  std::vector<size_t> Ordered() const {
    std::vector<size_t> nodes;
    nodes.reserve(size_);
    for (const auto& chain : buckets_) {
      for (const Slot& s : chain) nodes.push_back(s.node);
    }
    return nodes;
  }

  size_t size() const { return size_; }

  static constexpr size_t kNone = size_t(-1);

 private:
  struct Slot {
    uint32_t hash;
    size_t node;
  };
  static constexpr int kMinBits = 4;

  void Rehash(int bits) {
    std::vector<std::vector<Slot>> old;
    old.swap(buckets_);
    bits_ = bits;
    buckets_.resize(BucketCount(bits));
    for (const auto& chain : old) {
      for (const Slot& s : chain) buckets_[s.hash % buckets_.size()].push_back(s);
    }
  }

  std::vector<std::vector<Slot>> buckets_;
  int bits_ = 0;
  size_t size_ = 0;
};

struct Node {
  std::u16string name;
  std::optional<ResourceFile> file;  // empty for a folder
  HashTableOrder children;
  uint32_t name_offset = 0;
  uint32_t data_offset = 0;
  uint32_t first_child = 0;
};

}  // namespace

class ResourceCollection::Tree {
 public:
  Tree() { nodes_.emplace_back(); }

  bool Add(ResourceFile file) {
    size_t folder = 0;
    for (size_t i = 0; i + 1 < file.path.size(); ++i) folder = Child(folder, file.path[i]);
    const std::u16string name = file.path.back();
    const uint32_t hash = TableHash(name);
    const size_t same = nodes_[folder].children.Find(hash, [&](size_t n) {
      const Node& node = nodes_[n];
      const LocaleNumbers locale = node.file ? node.file->locale : LocaleNumbers{};
      return node.name == name && locale.language == file.locale.language && locale.country == file.locale.country;
    });
    Insert(folder, name, std::move(file));
    return same == HashTableOrder::kNone;
  }

  std::vector<Node>& nodes() { return nodes_; }

 private:
  // The newest entry named `name`, or a new folder.
  size_t Child(size_t parent, const std::u16string& name) {
    const size_t found =
        nodes_[parent].children.Find(TableHash(name), [&](size_t n) { return nodes_[n].name == name; });
    return found != HashTableOrder::kNone ? found : Insert(parent, name, std::nullopt);
  }

  size_t Insert(size_t parent, const std::u16string& name, std::optional<ResourceFile> file) {
    const size_t index = nodes_.size();
    nodes_.emplace_back();
    nodes_[index].name = name;
    nodes_[index].file = std::move(file);
    nodes_[parent].children.InsertMulti(TableHash(name), index,
                                        [&](size_t n) { return nodes_[n].name == name; });
    return index;
  }

  std::vector<Node> nodes_;
};

namespace {

// Big-endian output with the first write error kept.
class Writer {
 public:
  explicit Writer(std::FILE* out) : out_(out) {}

  void U16(uint32_t v) { Bytes({uint8_t(v >> 8), uint8_t(v)}, 2); }
  void U32(uint32_t v) { Bytes({uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}, 4); }
  void U64(uint64_t v) {
    U32(uint32_t(v >> 32));
    U32(uint32_t(v));
  }
  void Raw(const void* data, size_t n) {
    if (ok_ && n && std::fwrite(data, 1, n, out_) != n) ok_ = false;
  }
  bool ok() const { return ok_; }

 private:
  void Bytes(std::array<uint8_t, 4> b, size_t n) { Raw(b.data(), n); }

  std::FILE* out_;
  bool ok_ = true;
};

bool CopyFileData(const ResourceFile& file, Writer& out, std::vector<char>& buffer, std::string& messages) {
  std::FILE* in = OpenFile(file.source, false);
  if (!in) {
    messages += "RCC: Error: Couldn't open " + file.source + " for reading: " + LastErrorText() + "\n";
    return false;
  }
  uint64_t copied = 0;
  size_t n;
  while (copied <= file.size && (n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0) {
    copied += n;
    if (copied <= file.size) out.Raw(buffer.data(), n);
  }
  const bool read_error = std::ferror(in) != 0;
  std::fclose(in);
  if (read_error) {
    messages += "RCC: Error: Couldn't read " + file.source + "\n";
    return false;
  }
  if (copied != file.size) {
    messages += "RCC: Error: " + file.source + " changed while it was packed\n";
    return false;
  }
  return true;
}

}  // namespace

uint32_t ResourceNameHash(std::u16string_view name) {
  uint32_t h = 0;
  for (char16_t c : name) {
    h = (h << 4) + c;
    const uint32_t high = h & 0xF0000000u;
    h ^= high >> 23;
    h &= ~high;
  }
  return h;
}

uint32_t TableHash(std::u16string_view name) {
  uint32_t h = 0;
  for (char16_t c : name) h = 31 * h + c;
  return h;
}

ResourceCollection::ResourceCollection() : tree_(std::make_unique<Tree>()) {}
ResourceCollection::~ResourceCollection() = default;

bool ResourceCollection::Add(ResourceFile file) { return tree_->Add(std::move(file)); }

bool ResourceCollection::Write(std::FILE* out, std::string& messages) {
  std::vector<Node>& nodes = tree_->nodes();

  // Data and names: the walk over the hash-table order.
  std::vector<size_t> data_order;
  std::vector<size_t> name_order;  // the node that introduces each distinct name
  std::unordered_map<std::u16string, uint32_t> name_offsets;
  uint64_t data_size = 0;
  uint64_t names_size = 0;
  for (std::vector<size_t> stack{0}; !stack.empty();) {
    const size_t folder = stack.back();
    stack.pop_back();
    for (size_t child : nodes[folder].children.Ordered()) {
      Node& node = nodes[child];
      const auto [it, added] = name_offsets.emplace(node.name, uint32_t(names_size));
      if (added) {
        name_order.push_back(child);
        names_size += 6 + 2 * uint64_t(node.name.size());
      }
      node.name_offset = it->second;
      if (node.file) {
        node.data_offset = uint32_t(data_size);
        data_size += 4 + node.file->size;
        data_order.push_back(child);
      } else {
        stack.push_back(child);
      }
    }
  }

  // Tree: the same walk with each folder's children sorted by name hash.
  std::vector<size_t> tree_order{0};
  for (std::vector<size_t> stack{0}; !stack.empty();) {
    const size_t folder = stack.back();
    stack.pop_back();
    std::vector<size_t> children = nodes[folder].children.Ordered();
    std::sort(children.begin(), children.end(), [&](size_t a, size_t b) {
      return ResourceNameHash(nodes[a].name) < ResourceNameHash(nodes[b].name);
    });
    nodes[folder].first_child = uint32_t(tree_order.size());
    for (size_t child : children) {
      tree_order.push_back(child);
      if (!nodes[child].file) stack.push_back(child);
    }
  }

  constexpr uint64_t kHeaderSize = 24;
  const uint64_t names_offset = kHeaderSize + data_size;
  const uint64_t tree_offset = names_offset + names_size;
  if (tree_offset > 0xFFFFFFFFu) {
    messages += "RCC: Error: the resources exceed the 4 GiB that the binary format can address\n";
    return false;
  }

  Writer w(out);
  w.Raw("qres", 4);
  w.U32(3);
  w.U32(uint32_t(tree_offset));
  w.U32(uint32_t(kHeaderSize));
  w.U32(uint32_t(names_offset));
  w.U32(0);

  std::vector<char> buffer(1 << 20);
  for (size_t index : data_order) {
    const ResourceFile& file = *nodes[index].file;
    w.U32(uint32_t(file.size));
    if (!CopyFileData(file, w, buffer, messages)) return false;
  }

  for (size_t index : name_order) {
    const std::u16string& name = nodes[index].name;
    w.U16(uint32_t(name.size()));
    w.U32(ResourceNameHash(name));
    std::string utf16be;
    utf16be.reserve(name.size() * 2);
    for (char16_t c : name) {
      utf16be.push_back(char(c >> 8));
      utf16be.push_back(char(c & 0xFF));
    }
    w.Raw(utf16be.data(), utf16be.size());
  }

  for (size_t index : tree_order) {
    const Node& node = nodes[index];
    w.U32(node.name_offset);
    if (node.file) {
      w.U16(0);
      w.U16(node.file->locale.country);
      w.U16(node.file->locale.language);
      w.U32(node.data_offset);
      w.U64(uint64_t(node.file->modified_ms));
    } else {
      w.U16(2);
      w.U32(uint32_t(node.children.size()));
      w.U32(node.first_child);
      w.U64(0);
    }
  }
  if (!w.ok()) {
    messages += "RCC: Error: writing the output failed: " + LastErrorText() + "\n";
    return false;
  }
  return true;
}

}  // namespace rcc
