#pragma once
// TRdGraphic: the base of the engine's pictures. Besides TGraphic it keeps
// the list of pictures that use it (an RDG picture that shows it as its
// base or frame picture), tells them of every change, and offers row and
// pixel access and the extended draw.

#include "vcl/win_api.h"

#include <atomic>
#include <cstdint>
#include <mutex>

#include "engine/image/pixels/compose_picture.h"
#include "engine/support/pointer_quick.h"
#include "vcl/colors.h"
#include "vcl/graphic.h"

// What a change notification does to the Modified flag.
enum class TChangeMode : uint8_t {
  Keep,           // leaves it
  SourceGone,     // leaves it; the graphic a user referred to is being destroyed
  ClearModified,  // clears it (a load or copy made the graphic new)
  SetModified,    // sets it
};

class TRdGraphic : public TGraphic {
  RD_CLASS(TRdGraphic, TGraphic)
  TRdGraphic() = default;
  // Tells every user that this graphic goes (SourceGone), lets each forget
  // it, and closes the list.
  ~TRdGraphic() override;

  // Sets Modified by `mode`, tells the users (with `sender`, or this graphic
  // when none), then fires OnChange.
  virtual void NotifyChange(TChangeMode mode, TObject* sender);
  // NotifyChange(Keep, sender) on every user, under the graphic's lock.
  virtual void NotifyUsers(TObject* sender);

  virtual uint8_t* GetAlphaLine(int32_t row) const = 0;
  virtual uint8_t* GetPixelLine(int32_t row) const = 0;
  virtual TColor GetPixel(int32_t x, int32_t y) const = 0;
  virtual void SetPixel(int32_t x, int32_t y, TColor color) = 0;
  // The extended draw: the source window (src_x, src_y, src_width,
  // src_height) of the picture into the destination rectangle (dest_x,
  // dest_y, dest_width, dest_height) of `dc`, scaled by `smooth`
  // (psfDefault = the picture's own filter), in grey when asked, at
  // opacity `alpha`. `flags` other than 0 rule out the plain device copy.
  virtual void DrawEx(HDC dc, int32_t dest_x, uint32_t flags, TPngSmoothFilter smooth, bool gray, uint8_t alpha,
                      int32_t src_height, int32_t src_width, int32_t src_y, int32_t src_x, int32_t dest_height,
                      int32_t dest_width, int32_t dest_y) = 0;
  // The same on a canvas's handle, then the canvas's Changed.
  void DrawEx(TCanvas& canvas, int32_t dest_x, uint32_t flags, TPngSmoothFilter smooth, bool gray, uint8_t alpha,
              int32_t src_height, int32_t src_width, int32_t src_y, int32_t src_x, int32_t dest_height,
              int32_t dest_width, int32_t dest_y);

  // A picture that shows this graphic registers itself here (false once the
  // list is closed, while this graphic is destroyed) and leaves again.
  bool AddUser(TRdGraphic* user);
  void RemoveUser(TRdGraphic* user);
  int32_t UserCount() const;

  // Announces the change to the users, then as TGraphic does.
  void Changed(TObject* sender) override;

 protected:
  // Called on a user when `graphic`, which it refers to, is destroyed: the
  // user drops its reference. The base refers to nothing.
  virtual void ForgetGraphic(TRdGraphic* graphic) { (void)graphic; }

 private:
  // The users, made on first need; kClosed once the graphic is destroyed.
  TPointerQuick* UsersList(bool create);
  static TPointerQuick* const kClosed;
  std::atomic<TPointerQuick*> users_{nullptr};
  mutable std::recursive_mutex lock_;
};
