#pragma once
// One window's option groups: the options that share a group name, in the
// order they joined. Held by the window's manager, which forgets a control
// when it is destroyed; the options are owned by the tree, not by this
// table. UI thread only.
#include <map>
#include <string>
#include <vector>

namespace DuiLib {

class CControlUI;

class COptionGroups {
public:
    void Join(const std::wstring& group, CControlUI* option);
    void Leave(const std::wstring& group, CControlUI* option);
    // The members of a group (empty for an unknown group).
    std::vector<CControlUI*> Members(const std::wstring& group) const;
    // Takes the control out of every group.
    void Forget(CControlUI* control);

private:
    std::map<std::wstring, std::vector<CControlUI*>> m_groups;
};

} // namespace DuiLib
