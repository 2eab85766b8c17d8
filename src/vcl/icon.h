#pragma once
// TIcon: an icon given by a handle or loaded from .ico data. Data loaded
// from a stream is kept and saved back unchanged; the handle is made on
// demand from the image of the data that best fits the requested size (the
// system's icon size unless SetSize asked for another before loading).

#include "vcl/win_api.h"

#include <cstdint>
#include <vector>

#include "vcl/graphic.h"

class TIcon : public TGraphic {
  RD_CLASS(TIcon, TGraphic)
  TIcon();
  ~TIcon() override;

  // Another TIcon: a copy of its data and handle; nullptr: empty.
  void Assign(const TPersistent* source) override;

  // Made from the data on first use; owned by the icon.
  HICON Handle() const;
  bool HandleAllocated() const { return handle_ != nullptr; }
  // Takes ownership of `handle` (0 empties); the data is then made from it.
  void SetHandle(HICON handle);
  // Gives the handle to the caller; the icon becomes empty.
  HICON ReleaseHandle();

  bool Empty() const override { return !handle_ && data_.empty(); }
  int32_t Width() const override { return width_; }
  int32_t Height() const override { return height_; }
  // Only before an image is loaded (EInvalidGraphicOperation "Cannot change
  // the size of an icon" afterwards): the size to pick from the data.
  void SetWidth(int32_t value) override { SetSize(value, height_); }
  void SetHeight(int32_t value) override { SetSize(width_, value); }
  void SetSize(int32_t width, int32_t height) override;
  bool Transparent() const override { return true; }

  // .ico data: EInvalidGraphic "Icon image is not valid" for anything else.
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) const override;

 protected:
  void Draw(TCanvas& canvas, const TRect& rect) override;
  // A TBitmap destination: 32 bits per pixel, the icon drawn on black.
  void AssignTo(TPersistent* dest) const override;

 private:
  void Clear();
  // An .ico image of one entry made from the handle's bitmaps.
  std::vector<uint8_t> DataFromHandle() const;

  mutable HICON handle_ = nullptr;
  std::vector<uint8_t> data_;  // the .ico file, when loaded from one
  int32_t width_;
  int32_t height_;
};
