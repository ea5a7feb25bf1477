// The capture interceptor end to end: real OpenGL programs under Xvfb,
// captured with `kvx capture`.
#include "run_command.h"
#include "temp_env.h"

#include "kvx_sdk.h"
#include "scene/scene.h"
#include "services/capture_options.h"
#include "services/paths.h"

#include <gtest/gtest.h>
#include <GL/osmesa.h>
#include <dlfcn.h>
#include <png.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace kvx::test {
namespace {

namespace fs = std::filesystem;

const std::string kKvx = std::string(KVX_BIN_DIR) + "/kvx";
const std::string kPrograms = KVX_TEST_BIN_DIR;

struct Summary {
  int draws = -1, objects = -1, vertices = -1, triangles = -1;
  int resultObjects = -1, resultVertices = -1, resultTriangles = -1, skipped = -1;
};

Summary parseSummary(const std::string& output) {
  Summary s;
  const size_t at = output.find("raw ");
  if (at != std::string::npos)
    std::sscanf(output.c_str() + at, "raw %d draws, %d objects, %d vertices, %d triangles; result %d objects, %d vertices, %d triangles; %d draws skipped",
                &s.draws, &s.objects, &s.vertices, &s.triangles, &s.resultObjects, &s.resultVertices,
                &s.resultTriangles, &s.skipped);
  return s;
}

// A raw capture as the interceptor wrote it: read without optimisation.
std::unique_ptr<scene> readRaw(const fs::path& path) {
  auto s = std::make_unique<scene>();
  const bool noOptim = captureOption(CaptureOption::NOOPTIM);
  setCaptureOption(CaptureOption::NOOPTIM, true);
  const int32_t result = s->Read(path.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr, false);
  setCaptureOption(CaptureOption::NOOPTIM, noOptim);
  if (result <= 7) return nullptr;
  return s;
}

struct Picture {
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;
};

Picture readPng(const std::string& path) {
  Picture p;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return p;
  image.format = PNG_FORMAT_RGBA;
  p.rgba.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, p.rgba.data(), 0, nullptr)) return {};
  p.width = static_cast<int>(image.width), p.height = static_cast<int>(image.height);
  return p;
}

// Intersection over union of the pixels that are not background (black).
double coverageIoU(const Picture& a, const Picture& b) {
  if (a.width != b.width || a.height != b.height || a.rgba.empty()) return 0;
  long both = 0, either = 0;
  for (size_t i = 0; i < a.rgba.size(); i += 4) {
    const bool inA = a.rgba[i] || a.rgba[i + 1] || a.rgba[i + 2];
    const bool inB = b.rgba[i] || b.rgba[i + 1] || b.rgba[i + 2];
    both += inA && inB;
    either += inA || inB;
  }
  return either ? double(both) / either : 0;
}

class CaptureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X server (Xvfb)";
  }

  // The installation's command file, which `kvx capture` copies.
  void installCommandFile(const std::string& keywords) {
    const std::string files = installFolderCreating() + "/Files/";
    std::ofstream(files + "kavrik_cmd.txt") << "ignored\n" << keywords;
  }

  CommandResult capture(const std::string& options, const std::string& program) {
    return runCommand(kKvx + " capture " + options + " -o " + env.path("out.kvx").string() + " -- " + program + " 2>&1");
  }

  TempEnv env;
};

TEST_F(CaptureTest, GlxgearsGivesTheSameCountsEveryRun) {
  for (int run = 0; run < 2; ++run) {
    const CommandResult r = capture("--raw " + env.path("raw.kvx").string(), "glxgears");
    ASSERT_EQ(r.status, 0) << r.output;
    const Summary s = parseSummary(r.output);
    EXPECT_EQ(s.draws, 18) << r.output;
    EXPECT_EQ(s.objects, 3);
    EXPECT_EQ(s.vertices, 1064);
    EXPECT_EQ(s.triangles, 880);
    EXPECT_EQ(s.resultObjects, 3);
    EXPECT_EQ(s.skipped, 0);
    auto result = readRaw(env.path("out.kvx"));
    ASSERT_TRUE(result);
    std::vector<int> triangles;
    for (const auto& o : result->objects) triangles.push_back(o->geometry->triangleCount());
    std::sort(triangles.begin(), triangles.end());
    ASSERT_EQ(triangles.size(), 3u);
    EXPECT_NEAR(triangles[0], 220, 10);
    EXPECT_NEAR(triangles[1], 220, 10);
    EXPECT_NEAR(triangles[2], 440, 20);
  }
}

