#pragma once
// Conversion of a whole component image between the binary form format
// (filer.h) and the framework's object text:
//
//   object Form1: TForm1
//     Caption = 'It'#39's'
//     Font.Style = [fsBold, fsItalic]
//     Lines.Strings = (
//       'one'
//       'two')
//     Items = <
//       item
//         Width = 10
//       end>
//     Data = {
//       0A0B0C}
//     object Button1: TButton [2]
//     end
//   end
//
// Text is written as ASCII with CR LF line ends: characters outside
// printable ASCII and the apostrophe as #code, strings longer than 64
// characters split into "+"-joined lines, binary data 32 bytes a line,
// floats with "." whatever the locale ("s" single, "c" currency in
// ten-thousandths, "d" date). Text is read as UTF-8 (byte-order mark
// allowed). A vaDouble value has no text form of its own: it is written as
// a plain float and comes back as an extended value.

#include "rtl/streams.h"

// Raise EParserError for text that is not an object, EReadError for a
// damaged binary image.
void ObjectTextToBinary(TStream& input, TStream& output);
void ObjectBinaryToText(TStream& input, TStream& output);
