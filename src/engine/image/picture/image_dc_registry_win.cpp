#include "engine/image/picture/image_dc_registry_win.h"

#include <memory>

#include "engine/support/hash_tables.h"

namespace {

constexpr int32_t kRegistryBuckets = 512;

std::unique_ptr<TPointerHash> g_image_dcs;
std::unique_ptr<TPointerHash> g_alpha_dcs;

// Runs `action` on the hash under its lock; nothing when it does not exist.
template <class Action>
auto Locked(const std::unique_ptr<TPointerHash>& hash, Action action) -> decltype(action(*hash)) {
  if (!hash) return decltype(action(*hash))();
  hash->Lock();
  struct TUnlock {
    TPointerHash& Hash;
    ~TUnlock() { Hash.Unlock(); }
  } unlock{*hash};
  return action(*hash);
}

uintptr_t Key(HDC dc) { return reinterpret_cast<uintptr_t>(dc); }

}  // namespace

void CreateImageDcRegistries() {
  g_image_dcs = std::make_unique<TPointerHash>(kRegistryBuckets);
  g_alpha_dcs = std::make_unique<TPointerHash>(kRegistryBuckets);
}

void FreeImageDcRegistries() {
  g_alpha_dcs.reset();
  g_image_dcs.reset();
}

void RegisterImageDc(HDC dc, TPngImage* image) {
  Locked(g_image_dcs, [&](TPointerHash& hash) {
    hash.Remove(Key(dc));
    hash.Add(Key(dc), reinterpret_cast<intptr_t>(image));
  });
}

void UnregisterImageDc(HDC dc) {
  Locked(g_image_dcs, [&](TPointerHash& hash) { hash.Remove(Key(dc)); });
}

TPngImage* ImageOfDc(HDC dc) {
  return Locked(g_image_dcs, [&](TPointerHash& hash) { return reinterpret_cast<TPngImage*>(hash.ValueOf(Key(dc))); });
}

int32_t RegisteredImageDcCount() {
  return Locked(g_image_dcs, [](TPointerHash& hash) { return hash.Count(); });
}

void AddAlphaPreservingDc(HDC dc) {
  Locked(g_alpha_dcs, [&](TPointerHash& hash) {
    if (!hash.FindItem(Key(dc))) hash.Add(Key(dc), 1);
  });
}

void RemoveAlphaPreservingDc(HDC dc) {
  Locked(g_alpha_dcs, [&](TPointerHash& hash) { hash.Remove(Key(dc)); });
}

bool IsAlphaPreservingDc(HDC dc) {
  return Locked(g_alpha_dcs, [&](TPointerHash& hash) { return hash.FindItem(Key(dc)) != nullptr; });
}