TEST_F(CaptureTest, CapturedViewReproducesTheProgramsPicture) {
  // Eye space, and world space whose view puts the camera back.
  for (const char* keywords : {"MATRIX1\n", "M.ATRIX1\nMATRIX2\n"}) {
    installCommandFile(keywords);
    const std::string reference = env.path("reference.png").string(), drawn = env.path("drawn.png").string();
    const CommandResult r = capture("--reference " + reference, "glxgears");
    ASSERT_EQ(r.status, 0) << r.output;
    const CommandResult render = runCommand(kKvx + " render " + env.path("out.kvx").string() +
                                            " --view camera --size 300x300 -o " + drawn + " 2>&1");
    ASSERT_EQ(render.status, 0) << render.output;
    EXPECT_GE(coverageIoU(readPng(reference), readPng(drawn)), 0.99) << keywords;
  }
}

TEST_F(CaptureTest, ObjectSpaceGeometryDoesNotMoveWithTheFrame) {
  installCommandFile("DONTUSEMATRIX\n");
  std::unique_ptr<scene> frames[2];
  const int numbers[2] = {5, 3000};
  for (int i = 0; i < 2; ++i) {
    const fs::path raw = env.path("raw" + std::to_string(i) + ".kvx");
    const CommandResult r = capture("--frame " + std::to_string(numbers[i]) + " --raw " + raw.string(), "glxgears");
    ASSERT_EQ(r.status, 0) << r.output;
    frames[i] = readRaw(raw);
    ASSERT_TRUE(frames[i]);
  }
  ASSERT_EQ(frames[0]->objectCount(), frames[1]->objectCount());
  for (int k = 0; k < frames[0]->objectCount(); ++k) {
    const auto& a = frames[0]->objects[k]->geometry->vertices;
    const auto& b = frames[1]->objects[k]->geometry->vertices;
    ASSERT_EQ(a.size(), b.size());
    for (size_t v = 0; v < a.size(); ++v) {
      ASSERT_NEAR(a[v].x, b[v].x, 1e-4) << "object " << k << " vertex " << v;
      ASSERT_NEAR(a[v].y, b[v].y, 1e-4);
      ASSERT_NEAR(a[v].z, b[v].z, 1e-4);
    }
  }
}

// What the paths program draws, object by object.
struct ExpectedObject {
  int32_t type;
  int vertices;
  int triangles;
};

const ExpectedObject kPathsObjects[] = {
    {points, 3, 3},      {line, 4, 2},      {line_strip, 3, 2}, {line_loop, 4, 4},   {tri_list, 6, 2},
    {tri_strip, 5, 3},   {tri_fan, 6, 4},   {quads_list, 4, 2}, {quad_strip, 6, 4},  {polygon, 5, 3},
    {tri_list, 3, 1},    {quads_list, 4, 2}, {tri_list, 3, 1},  {tri_list, 3, 1},
    {tri_indexed, 7, 3}, {tri_fan, 5, 3},   {tri_list, 3, 1},   {quads_list, 4, 2},  {line, 2, 1},
    {line, 2, 1},        {tri_strip, 4, 2},
};

