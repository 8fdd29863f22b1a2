// Message maps: a static table of (message, notification code, control id,
// handler) per class, chained to the base class's table. Each entry's handler
// is a small thunk that casts the target back to the declaring class and
// calls the member with its cracked arguments, so no member-pointer casts
// between unrelated signatures are needed.
#pragma once

#include "fw/win_types.h"

class CCmdTarget;

typedef LRESULT (*AFX_MSG_THUNK)(CCmdTarget* target, WPARAM wparam, LPARAM lparam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // 0 ends the table
    UINT nCode;     // notification code, for WM_COMMAND
    UINT nID;       // control id, for WM_COMMAND
    AFX_MSG_THUNK pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
    virtual const AFX_MSGMAP* GetMessageMap() const { return GetThisMessageMap(); }
    static const AFX_MSGMAP* GetThisMessageMap();

    // Finds the handler of `message` (for WM_COMMAND: of its code and id) in
    // this class's map or a base map; nullptr when none.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message, WPARAM wparam) const;
};

#define DECLARE_MESSAGE_MAP()                             \
protected:                                                \
    static const AFX_MSGMAP* GetThisMessageMap();         \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                   \
    const AFX_MSGMAP* theClass::GetMessageMap() const {                          \
        return GetThisMessageMap();                                              \
    }                                                                            \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                            \
        using ThisClass [[maybe_unused]] = theClass;                             \
        typedef baseClass TheBaseClass;                                          \
        static const AFX_MSGMAP_ENTRY entries[] = {
#define END_MESSAGE_MAP()                                                       \
            {0, 0, 0, nullptr}                                                   \
        };                                                                       \
        static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, entries}; \
        return &map;                                                             \
    }

#define FW_THUNK(call)                                                     \
    [](CCmdTarget* target, WPARAM wparam, LPARAM lparam) -> LRESULT {      \
        ThisClass* self = static_cast<ThisClass*>(target);                 \
        (void)self; (void)wparam; (void)lparam;                            \
        call;                                                              \
    }

// void memberFxn();  -- WM_COMMAND with code BN_CLICKED (0) from control or command `id`
#define ON_COMMAND(id, memberFxn) \
    {WM_COMMAND, BN_CLICKED, (UINT)(id), FW_THUNK(self->memberFxn(); return 0)},
// void memberFxn();  -- the button `id` was clicked
#define ON_BN_CLICKED(id, memberFxn) ON_COMMAND(id, memberFxn)
// void OnSysCommand(UINT nID, LPARAM lParam);
#define ON_WM_SYSCOMMAND() \
    {WM_SYSCOMMAND, 0, 0, FW_THUNK(self->OnSysCommand((UINT)wparam, lparam); return 0)},
// void OnPaint();
#define ON_WM_PAINT() {WM_PAINT, 0, 0, FW_THUNK(self->OnPaint(); return 0)},
// void OnClose();
#define ON_WM_CLOSE() {WM_CLOSE, 0, 0, FW_THUNK(self->OnClose(); return 0)},
// HCURSOR OnQueryDragIcon();
#define ON_WM_QUERYDRAGICON() \
    {WM_QUERYDRAGICON, 0, 0, FW_THUNK(return (LRESULT)self->OnQueryDragIcon())},

#define afx_msg
