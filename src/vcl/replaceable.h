#pragma once
// Every framework operation that another layer may replace, in one list.
//
// The framework calls these operations only through their slot. A slot
// holds the framework's own function until a replacement is installed (the
// engine installs its replacements at start-up and restores the originals at
// shut-down). Installing into a slot that already holds a replacement is
// refused: the slot keeps what it has, the refusal goes to the debugger
// output and Replace returns false, so two replacers never silently chain.
// Start-up and shut-down run on the main thread; calls may come from any.
//
//   ColorToRGBSlot.Replace(&EngineColorToRGB);   // true
//   ColorToRGB(clBtnFace);                       // EngineColorToRGB(clBtnFace)
//   ColorToRGBSlot.Restore();

#include <atomic>
#include <utility>

#include "rtl/ustring.h"
#include "vcl/colors.h"

class TFiler;
class TPicture;

template <class Fn>
class TReplaceableSlot;

template <class R, class... Args>
class TReplaceableSlot<R(Args...)> {
 public:
  using Function = R (*)(Args...);

  constexpr TReplaceableSlot(const char16_t* name, Function original)
      : name_(name), original_(original), current_(original) {}
  TReplaceableSlot(const TReplaceableSlot&) = delete;
  TReplaceableSlot& operator=(const TReplaceableSlot&) = delete;

  R operator()(Args... args) const { return current_.load(std::memory_order_acquire)(std::forward<Args>(args)...); }

  // False (and reported) when a replacement is already installed or
  // `replacement` is null.
  bool Replace(Function replacement);
  // Puts the framework's own function back.
  void Restore() { current_.store(original_, std::memory_order_release); }

  bool Replaced() const { return current_.load(std::memory_order_acquire) != original_; }
  Function Current() const { return current_.load(std::memory_order_acquire); }
  // The framework's own function, for a replacement that falls back to it.
  Function Original() const { return original_; }
  const char16_t* Name() const { return name_; }

 private:
  const char16_t* name_;
  Function original_;
  std::atomic<Function> current_;
};

// Writes "Replaceable slot <name>: <reason>" to the debugger output.
void ReportSlotRefusal(const char16_t* slot_name, const char16_t* reason);

template <class R, class... Args>
bool TReplaceableSlot<R(Args...)>::Replace(Function replacement) {
  if (!replacement) {
    ReportSlotRefusal(name_, u"no replacement given");
    return false;
  }
  Function expected = original_;
  if (!current_.compare_exchange_strong(expected, replacement, std::memory_order_acq_rel)) {
    ReportSlotRefusal(name_, u"already replaced");
    return false;
  }
  return true;
}

// ---- The slots

// colors.h
extern TReplaceableSlot<TColor(TColor)> ColorToRGBSlot;
extern TReplaceableSlot<bool(StringView, int32_t&)> IdentToColorSlot;
extern TReplaceableSlot<bool(int32_t, String&)> ColorToIdentSlot;
extern TReplaceableSlot<void(const TGetStrProc&)> GetColorValuesSlot;

// picture.h: how a picture streams itself in forms (the original defines
// the binary "Data" property) and how it loads a file by its extension.
extern TReplaceableSlot<void(TPicture&, TFiler&)> PictureDefinePropertiesSlot;
extern TReplaceableSlot<void(TPicture&, const String&)> PictureLoadFromFileSlot;
