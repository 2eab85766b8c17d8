#include "engine/image/picture/rd_graphic_win.h"

#include "vcl/canvas.h"

RD_DEFINE_CLASS(TRdGraphic)

TPointerQuick* const TRdGraphic::kClosed = reinterpret_cast<TPointerQuick*>(uintptr_t(1));

TRdGraphic::~TRdGraphic() {
  std::lock_guard guard(lock_);
  TPointerQuick* list = users_.exchange(kClosed);
  if (!list || list == kClosed) return;
  for (int32_t i = 0; i < list->Count(); ++i) {
    auto* user = reinterpret_cast<TRdGraphic*>(list->Items(i));
    user->NotifyChange(TChangeMode::SourceGone, nullptr);
    user->ForgetGraphic(this);
  }
  delete list;
}

TPointerQuick* TRdGraphic::UsersList(bool create) {
  TPointerQuick* list = users_.load();
  if (list || !create) return list;
  auto* fresh = new TPointerQuick();
  fresh->SetDuplicates(dupIgnore);
  TPointerQuick* expected = nullptr;
  if (users_.compare_exchange_strong(expected, fresh)) return fresh;
  delete fresh;  // another thread made it first, or the list was closed
  return expected;
}

bool TRdGraphic::AddUser(TRdGraphic* user) {
  std::lock_guard guard(lock_);
  TPointerQuick* list = UsersList(true);
  if (list == kClosed) return false;
  list->Add(reinterpret_cast<intptr_t>(user));
  return true;
}

void TRdGraphic::RemoveUser(TRdGraphic* user) {
  std::lock_guard guard(lock_);
  TPointerQuick* list = UsersList(false);
  if (list && list != kClosed) list->Remove(reinterpret_cast<intptr_t>(user));
}

int32_t TRdGraphic::UserCount() const {
  std::lock_guard guard(lock_);
  TPointerQuick* list = users_.load();
  return list && list != kClosed ? list->Count() : 0;
}

void TRdGraphic::NotifyChange(TChangeMode mode, TObject* sender) {
  if (mode == TChangeMode::ClearModified) SetModifiedFlag(false);
  if (mode == TChangeMode::SetModified) SetModifiedFlag(true);
  NotifyUsers(sender ? sender : this);
  OnChange(this);
}

void TRdGraphic::NotifyUsers(TObject* sender) {
  std::lock_guard guard(lock_);
  TPointerQuick* list = users_.load();
  if (!list || list == kClosed) return;
  for (int32_t i = 0; i < list->Count(); ++i)
    reinterpret_cast<TRdGraphic*>(list->Items(i))->NotifyChange(TChangeMode::Keep, sender);
}

void TRdGraphic::Changed(TObject* sender) {
  NotifyUsers(sender);
  inherited::Changed(sender);
}

void TRdGraphic::DrawEx(TCanvas& canvas, int32_t dest_x, uint32_t flags, TPngSmoothFilter smooth, bool gray,
                        uint8_t alpha, int32_t src_height, int32_t src_width, int32_t src_y, int32_t src_x,
                        int32_t dest_height, int32_t dest_width, int32_t dest_y) {
  DrawEx(canvas.Handle(), dest_x, flags, smooth, gray, alpha, src_height, src_width, src_y, src_x, dest_height,
         dest_width, dest_y);
  canvas.Changed();
}
