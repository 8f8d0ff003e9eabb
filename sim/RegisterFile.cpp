#include "sim/RegisterFile.h"

namespace sim {

template <typename Hook>
const Hook* RegisterFile::Find(const std::vector<Ranged<Hook>>& hooks, uint32_t address) {
    // The latest registration that covers the address wins.
    for (auto it = hooks.rbegin(); it != hooks.rend(); ++it) {
        if (it->first <= address && address <= it->last) return &it->hook;
    }
    return nullptr;
}

template <typename Hook, typename Stored>
auto RegisterFile::ReadThrough(const std::vector<Ranged<Hook>>& hooks, uint32_t address, Stored stored)
    -> decltype(stored(address)) {
    Hook hook;
    {
        std::lock_guard<std::recursive_mutex> guard(lock_);
        const Hook* found = Find(hooks, address);
        if (!found) return stored(address);
        hook = *found;
    }
    return hook(address);
}

uint32_t RegisterFile::Read(uint32_t address) {
    return ReadThrough(readHooks_, address, [this](uint32_t a) { return Get(a); });
}

void RegisterFile::Write(uint32_t address, uint32_t value) {
    WriteHook hook;
    {
        std::lock_guard<std::recursive_mutex> guard(lock_);
        ++writes_[address];
        values_[address] = value;
        if (const WriteHook* h = Find(writeHooks_, address)) hook = *h;
    }
    if (hook) hook(address, value);
}

uint64_t RegisterFile::Read64(uint32_t address) {
    return ReadThrough(read64Hooks_, address, [this](uint32_t a) { return Get64(a); });
}

void RegisterFile::Set(uint32_t address, uint32_t value) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    values_[address] = value;
}

uint32_t RegisterFile::Get(uint32_t address) const {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    auto it = values_.find(address);
    return it == values_.end() ? 0 : it->second;
}

void RegisterFile::Set64(uint32_t address, uint64_t value) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    values64_[address] = value;
}

uint64_t RegisterFile::Get64(uint32_t address) const {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    auto it = values64_.find(address);
    return it == values64_.end() ? 0 : it->second;
}

size_t RegisterFile::WriteCount(uint32_t address) const {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    auto it = writes_.find(address);
    return it == writes_.end() ? 0 : it->second;
}

void RegisterFile::OnRead(uint32_t first, uint32_t last, ReadHook hook) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    readHooks_.push_back({first, last, std::move(hook)});
}

void RegisterFile::OnWrite(uint32_t first, uint32_t last, WriteHook hook) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    writeHooks_.push_back({first, last, std::move(hook)});
}

void RegisterFile::OnRead64(uint32_t first, uint32_t last, Read64Hook hook) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    read64Hooks_.push_back({first, last, std::move(hook)});
}

void RegisterFile::Clear() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    values_.clear();
    values64_.clear();
    writes_.clear();
}

}  // namespace sim
