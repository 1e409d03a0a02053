#include "DuiLib/Core/XmlMarkup.h"
#include <algorithm>
#include <cwchar>
#include "DuiLib/Core/SkinResources.h"
#include "Runtime/StringConvert.h"

namespace DuiLib {

namespace {

bool IsSpace(wchar_t c) { return c > 0 && c <= 32; }
bool IsIdentifier(wchar_t c) { return iswalnum(c) || c == L'_' || c == L':'; }
void SkipSpace(wchar_t*& p)
{
    while (IsSpace(*p))
        ++p;
}
void SkipSpace(const wchar_t*& p)
{
    while (IsSpace(*p))
        ++p;
}
void SkipIdentifier(wchar_t*& p)
{
    while (*p && IsIdentifier(*p))
        ++p;
}

struct Entity {
    const wchar_t* text;
    size_t length;
    wchar_t character;
};
const Entity kEntities[] = {{L"&amp;", 5, L'&'}, {L"&lt;", 4, L'<'}, {L"&gt;", 4, L'>'}, {L"&quot;", 6, L'"'},
                            {L"&apos;", 6, L'\''}};

} // namespace

void CXmlMarkup::Release()
{
    m_text.clear();
    m_elements.clear();
    m_capacity = 0;
}

bool CXmlMarkup::Load(const wchar_t* text)
{
    Release();
    size_t length = wcslen(text);
    m_text.assign(text, text + length);
    m_text.push_back(L'\0');
    return Parse();
}

bool CXmlMarkup::LoadFromMem(const uint8_t* bytes, size_t length)
{
    if (length >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        bytes += 3;
        length -= 3;
    }
    std::wstring text = Utf8ToWide(std::string(reinterpret_cast<const char*>(bytes), length));
    return Load(text.c_str());
}

bool CXmlMarkup::LoadFromFile(const std::wstring& name)
{
    Release();
    std::vector<uint8_t> bytes;
    std::wstring error;
    if (!CSkinResources::ReadFile(name, bytes, error))
        return Fail(error.c_str(), nullptr);
    return LoadFromMem(bytes.data(), bytes.size());
}

bool CXmlMarkup::Fail(const wchar_t* message, const wchar_t* at)
{
    m_errorMessage = std::wstring(message).substr(0, 99);
    m_errorLocation = at ? std::wstring(at).substr(0, 49) : std::wstring();
    return false;
}

CXmlMarkupNode CXmlMarkup::GetRoot() { return IsValid() ? CXmlMarkupNode(this, 1) : CXmlMarkupNode(); }

bool CXmlMarkup::Parse()
{
    m_elements.assign(1, Element{}); // record 0 names no element
    m_capacity = 0;
    m_errorMessage.clear();
    m_errorLocation.clear();
    wchar_t* p = m_text.data();
    if (!ParseLevel(p, 0, 1)) {
        m_elements.clear();
        return false;
    }
    return true;
}

uint32_t CXmlMarkup::AddElement(uint32_t start, uint32_t parent, uint32_t& previous)
{
    if (m_elements.size() == m_capacity || m_capacity == 0) {
        m_capacity = m_capacity + m_capacity / 2 + 500;
        m_elements.reserve(m_capacity);
    }
    uint32_t pos = static_cast<uint32_t>(m_elements.size());
    Element element;
    element.start = start;
    element.parent = parent;
    m_elements.push_back(element);
    if (previous)
        m_elements[previous].next = pos;
    else if (parent)
        m_elements[parent].child = pos;
    previous = pos;
    return pos;
}

// One level: a run of comments, instructions and elements, ended by "</"
// (left for the caller) or, at document level, by the end of the text.
bool CXmlMarkup::ParseLevel(wchar_t*& p, uint32_t parent, int depth)
{
    uint32_t previous = 0;
    for (;;) {
        SkipSpace(p);
        if (*p == 0 && parent <= 1)
            return true;
        if (*p != L'<')
            return Fail(L"Expected start tag", p);
        if (p[1] == L'/')
            return true;
        ++p;
        if (*p == L'!' || *p == L'?') {
            const wchar_t* close = *p == L'!' ? L"->" : L"?>";
            wchar_t* end = wcsstr(p, close);
            p = end ? end + 2 : p + wcslen(p);
            continue;
        }
        if (!ParseElement(p, parent, previous, depth))
            return false;
    }
}

bool CXmlMarkup::ParseElement(wchar_t*& p, uint32_t parent, uint32_t& previous, int depth)
{
    if (depth > kMaxDepth)
        return Fail(L"Nesting too deep", p);
    SkipSpace(p);
    wchar_t* name = p;
    SkipIdentifier(p);
    wchar_t* nameEnd = p;
    if (*p == 0)
        return Fail(L"Error parsing element name", p);
    uint32_t pos = AddElement(Offset(name), parent, previous);
    if (!ParseAttributes(p))
        return false;
    SkipSpace(p);
    if (p[0] == L'/' && p[1] == L'>') {
        m_elements[pos].data = Offset(p);
        *p = 0;
        p += 2;
        *nameEnd = 0;
        return true;
    }
    if (*p != L'>')
        return Fail(L"Expected start-tag closing", p);
    *p++ = 0;
    m_elements[pos].data = Offset(p);
    wchar_t* dest = p;
    if (!ParseData(p, dest, L'<'))
        return false;
    if (*p == 0 && parent <= 1) {
        *dest = 0;
        *nameEnd = 0;
        return true;
    }
    if (*p != L'<')
        return Fail(L"Expected end-tag start", p);
    if (p[1] != L'/' && !ParseLevel(p, pos, depth + 1))
        return false;
    if (*p == 0) { // an unclosed root element ends with the text
        *dest = 0;
        *nameEnd = 0;
        return true;
    }
    *dest = 0;
    p += 2;
    SkipSpace(p);
    size_t length = static_cast<size_t>(nameEnd - name);
    if (wcsncmp(p, name, length) != 0 || IsIdentifier(p[length]))
        return Fail(L"Unmatched closing tag", p);
    p += length;
    SkipSpace(p);
    if (*p != L'>')
        return Fail(L"Unmatched closing tag", p);
    ++p;
    *nameEnd = 0;
    return true;
}

// Attributes become "name\0" followed by blanks, the opening quote and
// "value\0" in place, which MapAttributes walks later.
bool CXmlMarkup::ParseAttributes(wchar_t*& p)
{
    SkipSpace(p);
    while (*p && *p != L'>' && *p != L'/') {
        wchar_t* nameEnd = p;
        SkipIdentifier(p);
        if (p == nameEnd)
            return Fail(L"Error while parsing attributes", p);
        nameEnd = p;
        SkipSpace(p);
        if (*p != L'=')
            return Fail(L"Error while parsing attributes", p);
        *p++ = L' ';
        *nameEnd = 0;
        SkipSpace(p);
        if (*p++ != L'"')
            return Fail(L"Expected attribute value", p - 1);
        wchar_t* dest = p;
        if (!ParseData(p, dest, L'"'))
            return false;
        if (*p == 0)
            return Fail(L"Error while parsing attribute string", p);
        // A value shortened by entities leaves the rest of its source behind;
        // blanks there keep the attribute walk from reading it as a name.
        *dest = 0;
        std::fill(dest + 1, p + 1, L' ');
        ++p;
        SkipSpace(p);
    }
    return true;
}

bool CXmlMarkup::ParseData(wchar_t*& p, wchar_t*& dest, wchar_t end)
{
    while (*p && *p != end) {
        if (*p == L'&') {
            bool replaced = false;
            for (const Entity& e : kEntities) {
                if (wcsncmp(p, e.text, e.length) == 0) {
                    *dest++ = e.character;
                    p += e.length;
                    replaced = true;
                    break;
                }
            }
            if (replaced)
                continue;
        }
        *dest++ = *p++;
    }
    return true;
}

CXmlMarkupNode CXmlMarkupNode::GetParent() const
{
    if (!IsValid())
        return {};
    uint32_t parent = m_owner->m_elements[m_pos].parent;
    return parent ? CXmlMarkupNode(m_owner, parent) : CXmlMarkupNode();
}

CXmlMarkupNode CXmlMarkupNode::GetSibling() const
{
    if (!IsValid())
        return {};
    uint32_t next = m_owner->m_elements[m_pos].next;
    return next ? CXmlMarkupNode(m_owner, next) : CXmlMarkupNode();
}

CXmlMarkupNode CXmlMarkupNode::GetChild() const
{
    if (!IsValid())
        return {};
    uint32_t child = m_owner->m_elements[m_pos].child;
    return child ? CXmlMarkupNode(m_owner, child) : CXmlMarkupNode();
}

bool CXmlMarkupNode::HasChildren() const { return IsValid() && m_owner->m_elements[m_pos].child != 0; }

const wchar_t* CXmlMarkupNode::GetName() const { return IsValid() ? Text(m_owner->m_elements[m_pos].start) : nullptr; }

const wchar_t* CXmlMarkupNode::GetValue() const { return IsValid() ? Text(m_owner->m_elements[m_pos].data) : nullptr; }

void CXmlMarkupNode::MapAttributes()
{
    if (m_mapped || !IsValid())
        return;
    m_mapped = true;
    const CXmlMarkup::Element& e = m_owner->m_elements[m_pos];
    const wchar_t* p = Text(e.start);
    const wchar_t* end = Text(e.data);
    p += wcslen(p) + 1;
    while (p < end && m_count < kMaxAttributes) {
        SkipSpace(p);
        if (p >= end || *p == 0)
            break;
        const wchar_t* name = p;
        p += wcslen(p) + 1;
        SkipSpace(p);
        if (p >= end || *p != L'"')
            break;
        ++p;
        m_attributes[m_count][0] = static_cast<uint32_t>(name - Text(0));
        m_attributes[m_count][1] = static_cast<uint32_t>(p - Text(0));
        ++m_count;
        p += wcslen(p) + 1;
    }
}

bool CXmlMarkupNode::HasAttributes() { return GetAttributeCount() > 0; }

int CXmlMarkupNode::GetAttributeCount()
{
    MapAttributes();
    return m_count;
}

const wchar_t* CXmlMarkupNode::GetAttributeName(int index)
{
    MapAttributes();
    return index >= 0 && index < m_count ? Text(m_attributes[index][0]) : L"";
}

const wchar_t* CXmlMarkupNode::GetAttributeValue(int index)
{
    MapAttributes();
    return index >= 0 && index < m_count ? Text(m_attributes[index][1]) : L"";
}

const wchar_t* CXmlMarkupNode::GetAttributeValue(const wchar_t* name)
{
    MapAttributes();
    for (int i = 0; i < m_count; ++i)
        if (wcscmp(Text(m_attributes[i][0]), name) == 0)
            return Text(m_attributes[i][1]);
    return L"";
}

bool CXmlMarkupNode::GetAttributeValue(const wchar_t* name, wchar_t* buffer, size_t units)
{
    MapAttributes();
    for (int i = 0; i < m_count; ++i) {
        if (wcscmp(Text(m_attributes[i][0]), name) == 0) {
            size_t limit = units < 500 ? units : 500;
            wcsncpy(buffer, Text(m_attributes[i][1]), limit - 1);
            buffer[limit - 1] = 0;
            return true;
        }
    }
    return false;
}

} // namespace DuiLib

