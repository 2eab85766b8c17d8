#include "project_list.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform.h"
#include "unicode.h"

namespace rcc {
namespace {

std::filesystem::path FromUtf8(const std::string& s) { return std::filesystem::path(std::u8string(s.begin(), s.end())); }

std::string ToUtf8(const std::filesystem::path& p) {
  const std::u8string s = p.generic_u8string();
  return std::string(s.begin(), s.end());
}

bool ListFolder(const std::string& folder, const std::string& prefix, const std::string& also_present,
                std::vector<std::string>& files, std::string& messages) {
  std::vector<DirEntry> entries;
  std::string error;
  if (!ListDirectory(folder, entries, error)) {
    messages += "RCC: Error: Cannot list folder '" + folder + "': " + error + "\n";
    return false;
  }
  std::erase_if(entries, [](const DirEntry& e) { return e.skipped || !(e.is_dir || e.is_file); });
  // The reference creates its output before listing: it appears in the list.
  const size_t slash = also_present.rfind('/');
  const std::string present_folder = slash == std::string::npos ? "" : also_present.substr(0, slash + 1);
  const std::string present_name = also_present.substr(slash == std::string::npos ? 0 : slash + 1);
  if (!also_present.empty() && present_folder == prefix && present_name[0] != '.' &&
      std::none_of(entries.begin(), entries.end(), [&](const DirEntry& e) { return e.name == present_name; })) {
    DirEntry e;
    e.name = present_name;
    e.is_file = true;
    entries.push_back(e);
  }

  std::vector<std::pair<std::u16string, const DirEntry*>> sorted;
  sorted.reserve(entries.size());
  for (const DirEntry& e : entries) sorted.emplace_back(Utf8ToUtf16(e.name), &e);
  // The reference sorts the listing with std::sort and no tie-break: names
  // equal but for case end up in the order that sort leaves them in, which
  // the same algorithm on the same input reproduces.
  std::sort(sorted.begin(), sorted.end(),
            [](const auto& a, const auto& b) { return CompareIgnoreCase(a.first, b.first) < 0; });
  for (const auto& [name16, entry] : sorted) {
    if (entry->is_dir) {
      if (!ListFolder(folder + "/" + entry->name, prefix + entry->name + "/", also_present, files, messages)) {
        return false;
      }
    } else {
      files.push_back("./" + prefix + entry->name);
    }
  }
  return true;
}

}  // namespace

bool ListProjectFiles(const std::string& also_present, std::vector<std::string>& files, std::string& messages) {
  return ListFolder(".", "", also_present, files, messages);
}

std::string ProjectListText(const std::vector<std::string>& files) {
  std::string text = "<!DOCTYPE RCC><RCC version=\"1.0\">\n<qresource>\n";
  for (const std::string& f : files) text += "<file>" + f + "</file>\n";
  text += "</qresource>\n</RCC>\n";
  return text;
}

std::string PathInsideCurrentFolder(const std::string& target) {
  std::error_code ec;
  const std::filesystem::path here = std::filesystem::current_path(ec);
  if (ec) return {};
  const std::filesystem::path absolute = std::filesystem::absolute(FromUtf8(target), ec).lexically_normal();
  if (ec) return {};
  const std::filesystem::path relative = absolute.lexically_relative(here);
  if (relative.empty() || *relative.begin() == ".." || relative == ".") return {};
  return ToUtf8(relative);
}

}  // namespace rcc
