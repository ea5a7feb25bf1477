#pragma once
// A frame driven by a recording stand-in for the SDK object, with prompts
// that the test answers.
#include "frame.h"
#include "prompts.h"
#include "recording_sdk.h"

#include <gtest/gtest.h>
#include <wx/app.h>

#include <deque>
#include <functional>

namespace kvx::test {

class ScriptedPrompts : public kavrik::Prompts {
 public:
  std::optional<OpenChoice> openChoice;
  std::string openedAt;  // directory the open dialog was shown at
  std::string openFilters;  // its wildcard
  std::deque<std::optional<std::string>> secrets;
  std::vector<std::string> questions;  // "caption: message"
  std::vector<std::string> errors;     // "caption: text"
  int abouts = 0;
  std::vector<std::string> pages;

  std::optional<OpenChoice> chooseFileToOpen(wxWindow*, const std::string& directory,
                                             const std::string& wildcard) override {
    openedAt = directory;
    openFilters = wildcard;
    return openChoice;
  }
  std::optional<std::string> askSecret(wxWindow*, const std::string& message, const std::string& caption) override {
    questions.push_back(caption + ": " + message);
    if (secrets.empty()) return std::nullopt;
    auto answer = secrets.front();
    secrets.pop_front();
    return answer;
  }
  std::deque<std::optional<std::string>> texts;  // answers to askText
  std::vector<std::string> presets;               // what askText was preset with
  std::optional<std::string> askText(wxWindow*, const std::string& message, const std::string& caption,
                                     const std::string& preset) override {
    questions.push_back(caption + ": " + message);
    presets.push_back(preset);
    if (texts.empty()) return std::nullopt;
    auto answer = texts.front();
    texts.pop_front();
    return answer;
  }
  void showError(wxWindow*, const std::string& text, const std::string& caption) override {
    errors.push_back(caption + ": " + text);
  }
  void showAbout(wxWindow*) override { ++abouts; }
  void openWebPage(const std::string& address) override { pages.push_back(address); }
  std::deque<bool> confirmations;  // answers to confirm; No when empty
  std::function<void()> whileConfirming;  // what happens while the box is up
  bool confirm(wxWindow*, const std::string& message, const std::string& caption) override {
    questions.push_back(caption + ": " + message);
    if (whileConfirming) whileConfirming();
    if (confirmations.empty()) return false;
    const bool answer = confirmations.front();
    confirmations.pop_front();
    return answer;
  }
  std::deque<std::optional<std::string>> saveChoices;  // answers to chooseFileToSave
  std::vector<std::string> saveDialogs;                 // "title|wildcard"
  std::optional<std::string> chooseFileToSave(wxWindow*, const std::string& title, const std::string&,
                                              const std::string& wildcard) override {
    saveDialogs.push_back(title + "|" + wildcard);
    if (saveChoices.empty()) return std::nullopt;
    auto answer = saveChoices.front();
    saveChoices.pop_front();
    return answer;
  }
  std::optional<SaveProtection> protection;  // the answer of askSaveProtection
  std::optional<SaveProtection> askSaveProtection(wxWindow*) override { return protection; }
  std::vector<std::string> messages;  // "caption: text"
  void showMessage(wxWindow*, const std::string& text, const std::string& caption) override {
    messages.push_back(caption + ": " + text);
  }
  std::optional<Login> login;  // the answer of askLogin
  std::optional<Login> askLogin(wxWindow*, const std::string& message, const std::string&) override {
    questions.push_back("Login: " + message);
    return login;
  }
};

// Lets pending window events run.
inline void pump() {
  for (int i = 0; i < 5; ++i) {
    wxTheApp->ProcessPendingEvents();
    wxYield();
  }
}

// Gives the X server time to answer, for changes that take a round trip
// (a new window size reaches the children only then).
inline void settle() {
  for (int i = 0; i < 20; ++i) {
    wxMilliSleep(20);
    pump();
  }
}

class FrameTest : public testing::Test {
 protected:
  void SetUp() override {
    frame = new kavrik::MyFrame(nullptr, "Tamo Kavrik", wxDefaultPosition, wxSize(640, 480),
                                [this](kavrik::SdkPluginLoader&) { return sdk = new kvx_GL_Plugin; });
    auto scripted = std::make_unique<ScriptedPrompts>();
    prompts = scripted.get();
    frame->setPrompts(std::move(scripted));
    frame->Show();
    pump();
    core().clear();
  }
  void TearDown() override {
    if (!wxTheApp->IsScheduledForDestruction(frame)) frame->Destroy();
    pump();
  }

  kvx_GL_Plugin::State& core() { return sdk->state(); }
  // Loads a file the stand-in accepts with `size` bytes.
  void loadFile(int size = 4096, const std::string& name = "/data/scenes/sample.kvx") {
    core().loadResult = size;
    ASSERT_TRUE(frame->loadFile(name));
    core().clear();
  }

  kavrik::MyFrame* frame = nullptr;
  kvx_GL_Plugin* sdk = nullptr;
  ScriptedPrompts* prompts = nullptr;
};

}  // namespace kvx::test
