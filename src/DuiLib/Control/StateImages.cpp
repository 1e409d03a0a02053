#include "DuiLib/Control/StateImages.h"

namespace DuiLib {

std::wstring* CStateImages::Field(std::wstring_view attribute)
{
    const struct {
        std::wstring_view name;
        std::wstring* field;
    } fields[] = {{L"normalimage", &m_normal},
                  {L"hotimage", &m_hot},
                  {L"pushedimage", &m_pushed},
                  {L"focusedimage", &m_focused},
                  {L"disabledimage", &m_disabled}};
    for (const auto& f : fields)
        if (f.name == attribute)
            return f.field;
    return nullptr;
}

UINT CStateImages::FirstState(UINT state, std::initializer_list<UINT> order)
{
    for (UINT bit : order)
        if (state & bit)
            return bit;
    return 0;
}

const std::wstring& CStateImages::Own(UINT stateBit) const
{
    switch (stateBit) {
    case UISTATE_HOT:
        return m_hot;
    case UISTATE_PUSHED:
        return m_pushed;
    case UISTATE_FOCUSED:
        return m_focused;
    case UISTATE_DISABLED:
        return m_disabled;
    default:
        return m_normal;
    }
}

const std::wstring& CStateImages::Image(UINT stateBit) const
{
    const std::wstring& own = Own(stateBit);
    return own.empty() ? m_normal : own;
}

} // namespace DuiLib
