// Internal: attaching an object to the next window its thread creates, before that window's
// first message, so WM_NCCREATE and WM_CREATE already reach the object.
#pragma once

class CWnd;

namespace framework {

class CreationScope {
public:
    explicit CreationScope(CWnd* wnd);
    ~CreationScope();
    CreationScope(const CreationScope&) = delete;
    CreationScope& operator=(const CreationScope&) = delete;
};

}  // namespace framework
