// kvx capture: runs an OpenGL program with the capture interceptor, asks
// for one frame through the file handshake and optimises the raw capture
// through the SDK object, as Kavrik does with a capture.
#include "command.h"
#include "drawing_commands.h"
#include "png_image.h"
#include "program_folder.h"
#include "platform/folders.h"
#include "scene/scene.h"
#include "services/file_content.h"
#include "services/load_errors.h"
#include "services/paths.h"

#include "kvx_sdk.h"

#include <GL/gl.h>
#include <GL/osmesa.h>
#include <dlfcn.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <thread>

namespace kvx::tool {
namespace {

namespace fs = std::filesystem;
constexpr auto kAnswerTime = std::chrono::seconds(30);

struct CaptureOptions {
  int frame = 5;
  std::string raw, reference, output;
  bool attach = false;
  std::vector<std::string> program;
};

std::optional<std::string> parse(const std::vector<std::string>& args, CaptureOptions& o) {
  size_t i = 0;
  for (; i < args.size() && args[i] != "--"; ++i) {
    const std::string& a = args[i];
    if (a == "--attach") {
      o.attach = true;
      continue;
    }
    if (a != "--frame" && a != "--raw" && a != "--reference" && a != "-o") return "unknown option " + a;
    if (i + 1 >= args.size()) return "missing value after " + a;
    const std::string& value = args[++i];
    if (a == "--frame") {
      char* end = nullptr;
      const long n = std::strtol(value.c_str(), &end, 10);
      if (value.empty() || *end || n < 1 || n > 1000000) return "bad frame number '" + value + "' (1 or more)";
      o.frame = static_cast<int>(n);
    } else if (a == "--raw") {
      o.raw = value;
    } else if (a == "--reference") {
      o.reference = value;
    } else {
      o.output = value;
    }
  }
  if (i + 1 >= args.size()) return "missing -- PROGRAM [ARGS...]";
  o.program.assign(args.begin() + i + 1, args.end());
  if (!o.attach && o.output.empty()) return "missing -o OUT.kvx";
  return std::nullopt;
}

int fail(const std::string& message) {
  std::fprintf(stderr, "kvx capture: %s\n", message.c_str());
  return EXIT_FAILED;
}

std::string interceptorPath() { return (programFolder() / "libkvx_capture.so").string(); }

std::string baseName(const std::string& program) { return fs::path(program).filename().string(); }

// Starts the program with the interceptor preloaded; -1 when it cannot start.
pid_t startProgram(const std::vector<std::string>& program, const std::map<std::string, std::string>& environment) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
  std::vector<char*> argv;
  for (const std::string& a : program) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execvp(argv[0], argv.data());
  std::fprintf(stderr, "kvx capture: cannot start %s: %s\n", argv[0], std::strerror(errno));
  _exit(127);
}

#if defined(__SANITIZE_ADDRESS__)
extern "C" void __asan_init();
#endif

// A sanitised build's interceptor needs the sanitiser's runtime loaded first.
std::string preloadWith(std::string library) {
#if defined(__SANITIZE_ADDRESS__)
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&__asan_init), &info) && info.dli_fname)
    library = std::string(info.dli_fname) + ":" + library;
#endif
  const char* existing = std::getenv("LD_PRELOAD");
  return existing && *existing ? library + ":" + existing : library;
}

