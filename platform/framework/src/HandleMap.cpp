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

// Per thread: wrappers are only handed out to, and deleted by, the thread that made them. The map
// is reached through a plain pointer because thread-local objects with destructors are not safe at
// thread exit with this toolchain's static runtime; framework threads empty it before they end.
thread_local TemporaryMap* t_temporaries = nullptr;

}  // namespace

void* TemporaryObject(const void* kind, void* handle, const std::function<void*()>& make, void (*destroy)(void*)) {
    if (handle == nullptr) return nullptr;
    auto key = std::make_pair(kind, handle);
    if (t_temporaries == nullptr) t_temporaries = new TemporaryMap;
    auto found = t_temporaries->find(key);
    if (found != t_temporaries->end()) return found->second.object;
    void* object = make();
    t_temporaries->emplace(key, Temporary{object, destroy});
    return object;
}

void DeleteTemporaryObjects() {
    // Deleting a wrapper never makes another, but take the map first so that a destructor that
    // does ask for one cannot disturb the iteration.
    TemporaryMap* doomed = t_temporaries;
    t_temporaries = nullptr;
    if (doomed == nullptr) return;
    DestroyAll(*doomed);
    delete doomed;
}

}  // namespace framework
