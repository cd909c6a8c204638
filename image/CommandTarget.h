#pragma once
// Command routing contract shared by the document, the views and the main
// frame: a command id is offered to each target in turn until one handles it,
// and the same targets answer the update question (enabled, checked) for the
// menu items, toolbar buttons and form buttons bound to that id.
// User-interface thread only.

#include <optional>

struct CommandState
{
    bool enabled = false;
    bool checked = false;
    bool checkable = false; // the item shows a check mark when checked

    static CommandState Enabled(bool on = true) { return {on, false, false}; }
    static CommandState Checked(bool on, bool checked) { return {on, checked, true}; }
    bool operator==(const CommandState& o) const
    {
        return enabled == o.enabled && checked == o.checked && checkable == o.checkable;
    }
};

class ICommandTarget
{
public:
    virtual ~ICommandTarget() = default;
    // True when this target handled the command; false passes it on.
    virtual bool OnCommand(int id) = 0;
    // The state of a command this target handles; nullopt when it does not
    // handle the id (the next target is asked). A target that handles a
    // command must answer for it, otherwise the command shows disabled.
    virtual std::optional<CommandState> OnUpdateCommand(int id) const = 0;
};
