#include "tlm_messages.h"

namespace kvx::conf {

std::unique_ptr<TlmData> makeMessageObject(int type) {
  switch (type) {
    case kTlmConnectNexus: return std::make_unique<TlmConnectNexus>();
    case kTlmShout: return std::make_unique<TlmShout>();
    case kTlmWantMaster:
    case kTlmReleaseMaster:
    case kTlmNowMaster:
    case kTlmViewAck: return std::make_unique<TlmSimple>();
    case kTlmFullManipInfo: return std::make_unique<TlmFullManipInfo>();
    default: return nullptr;
  }
}

}  // namespace kvx::conf
