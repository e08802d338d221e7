// Message maps: a static table per class, chained to the base class's table.
#pragma once

#include <windows.h>

class CCmdTarget;
typedef void (CCmdTarget::*AFX_PMSG)();

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // WM_COMMAND for command entries, 0 ends the table
    UINT nCode;     // notification code
    UINT nID;       // first command id
    UINT nLastID;   // last command id
    AFX_PMSG pfn;   // handler
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* pBaseMap;
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                         \
private:                                              \
    static const AFX_MSGMAP_ENTRY _messageEntries[];  \
protected:                                            \
    static const AFX_MSGMAP messageMap;               \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                      \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return &theClass::messageMap; } \
    const AFX_MSGMAP theClass::messageMap = {&baseClass::messageMap, &theClass::_messageEntries[0]}; \
    const AFX_MSGMAP_ENTRY theClass::_messageEntries[] = {

#define ON_COMMAND(id, memberFxn) \
    {WM_COMMAND, 0, (UINT)(id), (UINT)(id), static_cast<AFX_PMSG>(&memberFxn)},

#define END_MESSAGE_MAP() \
    {0, 0, 0, 0, nullptr}};

// Base of every class that receives commands.
class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;

    // Routes a command through this class's map and its bases; TRUE when a handler ran.
    BOOL OnCmdMsg(UINT id, UINT code);

protected:
    static const AFX_MSGMAP messageMap;
    virtual const AFX_MSGMAP* GetMessageMap() const;
};

#define ID_HELP 0xE146