void endProgram(pid_t pid) {
  kill(pid, SIGTERM);
  for (int i = 0; i < 150; ++i) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

void touch(const fs::path& path) { std::ofstream(path, std::ios::app); }

// The command file names the program on its first line; the rest is the
// installation's (a first line that is only "MATRIX1" names nobody).
std::string commandFileFor(const std::string& program, const std::optional<std::string>& installed) {
  std::string rest;
  if (installed) {
    rest = *installed;
    const size_t end = rest.find('\n');
    std::string first = rest.substr(0, end);
    while (!first.empty() && first.back() == '\r') first.pop_back();
    if (first != "MATRIX1" && first != "M.ATRIX1") rest = end == std::string::npos ? "" : rest.substr(end + 1);
  } else {
    rest = "NOCONTINUOUSCAPTURE\n";
  }
  return program + "\n" + rest;
}

// Copies what the installation has for captures into the private folder.
void prepareFilesFolder(const fs::path& folder, const std::string& program) {
  const std::optional<std::string> installed = filesFolder();
  std::optional<std::string> command;
  if (installed) {
    std::error_code ignored;
    for (const char* name : {"custom_settings.txt", "predefined_settings.txt", "diff.kvx"})
      fs::copy_file(fs::path(*installed) / name, folder / name, ignored);
    std::string appFolder = program;
    for (char& c : appFolder)
      if (c == ' ' || c == '/') c = '_';
    const fs::path pyramid = fs::path(*installed) / appFolder / "pyra.txt";
    if (fs::exists(pyramid)) {
      fs::create_directories(folder / appFolder, ignored);
      fs::copy_file(pyramid, folder / appFolder / "pyra.txt", ignored);
    }
    command = readFileContent((fs::path(*installed) / "kavrik_cmd.txt").string());
  }
  std::ofstream(folder / "kavrik_cmd.txt", std::ios::binary) << commandFileFor(program, command);
  touch(folder / "vieweron.cmd");
  touch(folder / "view2capt.cmd");
}

std::map<std::string, std::string> readStatistics(const fs::path& path) {
  std::map<std::string, std::string> values;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    const size_t space = line.find(' ');
    if (space != std::string::npos && !values.count(line.substr(0, space)))
      values[line.substr(0, space)] = line.substr(space + 1);
  }
  return values;
}

bool convertReference(const fs::path& ppm, const std::string& png, std::string& error) {
  std::ifstream in(ppm, std::ios::binary);
  std::string magic;
  int width = 0, height = 0, maxValue = 0;
  in >> magic >> width >> height >> maxValue;
  in.get();
  if (!in || magic != "P6" || width <= 0 || height <= 0 || maxValue != 255) {
    error = "the program's frame could not be read back";
    return false;
  }
  std::vector<uint8_t> rgb(size_t(width) * height * 3);
  in.read(reinterpret_cast<char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
  std::vector<uint8_t> rgba(size_t(width) * height * 4, 255);
  for (int y = 0; y < height; ++y)  // PNG rows come bottom first here
    for (int x = 0; x < width; ++x)
      std::memcpy(&rgba[(size_t(height - 1 - y) * width + x) * 4], &rgb[(size_t(y) * width + x) * 3], 3);
  return writePng(png, rgba.data(), width, height, error);
}

struct Totals {
  int objects = 0;
  long vertices = 0, triangles = 0;
};

Totals totalsOf(const std::string& path) {
  Totals t;
  scene s;
  if (s.Read(path.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr, false) <= 7) return t;
  t.objects = s.objectCount();
  for (const auto& o : s.objects) {
    t.vertices += o->geometry->vertexCount();
    t.triangles += o->geometry->triangleCount();
  }
  return t;
}

// Loads the raw capture as Kavrik does (optimisation, reference scene,
// re-projection), makes the program's view current and saves.
int optimiseCapture(const fs::path& folder, const std::string& output, int width, int height) {
  std::vector<uint8_t> pixels(size_t(width) * height * 4);
  OSMesaContext context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 8, 0, nullptr);
  if (!context || !OSMesaMakeCurrent(context, pixels.data(), GL_UNSIGNED_BYTE, width, height))
    return fail("cannot create an off-screen OpenGL context");
  kvx_SystemInfo system = {};
  kvx_FrameInfo frame = {width, height, 0, 0, 0, 0};
  kvx_ManipInfo manip = {};
  int status = EXIT_OK;
  {
    auto plugin = std::unique_ptr<kvx_GL_Plugin>(SDKInit());
    plugin->InitDisplay(&system, &frame, &manip);
    PathTable& table = paths();
    table.captureScene = (folder / "LastCapture.kvx").string();
    table.commandFile = (folder / "kavrik_cmd.txt").string();
    table.viewerToCapture = (folder / "view2capt.cmd").string();
    table.captureToViewer = (folder / "capt2view.cmd").string();
    table.viewerRunning = (folder / "vieweron.cmd").string();
    table.customSettings = (folder / "custom_settings.txt").string();
    table.predefinedSettings = (folder / "predefined_settings.txt").string();
    if (fs::exists(folder / "diff.kvx")) plugin->LoadDiffScene((folder / "diff.kvx").c_str());
    if (!plugin->LoadCapture(nullptr)) {
      status = fail("the raw capture could not be loaded");
    } else {
      for (int i = 0; i < plugin->GetNbCameras(); ++i) {
        char* name = nullptr;
        if (plugin->GetCameraName(i, &name) && std::strcmp(name, "Captured View") == 0) {
          plugin->SetCurrentCamera(i, false);
          break;
        }
      }
      const int saved = plugin->SaveFile(output.c_str(), nullptr);
      if (saved < 8) status = fail(output + ": " + loadErrorText(saved));
    }
  }
  OSMesaDestroyContext(context);
  return status;
}

