#include "engine/image/picture/scratch_images_win.h"

#include <algorithm>
#include <array>
#include <memory>

namespace {

struct TPoolState {
  std::array<TPngImage*, kScratchPoolSlots> Slots{};
  DWORD MainThread = 0;
};
std::unique_ptr<TPoolState> g_pool;

// A pooled image's side: the request plus a margin, within PNG's limit.
int32_t Enlarged(int32_t side) {
  return int32_t(std::min<int64_t>(int64_t(side) + std::max(side / 3, 100), kPngMaxSide));
}

int64_t Area(const TPngImage& image) { return int64_t(image.Width()) * int64_t(image.Height()); }

}  // namespace

class TScratchImagePool {
 public:
  static TPngImage* Take(TPngImage& image) {
    if (image.AddRef(true) != 2) {
      image.Release();
      return nullptr;
    }
    TPngPicture& picture = image.Picture();
    picture.AlphaMode = TPngAlphaMode::Straight;
    picture.ShareAllowed = false;
    picture.Options = {};
    picture.Filters = kPngDefaultFilters;
    picture.CompressionLevel = 1;
    picture.InterlaceMethod = 0;
    return &image;
  }

  // Drops the pool's hold on an image; one still in use keeps the DC state
  // its caller saved, to be restored when that caller lets go.
  static void Evict(TPngImage& image) {
    if (image.UsageCount() <= 1) {
      image.Free();
      return;
    }
    const int32_t saved = image.saved_dc_index_;
    image.saved_dc_index_ = 0;
    image.Free();
    image.saved_dc_level_ -= 1;
    image.saved_dc_index_ = saved;
  }
};

void CreateScratchImagePool(DWORD main_thread) {
  g_pool = std::make_unique<TPoolState>();
  g_pool->MainThread = main_thread;
}

void FreeScratchImagePool() {
  if (!g_pool) return;
  for (TPngImage*& image : g_pool->Slots) {
    if (image) TScratchImagePool::Evict(*image);
    image = nullptr;
  }
  g_pool.reset();
}

TPngImage* ScratchPoolSlot(int slot) {
  return g_pool && slot >= 0 && slot < kScratchPoolSlots ? g_pool->Slots[size_t(slot)] : nullptr;
}

TPngImagePtr AcquireScratchImage(uint8_t color_type, uint8_t bit_depth, bool want_32bit, bool use_pool,
                                 bool with_dc, int32_t height, int32_t width) {
  if (!use_pool || !g_pool || GetCurrentThreadId() != g_pool->MainThread) {
    TPngImagePtr image(CreateObject<TPngImage>());
    image->CreateBlank(color_type, bit_depth, want_32bit, with_dc, height, width);
    return image;
  }
  auto& slots = g_pool->Slots;
  for (TPngImage* image : slots) {
    if (!image || image->UsageCount() != 1 || image->Width() < width || image->Height() < height) continue;
    const TChunkIHDR* header = image->Picture().Header();
    if (!header || header->ColorType != color_type || header->BitDepth != bit_depth) continue;
    if (TPngImage* taken = TScratchImagePool::Take(*image)) return TPngImagePtr(taken);
  }
  TPngImagePtr fresh(CreateObject<TPngImage>());
  fresh->CreateBlank(color_type, bit_depth, want_32bit, with_dc, Enlarged(height), Enlarged(width));
  fresh->Picture().ShareAllowed = false;
  fresh->AddRef(true);
  auto empty = std::find(slots.begin(), slots.end(), nullptr);
  if (empty == slots.end()) {
    // The smallest idle image; slot 0 is the first choice whatever its state.
    auto smallest = [&](bool idle_only) {
      size_t chosen = 0;
      for (size_t i = 1; i < slots.size(); ++i) {
        if (idle_only && slots[i]->UsageCount() > 1) continue;
        if (!idle_only && slots[i]->UsageCount() <= 1) continue;
        if (Area(*slots[i]) < Area(*slots[chosen])) chosen = i;
      }
      return chosen;
    };
    size_t victim = smallest(true);
    if (slots[victim]->UsageCount() > 1) victim = smallest(false);
    TScratchImagePool::Evict(*slots[victim]);
    empty = slots.begin() + ptrdiff_t(victim);
  }
  *empty = fresh.get();
  return fresh;
}