TEST_F(CaptureTest, EveryDrawingPathOfTheTestProgramIsCaptured) {
  const fs::path raw = env.path("raw.kvx");
  const CommandResult r = capture("--frame 3 --raw " + raw.string(), kPrograms + "/capture_paths 1000");
  ASSERT_EQ(r.status, 0) << r.output;
  const Summary summary = parseSummary(r.output);
  EXPECT_EQ(summary.draws, 22) << r.output;
  EXPECT_EQ(summary.skipped, 1);
  EXPECT_NE(r.output.find("1 with vertex buffers"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("glBitmap (1)"), std::string::npos) << r.output;
  auto s = readRaw(raw);
  ASSERT_TRUE(s);
  std::string types;
  for (const auto& o : s->objects)
    types += std::string(primTypeName(o->geometry->type)) + "/" + std::to_string(o->geometry->vertexCount()) + " ";
  ASSERT_EQ(s->objectCount(), static_cast<int>(std::size(kPathsObjects))) << types;
  for (int i = 0; i < s->objectCount(); ++i) {
    const geom& g = *s->objects[i]->geometry;
    EXPECT_EQ(g.type, kPathsObjects[i].type) << "object " << i;
    EXPECT_EQ(g.vertexCount(), kPathsObjects[i].vertices) << "object " << i;
    EXPECT_EQ(g.triangleCount(), kPathsObjects[i].triangles) << "object " << i;
  }
  // Eye space: gluLookAt from z = 10, the line drawn one unit to the right.
  const Vertex& point = s->objects[0]->geometry->vertices[0];
  EXPECT_NEAR(point.x, -3, 1e-4);
  EXPECT_NEAR(point.y, 2, 1e-4);
  EXPECT_NEAR(point.z, -10, 1e-4);
  EXPECT_NEAR(s->objects[1]->geometry->vertices[0].x, -3, 1e-4);
  EXPECT_EQ(s->objects[0]->pointSize, 3);
  EXPECT_GT(s->objects[1]->lineWidth, 0);
  // Lit with the material; colour material gives per-vertex colours.
  EXPECT_TRUE(s->objects[4]->lit);
  EXPECT_EQ(s->objects[4]->diffuse[0], 204);
  EXPECT_TRUE(s->objects[5]->geometry->perVertexColor);
  EXPECT_FALSE(s->objects[6]->smooth);
  // The textured quad carries the 4 x 4 image.
  const uint32_t texture = s->objects[7]->textureName;
  ASSERT_NE(texture, 0u);
  const SceneTexture* image = s->textures.find(texture);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 4);
  EXPECT_EQ(image->bitmap[0], 255);
  EXPECT_EQ(image->bitmap[6], 255);
  EXPECT_EQ(image->bitmap[(3 * 4 + 3) * 4 + 1], 255) << "the texel replaced by glTexSubImage2D";
  EXPECT_EQ(image->bitmap[(3 * 4 + 3) * 4 + 2], 0);
  // The list's array draw keeps the data of compile time (y of the apex 1, not 2).
  const auto& listed = s->objects[16]->geometry->vertices;
  EXPECT_NEAR(listed[2].y, 1, 1e-4);
  EXPECT_NEAR(listed[2].z, -10, 1e-4);
  // The redefined list is the quad.
  EXPECT_NEAR(s->objects[17]->geometry->vertices[0].x, 2, 1e-4);
  ASSERT_GE(s->views.size(), 2u);
  EXPECT_EQ(s->views.back().name, "Captured View");
  EXPECT_NEAR(s->views.back().camera[CAM_FOV], 45, 1e-3);
}

TEST_F(CaptureTest, TheFirstFrameCompilesAndExecutesItsList) {
  const CommandResult r = capture("--frame 1", kPrograms + "/capture_paths 1000");
  ASSERT_EQ(r.status, 0) << r.output;
  const Summary s = parseSummary(r.output);
  EXPECT_EQ(s.draws, 22) << r.output;
  EXPECT_EQ(s.objects, static_cast<int>(std::size(kPathsObjects)));
}

TEST_F(CaptureTest, MatrixChoicesPlaceTheVerticesAsAsked) {
  // The line is drawn at x = -4 with a translation of 1 under the camera at z = 10.
  const struct {
    const char* keywords;
    float x, z;
  } cases[] = {{"M.ATRIX1\nDONTUSEMATRIX\n", -4, 0}, {"M.ATRIX1\nMATRIX2\n", -3, 0}, {"MATRIX1\n", -3, -10}};
  for (const auto& c : cases) {
    installCommandFile(c.keywords);
    const fs::path raw = env.path("raw.kvx");
    const CommandResult r = capture("--frame 2 --raw " + raw.string(), kPrograms + "/capture_paths 1000");
    ASSERT_EQ(r.status, 0) << r.output;
    auto s = readRaw(raw);
    ASSERT_TRUE(s);
    const Vertex& v = s->objects[1]->geometry->vertices[0];
    EXPECT_NEAR(v.x, c.x, 1e-4) << c.keywords;
    EXPECT_NEAR(v.z, c.z, 1e-4) << c.keywords;
  }
}

