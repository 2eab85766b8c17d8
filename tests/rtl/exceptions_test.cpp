#include "rtl/exceptions.h"

#include <gtest/gtest.h>

namespace {

TEST(Exceptions, CatchableByClassBaseAndStdException) {
  try {
    throw EStringListError(u"List index out of bounds (3)");
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), u"List index out of bounds (3)");
    EXPECT_EQ(String(e.ClassName()), u"EStringListError");
    EXPECT_STREQ(e.what(), "List index out of bounds (3)");
  }
  EXPECT_THROW(throw EReadError(u"x"), EStreamError);
  EXPECT_THROW(throw EAbort(u""), Exception);
  EXPECT_THROW(throw EConvertError(u"x"), std::exception);
}

TEST(Exceptions, MessageCanBeReplacedAndStaysInStepWithWhat) {
  EConvertError e(u"'x' is not a valid integer value");
  e.SetMessage(u"\u00E9t\u00E9");
  EXPECT_EQ(e.Message(), u"\u00E9t\u00E9");
  EXPECT_STREQ(e.what(), "\xC3\xA9t\xC3\xA9");
}

}  // namespace
