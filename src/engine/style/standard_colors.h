#pragma once
// The engine's own copy of the framework's 52 standard colour identifiers
// and their values, in the framework's order. The engine seeds its colour
// table from it, so it does not depend on the framework being linked.

#include <span>

#include "vcl/colors.h"

std::span<const TIdentMapEntry> SkinStandardColors();