TEST_F(CaptureTest, TheProgramsSettingsLineReachesTheInterceptor) {
  // As the settings dialog writes it: neither matrix (object space), no texture.
  const std::string files = installFolderCreating() + "/Files/";
  std::ofstream(files + "custom_settings.txt") << "capture_paths|||0|2|false|false|true|true|false|false|NOSPECIAL|\n";
  const fs::path raw = env.path("raw.kvx");
  const CommandResult r = capture("--frame 2 --raw " + raw.string(), kPrograms + "/capture_paths 1000");
  ASSERT_EQ(r.status, 0) << r.output;
  auto s = readRaw(raw);
  ASSERT_TRUE(s);
  EXPECT_NEAR(s->objects[1]->geometry->vertices[0].x, -4, 1e-4);
  EXPECT_NEAR(s->objects[1]->geometry->vertices[0].z, 0, 1e-4);
  EXPECT_EQ(s->objects[7]->textureName, 0u);
}

TEST_F(CaptureTest, OptionsLeaveOutTexturesPointsAndWireframe) {
  installCommandFile("NOTEXTURE\nNOPOINTS\nNOWIREFRAME\n");
  const fs::path raw = env.path("raw.kvx");
  const CommandResult r = capture("--frame 2 --raw " + raw.string(), kPrograms + "/capture_paths 1000");
  ASSERT_EQ(r.status, 0) << r.output;
  const Summary summary = parseSummary(r.output);
  // The points, two line draws, the line strip and loop, two listed lines, the vertex buffer.
  EXPECT_EQ(summary.skipped, 7) << r.output;
  auto s = readRaw(raw);
  ASSERT_TRUE(s);
  for (const auto& o : s->objects) {
    EXPECT_EQ(o->textureName, 0u);
    EXPECT_EQ(o->pointSize, 0);
    EXPECT_EQ(o->lineWidth, 0);
  }
  EXPECT_TRUE(s->textures.empty());
}

TEST_F(CaptureTest, TwoFrameCaptureWithItsCallTrace) {
  installCommandFile("2CAPTURES\nTRACEONLYCAPTURE\n");
  const CommandResult r = capture("--frame 2", kPrograms + "/capture_paths 1000");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(parseSummary(r.output).draws, 44) << r.output;
  std::ifstream trace(env.path("state") / "kavrik" / "kvx_capture_trace.txt");
  const std::string text{std::istreambuf_iterator<char>(trace), {}};
  EXPECT_NE(text.find("glBegin(0)"), std::string::npos);
  EXPECT_NE(text.find("glMultMatrixd("), std::string::npos) << "gluLookAt's matrix";
  EXPECT_EQ(text.find("glXCreateContext("), std::string::npos) << "only the captured frames";
}

TEST_F(CaptureTest, EveryWayOfLoadingGlIsSeen) {
  for (const char* style : {"libgl", "glvnd", "getproc", "dlopen"}) {
    const CommandResult r =
        capture("--frame 3 --raw " + env.path("raw.kvx").string(), kPrograms + "/loading_style_" + style + " 1000");
    ASSERT_EQ(r.status, 0) << style << ": " << r.output;
    const Summary s = parseSummary(r.output);
    EXPECT_EQ(s.draws, 1) << style;
    EXPECT_EQ(s.vertices, 3) << style;
    auto raw = readRaw(env.path("raw.kvx"));
    ASSERT_TRUE(raw);
    EXPECT_NEAR(raw->objects[0]->geometry->vertices[0].z, -0.5, 1e-5) << style;
  }
}

#if defined(__SANITIZE_ADDRESS__)
extern "C" void __asan_init();
#endif

// In a sanitised build the runtime must be preloaded ahead of the interceptor.
std::string sanitiserRuntime() {
#if defined(__SANITIZE_ADDRESS__)
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&__asan_init), &info) && info.dli_fname) return std::string(info.dli_fname) + ":";
#endif
  return "";
}

TEST_F(CaptureTest, AListCompiledInOneContextIsCalledFromAnotherSharingIt) {
  const CommandResult r = capture("--frame 2", kPrograms + "/loading_style_libgl 100000 shared");
  ASSERT_EQ(r.status, 0) << r.output;
  const Summary s = parseSummary(r.output);
  EXPECT_EQ(s.draws, 1) << r.output;
  EXPECT_EQ(s.vertices, 3);
}

