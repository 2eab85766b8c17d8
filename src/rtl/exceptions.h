#pragma once
// The framework's exception classes. Every error the framework or the engine
// raises is an Exception (or a class derived from it) carrying an English
// message; handlers catch by class, and what nobody catches reaches the
// application's error display. EAbort is the silent exception: it unwinds
// like any other, but the error display shows nothing for it.

#include <exception>
#include <string>

#include "rtl/ustring.h"

class Exception : public std::exception {
 public:
  explicit Exception(String message) : message_(std::move(message)), what_(StringToUtf8(message_)) {}

  const String& Message() const noexcept { return message_; }
  void SetMessage(String message) {
    message_ = std::move(message);
    what_ = StringToUtf8(message_);
  }
  virtual const char16_t* ClassName() const noexcept { return u"Exception"; }
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  String message_;
  std::string what_;  // UTF-8 copy for std::exception users (test output, terminate)
};

// Declares an exception class `Name` derived from `Base` with Base's constructor.
#define RD_DECLARE_EXCEPTION(Name, Base)                                       \
  class Name : public Base {                                                   \
   public:                                                                     \
    using Base::Base;                                                          \
    const char16_t* ClassName() const noexcept override { return u## #Name; } \
  }

RD_DECLARE_EXCEPTION(EAbort, Exception);
RD_DECLARE_EXCEPTION(EAssertionFailed, Exception);
RD_DECLARE_EXCEPTION(EConvertError, Exception);
RD_DECLARE_EXCEPTION(EInvalidOperation, Exception);
RD_DECLARE_EXCEPTION(EInvalidPointer, Exception);
RD_DECLARE_EXCEPTION(EOutOfMemory, Exception);
RD_DECLARE_EXCEPTION(EOutOfResources, Exception);
RD_DECLARE_EXCEPTION(EOSError, Exception);
RD_DECLARE_EXCEPTION(EListError, Exception);
RD_DECLARE_EXCEPTION(EStringListError, EListError);
RD_DECLARE_EXCEPTION(EStreamError, Exception);
RD_DECLARE_EXCEPTION(EFileStreamError, EStreamError);
RD_DECLARE_EXCEPTION(EFCreateError, EFileStreamError);
RD_DECLARE_EXCEPTION(EFOpenError, EFileStreamError);
RD_DECLARE_EXCEPTION(EReadError, EStreamError);
RD_DECLARE_EXCEPTION(EWriteError, EStreamError);
RD_DECLARE_EXCEPTION(EFilerError, EStreamError);
RD_DECLARE_EXCEPTION(EClassNotFound, EFilerError);
RD_DECLARE_EXCEPTION(EMethodNotFound, EFilerError);
RD_DECLARE_EXCEPTION(EInvalidImage, EFilerError);
RD_DECLARE_EXCEPTION(EParserError, Exception);
RD_DECLARE_EXCEPTION(EPropertyError, Exception);
RD_DECLARE_EXCEPTION(EPropertyConvertError, Exception);
RD_DECLARE_EXCEPTION(EComponentError, Exception);
RD_DECLARE_EXCEPTION(EIniFileException, Exception);
RD_DECLARE_EXCEPTION(EInvalidGraphic, Exception);
RD_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception);
RD_DECLARE_EXCEPTION(ERegistryException, Exception);
