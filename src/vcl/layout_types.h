#pragma once
// The words of control layout: how a control is aligned in its parent, which
// of its edges keep their distance to the parent's edges, and which of its
// properties a scaling changes.

#include "rtl/rtti.h"

RD_ENUM(TAlign, alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom)
RD_ENUM(TAnchorKind, akLeft, akTop, akRight, akBottom)
using TAnchors = TSet<TAnchorKind>;
// What ChangeScale scales of a control being read: the properties the
// stream set (sfLeft ... sfFont), and sfDesignSize when the stream held the
// design size of a container.
RD_ENUM(TScalingFlag, sfLeft, sfTop, sfWidth, sfHeight, sfFont, sfDesignSize)
using TScalingFlags = TSet<TScalingFlag>;

// The anchors an alignment implies: the edges that touch the parent's.
inline TAnchors AnchorAlign(TAlign align) {
  switch (align) {
    case alTop: return {akLeft, akTop, akRight};
    case alBottom: return {akLeft, akRight, akBottom};
    case alLeft: return {akLeft, akTop, akBottom};
    case alRight: return {akRight, akTop, akBottom};
    case alClient: return {akLeft, akTop, akRight, akBottom};
    default: return {akLeft, akTop};
  }
}

// Runs `change` on a layout object (constraints, margins, padding) with its
// change event silenced, for a caller that applies the whole change itself.
template <class T, class Change>
void WithoutChangeEvent(T& object, Change change) {
  const auto event = object.OnChange;
  object.OnChange = nullptr;
  try {
    change();
  } catch (...) {
    object.OnChange = event;
    throw;
  }
  object.OnChange = event;
}
