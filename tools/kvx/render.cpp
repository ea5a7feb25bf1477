// kvx render: draws one frame of a scene file off-screen and writes a PNG.
#include "command.h"
#include "drawing_commands.h"
#include "file_checks.h"
#include "imported_scene_file.h"
#include "progress_bar.h"
#include "png_image.h"

#include "kvx_sdk.h"

#include <GL/gl.h>
#include <GL/osmesa.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace kvx::tool {
namespace {

constexpr int kMaxSide = 16384;

struct RenderOptions {
  std::string input, output, passPhrase;
  int width = 800, height = 600;
  std::string view = "camera";
};

std::optional<std::pair<int, int>> parseSize(const std::string& text) {
  int w = 0, h = 0;
  char extra = 0;
  if (std::sscanf(text.c_str(), "%dx%d%c", &w, &h, &extra) != 2) return std::nullopt;
  if (w < 1 || h < 1 || w > kMaxSide || h > kMaxSide) return std::nullopt;
  return std::pair{w, h};
}

const std::map<std::string, int>& viewNames() {
  static const std::map<std::string, int> names = {
      {"fit", -1},
      {"left", kvx_BaseSDK::VIEW_LEFT},
      {"right", kvx_BaseSDK::VIEW_RIGHT},
      {"front", kvx_BaseSDK::VIEW_FRONT},
      {"back", kvx_BaseSDK::VIEW_BACK},
      {"top", kvx_BaseSDK::VIEW_TOP},
      {"bottom", kvx_BaseSDK::VIEW_BOTTOM},
      {"camera", kvx_BaseSDK::VIEW_CAMERA},
  };
  return names;
}

// Returns a usage message, or nothing when the arguments are fine.
std::optional<std::string> parse(const std::vector<std::string>& args, RenderOptions& o) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "-o" || a == "--size" || a == "--view" || a == "--pass") {
      if (!hasValue) return "missing value after " + a;
      const std::string& value = args[++i];
      if (a == "-o") {
        o.output = value;
      } else if (a == "--pass") {
        o.passPhrase = value;
      } else if (a == "--view") {
        if (!viewNames().count(value)) return "unknown view '" + value + "'";
        o.view = value;
      } else {
        auto size = parseSize(value);
        if (!size) return "bad size '" + value + "' (WIDTHxHEIGHT, 1 to 16384 each)";
        o.width = size->first, o.height = size->second;
      }
    } else if (!a.empty() && a[0] == '-') {
      return "unknown option " + a;
    } else if (o.input.empty()) {
      o.input = a;
    } else {
      return "more than one input file";
    }
  }
  if (o.input.empty()) return "missing input file";
  if (o.output.empty()) return "missing -o OUT.png";
  return std::nullopt;
}

struct OsmesaContext {
  OSMesaContext context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 8, 0, nullptr);
  ~OsmesaContext() {
    if (context) OSMesaDestroyContext(context);
  }
};

int fail(const std::string& message) {
  std::fprintf(stderr, "kvx render: %s\n", message.c_str());
  return EXIT_FAILED;
}

int run(const std::vector<std::string>& args) {
  RenderOptions o;
  if (auto problem = parse(args, o)) return usageError("render: " + *problem);
  if (auto problem = outputFolderProblem(o.output)) return fail("cannot write " + o.output + ": " + *problem);
  // A model in another format is drawn as the scene file it imports into.
  std::string importError;
  const std::optional<ImportedSceneFile> imported =
      isSceneFileName(o.input) ? std::nullopt : ImportedSceneFile::from(o.input, importError);
  if (!isSceneFileName(o.input) && !imported) return fail(o.input + ": " + importError);
  const std::string& sceneFile = imported ? imported->path() : o.input;

  std::vector<uint8_t> pixels(size_t(o.width) * o.height * 4);
  OsmesaContext gl;
  if (!gl.context || !OSMesaMakeCurrent(gl.context, pixels.data(), GL_UNSIGNED_BYTE, o.width, o.height))
    return fail("cannot create an off-screen OpenGL context");
  if (!glGetString(GL_RENDERER)) return fail("OpenGL calls do not reach the off-screen context");

  kvx_SystemInfo system = {};
  kvx_FrameInfo frame = {o.width, o.height, 0, 0, 0, 0};
  kvx_ManipInfo manip = {};
  auto plugin = std::unique_ptr<kvx_GL_Plugin>(SDKInit());
  if (!plugin) return fail("out of memory");
  plugin->InitDisplay(&system, &frame, &manip);
  int result = 0;
  {
    const ProgressBar bar("loading", standardErrorIsTerminal());
    result = plugin->LoadFileE(sceneFile.c_str(), ProgressBar::report, false, o.passPhrase.c_str());
  }
  if (result < 8) return fail(o.input + ": " + readProblem(result, "--pass"));

  // The opening transition ends on the file's view: draw that at once.
  const int view = viewNames().at(o.view);
  if (view == -1)
    plugin->ResetManip();
  else
    plugin->ViewPredefined(static_cast<kvx_BaseSDK::PredefinedView>(view));
  if (!plugin->RenderFrame()) return fail(o.input + ": nothing could be drawn (locked or empty scene)");
  glFinish();

  std::string error;
  if (!writePng(o.output, pixels.data(), o.width, o.height, error)) return fail(o.output + ": " + error);
  return EXIT_OK;
}

const Registrar registrar(drawingCommand("render", run));

}  // namespace
}  // namespace kvx::tool
