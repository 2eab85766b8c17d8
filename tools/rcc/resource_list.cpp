#include "resource_list.h"

#include <cstdio>
#include <optional>

#include "platform.h"
#include "resource_collection.h"
#include "unicode.h"

namespace rcc {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsNameChar(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return u >= 0x80 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         c == '_' || c == ':' || c == '.' || c == '-';
}

bool IsBlank(std::string_view text) {
  for (char c : text) {
    if (!IsSpace(c)) return false;
  }
  return true;
}

void AppendCodePoint(std::string& out, uint32_t cp) {
  const char16_t units[2] = {static_cast<char16_t>(cp < 0x10000 ? cp : 0xD800 + ((cp - 0x10000) >> 10)),
                             static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF))};
  out += Utf16ToUtf8(std::u16string_view(units, cp < 0x10000 ? 1 : 2));
}

struct Attribute {
  std::string name;
  std::string value;
};

struct StartTag {
  std::string name;
  std::vector<Attribute> attributes;
  bool empty = false;  // <name/>

  const std::string* Find(std::string_view attribute) const {
    for (const Attribute& a : attributes) {
      if (a.name == attribute) return &a.value;
    }
    return nullptr;
  }
  std::string Value(std::string_view attribute) const {
    const std::string* value = Find(attribute);
    return value ? *value : std::string();
  }
};

// What the reader found at a "<" inside an element.
enum class Markup { kStartTag, kEndTag };

// A pull reader for the small XML dialect of resource lists, which keeps the
// line and column (in UTF-16 units, as the reference counts them) for its
// messages. A failure is recorded once; every later call then does nothing.
class XmlReader {
 public:
  explicit XmlReader(std::string_view document) : doc_(document) {
    if (doc_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
  }

  bool failed() const { return failed_; }
  const std::string& error() const { return error_; }
  int line() const { return line_; }
  int column() const { return column_; }

  void Fail(std::string message) {
    if (failed_) return;
    failed_ = true;
    error_ = std::move(message);
  }

  // Skips the XML declaration, comments, processing instructions and the
  // document type, then reads the root's start tag.
  std::optional<StartTag> ReadRoot() {
    for (;;) {
      SkipSpace();
      if (Starts("<?")) {
        SkipPast("?>");
      } else if (Starts("<!--")) {
        SkipPast("-->");
      } else if (Starts("<!DOCTYPE")) {
        SkipDoctype();
      } else {
        break;
      }
      if (failed_) return std::nullopt;
    }
    if (AtEnd()) {
      Fail("Premature end of document.");
      return std::nullopt;
    }
    if (Peek() != '<') {
      Advance(1);
      Fail("Start tag expected.");
      return std::nullopt;
    }
    Advance(1);
    return ReadStartTag();
  }

  // Reads character data (entities resolved, CDATA included, comments and
  // processing instructions skipped) up to the next tag, whose kind it
  // returns; the tag's "<" is consumed. `text` receives the characters.
  std::optional<Markup> ReadContent(std::string& text) {
    text.clear();
    while (!failed_) {
      if (AtEnd()) {
        Fail("Premature end of document.");
        break;
      }
      const char c = Peek();
      if (c == '&') {
        ReadReference(text);
      } else if (c != '<') {
        text.push_back(c);
        Advance(1);
      } else if (Starts("<![CDATA[")) {
        Advance(9);
        const size_t end = doc_.find("]]>", pos_);
        if (end == std::string_view::npos) {
          Advance(doc_.size() - pos_);
          Fail("Premature end of document.");
          break;
        }
        text.append(doc_.substr(pos_, end - pos_));
        Advance(end + 3 - pos_);
      } else if (Starts("<!--")) {
        SkipPast("-->");
      } else if (Starts("<?")) {
        SkipPast("?>");
      } else {
        Advance(1);
        if (!AtEnd() && Peek() == '/') {
          Advance(1);
          return Markup::kEndTag;
        }
        return Markup::kStartTag;
      }
    }
    return std::nullopt;
  }

  // After "<": the name, attributes and ">" or "/>".
  std::optional<StartTag> ReadStartTag() {
    StartTag tag;
    tag.name = ReadName();
    if (failed_) return std::nullopt;
    for (;;) {
      const bool spaced = SkipSpace();
      if (AtEnd()) {
        Fail("Premature end of document.");
        return std::nullopt;
      }
      if (Peek() == '>') {
        Advance(1);
        return tag;
      }
      if (Starts("/>")) {
        Advance(2);
        tag.empty = true;
        return tag;
      }
      if (!spaced) {
        Advance(1);
        Fail("Expected '>' or '/', but got '" + std::string(1, doc_[pos_ - 1]) + "'.");
        return std::nullopt;
      }
      Attribute attribute;
      attribute.name = ReadName();
      SkipSpace();
      if (!Expect('=')) return std::nullopt;
      SkipSpace();
      attribute.value = ReadQuoted();
      if (failed_) return std::nullopt;
      for (const Attribute& a : tag.attributes) {
        if (a.name == attribute.name) {
          Fail("Attribute '" + attribute.name + "' redefined.");
          return std::nullopt;
        }
      }
      tag.attributes.push_back(std::move(attribute));
    }
  }

  // After "</": the name, which must close `open`, and ">".
  void ReadEndTag(const std::string& open) {
    const std::string name = ReadName();
    if (failed_) return;
    SkipSpace();
    if (!Expect('>')) return;
    if (name != open) Fail("Opening and ending tag mismatch.");
  }

  // After the root element: only space, comments and processing instructions.
  void ReadEpilogue() {
    for (;;) {
      SkipSpace();
      if (AtEnd() || failed_) return;
      if (Starts("<!--")) {
        SkipPast("-->");
      } else if (Starts("<?")) {
        SkipPast("?>");
      } else {
        Advance(1);
        Fail("Extra content at end of document.");
        return;
      }
    }
  }

 private:
  bool AtEnd() const { return pos_ >= doc_.size(); }
  char Peek() const { return doc_[pos_]; }
  bool Starts(std::string_view s) const { return doc_.substr(pos_, s.size()) == s; }

  void Advance(size_t n) {
    for (size_t end = pos_ + n; pos_ < end; ++pos_) {
      const unsigned char c = static_cast<unsigned char>(doc_[pos_]);
      if (c == '\n') {
        ++line_;
        column_ = 0;
      } else if ((c & 0xC0) != 0x80) {
        column_ += (c >= 0xF0) ? 2 : 1;  // a code point beyond the BMP takes two UTF-16 units
      }
    }
  }

  bool SkipSpace() {
    const size_t start = pos_;
    while (!AtEnd() && IsSpace(Peek())) Advance(1);
    return pos_ != start;
  }

  void SkipPast(std::string_view terminator) {
    const size_t end = doc_.find(terminator, pos_ + 2);
    if (end == std::string_view::npos) {
      Advance(doc_.size() - pos_);
      Fail("Premature end of document.");
      return;
    }
    Advance(end + terminator.size() - pos_);
  }

  // <!DOCTYPE name [internal subset]>: skipped, brackets and quotes respected.
  void SkipDoctype() {
    int depth = 0;
    char quote = 0;
    for (Advance(9); !AtEnd(); Advance(1)) {
      const char c = Peek();
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '[') {
        ++depth;
      } else if (c == ']') {
        --depth;
      } else if (c == '>' && depth <= 0) {
        Advance(1);
        return;
      }
    }
    Fail("Premature end of document.");
  }

