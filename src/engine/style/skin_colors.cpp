#include "engine/style/skin_colors.h"

#include <utility>

#include "engine/style/color_name_key.h"
#include "rtl/exceptions.h"
#include "rtl/format.h"
#include "rtl/numbers.h"
#include "rtl/rtti.h"

RD_DEFINE_CLASS(TSkinColors)

namespace {

constexpr uint32_t kReferenceMask = 0xFF000000u;

bool IsSystemOrReference(TColor color) { return (uint32_t(color) & kReferenceMask) == kReferenceMask; }
bool IsSystemColor(TColor color) { return IsSystemOrReference(color) && (uint32_t(color) & 0x00FFFFFFu) <= 0xFF; }

// Table keys are 32-bit colour values, zero-extended on 64-bit targets.
uintptr_t KeyOf(uint32_t key) { return uintptr_t(key); }

TRccColorItem* ItemData(const THashItem* item) { return reinterpret_cast<TRccColorItem*>(item->Data); }

std::unique_ptr<TRccColorItem> NewItem(const String& name, int32_t state, uint32_t rgb, int32_t value) {
  auto item = std::make_unique<TRccColorItem>();
  item->Name = name;
  item->State = state;
  item->RGB = rgb;
  item->Value = value;
  return item;
}

}  // namespace

TSkinColors::TSkinColors(const TSkinColorPlatform& platform)
    : platform_(platform),
      table_(std::make_unique<TPointerHash>(kSkinColorTableBuckets)),
      names_(std::make_unique<TStringValueList>()) {
  table_->OnDelete = TBaseHash::TDeleteEvent::Bind<&TSkinColors::ItemDeleted>(this);
}

TSkinColors::~TSkinColors() { table_->Clear(); }

void TSkinColors::ItemDeleted(TBaseHash*, THashItem* item) {
  std::unique_ptr<TRccColorItem> owned(ItemData(item));
  item->Data = 0;
  // Standard items are rebuilt from the standard list; the others survive
  // a rebuild.
  if (kept_ && owned->State != kStandardColorState) kept_->push_back(std::move(owned));
}

void TSkinColors::Put(uint32_t key, std::unique_ptr<TRccColorItem> item) {
  while (table_->Remove(KeyOf(key))) {
  }
  table_->Add(KeyOf(key), reinterpret_cast<intptr_t>(item.release()));
}

void TSkinColors::PutItem(std::unique_ptr<TRccColorItem> item) {
  const uint32_t key = uint32_t(item->Value);
  Put(key, std::move(item));
}

const TRccColorItem* TSkinColors::ItemOf(uint32_t key) const {
  const THashItem* found = table_->FindItem(KeyOf(key));
  return found ? ItemData(found) : nullptr;
}

TColor TSkinColors::ColorToRGB(TColor color) {
  if (!IsSystemOrReference(color)) return color;
  if (IsSystemColor(color)) return platform_.SysColor(int32_t(uint32_t(color) & 0xFF));
  if (const TRccColorItem* item = ItemOf(uint32_t(color))) {
    // A standard colour's item stands for the standard value, which is never
    // a reference itself.
    if (item->State == kStandardColorState) return ColorToRGB(item->Value);
    if (item->State != kUnresolvedColorState) return TColor(item->RGB);
  }
  if (diagnostics_) platform_.DebugOutput(Format(u"warning non-color: [%x]", {uint32_t(color)}));
  return kNonColorRGB;
}

bool TSkinColors::IdentToColor(StringView ident, int32_t& color) {
  int32_t number = 0;
  const bool is_number = TryStrToInt(ident, number);
  const uint32_t key = is_number ? uint32_t(number) : NameKey(ident);
  if (const TRccColorItem* item = ItemOf(key)) {
    color = item->Value;
    return true;
  }
  if (!is_number) {
    Put(key, NewItem(String(ident), kUnresolvedColorState, uint32_t(kNonColorRGB), int32_t(key)));
    if (diagnostics_) platform_.DebugOutput(Format(u"warning non-color: %s [%x]", {ident, key}));
  }
  color = int32_t(key);
  return true;
}

bool TSkinColors::ColorToIdent(int32_t color, String& ident) const {
  const TRccColorItem* item = ItemOf(uint32_t(color));
  if (!item) return false;
  ident = item->Name;
  return true;
}

void TSkinColors::GetColorValues(const TGetStrProc& proc) const {
  for (int32_t i = 0; i < names_->Count(); ++i) proc(names_->Names(i));
  for (const TIdentMapEntry& entry : StandardColors()) proc(String(entry.Name));
}

void TSkinColors::MergeVclColor() {
  struct TTableLock {
    TPointerHash& table;
    explicit TTableLock(TPointerHash& t) : table(t) { table.Lock(); }
    ~TTableLock() { table.Unlock(); }
  } lock(*table_);

  std::vector<std::unique_ptr<TRccColorItem>> kept;
  kept.reserve(size_t(table_->Count()));  // so that ItemDeleted cannot fail
  kept_ = &kept;
  table_->Clear();
  kept_ = nullptr;

  int32_t unresolved = 0;
  for (std::unique_ptr<TRccColorItem>& item : kept) {
    if (item->State == kUnresolvedColorState) {
      ++unresolved;
      if (diagnostics_) {
        platform_.DebugOutput(u"MergeVclColor, non-color[" + IntToStr(unresolved) + u"]: " + item->Name);
      }
      item->RGB = uint32_t(kNonColorRGB);
    }
    // A resolved colour keeps its state and RGB: running the merge again
    // must not lose what a skin resolved.
    PutItem(std::move(item));
  }
  for (const TIdentMapEntry& entry : StandardColors()) {
    const String name(entry.Name);
    Put(NameKey(name), NewItem(name, kStandardColorState, uint32_t(entry.Value), entry.Value));
    Put(uint32_t(entry.Value), NewItem(name, kStandardColorState, uint32_t(entry.Value), entry.Value));
  }
}

// ---- The process-wide model

namespace {

TSkinColors* g_skin_colors = nullptr;

}  // namespace

void CreateSkinColors(const TSkinColorPlatform& platform) {
  if (g_skin_colors) throw EInvalidOperation(u"The colour table already exists");
  g_skin_colors = new TSkinColors(platform);
}

void FreeSkinColors() {
  delete g_skin_colors;
  g_skin_colors = nullptr;
}

TSkinColors* SkinColors() { return g_skin_colors; }

TColor SkinColorToRGB(TColor color) { return g_skin_colors->ColorToRGB(color); }
bool SkinIdentToColor(StringView ident, int32_t& color) { return g_skin_colors->IdentToColor(ident, color); }
bool SkinColorToIdent(int32_t color, String& ident) { return g_skin_colors->ColorToIdent(color, ident); }
void SkinGetColorValues(const TGetStrProc& proc) { g_skin_colors->GetColorValues(proc); }
