#pragma once
// The interceptor's side of the file handshake: at each frame boundary it
// looks for the viewer's request, captures the next whole frame, writes the
// raw capture and the notice.
#include "gl_state.h"

namespace kvx::capture {

class FrameRecorder;

// The recorder of the frame being captured, or null.
FrameRecorder* activeRecorder();

enum class Boundary { Swap, Clear, Flush, DrawBuffer };
// Called before the boundary call is forwarded. Glclear, glFlush/glFinish
// and glDrawBuffer count only when their toggle option is on.
void frameBoundary(ContextState& s, Boundary kind);
// A context became current: a request for the very first frame is looked at.
void contextMadeCurrent(ContextState& s);

// A call the interceptor cannot capture; counted and reported.
void countUnsupported(const char* what);

// TRACEOGL: one line per intercepted call.
bool tracing();
void traceLine(const char* text);

}  // namespace kvx::capture
