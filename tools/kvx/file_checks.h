#pragma once
// Messages that tell the user what to do about an input or output file,
// shared by the subcommands.
#include <optional>
#include <string>

namespace kvx::tool {

// Why OUT cannot be written before any work is done (its folder is missing
// or is not a folder), or nothing.
std::optional<std::string> outputFolderProblem(const std::string& out);

// The reason a scene file could not be read, from the reader's result; an
// enciphered file read without a pass phrase names the option that gives one.
std::string readProblem(int result, const std::string& passOption);

}  // namespace kvx::tool