  bool Expect(char c) {
    if (AtEnd()) {
      Fail("Premature end of document.");
      return false;
    }
    const char got = Peek();
    Advance(1);
    if (got == c) return true;
    Fail(std::string("Expected '") + c + "', but got '" + got + "'.");
    return false;
  }

  std::string ReadName() {
    const size_t start = pos_;
    while (!AtEnd() && IsNameChar(Peek())) Advance(1);
    if (pos_ == start) {
      if (AtEnd()) {
        Fail("Premature end of document.");
      } else {
        Advance(1);
        Fail("Invalid XML name.");
      }
    }
    return std::string(doc_.substr(start, pos_ - start));
  }

  std::string ReadQuoted() {
    if (AtEnd()) {
      Fail("Premature end of document.");
      return {};
    }
    const char quote = Peek();
    Advance(1);
    if (quote != '"' && quote != '\'') {
      Fail(std::string("Expected '\"' or ''', but got '") + quote + "'.");
      return {};
    }
    std::string value;
    while (!failed_) {
      if (AtEnd()) {
        Fail("Premature end of document.");
        break;
      }
      const char c = Peek();
      if (c == quote) {
        Advance(1);
        break;
      }
      if (c == '<') {
        Advance(1);
        Fail("Invalid attribute value.");
        break;
      }
      if (c == '&') {
        ReadReference(value);
      } else {
        // Attribute values are normalised: each white-space character becomes a blank.
        value.push_back(IsSpace(c) ? ' ' : c);
        Advance(1);
      }
    }
    return value;
  }

