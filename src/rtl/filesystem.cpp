#include "rtl/filesystem.h"

#include "rtl/filenames.h"

bool ForceDirectories(const String& directory) {
  const String dir = ExcludeTrailingPathDelimiter(directory);
  if (dir.empty()) return false;
  if (DirectoryExists(dir)) return true;
  const String parent = ExtractFileDir(dir);
  // A root or drive ("C:", "/", "\\server\share") ends the recursion.
  if (!parent.empty() && parent != dir && !ForceDirectories(parent)) return false;
  return CreateDir(dir) || DirectoryExists(dir);
}
