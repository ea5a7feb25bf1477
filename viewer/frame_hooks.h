#pragma once
// Four hooks through which another part of the program follows the frame
// (the conference panel steers them) without the frame knowing it.
#include <array>
#include <cstdint>

namespace kavrik {

class FrameHooks {
 public:
  enum Slot { VIEW_CHANGED = 0, FILE_LOADED = 1, FILE_CLOSED = 2, EXIT = 3 };
  using Function = void (*)(intptr_t userValue);

  void set(Slot slot, Function function, intptr_t userValue) { hooks_[slot] = {function, userValue}; }
  void clear() { hooks_ = {}; }
  bool isSet(Slot slot) const { return hooks_[slot].function != nullptr; }
  void call(Slot slot) const {
    if (hooks_[slot].function) hooks_[slot].function(hooks_[slot].userValue);
  }

 private:
  struct Hook {
    Function function = nullptr;
    intptr_t userValue = 0;
  };
  std::array<Hook, 4> hooks_{};
};

}  // namespace kavrik
