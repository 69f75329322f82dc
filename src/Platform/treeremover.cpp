#include "Platform/treeremover.h"

#include "Platform/serviceoverride.h"

namespace Platform {

namespace {
OverrideSlot<TreeRemover> s_override;
}

TreeRemover::~TreeRemover() = default;

TreeRemover &TreeRemover::instance()
{
    return s_override.current();
}

TreeRemover *TreeRemover::install(TreeRemover *scripted)
{
    return s_override.exchange(scripted);
}

} // namespace Platform
