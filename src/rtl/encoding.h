#pragma once
// Text encodings: String <-> bytes, and the byte-order marks (preambles) that
// tell them apart in files. Four encodings exist, each a process-wide object:
// UTF-8, UTF-16 little-endian ("Unicode"), UTF-16 big-endian, and ANSI, the
// system's single-byte code page on Windows and Latin-1 elsewhere. Default()
// is ANSI, as for the framework's text files without a byte-order mark.
//
// Decoding never fails: ill-formed input becomes U+FFFD (UTF-8 as Utf8ToString
// does it; a lone trailing byte of UTF-16 likewise). Encoding to ANSI writes
// "?" for characters the code page lacks.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "rtl/ustring.h"

using TBytes = std::vector<uint8_t>;

class TEncoding {
 public:
  virtual ~TEncoding() = default;
  TEncoding(const TEncoding&) = delete;
  TEncoding& operator=(const TEncoding&) = delete;

  virtual const char16_t* EncodingName() const = 0;
  // The byte-order mark; empty for ANSI.
  virtual TBytes GetPreamble() const = 0;
  virtual TBytes GetBytes(StringView text) const = 0;
  virtual String GetString(const uint8_t* bytes, size_t count) const = 0;
  String GetString(const TBytes& bytes) const { return GetString(bytes.data(), bytes.size()); }

  static const TEncoding& UTF8();
  static const TEncoding& Unicode();  // UTF-16 little-endian
  static const TEncoding& BigEndianUnicode();
  static const TEncoding& ANSI();
  static const TEncoding& Default();  // ANSI

  // With `encoding` null: detects a byte-order mark of UTF-8, UTF-16 LE or
  // UTF-16 BE at the start of the bytes, sets `encoding` to it and returns the
  // mark's length; without a mark sets Default() and returns 0. With an
  // encoding given: returns the length of its mark when the bytes start with
  // it, else 0.
  static size_t GetBufferEncoding(const uint8_t* bytes, size_t count, const TEncoding*& encoding);

 protected:
  TEncoding() = default;
};

// Decodes a whole text file image. With `encoding` null the byte-order mark
// decides, `fallback` serving for bytes without one, and `encoding` returns
// the encoding used; with an encoding given, the bytes are read in it (its
// own mark skipped). The mark is never part of the text.
String DecodeText(const uint8_t* bytes, size_t count, const TEncoding*& encoding,
                  const TEncoding& fallback = TEncoding::Default());
String DecodeText(const TBytes& bytes, const TEncoding*& encoding,
                  const TEncoding& fallback = TEncoding::Default());

// The text's bytes in `encoding`, preceded by its byte-order mark when
// `with_preamble` is set.
TBytes EncodeText(StringView text, const TEncoding& encoding, bool with_preamble);
