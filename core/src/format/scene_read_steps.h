#pragma once
// The two halves of scene::Read, for readers that build on it.
#include "scene/scene.h"

namespace kvx {

// Clears the scene and loads a file into it: header, body, deciphering,
// inflating and the payload. Returns the file size or a FileResult code;
// reports progress from 0 to -1.
int32_t loadSceneFile(scene& s, const char* fileName, const char* passPhrase, ProgressFn progress);

// The steps after a successful load: raw-capture report, the NOOPTIM switch,
// special post-processing and optimisation, and handing the cutting-plane
// records to the caller (discarded without a slot).
void finishSceneRead(scene& s, bool* rawCapture, std::unique_ptr<CutBox>* cutBoxOut,
                     std::unique_ptr<kvx_CutPlane>* cutPlaneOut, bool merging);

}  // namespace kvx
