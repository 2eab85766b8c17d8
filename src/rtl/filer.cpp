#include "rtl/filer.h"

RD_DEFINE_CLASS(TFiler)
