// Every file writer under a full disk, a folder it may not write to and a
// kill in the middle of a large save: the previous file stays whole, the
// writer says it failed, and a normal failure leaves no temporary file.
#include "capture_command_file.h"
#include "capture_settings_file.h"
#include "file_size_limit.h"
#include "format/dxf_export.h"
#include "format/sample_scene.h"
#include "platform/registry_store.h"
#include "preferences.h"
#include "scene/scene.h"
#include "temp_env.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <random>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The sample scene with `objects` point clouds of 12000 points each.
void buildSceneOf(kvx::scene& s, int objects) {
  kvx::buildSampleScene(s);
  for (int i = 0; i < objects; ++i) {
    auto o = std::make_unique<kvx::SceneObject>();
    o->geometry->type = kvx::points;
    for (int k = 0; k < 12000; ++k) {
      kvx::Vertex v;
      v.x = static_cast<float>(k * 7919 % 1013) + static_cast<float>(i);
      v.y = static_cast<float>(k % 97);
      o->geometry->vertices.push_back(v);
    }
    o->geometry->rebuildTriangleTable();
    s.AddObjet(o);
  }
}

std::string sceneFileBytes(int objects) {
  const fs::path scratch = fs::temp_directory_path() / ("kvx-writer-scene-" + std::to_string(getpid()));
  kvx::scene s;
  buildSceneOf(s, objects);
  s.Write(scratch.c_str(), nullptr, 0, false, nullptr, nullptr, nullptr);
  std::string bytes = readFile(scratch);
  fs::remove(scratch);
  return bytes;
}

// A triangle soup of `triangles` triangles, freed by its owner.
struct TriangleSoup {
  explicit TriangleSoup(int triangles) : vertices(3 * triangles), indices(3 * triangles) {
    for (int i = 0; i < 3 * triangles; ++i) {
      vertices[i] = {static_cast<float>(i % 101), static_cast<float>(i % 37), static_cast<float>(i), 0, 0, 1, 0, 0, 0};
      indices[i] = i;
    }
    object = {3 * triangles, vertices.data(), triangles, indices.data()};
    scene = {1, 1, &object};
  }
  std::vector<kvx_SceneVertex> vertices;
  std::vector<int> indices;
  kvx_SceneObject object{};
  kvx_Scene scene{};
};

std::string dxfBytes(int triangles) {
  const fs::path scratch = fs::temp_directory_path() / ("kvx-writer-dxf-" + std::to_string(getpid()));
  TriangleSoup soup(triangles);
  kvx::writeDxf(soup.scene, scratch);
  std::string bytes = readFile(scratch);
  fs::remove(scratch);
  return bytes;
}

kavrik::CaptureSetting settingNamed(const std::string& name) {
  kavrik::CaptureSetting s;
  s.name = name;
  s.specialKeywords = "NOSPECIAL";
  return s;
}

struct Writer {
  const char* name;
  const char* fileName;
  // The file as it stands before the save: valid, and large where the save
  // rewrites all of it, so that a kill can land in the middle.
  std::function<std::string()> previous;
  // One save over the file at `path`; true when the writer reports success.
  std::function<bool(const std::string& path)> save;
};

const std::vector<Writer>& writers() {
  static const std::vector<Writer> table = {
      {"SceneFile", "model.kvx", [] { return sceneFileBytes(1); },
       [](const std::string& path) {
         kvx::scene s;
         buildSceneOf(s, 40);
         return s.Write(path.c_str(), nullptr, 0, false, nullptr, nullptr, nullptr) > 8;
       }},
      {"Dxf", "model.dxf", [] { return dxfBytes(10); },
       [](const std::string& path) {
         TriangleSoup soup(50000);
         return kvx::writeDxf(soup.scene, path);
       }},
      {"RegistryStore", "HKEY_CURRENT_USER",
       [] {
         std::string text;
         for (int i = 0; i < 15000; ++i)
           text += "Software\\Kavrik\\Entry" + std::to_string(i) + "\tvalue\t" + std::string(40, 'a' + i % 26) + "\n";
         return text;
       },
       [](const std::string& path) {
         setenv("KAVRIK_REGISTRY_DIR", fs::path(path).parent_path().c_str(), 1);
         return kvx::registry::setString(kvx::registry::Hive::CurrentUser, "Software\\Kavrik", "Last", "changed");
       }},
      {"Preferences", "preferences.txt",
       [] {
         std::string text;
         for (int i = 0; i < 15000; ++i) text += "key" + std::to_string(i) + "=" + std::string(40, 'a' + i % 26) + "\n";
         return text;
       },
       [](const std::string& path) { return kavrik::PreferencesStore(path).set("changed", "1"); }},
      {"CaptureSettings", "custom_settings.txt",
       [] {
         std::string text;
         for (int i = 0; i < 10000; ++i) text += kavrik::settingLine(settingNamed("Program " + std::to_string(i))) + "\n";
         return text;
       },
       [](const std::string& path) { return kavrik::storeSetting(path, settingNamed("Program new")); }},
      {"CaptureCommandFile", "kavrik_cmd.txt",
       [] {
         std::string text = kavrik::commandFileText(settingNamed("Before")) + kavrik::kKeptSectionMarker + "\n";
         for (int i = 0; i < 15000; ++i) text += "user line " + std::to_string(i) + std::string(30, 'x') + "\n";
         return text;
       },
       [](const std::string& path) { return kavrik::writeCommandFile(path, settingNamed("After")); }},
  };
  return table;
}

