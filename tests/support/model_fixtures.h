#pragma once
// Small models in common formats, written by tests into a temporary folder.
#include "temp_env.h"

#include <array>
#include <filesystem>
#include <string>

namespace kvx::test {

// A 2 x 2 binary PPM: top row red, green; bottom row blue, white.
inline std::string checkerPpm() {
  return std::string("P6\n2 2\n255\n") + std::string("\xff\x00\x00\x00\xff\x00\x00\x00\xff\xff\xff\xff", 12);
}

// A textured unit square without normals, in a red, half transparent,
// shiny material whose texture is named `mapReference`; the checker is
// written beside the model.
inline std::filesystem::path writeTexturedObj(const std::filesystem::path& folder,
                                              const std::string& mapReference = "checker.ppm") {
  writeFile(folder / "checker.ppm", checkerPpm());
  writeFile(folder / "square.mtl",
            "newmtl paint\nKd 1 0 0\nKs 0.5 0.5 0.5\nKa 0 0 0\nNs 40\nd 0.5\nmap_Kd " + mapReference + "\n");
  writeFile(folder / "square.obj",
            "mtllib square.mtl\n"
            "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
            "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
            "usemtl paint\nf 1/1 2/2 3/3 4/4\n");
  return folder / "square.obj";
}

// One triangle placed twice, once mirrored; a camera looking down -z, one
// looking down -x; a point light and a directional one.
inline std::filesystem::path writeColladaStage(const std::filesystem::path& folder) {
  const std::filesystem::path path = folder / "stage.dae";
  writeFile(path, R"(<?xml version="1.0" encoding="utf-8"?>
<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
  <asset><unit meter="1" name="meter"/><up_axis>Y_UP</up_axis></asset>
  <library_cameras>
    <camera id="lens" name="lens"><optics><technique_common><perspective>
      <yfov>40</yfov><aspect_ratio>1.5</aspect_ratio><znear>0.1</znear><zfar>100</zfar>
    </perspective></technique_common></optics></camera>
  </library_cameras>
  <library_lights>
    <light id="bulb" name="bulb"><technique_common><point><color>1 0.5 0</color></point></technique_common></light>
    <light id="sun" name="sun"><technique_common><directional><color>1 1 1</color></directional></technique_common></light>
  </library_lights>
  <library_geometries>
    <geometry id="tri" name="tri"><mesh>
      <source id="tri-pos"><float_array id="tri-pos-array" count="9">0 0 0 1 0 0 0 1 0</float_array>
        <technique_common><accessor source="#tri-pos-array" count="3" stride="3">
          <param name="X" type="float"/><param name="Y" type="float"/><param name="Z" type="float"/>
        </accessor></technique_common></source>
      <vertices id="tri-vtx"><input semantic="POSITION" source="#tri-pos"/></vertices>
      <triangles count="1"><input semantic="VERTEX" source="#tri-vtx" offset="0"/><p>0 1 2</p></triangles>
    </mesh></geometry>
  </library_geometries>
  <library_visual_scenes>
    <visual_scene id="stage">
      <node id="Moved" name="Moved"><translate>10 0 0</translate><instance_geometry url="#tri"/></node>
      <node id="Mirrored" name="Mirrored"><translate>0 5 0</translate><scale>-1 1 1</scale><instance_geometry url="#tri"/></node>
      <node id="Front" name="Front"><translate>0 0 10</translate><instance_camera url="#lens"/></node>
      <node id="Side" name="Side"><translate>20 0 0</translate><rotate>0 1 0 90</rotate><instance_camera url="#lens"/></node>
      <node id="Bulb" name="Bulb"><translate>1 2 3</translate><instance_light url="#bulb"/></node>
      <node id="Sun" name="Sun"><rotate>1 0 0 -90</rotate><instance_light url="#sun"/></node>
    </visual_scene>
  </library_visual_scenes>
  <scene><instance_visual_scene url="#stage"/></scene>
</COLLADA>
)");
  return path;
}

// A triangle with one colour per corner.
inline std::filesystem::path writeColouredPly(const std::filesystem::path& folder) {
  const std::filesystem::path path = folder / "coloured.ply";
  writeFile(path,
            "ply\nformat ascii 1.0\nelement vertex 3\n"
            "property float x\nproperty float y\nproperty float z\n"
            "property uchar red\nproperty uchar green\nproperty uchar blue\n"
            "element face 1\nproperty list uchar int vertex_indices\nend_header\n"
            "0 0 0 255 0 0\n1 0 0 0 255 0\n0 1 0 0 0 255\n3 0 1 2\n");
  return path;
}

// Points and a polyline of two segments.
inline std::filesystem::path writePointsAndLinesObj(const std::filesystem::path& folder) {
  const std::filesystem::path path = folder / "wire.obj";
  writeFile(path, "v 0 0 0\nv 1 0 0\nv 1 1 0\np 1 2 3\nl 1 2 3\n");
  return path;
}

// A column twice as tall as it is wide, standing on the origin: up along y
// as OBJ files have it, its front (+z) red, its back blue, the rest grey.
inline std::filesystem::path writeStandingColumnObj(const std::filesystem::path& folder) {
  writeFile(folder / "column.mtl", "newmtl front\nKd 1 0 0\nnewmtl back\nKd 0 0 1\nnewmtl side\nKd 0.6 0.6 0.6\n");
  writeFile(folder / "column.obj",
            "mtllib column.mtl\n"
            "v -0.5 0 -0.25\nv 0.5 0 -0.25\nv 0.5 2 -0.25\nv -0.5 2 -0.25\n"
            "v -0.5 0 0.25\nv 0.5 0 0.25\nv 0.5 2 0.25\nv -0.5 2 0.25\n"
            "usemtl front\nf 5 6 7 8\n"
            "usemtl back\nf 2 1 4 3\n"
            "usemtl side\nf 1 5 8 4\nf 6 2 3 7\nf 8 7 3 4\nf 1 2 6 5\n");
  return folder / "column.obj";
}

// The same column standing along z, as STL files from CAD tools have it.
inline std::filesystem::path writeStandingColumnStl(const std::filesystem::path& folder) {
  const float corners[8][3] = {{-0.5f, -0.25f, 0}, {0.5f, -0.25f, 0}, {0.5f, 0.25f, 0}, {-0.5f, 0.25f, 0},
                               {-0.5f, -0.25f, 2}, {0.5f, -0.25f, 2}, {0.5f, 0.25f, 2}, {-0.5f, 0.25f, 2}};
  const int faces[6][4] = {{0, 1, 2, 3}, {4, 7, 6, 5}, {0, 4, 5, 1}, {1, 5, 6, 2}, {2, 6, 7, 3}, {3, 7, 4, 0}};
  std::string text = "solid column\n";
  auto corner = [&](int i) {
    return "vertex " + std::to_string(corners[i][0]) + " " + std::to_string(corners[i][1]) + " " +
           std::to_string(corners[i][2]) + "\n";
  };
  for (const auto& f : faces)
    for (const auto& t : {std::array{f[0], f[1], f[2]}, std::array{f[0], f[2], f[3]}})
      text += "facet normal 0 0 0\nouter loop\n" + corner(t[0]) + corner(t[1]) + corner(t[2]) + "endloop\nendfacet\n";
  writeFile(folder / "column.stl", text + "endsolid column\n");
  return folder / "column.stl";
}

inline const std::filesystem::path kAssimpModels = "/usr/share/assimp/models";

}  // namespace kvx::test