volatile sig_atomic_t attachedProgram = 0;

// Ending kvx ends the program it started.
void forwardSignal(int signal) {
  if (attachedProgram > 0) kill(attachedProgram, signal);
}

int attach(const CaptureOptions& o) {
  const std::string files = installFolderCreating() + "/Files";
  ensureFolder(files);
  const pid_t pid = startProgram(o.program, {{"LD_PRELOAD", preloadWith(interceptorPath())}, {"KVX_CAPTURE_FILES", files}});
  if (pid < 0) return fail("cannot start " + o.program[0]);
  attachedProgram = pid;
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, forwardSignal);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? EXIT_OK : EXIT_FAILED;
}

int run(const std::vector<std::string>& args) {
  CaptureOptions o;
  if (auto problem = parse(args, o)) return usageError("capture: " + *problem);
  if (o.attach) return attach(o);

  const auto privateFolder = makePrivateTempFolder("kvx-capture-");
  if (!privateFolder) return fail("cannot create a private folder under " + tempFolder());
  const fs::path folder = *privateFolder;
  struct Cleanup {
    fs::path folder;
    ~Cleanup() {
      std::error_code ignored;
      fs::remove_all(folder, ignored);
    }
  } cleanup{folder};

  const std::string name = baseName(o.program[0]);
  prepareFilesFolder(folder, name);
  std::map<std::string, std::string> environment = {{"LD_PRELOAD", preloadWith(interceptorPath())},
                                                    {"KVX_CAPTURE_FILES", folder.string()},
                                                    {"KVX_CAPTURE_FRAME", std::to_string(o.frame)}};
  if (!o.reference.empty()) environment["KVX_CAPTURE_REFERENCE"] = (folder / "reference.ppm").string();
  const pid_t pid = startProgram(o.program, environment);
  if (pid < 0) return fail("cannot start " + o.program[0]);

  const auto deadline = std::chrono::steady_clock::now() + kAnswerTime;
  while (!fs::exists(folder / "capt2view.cmd")) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid)
      return fail(name + " exited before frame " + std::to_string(o.frame) + " was captured");
    if (std::chrono::steady_clock::now() > deadline) {
      endProgram(pid);
      return fail(name + " did not answer within 30 s (no frame " + std::to_string(o.frame) + " drawn)");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  endProgram(pid);

  auto stats = readStatistics(folder / "LastCapture.txt");
  if (!fs::exists(folder / "LastCapture.kvx"))
    return fail(name + " drew nothing that can be captured in frame " + std::to_string(o.frame));
  std::error_code error;
  if (!o.raw.empty() && !fs::copy_file(folder / "LastCapture.kvx", o.raw, fs::copy_options::overwrite_existing, error))
    return fail(o.raw + ": " + error.message());
  if (!o.reference.empty()) {
    std::string problem;
    if (!convertReference(folder / "reference.ppm", o.reference, problem)) return fail(o.reference + ": " + problem);
  }
  int viewport[4] = {0, 0, 0, 0};
  std::istringstream(stats["viewport"]) >> viewport[0] >> viewport[1] >> viewport[2] >> viewport[3];
  const int width = viewport[2] > 0 ? viewport[2] : 800, height = viewport[3] > 0 ? viewport[3] : 600;
  if (int status = optimiseCapture(folder, o.output, width, height); status != EXIT_OK) return status;

  const Totals result = totalsOf(o.output);
  std::printf("%s frame %d (%dx%d): raw %s draws, %s objects, %s vertices, %s triangles; result %d objects, %ld vertices, %ld triangles; %s draws skipped\n",
              name.c_str(), o.frame, width, height, stats["draws"].c_str(), stats["objects"].c_str(),
              stats["vertices"].c_str(), stats["triangles"].c_str(), result.objects, result.vertices, result.triangles,
              stats["skipped"].c_str());
  return EXIT_OK;
}

const Registrar registrar(drawingCommand("capture", run));

}  // namespace
}  // namespace kvx::tool
