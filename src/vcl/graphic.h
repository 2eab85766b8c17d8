#pragma once
// TGraphic: the abstract picture every graphic class derives from (bitmaps,
// icons, the engine's PNG and RDG pictures). A graphic draws itself on a
// canvas, knows its size and transparency, loads and saves its file format
// from streams and files, and streams in forms through its own data
// (ReadData / WriteData, the binary "Data" property).

#include "vcl/win_api.h"

#include <cstdint>
#include <memory>

#include "rtl/classes.h"
#include "rtl/streams.h"
#include "vcl/geometry.h"

class TCanvas;

RD_ENUM(TProgressStage, psStarting, psRunning, psEnding)
// (sender, stage, percent done, redraw now, the rectangle ready so far, message)
using TProgressEvent = TEventOf<TObject*, TProgressStage, uint8_t, bool, const TRect&, const String&>;

class TGraphic : public TPersistent {
  RD_CLASS(TGraphic, TPersistent)
  TGraphic() = default;

  virtual bool Empty() const = 0;
  virtual int32_t Width() const = 0;
  virtual int32_t Height() const = 0;
  virtual void SetWidth(int32_t value) = 0;
  virtual void SetHeight(int32_t value) = 0;
  virtual void SetSize(int32_t width, int32_t height);

  virtual bool Transparent() const { return transparent_; }
  virtual void SetTransparent(bool value);
  // True when pixels may be partly transparent (an alpha channel in use).
  virtual bool SupportsPartialTransparency() const { return false; }

  // The graphic's palette (owned by the graphic), 0 for none.
  virtual HPALETTE Palette() const { return nullptr; }
  virtual void SetPalette(HPALETTE) {}
  bool PaletteModified() const { return palette_modified_; }
  void SetPaletteModified(bool value) { palette_modified_ = value; }

  // Set by every change; setting it true announces a change.
  bool Modified() const { return modified_; }
  void SetModified(bool value);

  // The graphic's file format, from the stream's current position; a
  // stream that does not hold one raises EInvalidGraphic and leaves the
  // graphic as it was.
  virtual void LoadFromStream(TStream& stream) = 0;
  virtual void SaveToStream(TStream& stream) const = 0;
  void LoadFromFile(const String& file_name);
  void SaveToFile(const String& file_name) const;

  // Clipboard hooks: the base supports no format (EInvalidGraphic).
  virtual void LoadFromClipboardFormat(uint16_t format, HANDLE data, HPALETTE palette);
  virtual void SaveToClipboardFormat(uint16_t& format, HANDLE& data, HPALETTE& palette) const;

  // Form-stream data; by default the file format.
  virtual void ReadData(TStream& stream) { LoadFromStream(stream); }
  virtual void WriteData(TStream& stream) const { SaveToStream(stream); }

  // Same class and the same content (both empty, or equal data).
  virtual bool Equals(const TGraphic* other) const;

  // Sets Modified and fires OnChange.
  virtual void Changed(TObject* sender);

  // Ends the caller's hold on the graphic. The framework's graphics are
  // destroyed (through the framework's Free); a usage-counted graphic is
  // destroyed only when its last holder lets go, and stays usable otherwise.
  // Every owner of a graphic releases it here (TGraphicPtr does).
  virtual void Free();

  // The binary "Data" property: written when the graphic is not empty, or
  // against an ancestor when it differs from the ancestor's.
  void DefineProperties(TFiler& filer) override;

  TNotifyEvent OnChange;
  TProgressEvent OnProgress;

 protected:
  friend class TCanvas;
  // Draws the graphic stretched into `rect` on `canvas` (called by
  // TCanvas::Draw and StretchDraw, which have prepared the canvas).
  virtual void Draw(TCanvas& canvas, const TRect& rect) = 0;
  // Draws the graphic as Draw does, blended over what `canvas` holds with
  // `opacity` (0 draws nothing, 255 is Draw). The default draws into a copy
  // of the destination and blends that copy back, so any graphic's own
  // transparency is kept.
  virtual void DrawTransparent(TCanvas& canvas, const TRect& rect, uint8_t opacity);
  virtual void Progress(TObject* sender, TProgressStage stage, uint8_t percent_done, bool redraw_now,
                        const TRect& rect, const String& message);
  // Sets the Modified flag without announcing a change.
  void SetModifiedFlag(bool value) { modified_ = value; }

 private:
  bool transparent_ = false;
  bool modified_ = false;
  bool palette_modified_ = false;
};

// Releases a graphic through its Free. Converts from std::default_delete, so
// a std::unique_ptr<TBitmap> (std::make_unique) moves into a TGraphicPtr.
struct TGraphicDeleter {
  TGraphicDeleter() = default;
  template <class T>
  TGraphicDeleter(const std::default_delete<T>&) {}  // NOLINT: implicit on purpose
  void operator()(TGraphic* graphic) const {
    if (graphic) graphic->Free();
  }
};
using TGraphicPtr = std::unique_ptr<TGraphic, TGraphicDeleter>;

// A new instance of a graphic class; EInvalidGraphic for a class that is not
// a creatable TGraphic.
TGraphicPtr CreateGraphic(TClass graphic_class);
