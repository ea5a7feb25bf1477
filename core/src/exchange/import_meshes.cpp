#include "exchange/import_meshes.h"

#include "geometry/processing.h"
#include "services/huge_pages.h"

#include <assimp/matrix3x3.h>

#include <algorithm>
#include <cmath>

#include <malloc.h>

namespace kvx {
namespace {

// Faces meeting at a sharper angle keep their own normals where the file
// has none: a box stays a box.
constexpr float kCreaseAngleDegrees = 80;

uint8_t colourByte(float c) { return static_cast<uint8_t>(std::lround(std::clamp(c, 0.0f, 1.0f) * 255)); }

class VertexMaker {
 public:
  VertexMaker(const aiMesh& mesh, const aiMatrix4x4& toWorld, unsigned uvChannel)
      : mesh_(mesh), toWorld_(toWorld), normalMatrix_(toWorld), uvChannel_(uvChannel),
        normals_(mesh.HasNormals()), uvs_(mesh.HasTextureCoords(uvChannel)), colours_(mesh.HasVertexColors(0)) {
    normalMatrix_.Inverse().Transpose();
  }

  Vertex operator()(unsigned i) const {
    Vertex v;
    const aiVector3D p = toWorld_ * mesh_.mVertices[i];
    v.x = p.x;
    v.y = p.y;
    v.z = p.z;
    if (normals_) {
      aiVector3D n = normalMatrix_ * mesh_.mNormals[i];
      if (n.SquareLength() > 0) n.Normalize();
      v.nx = n.x;
      v.ny = n.y;
      v.nz = n.z;
    }
    if (uvs_) {
      v.u = mesh_.mTextureCoords[uvChannel_][i].x;
      v.v = mesh_.mTextureCoords[uvChannel_][i].y;
    }
    if (colours_) {
      const aiColor4D& c = mesh_.mColors[0][i];
      v.r = colourByte(c.r);
      v.g = colourByte(c.g);
      v.b = colourByte(c.b);
    }
    return v;
  }

 private:
  const aiMesh& mesh_;
  aiMatrix4x4 toWorld_;
  aiMatrix3x3 normalMatrix_;
  unsigned uvChannel_;
  bool normals_, uvs_, colours_;
};

// The faces go first and, on a mesh's last use, are released before the
// vertices are made (Assimp keeps each face in an allocation of its own,
// several times the size of the table), the positions and normals once
// they are copied.
void fillTriangles(aiMesh& mesh, const VertexMaker& makeVertex, bool mirrored, bool releaseArrays, geom& g) {
  g.type = tri_indexed;
  reserveToFill(g.triangleTable, mesh.mNumFaces);
  for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
    const aiFace& face = mesh.mFaces[f];
    if (face.mNumIndices != 3) continue;
    Tri t{{int32_t(face.mIndices[0]), int32_t(face.mIndices[1]), int32_t(face.mIndices[2])}};
    if (mirrored) std::swap(t.i[1], t.i[2]);
    g.triangleTable.push_back(t);
  }
  // Many formats give every corner (or nearly) its own vertex; those are
  // joined, and smooth normals made where the file has none. An indexed
  // mesh has several corners a vertex and is left as it is.
  const bool cornerPerVertex = 2 * size_t(mesh.mNumVertices) > 3 * g.triangleTable.size();
  if (releaseArrays) {
    delete[] mesh.mFaces;
    mesh.mFaces = nullptr;
    mesh.mNumFaces = 0;
    malloc_trim(0);
  }
  reserveToFill(g.vertices, mesh.mNumVertices);
  for (unsigned i = 0; i < mesh.mNumVertices; ++i) g.vertices.push_back(makeVertex(i));
  const bool makeNormals = !mesh.HasNormals();
  if (releaseArrays) {
    // Positions and normals are copied; joining needs the room.
    delete[] mesh.mVertices;
    delete[] mesh.mNormals;
    mesh.mVertices = mesh.mNormals = nullptr;
  }
  if (makeNormals)
    joinVertices(g, &kCreaseAngleDegrees);
  else if (cornerPerVertex)
    joinVertices(g, nullptr);
}

// Lines and points are drawn from the vertex array in order, so each
// segment or point gets its own vertices; a polyline face becomes its segments.
void fillSegments(const aiMesh& mesh, const VertexMaker& makeVertex, geom& g) {
  g.type = line;
  for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
    const aiFace& face = mesh.mFaces[f];
    for (unsigned k = 1; k < face.mNumIndices; ++k) {
      g.vertices.push_back(makeVertex(face.mIndices[k - 1]));
      g.vertices.push_back(makeVertex(face.mIndices[k]));
    }
  }
  g.rebuildTriangleTable();
}

void fillPoints(const aiMesh& mesh, const VertexMaker& makeVertex, geom& g) {
  g.type = points;
  for (unsigned f = 0; f < mesh.mNumFaces; ++f)
    for (unsigned k = 0; k < mesh.mFaces[f].mNumIndices; ++k) g.vertices.push_back(makeVertex(mesh.mFaces[f].mIndices[k]));
  g.rebuildTriangleTable();
}

}  // namespace

std::unique_ptr<SceneObject> objectFromMesh(aiMesh& mesh, const aiMatrix4x4& toWorld, unsigned uvChannel,
                                            bool releaseFaces) {
  auto object = std::make_unique<SceneObject>();
  geom& g = *object->geometry;
  const VertexMaker makeVertex(mesh, toWorld, uvChannel);
  if (mesh.mPrimitiveTypes & aiPrimitiveType_TRIANGLE) {
    fillTriangles(mesh, makeVertex, toWorld.Determinant() < 0, releaseFaces, g);
  } else if (mesh.mPrimitiveTypes & aiPrimitiveType_LINE) {
    fillSegments(mesh, makeVertex, g);
    object->lineWidth = 1;
  } else {
    fillPoints(mesh, makeVertex, g);
    object->pointSize = 1;
  }
  g.perVertexColor = mesh.HasVertexColors(0);
  if (!mesh.HasNormals() && g.type != tri_indexed) {
    // Normals are made for faces only; lines and points stay unlit.
    g.noRealNormals = true;
    object->lit = false;
  }
  return object;
}

}  // namespace kvx
