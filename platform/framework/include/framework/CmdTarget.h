// Objects that receive messages and commands through message maps.
//
// A message map is a static table per class, chained to its base class's table. Each entry names
// what it matches (a window message, or a command / notification code with a control id range) and
// a small dispatch function, generated per handler by the ON_... macros in MessageMap.h, that
// unpacks the message parameters and calls the handler. Lookups walk from the most derived table
// to CCmdTarget's, so a derived class's entry hides its base's.
#pragma once

#include <framework/Object.h>

class CCmdTarget;
class CCmdUI;

// The colour request of the 16-bit API, kept as the one map key for every WM_CTLCOLOR... message.
#ifndef WM_CTLCOLOR
#define WM_CTLCOLOR 0x0019
#endif

namespace framework {

// Reflected messages come back to the control that caused them with this offset added, so a
// control's own map can handle what its parent would otherwise get.
constexpr UINT kReflectBase = 0xBC00;

// One call in flight: the raw message plus what routing has decoded from it.
struct MessageCall {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    UINT id;        // command or control id
    int code;       // notification code
    void* extra;    // NMHDR* for notifications, CCmdUI* for update requests
    LRESULT result;
};

// Returns FALSE when the handler declined (the _EX entries), so the search goes on.
using EntryHandler = BOOL (*)(CCmdTarget* target, MessageCall& call);

enum class EntryKind : UINT {
    Message,            // a window message, matched by number
    RegisteredMessage,  // a message number read at dispatch time from a variable
    Command,            // WM_COMMAND / WM_NOTIFY routing: matched by code and id range
    End,
};

struct MessageEntry {
    EntryKind kind;
    UINT message;          // for Command entries: WM_COMMAND, WM_NOTIFY or their reflected numbers
    int code;              // notification code, CN_COMMAND or CN_UPDATE_COMMAND_UI
    UINT firstId;
    UINT lastId;
    const UINT* registered;
    EntryHandler handler;
};

struct MessageMap {
    const MessageMap* (*base)();
    const MessageEntry* entries;
};

// Handed to OnCmdMsg with a WM_NOTIFY code.
struct NotifyInfo {
    LRESULT* pResult;
    NMHDR* pNMHDR;
};

}  // namespace framework

// In a class declaration: the class has its own message map (BEGIN_MESSAGE_MAP in its source).
#define DECLARE_MESSAGE_MAP()                                                   \
protected:                                                                      \
    static const framework::MessageMap* GetThisMessageMap();                    \
    const framework::MessageMap* GetMessageMap() const override;

// OnCmdMsg codes beyond the controls' own notification codes.
constexpr int CN_COMMAND = 0;
constexpr int CN_UPDATE_COMMAND_UI = -1;

class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    CCmdTarget() = default;

    // Routes a command (nCode CN_COMMAND), an update request (CN_UPDATE_COMMAND_UI, pExtra the
    // CCmdUI), a control notification (the control's code) or a WM_NOTIFY (MAKELONG(code,
    // WM_NOTIFY), pExtra a NotifyInfo) through this object's map; TRUE when a handler took it.
    // A non-null pHandlerInfo only asks whether a handler exists: nothing is called.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo);

protected:
    static const framework::MessageMap* GetThisMessageMap();
    virtual const framework::MessageMap* GetMessageMap() const;

    // Looks up and calls command-routing entries for message (WM_COMMAND, WM_NOTIFY or a reflected
    // form). Shared by OnCmdMsg and reflection.
    BOOL DispatchCommand(UINT message, UINT nID, int nCode, void* pExtra, LRESULT* pResult, bool queryOnly = false);
};
