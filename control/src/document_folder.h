#pragma once
// Files written on behalf of documents (downloads, embedded stream bytes)
// live in one private folder of the process, made with mkdtemp under
// $TMPDIR. A URL or a stream name only ever supplies a file name inside it.
#include <optional>
#include <string>

namespace glimmer {

// The last path component of `name` (after "/" or "\"), with anything that
// could leave the folder or confuse a reader removed; "document.kvx" when
// nothing usable is left.
std::string safeDocumentName(const std::string& name);

class DocumentFolder {
 public:
  // The process's folder, created on first use; nothing when it cannot be.
  static std::optional<std::string> path();
  // A path in the folder for `name` (through safeDocumentName) that no file
  // uses yet, so that a document another control shows is never replaced.
  static std::optional<std::string> freshPath(const std::string& name);
  // Removes the folder and everything in it.
  static void removeAll();
};

}  // namespace glimmer
