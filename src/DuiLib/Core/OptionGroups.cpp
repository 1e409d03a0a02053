#include "DuiLib/Core/OptionGroups.h"
#include <algorithm>

namespace DuiLib {

void COptionGroups::Join(const std::wstring& group, CControlUI* option)
{
    std::vector<CControlUI*>& members = m_groups[group];
    if (std::find(members.begin(), members.end(), option) == members.end())
        members.push_back(option);
}

void COptionGroups::Leave(const std::wstring& group, CControlUI* option)
{
    auto it = m_groups.find(group);
    if (it == m_groups.end())
        return;
    std::erase(it->second, option);
    if (it->second.empty())
        m_groups.erase(it);
}

std::vector<CControlUI*> COptionGroups::Members(const std::wstring& group) const
{
    auto it = m_groups.find(group);
    return it == m_groups.end() ? std::vector<CControlUI*>{} : it->second;
}

void COptionGroups::Forget(CControlUI* control)
{
    for (auto it = m_groups.begin(); it != m_groups.end();) {
        std::erase(it->second, control);
        it = it->second.empty() ? m_groups.erase(it) : std::next(it);
    }
}

} // namespace DuiLib
