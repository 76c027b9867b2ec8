// A group of features, as a feature dialog shows them.
#pragma once

#include <string>
#include <vector>

#include "quill/genapi/Node.h"

namespace Quill {
namespace Nodes {

class CategoryNode : public Node, public GenApi::ICategory {
  public:
    CategoryNode(NodeMap& map, NodeInfo info, std::vector<std::string> featureNames);

    // Features that the map does not hold (left out of this camera) are skipped.
    void GetFeatures(GenApi::FeatureList_t& Features) const override;
    GenApi::EInterfaceType GetPrincipalInterfaceType() const override { return GenApi::intfICategory; }
    GenApi::INode* GetNode() override { return this; }
    GenICam::gcstring ToString(bool Verify = false, bool IgnoreCache = false) override;
    void FromString(const GenICam::gcstring& ValueStr, bool Verify = true) override;

    const std::vector<std::string>& FeatureNames() const { return featureNames_; }

  private:
    std::vector<std::string> featureNames_;
};

}  // namespace Nodes
}  // namespace Quill
