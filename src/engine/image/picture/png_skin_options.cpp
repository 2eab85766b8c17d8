#include "engine/image/picture/png_skin_options.h"

#include <optional>
#include <vector>

#include "rtl/numbers.h"
#include "rtl/textutils.h"

namespace {

constexpr char16_t kAlphaBlendValue[] = u"AlphaBlendValue";
constexpr char16_t kGrayMode[] = u"GrayMode";
constexpr char16_t kSmoothFilter[] = u"SmoothFilter";

// The text's lines, split at CR LF, CR or LF; a last empty line is dropped.
std::vector<String> SplitLines(StringView text) {
  std::vector<String> lines;
  String line;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\r' || c == u'\n') {
      lines.push_back(std::move(line));
      line.clear();
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

StringView NameOf(StringView line) {
  const size_t eq = line.find(u'=');
  return eq == StringView::npos ? line : line.substr(0, eq);
}

std::optional<int32_t> IntValueOf(const std::vector<String>& lines, StringView name) {
  for (const String& line : lines) {
    const size_t eq = line.find(u'=');
    if (eq == String::npos || !SameText(StringView(line).substr(0, eq), name)) continue;
    int32_t value = 0;
    if (TryStrToInt(StringView(line).substr(eq + 1), value)) return value;
    return std::nullopt;
  }
  return std::nullopt;
}

// Sets `name` to `value` in place, appends it, or (no value) removes it.
void SetLine(std::vector<String>& lines, StringView name, std::optional<int32_t> value) {
  for (size_t i = 0; i < lines.size(); ++i) {
    if (!SameText(NameOf(lines[i]), name)) continue;
    if (value) {
      lines[i] = String(name) + u"=" + IntToStr(*value);
    } else {
      lines.erase(lines.begin() + ptrdiff_t(i));
    }
    return;
  }
  if (value) lines.push_back(String(name) + u"=" + IntToStr(*value));
}

}  // namespace

void ReadSkinOptions(StringView text, TPngSkinOptions& options) {
  const std::vector<String> lines = SplitLines(text);
  if (auto v = IntValueOf(lines, kAlphaBlendValue)) options.AlphaBlendValue = uint8_t(*v & 0xFF);
  if (auto v = IntValueOf(lines, kGrayMode)) options.GrayMode = *v != 0;
  if (auto v = IntValueOf(lines, kSmoothFilter)) {
    const uint8_t filter = uint8_t(*v & 0xFF);
    options.SmoothFilter = filter > psfSmooth ? psfDefault : TPngSmoothFilter(filter);
  }
}

String WriteSkinOptions(StringView text, const TPngSkinOptions& options) {
  std::vector<String> lines = SplitLines(text);
  auto unless = [](bool at_default, int32_t value) {
    return at_default ? std::nullopt : std::optional<int32_t>(value);
  };
  SetLine(lines, kAlphaBlendValue, unless(options.AlphaBlendValue == 255, options.AlphaBlendValue));
  SetLine(lines, kGrayMode, unless(!options.GrayMode, 1));
  SetLine(lines, kSmoothFilter, unless(options.SmoothFilter == psfDefault, options.SmoothFilter));
  String result;
  for (const String& line : lines) result += line + u"\r\n";
  return result;
}
