// Binary form images: reading them into components and converting them to
// object text must raise the framework's errors for damaged input, never
// crash, leak or loop.

#include <cstddef>
#include <cstdint>

#include "rtl/objtext.h"
#include "rtl/reader.h"
#include "test_components.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool registered = (RegisterTestClasses(), true);
  (void)registered;
  TResourceStream input(data, static_cast<int64_t>(size));
  try {
    TReader reader(input);
    std::unique_ptr<TComponent> root = reader.ReadRootComponent();
  } catch (const Exception&) {
  }
  try {
    TTestForm form(nullptr);
    input.SetPosition(0);
    TReader(input).ReadRootComponent(form);
  } catch (const Exception&) {
  }
  try {
    input.SetPosition(0);
    TMemoryStream text;
    ObjectBinaryToText(input, text);
  } catch (const Exception&) {
  }
  return 0;
}
