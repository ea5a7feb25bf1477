// Document sources of the control: URL downloads into the private folder,
// failed and stalled downloads, the persisted stream.
#include "control_fixture.h"
#include "loopback_http_server.h"

#include "memory_stream.h"
#include "stream_layout.h"
#include "text_convert.h"

#include <filesystem>

namespace kvx::test {
namespace {

using glimmer::CGlimmerObj;
namespace fs = std::filesystem;

class ControlDocuments : public ControlTest {
 protected:
  CGlimmerObj* controlShowing(const std::string& file) {
    CGlimmerObj* control = createControl();
    control->Load(bstr(file).c_str());
    EXPECT_TRUE(pumpUntil([&] { return control->currentDocument() == file; }));
    return control;
  }
  // Files in the process's private document folder.
  std::vector<std::string> privateFiles() {
    std::vector<std::string> names;
    for (const auto& dir : fs::directory_iterator(env_.root()))
      if (dir.path().filename().string().starts_with("glimmer-"))
        for (const auto& file : fs::directory_iterator(dir.path())) names.push_back(file.path().string());
    return names;
  }
  std::string saveStream(CGlimmerObj* control) {
    auto* stream = new glimmer::MemoryStream();
    EXPECT_EQ(control->Save(stream, true), glimmer::S_OK);
    std::string bytes = stream->bytes();
    stream->Release();
    return bytes;
  }
  glimmer::HRESULT loadStream(CGlimmerObj* control, const std::string& bytes) {
    auto* stream = new glimmer::MemoryStream(bytes);
    const glimmer::HRESULT hr = control->Load(stream);
    stream->Release();
    return hr;
  }
};

TEST_F(ControlDocuments, UrlDownloadsIntoThePrivateFolderWithProgressCaptions) {
  const std::string previous = sampleScene("previous.kvx");
  CGlimmerObj* control = controlShowing(previous);
  const std::string body = readFile(sampleScene("served.kvx"));
  ASSERT_GT(body.size(), 4096u);
  LoopbackHttpServer server({200, body, 4096, false, "", std::nullopt});
  control->Load(bstr(server.url("/scenes/pump.kvx")).c_str());

  ASSERT_TRUE(pumpUntil([&] { return control->downloading(); }));
  EXPECT_EQ(control->downloadCaption(), "Connecting to server...");
  screenshot(control->Window(), "control-connecting");
  server.beforeHeaders.open();
  ASSERT_TRUE(pumpUntil([&] { return control->downloadCaption() != "Connecting to server..."; }));
  EXPECT_EQ(control->downloadCaption(), "Downloading file : 4 / " + std::to_string(body.size() / 1024) + " KB");
  screenshot(control->Window(), "control-downloading");
  EXPECT_EQ(control->currentDocument(), previous) << "the previous scene stays until the download ends";
  server.beforeRest.open();

  ASSERT_TRUE(pumpUntil([&] { return !control->downloading() && control->currentDocument() != previous; }));
  EXPECT_EQ(server.requestLine(), "GET /scenes/pump.kvx HTTP/1.1");
  const fs::path shown = control->currentDocument();
  EXPECT_EQ(shown.filename(), "pump.kvx");
  EXPECT_TRUE(shown.parent_path().filename().string().starts_with("glimmer-"));
  EXPECT_EQ(shown.parent_path().parent_path(), env_.root());
  EXPECT_EQ(readFile(shown), body);
  EXPECT_TRUE(site_->messages.empty());
}

TEST_F(ControlDocuments, FailedOrStalledDownloadKeepsThePreviousSceneAndLeavesNoFile) {
  glimmer::downloadLimits().stallSeconds = 1;
  const std::string previous = sampleScene("previous.kvx");
  CGlimmerObj* control = controlShowing(previous);
  struct Case {
    const char* what;
    HttpReply reply;
  } cases[] = {
      {"not found", {404, "missing", 7, false, "", std::nullopt}},
      {"stalled half way", {200, std::string(100000, 'x'), 5000, true, "", std::nullopt}},
      {"redirected to a file", {302, "", 0, false, "Location: file:///etc/passwd\r\n", std::nullopt}},
      {"announcing a huge body", {200, std::string(1000, 'x'), 1000, false, "", "99999999999"}},
      {"sending a body past the limit unannounced", {200, std::string(300000, 'x'), 300000, false, "", ""}},
  };
  glimmer::downloadLimits().maxBytes = 200000;
  for (Case& c : cases) {
    site_->messages.clear();
    LoopbackHttpServer server(c.reply);
    server.beforeHeaders.open();
    control->Load(bstr(server.url("/broken.kvx")).c_str());
    ASSERT_TRUE(pumpUntil([&] { return !site_->messages.empty(); })) << c.what;
    EXPECT_EQ(site_->messages.front(), "kavrik publish: Could not download file !") << c.what;
    pumpFor(200);
    EXPECT_EQ(control->currentDocument(), previous) << c.what;
    EXPECT_FALSE(control->downloading());
    EXPECT_TRUE(privateFiles().empty()) << c.what << ": " << privateFiles().front();
  }
  glimmer::downloadLimits() = {};
}

// A server that sends more than it announced: the body ends where the
// announcement said, and the bytes past it never reach the file.
TEST_F(ControlDocuments, BytesPastTheAnnouncedLengthAreDropped) {
  const std::string previous = sampleScene("previous.kvx");
  CGlimmerObj* control = controlShowing(previous);
  const std::string scene = readFile(sampleScene("served.kvx"));
  const std::string excess(300000, 'x');
  for (const size_t firstPart : {scene.size() + excess.size(), size_t{100}}) {
    LoopbackHttpServer server({200, scene + excess, firstPart, false, "", std::to_string(scene.size())});
    server.beforeHeaders.open();
    server.beforeRest.open();
    control->Load(bstr(server.url("/longer.kvx")).c_str());
    ASSERT_TRUE(pumpUntil([&] { return !control->downloading() && control->currentDocument() != previous; }))
        << "first part " << firstPart;
    EXPECT_EQ(readFile(control->currentDocument()), scene) << "first part " << firstPart;
    EXPECT_TRUE(site_->messages.empty()) << site_->messages.front();
    for (const std::string& file : privateFiles()) EXPECT_EQ(readFile(file), scene) << file << " is no whole download";
    control->Load(bstr(previous).c_str());
    ASSERT_TRUE(pumpUntil([&] { return control->currentDocument() == previous; }));
  }
}

TEST_F(ControlDocuments, OnlyHttpAndHttpsAreFetched) {
  CGlimmerObj* control = controlShowing(sampleScene("previous.kvx"));
  control->Load(u"file:///etc/passwd");
  ASSERT_TRUE(pumpUntil([&] { return !site_->messages.empty(); }));
  EXPECT_EQ(site_->messages.front(), "Kavrik Publish: Could not load passwd !");
  EXPECT_FALSE(control->downloading());
  EXPECT_TRUE(privateFiles().empty());
}

TEST_F(ControlDocuments, SavedStreamEmbedsTheFileAndReopensTheSameScene) {
  const std::string file = sampleScene("embedded.kvx");
  CGlimmerObj* first = controlShowing(file);
  const std::string bytes = saveStream(first);
  const std::string content = readFile(file);
  const std::u16string name = glimmer::toUtf16(file);
  ASSERT_GT(bytes.size(), content.size());
  EXPECT_EQ(bytes.substr(0, 3), std::string("\x11\0\x03", 3));
  EXPECT_NE(bytes.find(content), std::string::npos);

  CGlimmerObj* second = createControl(410, 0);
  ASSERT_EQ(loadStream(second, bytes), glimmer::S_OK);
  ASSERT_TRUE(second->pendingDocument());
  const std::string pending = *second->pendingDocument();
  EXPECT_EQ(fs::path(pending).filename(), "embedded.kvx");
  EXPECT_EQ(readFile(pending), content);

  // Loading the same stream again before the paint keeps the first name.
  ASSERT_EQ(loadStream(second, bytes), glimmer::S_OK);
  EXPECT_EQ(*second->pendingDocument(), pending);

  ASSERT_TRUE(pumpUntil([&] { return second->currentDocument() == pending; }));
  EXPECT_EQ(picture(second), picture(first));
  // The copy of the second load did not replace the file being shown.
  EXPECT_EQ(readFile(pending), content);
}

TEST_F(ControlDocuments, EmptyNewerAndDamagedStreams) {
  CGlimmerObj* control = createControl();
  pumpUntil([&] { return !control->currentDocument().empty(); });
  const std::string shown = control->currentDocument();

  // Saved while empty: the property block only; loads as an empty control.
  glimmer::PersistedStream empty;
  auto* out = new glimmer::MemoryStream();
  glimmer::writePersistedStream(out, empty);
  EXPECT_EQ(loadStream(control, out->bytes()), glimmer::S_OK);
  out->Release();
  EXPECT_FALSE(control->pendingDocument());

  EXPECT_EQ(loadStream(control, std::string("\x11\0\x04", 3)), glimmer::S_OK);
  ASSERT_EQ(site_->messages.size(), 1u);
  EXPECT_TRUE(site_->messages[0].starts_with(
      "kavrik publish: This version of kavrik publish cannot read this file !\n\nPlease upgrade your kavrik publish "
      "ActiveX :"));
  EXPECT_FALSE(control->pendingDocument());

  const std::string damaged = std::string("\x11\0\x03", 3) + std::string("\x07\0\0\0", 4) + "abc";
  EXPECT_NE(loadStream(control, damaged), glimmer::S_OK);
  ASSERT_EQ(site_->messages.size(), 2u);
  EXPECT_TRUE(site_->messages[1].starts_with("Load(LPSTREAM): ")) << site_->messages[1];
  EXPECT_FALSE(control->pendingDocument());
  pumpFor(100);
  EXPECT_EQ(control->currentDocument(), shown);
}

}  // namespace
}  // namespace kvx::test