  // "&name;" or "&#NN;" or "&#xHH;", appended to `out`.
  void ReadReference(std::string& out) {
    Advance(1);
    const size_t start = pos_;
    while (!AtEnd() && (IsNameChar(Peek()) || Peek() == '#')) Advance(1);
    const std::string_view name = doc_.substr(start, pos_ - start);
    if (AtEnd()) {
      Fail("Premature end of document.");
      return;
    }
    if (Peek() != ';') {
      const char got = Peek();
      Advance(1);
      Fail(std::string("Expected ';', but got '") + got + "'.");
      return;
    }
    Advance(1);
    if (name == "lt") {
      out += '<';
    } else if (name == "gt") {
      out += '>';
    } else if (name == "amp") {
      out += '&';
    } else if (name == "quot") {
      out += '"';
    } else if (name == "apos") {
      out += '\'';
    } else if (name.size() > 1 && name[0] == '#') {
      const bool hex = name[1] == 'x';
      uint32_t cp = 0;
      bool ok = name.size() > (hex ? 2u : 1u);
      for (size_t i = hex ? 2 : 1; ok && i < name.size(); ++i) {
        const char c = name[i];
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        ok = digit >= 0;
        cp = cp * (hex ? 16 : 10) + uint32_t(digit);
        if (cp > 0x10FFFF) ok = false;
      }
      if (!ok || cp == 0 || (cp >= 0xD800 && cp < 0xE000)) {
        Fail("Invalid character reference.");
        return;
      }
      AppendCodePoint(out, cp);
    } else {
      Fail("Entity '" + std::string(name) + "' not declared.");
    }
  }

  std::string_view doc_;
  size_t pos_ = 0;
  int line_ = 1;
  int column_ = 0;
  bool failed_ = false;
  std::string error_;
};

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of(kBackslashIsSeparator ? "/\\" : "/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string WithSlashes(std::string text) {
  if (kBackslashIsSeparator) {
    for (char& c : text) {
      if (c == '\\') c = '/';
    }
  }
  return text;
}

// Turns the qresource and file elements into files, checking each file as
// its entry is read.
class ListReader {
 public:
  ListReader(const std::string& qrc_path, std::string_view root, ResourceCollection& collection,
             std::string& messages)
      : qrc_path_(qrc_path), folder_(FolderOf(qrc_path)), root_(root), collection_(collection), messages_(messages) {}

  bool Read(std::string_view document) {
    XmlReader xml(document);
    ReadRcc(xml);
    if (error_) return false;
    if (xml.failed()) {
      messages_ += "RCC Parse Error: '" + qrc_path_ + "' Line: " + std::to_string(xml.line()) +
                   " Column: " + std::to_string(xml.column()) + " [" + xml.error() + "]\n";
      return false;
    }
    if (added_ == 0) messages_ += "RCC: Warning: No resources in '" + qrc_path_ + "'.\n";
    return true;
  }

 private:
  void ReadRcc(XmlReader& xml) {
    const std::optional<StartTag> rcc = xml.ReadRoot();
    if (!rcc) return;
    if (rcc->name != "RCC") return xml.Fail("unexpected tag: " + rcc->name);
    if (!rcc->empty) ReadChildren(xml, "RCC", "qresource");
    xml.ReadEpilogue();
  }

  // The content of `parent`: elements named `child` and blank text.
  void ReadChildren(XmlReader& xml, const std::string& parent, const std::string& child) {
    std::string text;
    for (;;) {
      const std::optional<Markup> markup = xml.ReadContent(text);
      if (!markup) return;
      if (!IsBlank(text)) return xml.Fail("unexpected text");
      if (*markup == Markup::kEndTag) return xml.ReadEndTag(parent);
      const std::optional<StartTag> tag = xml.ReadStartTag();
      if (!tag) return;
      if (tag->name != child) return xml.Fail("unexpected tag: " + tag->name);
      if (child == "qresource") {
        if (!BeginQResource(*tag)) return;
        if (!tag->empty) ReadChildren(xml, "qresource", "file");
      } else {
        ReadFile(xml, *tag);
      }
      if (xml.failed() || error_) return;
    }
  }

  bool BeginQResource(const StartTag& tag) {
    const std::string lang = tag.Value("lang");
    if (!LookUpLocale(lang, locale_)) {
      Error("lang '" + lang + "' is not supported by this rcc");
      return false;
    }
    prefix_ = WithSlashes(tag.Value("prefix"));
    return true;
  }

