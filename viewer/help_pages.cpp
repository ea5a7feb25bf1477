#include "help_pages.h"

#include "command_ids.h"
#include "preferences.h"

namespace kavrik {
namespace {

struct HelpPage {
  int command;
  const char* key;
  const char* defaultAddress;
};

constexpr HelpPage kPages[] = {
    {CMD_HELP_HOME, "helpHomePage", "https://www.tamo.example/kavrik/"},
    {CMD_HELP_SUPPORT, "helpSupportPage", "https://www.tamo.example/kavrik/support/"},
    {CMD_HELP_DOCUMENTATION, "helpDocumentationPage", "https://www.tamo.example/kavrik/downloads/"},
    {CMD_HELP_FEEDBACK, "helpFeedbackPage", "https://www.tamo.example/kavrik/feedback/"},
};

}  // namespace

std::string helpPageAddress(int command) {
  const HelpPage* page = &kPages[0];
  for (const HelpPage& candidate : kPages)
    if (candidate.command == command) page = &candidate;
  auto configured = preferences().get(page->key);
  return configured && !configured->empty() ? *configured : page->defaultAddress;
}

}  // namespace kavrik
