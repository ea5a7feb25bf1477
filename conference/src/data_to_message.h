#pragma once
// Turns a message object into a frame ready to send.
#include <memory>

#include "tl_msg.h"

namespace kvx::conf {

class TlmData;

// Null when the object cannot be serialised or the frame cannot be built.
std::unique_ptr<TlMsg> dataToMessage(int type, TlmData& object);

}  // namespace kvx::conf
