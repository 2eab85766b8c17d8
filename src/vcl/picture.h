#pragma once
// TPicture: holds one graphic of any registered class (or none), loads and
// saves it by file extension through the registered picture formats, and
// streams it in forms as the binary "Data" property: the graphic's class
// name (a length byte and its ASCII text), then the graphic's own data.
// DefineProperties and LoadFromFile go through replaceable slots
// (replaceable.h); the Default... functions below are the framework's own.

#include <memory>

#include "rtl/classes.h"
#include "vcl/graphic.h"

class TBitmap;
class TIcon;

class TPicture : public TPersistent {
  RD_CLASS(TPicture, TPersistent)
  TPicture();
  ~TPicture() override;

  TGraphic* Graphic() const { return graphic_.get(); }
  // A copy of `graphic` (a new instance of its class given its content), or
  // no graphic for nullptr.
  void SetGraphic(const TGraphic* graphic);
  // Releases the current graphic (its Free), takes `graphic` (or none),
  // connects its change and progress events to the picture and announces
  // the change.
  void TakeGraphic(TGraphicPtr graphic);

  // The graphic as a bitmap or icon, replacing a graphic of another class
  // by an empty one.
  TBitmap& Bitmap();
  TIcon& Icon();

  int32_t Width() const { return graphic_ ? graphic_->Width() : 0; }
  int32_t Height() const { return graphic_ ? graphic_->Height() : 0; }

  // TPicture, TGraphic or nullptr.
  void Assign(const TPersistent* source) override;

  // The graphic class registered for the file's extension loads the file.
  // EInvalidGraphic "Unknown picture file extension (.ext)" when none is;
  // on any error the picture keeps its old graphic.
  void LoadFromFile(const String& file_name);
  // Nothing is written for a picture without graphic.
  void SaveToFile(const String& file_name) const;

  void DefineProperties(TFiler& filer) override;

  // Fires OnChange (also when the graphic changes).
  virtual void Changed(TObject* sender);

  TNotifyEvent OnChange;
  TProgressEvent OnProgress;

 protected:
  // A TGraphic destination receives the picture's graphic.
  void AssignTo(TPersistent* dest) const override;

 private:
  template <class T>
  T& ForceType();
  void GraphicProgress(TObject* sender, TProgressStage stage, uint8_t percent_done, bool redraw_now,
                       const TRect& rect, const String& message);
  friend void DefaultPictureLoadFromFile(TPicture& picture, const String& file_name);

  TGraphicPtr graphic_;
};

// The framework's own "Data" property and file loading.
void DefaultPictureDefineProperties(TPicture& picture, TFiler& filer);
void DefaultPictureLoadFromFile(TPicture& picture, const String& file_name);
