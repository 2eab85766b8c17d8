#pragma once
// A process-wide cache of GDI objects keyed by the attributes they are made
// from, so that fonts, pens and brushes with equal attributes share one
// handle and painting never creates GDI objects per call.
//
// Each graphics object holds one reference to the entry of its current
// attributes. The handle is made on first use. An entry whose last reference
// goes stays idle, handle and all, among the most recently idle ones, so
// that a canvas switching between a few colours finds its handles again;
// beyond kIdleLimit the oldest idle entry is deleted. Adopted handles are
// deleted as soon as nothing refers to them. Entries live in a node-based
// map: a reference (an Entry pointer) stays valid while it is held.

#include "vcl/win_api.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>

template <class Key>
class TGdiObjectCache {
 public:
  static constexpr size_t kIdleLimit = 32;

  class Entry {
   public:
    const Key& Attributes() const { return key_; }

   private:
    friend class TGdiObjectCache;
    explicit Entry(const Key& key) : key_(key) {}
    Key key_;
    HGDIOBJ handle_ = nullptr;
    int32_t references_ = 0;
    bool adopted_ = false;
  };

  // A reference to the entry for `key`. `adopted`, when given, becomes the
  // entry's handle (the cache deletes it when the last reference goes); the
  // key must then tell adopted handles apart.
  Entry* Acquire(const Key& key, HGDIOBJ adopted = nullptr) {
    std::lock_guard lock(mutex_);
    auto [it, inserted] = entries_.try_emplace(key, Entry(key));
    Entry& entry = it->second;
    if (inserted && adopted) {
      entry.handle_ = adopted;
      entry.adopted_ = true;
    }
    if (entry.references_++ == 0 && !inserted) std::erase(idle_, &entry);
    return &entry;
  }

  void Release(Entry* entry) {
    if (!entry) return;
    std::lock_guard lock(mutex_);
    if (--entry->references_ > 0) return;
    if (entry->adopted_) {
      Erase(entry);
      return;
    }
    idle_.push_back(entry);
    if (idle_.size() > kIdleLimit) {
      Entry* oldest = idle_.front();
      idle_.pop_front();
      Erase(oldest);
    }
  }

  // The entry's handle, made by `make(attributes)` when there is none yet.
  template <class Make>
  HGDIOBJ Handle(Entry* entry, Make make) {
    std::lock_guard lock(mutex_);
    if (!entry->handle_) entry->handle_ = make(entry->key_);
    return entry->handle_;
  }

 private:
  void Erase(Entry* entry) {
    if (entry->handle_) DeleteObject(entry->handle_);
    entries_.erase(entries_.find(entry->key_));
  }

  std::mutex mutex_;
  std::map<Key, Entry> entries_;
  std::deque<Entry*> idle_;  // unreferenced entries, oldest first
};
