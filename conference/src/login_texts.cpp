#include "login_texts.h"

namespace kvx::conf {
namespace {

constexpr const char* kMakerAddress = "https://www.tamo.example/kavrik/downloads/";

}  // namespace

std::string loginRefusalText(int status, bool create) {
  switch (status) {
    case 2:
      return create ? "Conference already exist. Please use 'Connect' button to retry"
                    : "Conference does not exist. Please check file hash and password or use the 'Create' button "
                      "to create a new conference";
    case 5: return std::string("Server protocol has changed. Please download a new KVX viewer from ") + kMakerAddress;
    case 6:
      return std::string(
                 "The server protocol level is older than your viewer's. Please tell the conference creator to "
                 "download a new KVX viewerfrom ") +
             kMakerAddress;
    default: return {};
  }
}

}  // namespace kvx::conf
