#pragma once
// The tester's 32-bit register space, with per-register hooks that the device models attach.

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

namespace sim {

class RegisterFile {
public:
    using ReadHook = std::function<uint32_t(uint32_t address)>;
    using WriteHook = std::function<void(uint32_t address, uint32_t value)>;
    using Read64Hook = std::function<uint64_t(uint32_t address)>;

    // What the host sees: hooks first, else the stored value (0 when never written).
    uint32_t Read(uint32_t address);
    void Write(uint32_t address, uint32_t value);
    uint64_t Read64(uint32_t address);

    // Direct access for tests and device models: no hooks run.
    void Set(uint32_t address, uint32_t value);
    uint32_t Get(uint32_t address) const;
    void Set64(uint32_t address, uint64_t value);
    uint64_t Get64(uint32_t address) const;
    // How many times the host wrote a register.
    size_t WriteCount(uint32_t address) const;

    // A hook covers the addresses first..last inclusive; a later hook overrides an earlier one.
    void OnRead(uint32_t first, uint32_t last, ReadHook hook);
    void OnWrite(uint32_t first, uint32_t last, WriteHook hook);
    void OnRead64(uint32_t first, uint32_t last, Read64Hook hook);
    void OnRead(uint32_t address, ReadHook hook) { OnRead(address, address, std::move(hook)); }
    void OnWrite(uint32_t address, WriteHook hook) { OnWrite(address, address, std::move(hook)); }

    void Clear();

private:
    template <typename Hook>
    struct Ranged {
        uint32_t first;
        uint32_t last;
        Hook hook;
    };
    template <typename Hook>
    static const Hook* Find(const std::vector<Ranged<Hook>>& hooks, uint32_t address);
    // The hook's answer when one covers the address (called without the lock), else the stored value.
    template <typename Hook, typename Stored>
    auto ReadThrough(const std::vector<Ranged<Hook>>& hooks, uint32_t address, Stored stored)
        -> decltype(stored(address));

    // All state below is guarded by lock_: the simulator's receive thread and test threads touch it.
    // Hooks run without the lock held, so they may use the register file themselves.
    mutable std::recursive_mutex lock_;
    std::map<uint32_t, uint32_t> values_;
    std::map<uint32_t, uint64_t> values64_;
    std::map<uint32_t, size_t> writes_;
    std::vector<Ranged<ReadHook>> readHooks_;
    std::vector<Ranged<WriteHook>> writeHooks_;
    std::vector<Ranged<Read64Hook>> read64Hooks_;
};

}  // namespace sim
