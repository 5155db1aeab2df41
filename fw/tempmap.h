// Temporary wrappers: what FromHandle returns for a handle that no object of
// ours owns. They own nothing, one per handle, and they go when a message
// loop is idle with no handler of ours running (a handler may hold one until
// it returns, even across a nested modal loop). Internal to the framework.
#pragma once

#include <windows.h>

#include <map>
#include <memory>

namespace fw {

// Number of messages being handled on this thread by our window procedures.
int& DispatchDepth();

// Called by the message loops when the queue is empty.
void DeleteTempObjects();

class TempMapBase {
public:
    virtual void Clear() = 0;

protected:
    TempMapBase();
    ~TempMapBase();
};

// T has Attach(H) and Detach(), and owns its handle only while attached
// by its owner: the wrapper is detached before it is deleted.
template <class T, class H>
class TempMap final : public TempMapBase {
public:
    T* Get(H h)
    {
        std::unique_ptr<T>& p = m_objects[h];
        if (p == nullptr) {
            p = std::make_unique<T>();
            p->Attach(h);
        }
        return p.get();
    }
    void Clear() override
    {
        for (auto& entry : m_objects)
            entry.second->Detach();
        m_objects.clear();
    }
    ~TempMap() { Clear(); }

private:
    std::map<H, std::unique_ptr<T>> m_objects;
};

template <class T, class H>
T* TempObject(H h)
{
    if (h == nullptr)
        return nullptr;
    static TempMap<T, H> map;
    return map.Get(h);
}

}  // namespace fw
