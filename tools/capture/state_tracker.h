#pragma once
// Follows the calls that change the context state, compiles display lists
// and replays them, and hands geometry to the recorder of a captured frame.
#include "gl_state.h"

namespace kvx::capture {

// The calling thread's current context state (a fallback one before any
// context is made current).
ContextState& currentState();
// Makes the state of `context` current on this thread; `shareWith` names a
// context whose lists and textures the new one shares.
void makeStateCurrent(const void* context);
void createState(const void* context, const void* shareWith);
void destroyState(const void* context);

// One call from the program: recorded into the list being compiled, and
// applied unless the list is only compiled.
void submit(ContextState& s, const Op& op, const Mat4* matrix = nullptr);
// Multiplies the current matrix (glTranslate, glRotate, glFrustum, ...).
void submitMatrix(ContextState& s, OpKind kind, const Mat4& matrix);

void newList(ContextState& s, uint32_t name, GLenum mode);
void endList(ContextState& s);
void deleteLists(ContextState& s, uint32_t first, int count);

// Expands a client-array draw into immediate-mode calls when it has to be
// seen: while a list is compiled (it keeps the data of that moment) or
// while a frame is captured. `indices` null means count elements from first.
void expandArrays(ContextState& s, GLenum mode, int first, int count, GLenum indexType, const void* indices);
void expandArrayElement(ContextState& s, int index);
// Sets the arrays of glInterleavedArrays.
void interleavedArrays(ContextState& s, GLenum format, int stride, const void* pointer);

// Keeps a copy of a level-0 2D texture image of the bound texture.
void storeTextureImage(ContextState& s, int width, int height, GLenum format, GLenum type, const void* pixels);
// Replaces a block of the bound texture's kept image (glTexSubImage2D).
void updateTextureImage(ContextState& s, int x, int y, int width, int height, GLenum format, GLenum type,
                        const void* pixels);

}  // namespace kvx::capture
