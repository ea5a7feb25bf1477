// kavrik-publish: a container that embeds Glimmer controls side by side.
#include "control_module.h"
#include "publish_args.h"
#include "publish_document.h"
#include "publish_frame.h"

#include "services/file_content.h"

#include <wx/app.h>
#include <wx/image.h>

#include <iostream>
#include <unistd.h>

namespace {

using namespace publish;

// Outlives the application object, which wxEntry deletes; -1 until known.
int exitStatus = -1;

std::string programFolder() {
  char path[4096];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  std::string full(path, static_cast<size_t>(n));
  return full.substr(0, full.find_last_of('/'));
}

class PublishApp : public wxApp {
 public:
  bool OnInit() override {
    std::vector<std::string> raw;
    for (int i = 1; i < argc; ++i) raw.push_back(argv[i].utf8_string());
    std::string error;
    const auto args = parseArgs(raw, error);
    if (!args) {
      std::cerr << "kavrik-publish: " << error << '\n' << usageText();
      exitStatus = 2;
      return false;
    }
    const std::string module = programFolder() + "/libglimmer.so";
    if (args->registerOnly || args->unregisterOnly) {
      exitStatus = 0;
      if (!ControlModule::registerModule(module, args->unregisterOnly, error)) {
        std::cerr << "kavrik-publish: " << error << '\n';
        exitStatus = 1;
      }
      return false;
    }
    std::vector<std::string> streams;
    if (!args->openDocument.empty()) {
      const auto bytes = kvx::readFileContent(args->openDocument);
      const auto decoded = bytes ? decodeDocument(*bytes, error) : std::nullopt;
      if (!decoded) {
        std::cerr << "kavrik-publish: cannot open " << args->openDocument << ": "
                  << (bytes ? error : "no such file") << '\n';
        exitStatus = 1;
        return false;
      }
      streams = *decoded;
    }
    if (!module_.load(module, error)) {
      std::cerr << "kavrik-publish: " << error << '\n';
      exitStatus = 1;
      return false;
    }
    wxInitAllImageHandlers();
    frame_ = new PublishFrame(module_, *args, streams);
    frame_->Show();
    CallAfter([this] { frame_->activateControls(); });
    return true;
  }
  int OnExit() override {
    if (frame_) exitStatus = frame_->exitCode();
    return exitStatus;
  }

 private:
  ControlModule module_;
  PublishFrame* frame_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
  wxApp::SetInstance(new PublishApp);
  const int status = wxEntry(argc, argv);
  return exitStatus >= 0 ? exitStatus : status != 0 ? 1 : 0;
}
