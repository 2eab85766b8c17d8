#pragma once
// The engine's colour model: colours that carry an alpha byte and refer to
// named skin colours, and the colour operations the engine puts in place of
// the framework's (ColorToRGB, IdentToColor, ColorToIdent, GetColorValues).
//
// Colour values (the framework's TColor, extended):
//   clNone (0x1FFFFFFF)            no colour, alpha 0
//   clDefault (0x20000000)         the default colour, alpha 255
//   0xFF0000nn (low 24 bits <= 255) system colour number nn
//   0xFFxxxxxx (low 24 bits > 255)  skin colour reference: a colour table key
//   anything else                  red | green << 8 | blue << 16, the high
//                                  byte an alpha (0 reads as opaque)
//
// The colour table maps 32-bit keys to TRccColorItem records it owns: the
// standard colours under both their value and the NameKey of their name,
// and every name asked for that is not a colour, as an unresolved item
// (RGB 230, 0x0000E6) under its name key. Look-ups never fail: a reference
// the table cannot resolve gives 0x0000E6.
//
// Threads: the colour operations run on the main thread with all drawing;
// they take no lock and allocate nothing on their read paths. The table's
// own lock is held while MergeVclColor rebuilds it.
//
//   TSkinColors colors(platform);
//   colors.MergeVclColor();
//   int32_t c;
//   colors.IdentToColor(u"clRed", c);     // c == clRed
//   colors.ColorToRGB(clBtnFace);         // the platform's button face colour

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/support/hash_tables.h"
#include "engine/support/value_lists.h"
#include "rtl/objects.h"
#include "rtl/ustring.h"
#include "vcl/colors.h"

// What the colour model needs from the platform: the system colours and the
// debugger output. Injected so that the model runs (and is tested) anywhere.
class TSkinColorPlatform {
 public:
  virtual ~TSkinColorPlatform() = default;
  // The platform's current colour for system colour number `index` (0-255).
  virtual TColor SysColor(int32_t index) const = 0;
  virtual void DebugOutput(const String& text) const = 0;
};

// One colour table entry.
struct TRccColorItem {
  String Name;            // in the spelling first seen
  int32_t State = 0;      // kStandardColorState, kUnresolvedColorState or a resolved skin colour
  uint32_t RGB = 0;       // the resolved colour (0x0000E6 for unresolved items)
  int32_t Value = 0;      // the key: a standard colour's value or a name key
  int32_t Reserved = 0;
};

inline constexpr int32_t kStandardColorState = -1;
inline constexpr int32_t kUnresolvedColorState = -2;
// What every reference the table cannot resolve reads as.
inline constexpr TColor kNonColorRGB = 0x0000E6;
inline constexpr int32_t kSkinColorTableBuckets = 512;

class TSkinColors : public TObject {
  RD_CLASS(TSkinColors, TObject)

 public:
  explicit TSkinColors(const TSkinColorPlatform& platform);
  ~TSkinColors() override;
  TSkinColors(const TSkinColors&) = delete;
  TSkinColors& operator=(const TSkinColors&) = delete;

  // Values whose high byte is not 0xFF come back unchanged (alpha included);
  // a system colour gives the platform's colour; a reference gives its
  // item's RGB (a standard colour's item its value), else 0x0000E6 with the
  // warning "warning non-color: [%x]".
  TColor ColorToRGB(TColor color);
  // Always true. Integer text is a key as it stands, any other text its
  // NameKey; a key the table holds gives its item's value. A name the table
  // does not hold becomes an unresolved item (and the warning
  // "warning non-color: %s [%x]"); the result is then its key.
  bool IdentToColor(StringView ident, int32_t& color);
  // The name of the table's item for `color`; false when there is none.
  bool ColorToIdent(int32_t color, String& ident) const;
  // Every name of the colour name list, then the 52 standard names.
  void GetColorValues(const TGetStrProc& proc) const;

  // Rebuilds the table around the standard colours: every item it held
  // stays under its value (unresolved ones as unresolved, resolved ones
  // keeping their state and RGB), then each standard colour is put under
  // the NameKey of its name and under its value, replacing what was there.
  void MergeVclColor();

  // Colour warnings go to the debugger output while this is on (off at start).
  bool Diagnostics() const { return diagnostics_; }
  void SetDiagnostics(bool on) { diagnostics_ = on; }

  // Puts `item` under its Value, replacing (and freeing) any item there:
  // how a skin's resolved colours enter the table.
  void PutItem(std::unique_ptr<TRccColorItem> item);

  // The item under `key`, or nullptr. Main thread only (a search moves the
  // table's position).
  const TRccColorItem* ItemOf(uint32_t key) const;
  int32_t Count() const { return table_->Count(); }
  // The table itself, for its lock.
  TPointerHash& Table() { return *table_; }
  // Names offered by GetColorValues before the standard ones (empty at start).
  TStringValueList& NameList() { return *names_; }

 private:
  void ItemDeleted(TBaseHash* table, THashItem* item);
  // Puts `item` under `key`, replacing (and freeing) any item there.
  void Put(uint32_t key, std::unique_ptr<TRccColorItem> item);

  const TSkinColorPlatform& platform_;
  std::unique_ptr<TPointerHash> table_;
  std::unique_ptr<TStringValueList> names_;
  // While MergeVclColor empties the table: where the items it keeps go.
  std::vector<std::unique_ptr<TRccColorItem>>* kept_ = nullptr;
  bool diagnostics_ = false;
};

// ---- The process-wide colour model, which the framework's colour slots use.

// Creates the process-wide model over `platform` (which must outlive it);
// EInvalidOperation when one exists.
void CreateSkinColors(const TSkinColorPlatform& platform);
// Frees it; nothing when there is none.
void FreeSkinColors();
// The process-wide model; nullptr before CreateSkinColors.
TSkinColors* SkinColors();

// The colour operations of the process-wide model, in the shape of the
// framework's colour slots; only installed while the model exists.
TColor SkinColorToRGB(TColor color);
bool SkinIdentToColor(StringView ident, int32_t& color);
bool SkinColorToIdent(int32_t color, String& ident);
void SkinGetColorValues(const TGetStrProc& proc);