  // A file entry: its text is the file, checked as soon as the text ends.
  void ReadFile(XmlReader& xml, const StartTag& tag) {
    std::string text;
    std::optional<Markup> markup;
    if (!tag.empty) {
      markup = xml.ReadContent(text);
      if (!markup) return;
    }
    // An alias attribute, even an empty one, names the file in the resources.
    const std::string* alias = tag.Find("alias");
    if (!text.empty() && !AddFile(text, alias ? WithSlashes(*alias) : WithSlashes(text))) return;
    if (tag.empty) return;
    if (*markup == Markup::kStartTag) {
      const std::optional<StartTag> inner = xml.ReadStartTag();
      if (inner) xml.Fail("unexpected tag: " + inner->name);
      return;
    }
    xml.ReadEndTag("file");
  }

  bool AddFile(const std::string& text, const std::string& name) {
    const std::string source = IsAbsolutePath(text) ? text : folder_ + text;
    const PathInfo info = QueryPath(source);
    if (!info.exists) return Error("Error in '" + qrc_path_ + "': Cannot find file '" + text + "'");
    if (info.is_dir) {
      return Error("Error in '" + qrc_path_ + "': '" + text +
                   "' is a folder; this rcc packs the files that the list names one by one");
    }
    ResourceFile file;
    for (const std::string& part : ResourcePath(root_, prefix_, name)) file.path.push_back(Utf8ToUtf16(part));
    file.source = source;
    file.locale = locale_;
    file.size = info.size;
    file.modified_ms = info.modified_ms;
    const std::string file_name = Utf16ToUtf8(file.path.back());
    if (!collection_.Add(std::move(file))) {
      messages_ += qrc_path_ + ": Warning: potential duplicate alias detected: '" + file_name + "'\n";
    }
    ++added_;
    return true;
  }

  bool Error(const std::string& message) {
    messages_ += "RCC: " + message + "\n";
    error_ = true;
    return false;
  }

  const std::string& qrc_path_;
  const std::string folder_;
  const std::string_view root_;
  ResourceCollection& collection_;
  std::string& messages_;
  std::string prefix_;
  LocaleNumbers locale_;
  int added_ = 0;
  bool error_ = false;
};

}  // namespace

std::string CleanPath(std::string_view path) {
  if (path.empty()) return {};
  const bool absolute = path[0] == '/';
  std::vector<std::string_view> names;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view name = path.substr(start, end - start);
    if (name == "..") {
      if (!names.empty() && names.back() != "..") {
        names.pop_back();
      } else {
        names.push_back(name);
      }
    } else if (!name.empty() && name != ".") {
      names.push_back(name);
    }
    start = end + 1;
  }
  std::string clean = absolute ? "/" : "";
  for (size_t i = 0; i < names.size(); ++i) {
    if (i) clean += '/';
    clean += names[i];
  }
  return clean.empty() ? "." : clean;
}

std::vector<std::string> ResourcePath(std::string_view root, std::string_view prefix, std::string_view alias) {
  std::string p(prefix);
  if (p.empty() || p.front() != '/') p.insert(p.begin(), '/');
  if (p.back() != '/') p.push_back('/');
  std::string a = CleanPath(alias);
  while (a.starts_with("../")) a.erase(0, 3);
  const std::string full = CleanPath(root) + p + a;
  // Folder names that are empty are skipped; the file name, after the last
  // "/", is kept even when empty (an empty alias names such a file).
  std::vector<std::string> names;
  const size_t last_slash = full.rfind('/');
  size_t start = 0;
  while (start < last_slash) {
    const size_t end = full.find('/', start);
    if (end > start) names.push_back(full.substr(start, end - start));
    start = end + 1;
  }
  names.push_back(full.substr(last_slash + 1));
  return names;
}

bool ReadResourceList(const std::string& qrc_path, std::string_view root, ResourceCollection& collection,
                      std::string& messages) {
  std::FILE* f = OpenFile(qrc_path, false);
  if (!f) {
    messages += "RCC: Error: Cannot open '" + qrc_path + "': " + LastErrorText() + "\n";
    return false;
  }
  std::string document;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) document.append(buffer, n);
  const bool read_error = std::ferror(f) != 0;
  std::fclose(f);
  if (read_error) {
    messages += "RCC: Error: Cannot read '" + qrc_path + "'\n";
    return false;
  }
  return ListReader(qrc_path, root, collection, messages).Read(document);
}

}  // namespace rcc
