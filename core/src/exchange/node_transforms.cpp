#include "exchange/node_transforms.h"

namespace kvx {

aiMatrix4x4 worldTransformOf(const aiScene& model, const aiString& name) {
  aiMatrix4x4 world;
  if (!model.mRootNode) return world;
  for (const aiNode* node = model.mRootNode->FindNode(name); node; node = node->mParent)
    world = node->mTransformation * world;
  return world;
}

}  // namespace kvx
