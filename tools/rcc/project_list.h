#pragma once
// Project mode: the resource list of every file under the current folder.

#include <string>
#include <vector>

namespace rcc {

// The files under the current folder as "./folder/name", in the reference's
// order: each folder's entries, in the file system's order, sorted by name
// ignoring case with std::sort (so entries equal but for case come out as
// that sort leaves them), a sub-folder's files listed in its place. Hidden entries, links and empty folders are left out.
// `also_present` names a file (relative to the current folder, "/"
// separated) to list as if it existed: the output file, which the reference
// creates before it looks. Returns false with a message on an unreadable folder.
bool ListProjectFiles(const std::string& also_present, std::vector<std::string>& files, std::string& messages);

// The list text: <!DOCTYPE RCC>, one qresource, one file element per file,
// names written as they are (the reference does not escape them).
std::string ProjectListText(const std::vector<std::string>& files);

// `target` relative to the current folder ("/" separated), or "" when it lies
// outside it.
std::string PathInsideCurrentFolder(const std::string& target);

}  // namespace rcc
