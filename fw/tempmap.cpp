#include "fw/tempmap.h"

#include <algorithm>
#include <vector>

namespace fw {
namespace {
std::vector<TempMapBase*>& Maps()
{
    static std::vector<TempMapBase*> maps;
    return maps;
}
}  // namespace

int& DispatchDepth()
{
    static int depth = 0;
    return depth;
}

TempMapBase::TempMapBase() { Maps().push_back(this); }

TempMapBase::~TempMapBase()
{
    std::vector<TempMapBase*>& maps = Maps();
    maps.erase(std::remove(maps.begin(), maps.end(), this), maps.end());
}

void DeleteTempObjects()
{
    for (TempMapBase* map : Maps())
        map->Clear();
}

}  // namespace fw
