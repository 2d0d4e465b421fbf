// The host groups' tree (BuildGroupTree) shown in a tree control; nodes by creation order.
#pragma once

#include "host/engine/U_ClientGroups.h"

#include "framework/ui/comctrls.h"

#include <memory>
#include <vector>

namespace vantrel {

// Starts from the control's top-level nodes; group nodes carry their data in Data, owned by
// `data`.
class TTreeControlView : public TGroupTreeView {
public:
    TTreeControlView(dvr::fw::TTreeView& tree,
                     std::vector<std::unique_ptr<TClientGroupNodeData>>& data)
        : tree_(tree), data_(data) {
        for (dvr::fw::TTreeNode* n = tree.Items()->GetFirstNode(); n; n = n->GetNextSibling())
            nodes_.push_back(n);
    }
    int NodeCount() const override { return int(nodes_.size()); }
    int ParentOf(int node) const override {
        dvr::fw::TTreeNode* p = nodes_[size_t(node)]->Parent();
        for (size_t i = 0; i < nodes_.size(); ++i)
            if (nodes_[i] == p) return int(i);
        return -1;
    }
    TClientGroupNodeData* DataOf(int node) const override {
        return static_cast<TClientGroupNodeData*>(nodes_[size_t(node)]->Data);
    }
    int AddChild(int parent, std::string_view text,
                 std::unique_ptr<TClientGroupNodeData> data) override {
        dvr::fw::TTreeNode* p = parent >= 0 ? nodes_[size_t(parent)] : nullptr;
        dvr::fw::TTreeNode* n = tree_.Items()->AddChildObject(p, std::string(text), data.get());
        data_.push_back(std::move(data));
        nodes_.push_back(n);
        return int(nodes_.size()) - 1;
    }

private:
    dvr::fw::TTreeView& tree_;
    std::vector<std::unique_ptr<TClientGroupNodeData>>& data_;
    std::vector<dvr::fw::TTreeNode*> nodes_;
};

} // namespace vantrel
