// kvx convert: reads a scene file and writes it again, re-enciphered or
// re-compressed as asked.
#include "command.h"
#include "load_errors.h"
#include "scene/scene.h"
#include "services/capture_options.h"

#include <algorithm>
#include <cstdio>

namespace kvx::tool {
namespace {

struct ConvertOptions {
  std::vector<std::string> files;
  const char* pass = nullptr;
  const char* inPass = nullptr;
  int keyBytes = 16;
  bool noCompress = false;
};

bool isDxf(const std::string& path) {
  if (path.size() < 4) return false;
  std::string extension = path.substr(path.size() - 4);
  std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return std::tolower(c); });
  return extension == ".dxf";
}

const char* saveErrorText(int result) {
  switch (result) {
    case FILE_NO_OBJECTS: return "the scene has no objects";
    case FILE_CANNOT_CIPHER: return "cannot create the file or set up its encryption";
    case FILE_IO_ERROR: return "write error (disk full?)";
    default: return "cannot write the file";
  }
}

int run(const std::vector<std::string>& args) {
  ConvertOptions options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool takesValue = arg == "--pass" || arg == "--in-pass" || arg == "--key-bytes";
    if (takesValue && i + 1 == args.size()) return usageError(arg + " needs a value");
    if (arg == "--pass") {
      options.pass = args[++i].c_str();
    } else if (arg == "--in-pass") {
      options.inPass = args[++i].c_str();
    } else if (arg == "--key-bytes") {
      const std::string& value = args[++i];
      if (value != "16" && value != "7") return usageError("--key-bytes is 16 or 7");
      options.keyBytes = std::stoi(value);
    } else if (arg == "--no-compress") {
      options.noCompress = true;
    } else if (arg.starts_with("--")) {
      return usageError("unknown option '" + arg + "'");
    } else {
      options.files.push_back(arg);
    }
  }
  if (options.files.size() != 2) return usageError("convert needs IN and OUT");
  const std::string& in = options.files[0];
  const std::string& out = options.files[1];
  if (isDxf(out)) {
    std::fprintf(stderr, "kvx convert: DXF output is not available in this build\n");
    return EXIT_FAILED;
  }

  resetCaptureOptions();
  scene s;
  std::unique_ptr<CutBox> cutBox;
  std::unique_ptr<kvx_CutPlane> cutPlane;
  const int32_t read = s.Read(in.c_str(), options.inPass, nullptr, nullptr, &cutBox, &cutPlane, false);
  if (read <= FILE_NEEDS_PASS) {
    std::fprintf(stderr, "kvx convert: %s: %s\n", in.c_str(), loadErrorText(read).c_str());
    return EXIT_FAILED;
  }
  setCaptureOption(CaptureOption::DONTCOMPRESSKVXFILE, options.noCompress);
  const kvx_CryptoDesc crypto = {options.pass, options.keyBytes};
  const int32_t written = s.Write(out.c_str(), &crypto, 0, false, nullptr, cutBox.get(), cutPlane.get());
  if (written <= FILE_NEEDS_PASS) {
    std::fprintf(stderr, "kvx convert: %s: %s\n", out.c_str(), saveErrorText(written));
    return EXIT_FAILED;
  }
  return EXIT_OK;
}

const Registrar registrar({"convert", "IN OUT [--pass P] [--key-bytes 16|7] [--no-compress] [--in-pass P]",
                           "read a scene file and write it again, enciphered or stored as asked", run});

}  // namespace
}  // namespace kvx::tool
