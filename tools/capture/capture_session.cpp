#include "capture_session.h"

#include "frame_recorder.h"
#include "interceptor_options.h"
#include "platform/folders.h"
#include "real_functions.h"
#include "reference_frame.h"
#include "services/paths.h"

#include <errno.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace kvx::capture {
namespace {

bool on(const OptionSet& options, CaptureOption option) { return options[static_cast<size_t>(option)]; }

// The name the program was started by, as the capture settings list it
// (a link's name, not its target's).
std::string programName() { return program_invocation_short_name; }

// The Files folder: KVX_CAPTURE_FILES (set by `kvx capture`), else the
// installation's. Empty when there is none: the interceptor then only forwards.
std::string findFilesFolder() {
  std::string folder;
  if (const char* given = std::getenv("KVX_CAPTURE_FILES"); given && *given)
    folder = given;
  else if (auto installed = filesFolder())
    folder = *installed;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

void touch(const std::string& path) {
  if (FILE* file = std::fopen(path.c_str(), "a")) std::fclose(file);
}

RecorderOptions recorderOptions(const OptionSet& o) {
  RecorderOptions r;
  if (on(o, CaptureOption::DONTUSEMATRIX))
    r.placement = Placement::Object;
  else if (on(o, CaptureOption::MATRIX2) && !on(o, CaptureOption::MATRIX1))
    r.placement = Placement::World;
  r.noTexture = on(o, CaptureOption::NOTEXTURE);
  r.noPoints = on(o, CaptureOption::NOPOINTS);
  r.noWireframe = on(o, CaptureOption::NOWIREFRAME);
  r.linesAsSolid = on(o, CaptureOption::CAPTURELINEASSOLID);
  return r;
}

struct Session {
  std::mutex mutex;
  bool started = false;
  std::string files;
  std::string program = programName();
  OptionSet options{};
  long frame = 0;       // frames finished
  long firstFrame = 1;  // the earliest frame a request may capture
  std::unique_ptr<FrameRecorder> recorder;
  long capturedFrame = 0;
  int framesLeft = 0;
  std::map<std::string, int> unsupported;
  FILE* trace = nullptr;
  bool traceAll = false;

  void start() {
    started = true;
    files = findFilesFolder();
    if (const char* first = std::getenv("KVX_CAPTURE_FRAME")) firstFrame = std::max(1L, std::atol(first));
    if (!files.empty()) loadOptions();
  }

  void loadOptions() {
    options = loadInterceptorOptions(files, program);
    const bool wantTrace = on(options, CaptureOption::TRACEOGL) || on(options, CaptureOption::TRACEONLYCAPTURE);
    traceAll = on(options, CaptureOption::TRACEOGL) && !on(options, CaptureOption::TRACEONLYCAPTURE);
    if (wantTrace && !trace) trace = std::fopen((stateFolder() + "kvx_capture_trace.txt").c_str(), "w");
  }

  bool toggleOn(Boundary kind) const {
    switch (kind) {
      case Boundary::Swap: return true;
      case Boundary::Clear: return on(options, CaptureOption::TOGGLEONCLEAR);
      case Boundary::Flush: return on(options, CaptureOption::TOGGLEONFLUSH);
      case Boundary::DrawBuffer: return on(options, CaptureOption::TOGGLEONDRAWBUFFER);
    }
    return false;
  }

  void poll() {
    if (recorder || files.empty() || frame + 1 < firstFrame) return;
    if (!exists(files + "vieweron.cmd") || !exists(files + "view2capt.cmd")) return;
    loadOptions();
    // Continuous capture keeps the request and captures again once the
    // viewer has taken the previous result.
    const bool continuous = !on(options, CaptureOption::NOCONTINUOUSCAPTURE);
    if (continuous && exists(files + "capt2view.cmd")) return;
    if (!continuous) unlink((files + "view2capt.cmd").c_str());
    framesLeft = on(options, CaptureOption::SIX_CAPTURES) ? 6 : on(options, CaptureOption::TWO_CAPTURES) ? 2 : 1;
    recorder = std::make_unique<FrameRecorder>(recorderOptions(options));
    unsupported.clear();
    capturedFrame = frame + 1;
  }

  void report(const CaptureCounts& counts, FILE* out) {
    if (!out || (counts.skippedTotal() == 0 && unsupported.empty())) return;
    std::fprintf(out, "kvx_capture: frame %ld of %s: %d draws captured, %d skipped (%d by options, %d with vertex buffers, %d with shader programs)",
                 capturedFrame, program.c_str(), counts.draws, counts.skippedTotal(), counts.skipped[0], counts.skipped[1],
                 counts.skipped[2]);
    if (!unsupported.empty()) {
      std::fprintf(out, "; not captured:");
      for (const auto& [what, n] : unsupported) std::fprintf(out, " %s (%d)", what.c_str(), n);
    }
    std::fprintf(out, "\n");
    std::fflush(out);
  }

  void finish(ContextState& s, bool atSwap) {
    if (atSwap) {
      if (const char* reference = std::getenv("KVX_CAPTURE_REFERENCE")) saveReferenceFrame(s, reference);
    }
    scene capture;
    int viewport[4] = {0, 0, 0, 0};
    recorder->fillScene(capture, *s.shared, viewport);
    const CaptureCounts counts = recorder->counts();
    recorder.reset();
    for (size_t i = 0; i < options.size(); ++i) setCaptureOption(static_cast<CaptureOption>(i), options[i]);
    const std::string result = files + "LastCapture.kvx";
    const int32_t written = capture.Write(result.c_str(), nullptr, 0, false, nullptr, nullptr, nullptr);
    if (written <= 7) unlink(result.c_str());
    long vertices = 0, triangles = 0;
    for (const auto& object : capture.objects) {
      vertices += object->geometry->vertexCount();
      triangles += object->geometry->triangleCount();
    }
    if (FILE* stats = std::fopen((files + "LastCapture.txt").c_str(), "w")) {
      std::fprintf(stats, "program %s\nframe %ld\nwritten %d\ndraws %d\nobjects %d\nvertices %ld\ntriangles %ld\nskipped %d\nviewport %d %d %d %d\n",
                   program.c_str(), capturedFrame, written, counts.draws, capture.objectCount(), vertices, triangles,
                   counts.skippedTotal(), viewport[0], viewport[1], viewport[2], viewport[3]);
      for (const auto& [what, n] : unsupported) std::fprintf(stats, "unsupported %d %s\n", n, what.c_str());
      std::fclose(stats);
    }
    if (written <= 7) std::fprintf(stderr, "kvx_capture: frame %ld of %s: nothing captured (error %d)\n", capturedFrame, program.c_str(), written);
    report(counts, stderr);
    report(counts, trace);
    touch(files + "capt2view.cmd");
  }
};

Session& session() {
  static auto* s = new Session;  // never destroyed: wrappers may run during exit
  return *s;
}

std::atomic<FrameRecorder*> active{nullptr};
std::atomic<bool> traceOn{false};

void publish(Session& s) {
  active.store(s.recorder.get());
  traceOn.store(s.trace && (s.traceAll || s.recorder));
}

}  // namespace

FrameRecorder* activeRecorder() { return active.load(std::memory_order_relaxed); }

void frameBoundary(ContextState& state, Boundary kind) {
  Session& s = session();
  std::lock_guard lock(s.mutex);
  if (!s.started) s.start();
  if (!s.toggleOn(kind)) return;
  if (s.recorder && --s.framesLeft <= 0) s.finish(state, kind == Boundary::Swap);
  ++s.frame;
  s.poll();
  publish(s);
}

void contextMadeCurrent(ContextState&) {
  Session& s = session();
  std::lock_guard lock(s.mutex);
  if (s.started) return;
  s.start();
  s.poll();
  publish(s);
}

void countUnsupported(const char* what) {
  Session& s = session();
  std::lock_guard lock(s.mutex);
  if (s.recorder) ++s.unsupported[what];
}

bool tracing() { return traceOn.load(std::memory_order_relaxed); }

void traceLine(const char* text) {
  Session& s = session();
  std::lock_guard lock(s.mutex);
  if (s.trace) std::fprintf(s.trace, "%ld %s\n", s.frame + 1, text);
}

}  // namespace kvx::capture