TEST_F(CaptureTest, AProgramThatNeverSwapsIsCapturedWithAToggle) {
  installCommandFile("TOGGLEONFLUSH\n");
  const CommandResult r = capture("--frame 3", kPrograms + "/loading_style_libgl 100000 flush");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(parseSummary(r.output).draws, 1) << r.output;
}

std::string fileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST_F(CaptureTest, TheProgramDrawsTheSameFrameUnderTheInterceptor) {
  const fs::path plain = env.path("plain.ppm"), captured = env.path("captured.ppm"), files = env.path("files");
  fs::create_directories(files);
  std::ofstream(files / "vieweron.cmd");
  std::ofstream(files / "view2capt.cmd");
  const std::string program = kPrograms + "/capture_paths 3 ";
  ASSERT_EQ(runCommand(program + plain.string()).status, 0);
  const std::string preload = "LD_PRELOAD=" + sanitiserRuntime() + std::string(KVX_BIN_DIR) + "/libkvx_capture.so KVX_CAPTURE_FILES=" +
                              files.string() + " KVX_CAPTURE_FRAME=3 ";
  ASSERT_EQ(runCommand(preload + program + captured.string()).status, 0);
  EXPECT_TRUE(fs::exists(files / "capt2view.cmd"));
  EXPECT_TRUE(fs::exists(files / "LastCapture.kvx"));
  EXPECT_FALSE(fs::exists(files / "view2capt.cmd"));
  const std::string a = fileBytes(plain), b = fileBytes(captured);
  ASSERT_FALSE(a.empty());
  EXPECT_TRUE(a == b);
}

// Kavrik's flow without its window: the SDK object's handshake with a
// program started by `kvx capture --attach`.
TEST_F(CaptureTest, TheViewersRequestBringsTheAttachedProgramsFrame) {
  std::vector<uint8_t> pixels(300 * 300 * 4);
  OSMesaContext context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 8, 0, nullptr);
  ASSERT_TRUE(context && OSMesaMakeCurrent(context, pixels.data(), GL_UNSIGNED_BYTE, 300, 300));
  {
    auto plugin = std::unique_ptr<kvx_GL_Plugin>(SDKInit());
    kvx_SystemInfo system{};
    kvx_FrameInfo frame{300, 300, 0, 0, 0, 0};
    kvx_ManipInfo manip{};
    plugin->InitDisplay(&system, &frame, &manip);
    ASSERT_TRUE(plugin->EnableCapture(true));
    const pid_t pid = fork();
    if (pid == 0) {
      setsid();  // its own group, so that the program goes with it
      execl(kKvx.c_str(), "kvx", "capture", "--attach", "--", "glxgears", static_cast<char*>(nullptr));
      _exit(127);
    }
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(plugin->CaptureNow(0, nullptr));
    const std::string notice = paths().captureToViewer;
    for (int i = 0; i < 1000 && !fs::exists(notice); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(fs::exists(notice));
    EXPECT_TRUE(plugin->LoadCapture(nullptr));
    kvx_SceneInfo info{};
    plugin->GetSceneInfo(&info);
    EXPECT_EQ(info.objects, 3);
    EXPECT_TRUE(plugin->EnableCapture(false));
    EXPECT_FALSE(fs::exists(notice));
    kill(pid, SIGTERM);  // kvx passes it on to the program
    waitpid(pid, nullptr, 0);
    kill(-pid, SIGKILL);  // whatever of the group is left
  }
  OSMesaDestroyContext(context);
}

TEST_F(CaptureTest, ProgramsThatEndOrCannotStartGiveAClearError) {
  // "--help" after "--" is the program's, not kvx's.
  const CommandResult early = capture("--frame 50", kPrograms + "/loading_style_libgl 2 --help");
  EXPECT_EQ(early.status, 1);
  EXPECT_NE(early.output.find("exited before frame 50"), std::string::npos) << early.output;
  const CommandResult missing = capture("", env.path("no-such-program").string());
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.output.find("cannot start"), std::string::npos) << missing.output;
  EXPECT_EQ(runCommand(kKvx + " capture -o x.kvx 2>&1").status, 2);
}

}  // namespace
}  // namespace kvx::test
