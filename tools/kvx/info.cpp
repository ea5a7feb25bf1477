// kvx info: what a scene file holds, as text or as JSON.
#include "command.h"
#include "file_checks.h"
#include "json_writer.h"
#include "scene/scene.h"
#include "services/capture_options.h"

#include <cstdio>
#include <memory>

namespace kvx::tool {
namespace {

struct InfoOptions {
  bool json = false;
  bool objects = false;
  const char* pass = nullptr;
  std::string file;
};

struct LoadedFile {
  scene s;
  int32_t result = 0;
  std::unique_ptr<CutBox> cutBox;
  std::unique_ptr<kvx_CutPlane> cutPlane;
};

const char* lightKindName(int32_t kind) {
  static const char* const names[] = {"ambient", "directional", "point", "spot"};
  return kind >= 0 && kind < 4 ? names[kind] : "unknown";
}

struct Totals {
  int64_t vertices = 0;
  int64_t triangles = 0;
};

Totals totals(const scene& s) {
  Totals t;
  for (const auto& o : s.objects) {
    t.vertices += o->geometry->vertexCount();
    t.triangles += o->geometry->triangleCount();
  }
  return t;
}

void writeObject(JsonWriter& j, const SceneObject& o) {
  const geom& g = *o.geometry;
  j.beginObject();
  j.key("type").value(primTypeName(g.type));
  j.key("vertices").value(g.vertexCount());
  j.key("triangles").value(g.triangleCount());
  j.key("texture").value(o.textureName);
  j.key("perVertexColor").value(g.perVertexColor);
  const int diffuse[3] = {o.diffuse[0], o.diffuse[1], o.diffuse[2]};
  const int specular[3] = {o.specular[0], o.specular[1], o.specular[2]};
  const int ambient[3] = {o.ambient[0], o.ambient[1], o.ambient[2]};
  const int emission[3] = {o.emission[0], o.emission[1], o.emission[2]};
  j.key("diffuse").array(diffuse, 3);
  j.key("specular").array(specular, 3);
  j.key("ambient").array(ambient, 3);
  j.key("emission").array(emission, 3);
  j.key("shininess").value(o.shininess);
  j.key("smooth").value(o.smooth);
  j.key("lit").value(o.lit);
  j.key("clockwise").value(o.clockwise);
  j.key("pointSize").value(o.pointSize);
  j.key("lineWidth").value(o.lineWidth);
  const int stipple[2] = {o.lineStipplePattern, o.lineStippleFactor};
  j.key("lineStipple").array(stipple, 2);
  const int blend[3] = {o.blendSrc, o.blendDst, o.blendByte};
  j.key("blend").array(blend, 3);
  j.key("polygonOffset").array(o.polygonOffset, 2);
  j.key("repeatU").value(o.repeatU);
  j.key("repeatV").value(o.repeatV);
  j.key("envMap").value(o.envMap);
  j.key("polygonStipple").value(o.polygonStipple.has_value());
  j.key("tags").array(o.tags.data(), o.tags.size());
  j.endObject();
}

std::string json(const LoadedFile& f, bool withObjects) {
  const scene& s = f.s;
  JsonWriter j;
  j.beginObject();
  j.key("result").value(f.result);
  j.key("version").value(static_cast<int>(s.fileVersion));
  j.key("sceneFlags").value(s.sceneFlags);
  const int background[3] = {s.background[0], s.background[1], s.background[2]};
  j.key("background").array(background, 3);
  j.key("authorStamp").beginArray();
  for (const std::string& field : s.authorStamp) j.value(field);
  j.endArray();
  j.key("readPassword").value(s.readPassword);
  j.key("writePassword").value(s.writePassword);
  const Totals t = totals(s);
  j.key("objects").value(s.objectCount());
  j.key("vertices").value(t.vertices);
  j.key("triangles").value(t.triangles);
  j.key("bounds").array(s.bounds.v, 6);
  j.key("lights").beginArray();
  for (const auto& light : s.lights) {
    const int colour[3] = {light->r, light->g, light->b};
    j.beginObject().key("kind").value(lightKindName(light->kind)).key("color").array(colour, 3).endObject();
  }
  j.endArray();
  j.key("textures").beginArray();
  for (const auto& [name, texture] : s.textures.entries()) {
    j.beginObject().key("name").value(name);
    j.key("width").value(static_cast<int>(texture->width)).key("height").value(static_cast<int>(texture->height));
    j.key("format").value(texture->internalFormat).endObject();
  }
  j.endArray();
  j.key("views").beginArray();
  for (const SceneView& v : s.views) {
    j.beginObject().key("name").value(v.name).key("annotation").value(v.text);
    j.key("eye").array(v.camera + CAM_EYE, 3).key("target").array(v.camera + CAM_TARGET, 3);
    j.key("fov").value(v.camera[CAM_FOV]).key("pan").array(v.camera + CAM_PAN_X, 2);
    j.key("rotation").array(v.rotation, 4).endObject();
  }
  j.endArray();
  j.key("currentView").value(s.currentView);
  j.key("cutPlane");
  if (f.cutPlane) {
    j.beginObject().key("plan").value(static_cast<int>(f.cutPlane->plan));
    j.key("inverted").value(f.cutPlane->inverted).key("position").value(f.cutPlane->position);
    j.key("transparent").value(f.cutPlane->transparent).endObject();
  } else {
    j.null();
  }
  j.key("cutBox");
  if (f.cutBox)
    j.array(f.cutBox->data(), 6);
  else
    j.null();
  if (withObjects) {
    j.key("objectList").beginArray();
    for (const auto& o : s.objects) writeObject(j, *o);
    j.endArray();
  }
  j.endObject();
  return j.text();
}

void printSummary(const LoadedFile& f, const InfoOptions& options) {
  const scene& s = f.s;
  const Totals t = totals(s);
  std::printf("File:        %s (%d bytes, version %d)\n", options.file.c_str(), f.result, s.fileVersion);
  std::printf("Author:      %s | %s | %s | %s | %s\n", s.authorStamp[0].c_str(), s.authorStamp[1].c_str(),
              s.authorStamp[2].c_str(), s.authorStamp[3].c_str(), s.authorStamp[4].c_str());
  std::printf("Objects:     %d (%lld vertices, %lld triangles)\n", s.objectCount(),
              static_cast<long long>(t.vertices), static_cast<long long>(t.triangles));
  const float* b = s.bounds.v;
  std::printf("Bounds:      x %g..%g  y %g..%g  z %g..%g\n", b[0], b[1], b[2], b[3], b[4], b[5]);
  std::printf("Background:  %d %d %d\n", s.background[0], s.background[1], s.background[2]);
  std::printf("Scene flags: 0x%x%s\n", s.sceneFlags, (s.sceneFlags & SCENE_RAW_CAPTURE) ? " (raw capture)" : "");
  std::printf("Lights:      %zu", s.lights.size());
  for (const auto& light : s.lights) std::printf(" %s", lightKindName(light->kind));
  std::printf("\nTextures:    %zu", s.textures.size());
  for (const auto& [name, texture] : s.textures.entries())
    std::printf(" %u(%dx%d)", name, texture->width, texture->height);
  std::printf("\nViews:       %zu (current %d)\n", s.views.size(), s.currentView);
  for (const SceneView& v : s.views)
    std::printf("  \"%s\"%s%s\n", v.name.c_str(), v.text.empty() ? "" : ": ", v.text.c_str());
  std::printf("Passwords:   read %s, write %s\n", s.readPassword ? "yes" : "no", s.writePassword ? "yes" : "no");
  if (f.cutPlane)
    std::printf("Cut plane:   plan %d at %g%s%s\n", static_cast<int>(f.cutPlane->plan), f.cutPlane->position,
                f.cutPlane->inverted ? ", inverted" : "", f.cutPlane->transparent ? ", transparent" : "");
  if (!options.objects) return;
  for (int32_t i = 0; i < s.objectCount(); ++i) {
    const SceneObject& o = *s.objects[i];
    std::printf("  #%d %s: %d vertices, %d triangles, diffuse %d %d %d%s%s%s\n", i, primTypeName(o.geometry->type),
                o.geometry->vertexCount(), o.geometry->triangleCount(), o.diffuse[0], o.diffuse[1], o.diffuse[2],
                o.textureName ? " (Tex)" : "", o.smooth ? "" : " (Flat)", o.lit ? "" : " (Unlit)");
  }
}

int run(const std::vector<std::string>& args) {
  InfoOptions options;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--json") {
      options.json = true;
    } else if (args[i] == "--objects") {
      options.objects = true;
    } else if (args[i] == "--pass") {
      if (++i == args.size()) return usageError("--pass needs a pass phrase");
      options.pass = args[i].c_str();
    } else if (args[i].starts_with("--")) {
      return usageError("unknown option '" + args[i] + "'");
    } else if (options.file.empty()) {
      options.file = args[i];
    } else {
      return usageError("only one FILE, please");
    }
  }
  if (options.file.empty()) return usageError("info needs a FILE");

  resetCaptureOptions();
  LoadedFile f;
  f.result = f.s.Read(options.file.c_str(), options.pass, nullptr, nullptr, &f.cutBox, &f.cutPlane, false);
  const bool loaded = f.result > FILE_NEEDS_PASS;
  if (!loaded) std::fprintf(stderr, "kvx info: %s: %s\n", options.file.c_str(), readProblem(f.result, "--pass").c_str());
  if (options.json)
    std::printf("%s\n", json(f, options.objects).c_str());
  else if (loaded)
    printSummary(f, options);
  return loaded ? EXIT_OK : EXIT_FAILED;
}

const Registrar registrar({"info", "[--json] [--objects] [--pass PHRASE] FILE",
                           "print what a scene file holds (summary, or JSON with --json)",
                           "  FILE            the scene file to describe\n"
                           "  --json          print JSON instead of the summary\n"
                           "  --objects       list every object (colours, primitive, counts)\n"
                           "  --pass PHRASE   the pass phrase of an enciphered file\n",
                           run});

}  // namespace
}  // namespace kvx::tool
