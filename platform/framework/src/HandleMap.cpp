#include <framework/HandleMap.h>

#include <map>
#include <utility>

namespace framework {
namespace {

struct Temporary {
    void* object;
    void (*destroy)(void*);
};

using TemporaryMap = std::map<std::pair<const void*, void*>, Temporary>;

void DestroyAll(TemporaryMap& temporaries) {
    for (auto& entry : temporaries) entry.second.destroy(entry.second.object);
    temporaries.clear();
}

// Per thread: wrappers are only handed out to, and deleted by, the thread that made them; what is
// left when the thread ends goes with it.
struct ThreadTemporaries {
    TemporaryMap map;
    ~ThreadTemporaries() { DestroyAll(map); }
};
thread_local ThreadTemporaries t_temporaries;

}  // namespace

void* TemporaryObject(const void* kind, void* handle, const std::function<void*()>& make, void (*destroy)(void*)) {
    if (handle == nullptr) return nullptr;
    auto key = std::make_pair(kind, handle);
    auto found = t_temporaries.map.find(key);
    if (found != t_temporaries.map.end()) return found->second.object;
    void* object = make();
    t_temporaries.map.emplace(key, Temporary{object, destroy});
    return object;
}

void DeleteTemporaryObjects() {
    // Deleting a wrapper never makes another, but take the map first so that a destructor that
    // does ask for one cannot disturb the iteration.
    TemporaryMap doomed = std::move(t_temporaries.map);
    t_temporaries.map.clear();
    DestroyAll(doomed);
}

}  // namespace framework
