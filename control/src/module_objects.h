#pragma once
// The control's module: its path and the objects alive in it.
#include <string>

namespace glimmer {

void moduleObjectCreated();
void moduleObjectDestroyed();
int moduleObjectCount();
// Full path of the shared object holding this code.
std::string modulePath();

}  // namespace glimmer
