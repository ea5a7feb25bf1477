// kvx convert: reads a scene file and writes it again, re-enciphered or
// re-compressed as asked. Models in other formats are imported, and a
// scene can be written as OBJ, STL, PLY or glTF.
#include "command.h"
#include "exchange/exchange_interface.h"
#include "file_checks.h"
#include "format/dxf_export.h"
#include "progress_bar.h"
#include "scene/scene_export.h"
#include "scene/scene.h"
#include "services/capture_options.h"

#include <malloc.h>

#include <algorithm>
#include <climits>
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

bool hasExtension(const std::string& path, const std::string& extension) {
  if (path.size() < extension.size()) return false;
  std::string tail = path.substr(path.size() - extension.size());
  std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::tolower(c); });
  return tail == extension;
}

bool isDxf(const std::string& path) { return hasExtension(path, ".dxf"); }

// One of the formats the exchange library writes ("*.obj;*.stl;...").
bool isModelOutput(const std::string& path) {
  std::string patterns = kvx_ExchangeExtensions(KVX_EXCHANGE_WRITE);
  for (size_t start = 0; start < patterns.size();) {
    size_t end = patterns.find(';', start);
    if (end == std::string::npos) end = patterns.size();
    const std::string pattern = patterns.substr(start, end - start);
    if (pattern.starts_with("*") && hasExtension(path, pattern.substr(1))) return true;
    start = end + 1;
  }
  return false;
}
bool isKvx(const std::string& path) { return hasExtension(path, ".kvx"); }

// A conversion runs in stages (the model, our scene, the payload, its
// deflated copy), each freeing much of what the one before filled. Kept in
// the heap, freed memory serves the next stage; handed back to the system,
// every stage faults in fresh zeroed pages instead (a 4M-triangle import
// spent about 5-10 % more CPU time so). The price is about 15 % more at the
// peak, well below what the import needs anyway.
void keepFreedMemoryForReuse() {
  mallopt(M_MMAP_THRESHOLD, 32 << 20);  // the largest glibc accepts
  mallopt(M_TRIM_THRESHOLD, INT_MAX);
}

// Reads IN: a scene file, or any model Assimp knows. False after telling why.
bool readInput(const std::string& in, const ConvertOptions& options, scene& s, std::unique_ptr<CutBox>& cutBox,
               std::unique_ptr<kvx_CutPlane>& cutPlane) {
  if (!isKvx(in)) {
    char error[512];
    if (kvx_ExchangeImport(in.c_str(), &s, error, sizeof error) == 0) return true;
    std::fprintf(stderr, "kvx convert: %s: %s\n", in.c_str(), error);
    return false;
  }
  const ProgressBar bar("reading", standardErrorIsTerminal());
  const int32_t read =
      s.Read(in.c_str(), options.inPass, nullptr, ProgressBar::report, &cutBox, &cutPlane, false);
  if (read > FILE_NEEDS_PASS) return true;
  std::fprintf(stderr, "kvx convert: %s: %s\n", in.c_str(), readProblem(read, "--in-pass").c_str());
  return false;
}

// Every triangle as a 3DFACE of a DXF file.
int exportDxf(const scene& s, const std::string& out) {
  kvx_Scene* triangles = exportTriangles(s);
  const bool written = triangles && writeDxf(*triangles, out);
  kvx_FreeScene(triangles);
  if (written) return EXIT_OK;
  std::fprintf(stderr, "kvx convert: %s: cannot write the DXF file\n", out.c_str());
  return EXIT_FAILED;
}

// Writes the scene as a model for other tools. A password-protected scene
// is not handed out unprotected.
int exportScene(const scene& s, const std::string& out) {
  if (s.readPassword || s.writePassword) {
    std::fprintf(stderr, "kvx convert: %s: the scene is protected by a password and is not exported\n", out.c_str());
    return EXIT_FAILED;
  }
  if (isDxf(out)) return exportDxf(s, out);
  char error[512];
  if (kvx_ExchangeExport(&s, out.c_str(), error, sizeof error) == 0) return EXIT_OK;
  std::fprintf(stderr, "kvx convert: %s: %s\n", out.c_str(), error);
  return EXIT_FAILED;
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
  const bool exporting = isModelOutput(out) || isDxf(out);
  if (!exporting && !isKvx(out))
    return usageError("convert cannot write '" + out + "': OUT ends in .kvx, .obj, .stl, .ply, .gltf, .glb or .dxf");
  if (exporting && (options.pass || options.noCompress))
    return usageError("--pass and --no-compress apply to scene file output only");
  if (!isKvx(in) && options.inPass) return usageError("--in-pass applies to scene file input only");

  if (auto problem = outputFolderProblem(out)) {
    std::fprintf(stderr, "kvx convert: cannot write %s: %s\n", out.c_str(), problem->c_str());
    return EXIT_FAILED;
  }
  resetCaptureOptions();
  keepFreedMemoryForReuse();
  scene s;
  std::unique_ptr<CutBox> cutBox;
  std::unique_ptr<kvx_CutPlane> cutPlane;
  if (!readInput(in, options, s, cutBox, cutPlane)) return EXIT_FAILED;
  if (exporting) return exportScene(s, out);
  setCaptureOption(CaptureOption::DONTCOMPRESSKVXFILE, options.noCompress);
  const kvx_CryptoDesc crypto = {options.pass, options.keyBytes};
  int32_t written = 0;
  {
    const ProgressBar bar("writing", standardErrorIsTerminal());
    written = s.Write(out.c_str(), &crypto, 0, false, ProgressBar::report, cutBox.get(), cutPlane.get());
  }
  if (written <= FILE_NEEDS_PASS) {
    std::fprintf(stderr, "kvx convert: %s: %s\n", out.c_str(), saveErrorText(written));
    return EXIT_FAILED;
  }
  return EXIT_OK;
}

const Registrar registrar({"convert", "IN OUT [--pass P] [--key-bytes 16|7] [--no-compress] [--in-pass P]",
                           "read a scene file or a model (OBJ, STL, PLY, glTF, 3DS, COLLADA, FBX, ...) and write "
                           "it as a scene file, enciphered or stored as asked, or as .obj, .stl, .ply, .gltf, .glb or .dxf",
                           "  IN               a scene file (.kvx) or a model in a common format\n"
                           "  OUT              the file to write; its extension chooses the format: .kvx (a scene\n"
                           "                   file), .obj, .stl, .ply, .gltf, .glb or .dxf; its folder must exist\n"
                           "  --pass P         encipher the scene file with the pass phrase P\n"
                           "  --key-bytes N    key length for --pass: 16 (default) or 7\n"
                           "  --no-compress    store the scene file without compressing it\n"
                           "  --in-pass P      the pass phrase of an enciphered IN\n",
                           run});

}  // namespace
}  // namespace kvx::tool
