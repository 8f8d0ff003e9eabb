#include <framework/HandleMap.h>

#include <map>
#include <utility>

namespace framework {
namespace {

struct Temporary {
    void* object;
    void (*destroy)(void*);
};

// Per thread: wrappers are only handed out to, and deleted by, the thread that made them.
thread_local std::map<std::pair<const void*, void*>, Temporary> t_temporaries;

}  // namespace

void* TemporaryObject(const void* kind, void* handle, const std::function<void*()>& make, void (*destroy)(void*)) {
    if (handle == nullptr) return nullptr;
    auto key = std::make_pair(kind, handle);
    auto found = t_temporaries.find(key);
    if (found != t_temporaries.end()) return found->second.object;
    void* object = make();
    t_temporaries.emplace(key, Temporary{object, destroy});
    return object;
}

void DeleteTemporaryObjects() {
    // Deleting a wrapper never makes another, but take the map first so that a destructor that
    // does ask for one cannot disturb the iteration.
    auto doomed = std::move(t_temporaries);
    t_temporaries.clear();
    for (auto& entry : doomed) entry.second.destroy(entry.second.object);
}

}  // namespace framework
