#pragma once
// One scene object: its material and texture, its faces and its wireframe.
#include "scene/scene.h"

#include <cstdint>

namespace kvx {

// What every object of one frame is drawn with.
struct ObjectPass {
  uint8_t displayFlags = 0;
  bool noLight = false;        // the "NOLIGHT" option
  bool accelerate = true;      // mipmaps and trilinear filtering
  bool lightsOn = true;        // the automatic light or some scene light is on
  bool someLineDrawn = false;  // some object of the scene is drawn as lines
  int highlighted = -1;        // object mode: the current object
};

// The first object's texture repeat flags set the wrap of the frame.
bool isLineDrawn(const SceneObject& object);

// The material, front face, shading, lighting and texture of one object.
// Every call sets all of them: the passes between two calls may change any.
class MaterialState {
 public:
  // Sets the material and binds the texture; returns true when a texture
  // was uploaded for it.
  bool apply(scene& scene, const SceneObject& object, int index, const ObjectPass& pass);
  bool textured() const { return textured_; }

 private:
  bool textured_ = false;
};

// Each pass restores every state it changes (enables, colour, blending,
// depth, polygon mode and offset, line and point size): the wireframe must
// not switch off the texture the faces are drawn with next.
void drawFaces(const SceneObject& object, const ObjectPass& pass, bool textured);
void drawWireframe(const SceneObject& object, const ObjectPass& pass);

}  // namespace kvx