enum ChildVerdict { SAID_FAILED = 10, SAID_SUCCEEDED = 11, COULD_NOT_DROP = 12 };

// Runs `work` in a forked child and returns its exit status.
int inChild(const std::function<int()>& work) {
  const pid_t pid = fork();
  if (pid == 0) _exit(work());
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int saveVerdict(const Writer& writer, const fs::path& target) {
  return writer.save(target.string()) ? SAID_SUCCEEDED : SAID_FAILED;
}

std::vector<std::string> filesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class WritersUnderFailure : public testing::TestWithParam<Writer> {
 protected:
  void SetUp() override {
    folder = env.root() / "files";
    fs::create_directories(folder);
    target = folder / GetParam().fileName;
    before = GetParam().previous();
    ASSERT_FALSE(before.empty());
    writeFile(target, before);
  }

  void expectPreviousFileAloneAndWhole() {
    EXPECT_EQ(readFile(target), before) << "the previous file changed";
    EXPECT_EQ(filesIn(folder), std::vector<std::string>{GetParam().fileName}) << "a temporary file was left";
  }

  kvx::test::TempEnv env;
  fs::path folder, target;
  std::string before;
};

TEST_P(WritersUnderFailure, FullDiskKeepsThePreviousFile) {
  const int verdict = inChild([&] {
    kvx::test::FileSizeLimit full(64);
    return saveVerdict(GetParam(), target);
  });
  EXPECT_EQ(verdict, SAID_FAILED);
  expectPreviousFileAloneAndWhole();
}

TEST_P(WritersUnderFailure, ReadOnlyFolderKeepsThePreviousFile) {
  // Root ignores permissions: the child drops to an unprivileged user, who
  // may enter the folders but not write in them.
  const bool root = geteuid() == 0;
  const passwd* nobody = getpwnam("nobody");
  if (root && !nobody) GTEST_SKIP() << "no unprivileged user to drop to";
  fs::permissions(env.root(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
  fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
  if (!root) fs::permissions(folder, fs::perms::owner_write, fs::perm_options::remove);
  const int verdict = inChild([&] {
    if (root && (setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)) return int(COULD_NOT_DROP);
    return saveVerdict(GetParam(), target);
  });
  fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add);
  EXPECT_EQ(verdict, SAID_FAILED);
  expectPreviousFileAloneAndWhole();
}

// KVX_WRITER_SEED replays the kill points of a failed run.
unsigned killSeed() {
  if (const char* seed = std::getenv("KVX_WRITER_SEED")) return static_cast<unsigned>(std::strtoul(seed, nullptr, 10));
  return std::random_device{}();
}

TEST_P(WritersUnderFailure, KillDuringASaveLeavesTheOldOrTheNewFile) {
  // A complete save beside, timed, gives the new file and the kill window.
  const fs::path twin = env.root() / "twin";
  fs::create_directories(twin);
  writeFile(twin / GetParam().fileName, before);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(inChild([&] { return saveVerdict(GetParam(), twin / GetParam().fileName); }), SAID_SUCCEEDED);
  const auto window = std::chrono::steady_clock::now() - start;
  const std::string after = readFile(twin / GetParam().fileName);
  ASSERT_NE(after, before);

  const unsigned seed = killSeed();
  std::cout << "[ seed     ] KVX_WRITER_SEED=" << seed << " replays these kill points\n";
  RecordProperty("seed", std::to_string(seed));
  std::mt19937 random(seed);
  std::uniform_int_distribution<long long> point(0, std::chrono::duration_cast<std::chrono::microseconds>(window).count());
  int oldSeen = 0, newSeen = 0;
  for (int round = 0; round < 8; ++round) {
    const long long killAt = point(random);
    SCOPED_TRACE("seed " + std::to_string(seed) + ", round " + std::to_string(round) + ", kill after " +
                 std::to_string(killAt) + " us");
    const pid_t pid = fork();
    if (pid == 0) _exit(saveVerdict(GetParam(), target));
    std::this_thread::sleep_for(std::chrono::microseconds(killAt));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    const std::string now = readFile(target);
    ASSERT_TRUE(now == before || now == after) << "a torn file of " << now.size() << " bytes";
    (now == before ? oldSeen : newSeen)++;
    // The killed save's temporary file may stay; the next round starts clean.
    for (const std::string& name : filesIn(folder))
      if (name != GetParam().fileName) fs::remove(folder / name);
    writeFile(target, before);
  }
  std::cout << "[ kills    ] " << oldSeen << " left the old file, " << newSeen << " the new one\n";
}

INSTANTIATE_TEST_SUITE_P(EveryWriter, WritersUnderFailure, testing::ValuesIn(writers()),
                         [](const testing::TestParamInfo<Writer>& info) { return std::string(info.param.name); });

}  // namespace
