#pragma once
// A markup document parsed in place: the UTF-16 text is owned by the
// document and element names and values are read straight out of it (the
// parser writes NUL characters into it). The first error stops the parse
// and is kept with up to 49 characters of the text where it happened.
// Elements nest at most kMaxDepth deep: the parser recurses once a level,
// and so do the builder and the control tree after it.
// One thread at a time; nodes are valid while the document lives.
#include <cstdint>
#include <string>
#include <vector>

namespace DuiLib {

class CXmlMarkupNode;

class CXmlMarkup {
public:
    static constexpr int kMaxDepth = 256;

    struct Element {
        uint32_t start = 0;  // name, as an offset into the text
        uint32_t child = 0;  // first child, 0 = none
        uint32_t next = 0;   // next sibling, 0 = none
        uint32_t parent = 0; // 0 = document level
        uint32_t data = 0;   // content, as an offset into the text
    };

    bool Load(const wchar_t* text);
    bool LoadFromMem(const uint8_t* bytes, size_t length);
    bool LoadFromFile(const std::wstring& name);
    void Release();
    bool IsValid() const { return m_elements.size() > 1; }

    CXmlMarkupNode GetRoot();
    const std::wstring& GetLastErrorMessage() const { return m_errorMessage; }
    const std::wstring& GetLastErrorLocation() const { return m_errorLocation; }
    size_t Capacity() const { return m_capacity; }

private:
    friend class CXmlMarkupNode;

    bool Parse();
    bool ParseLevel(wchar_t*& p, uint32_t parent, int depth);
    bool ParseElement(wchar_t*& p, uint32_t parent, uint32_t& previous, int depth);
    bool ParseAttributes(wchar_t*& p);
    bool ParseData(wchar_t*& p, wchar_t*& dest, wchar_t end);
    uint32_t AddElement(uint32_t start, uint32_t parent, uint32_t& previous);
    bool Fail(const wchar_t* message, const wchar_t* at);
    uint32_t Offset(const wchar_t* p) const { return static_cast<uint32_t>(p - m_text.data()); }

    std::vector<wchar_t> m_text;
    std::vector<Element> m_elements;
    size_t m_capacity = 0;
    std::wstring m_errorMessage;
    std::wstring m_errorLocation;
};

// A (document, element) pair. Attributes are indexed on first use; at most
// 64 of one element are seen.
class CXmlMarkupNode {
public:
    static constexpr int kMaxAttributes = 64;

    CXmlMarkupNode() = default;
    CXmlMarkupNode(CXmlMarkup* owner, uint32_t pos) : m_owner(owner), m_pos(pos) {}

    bool IsValid() const { return m_owner != nullptr && m_pos != 0; }
    CXmlMarkupNode GetParent() const;
    CXmlMarkupNode GetSibling() const;
    CXmlMarkupNode GetChild() const;
    bool HasChildren() const;
    const wchar_t* GetName() const;
    const wchar_t* GetValue() const;

    bool HasAttributes();
    int GetAttributeCount();
    const wchar_t* GetAttributeName(int index);
    const wchar_t* GetAttributeValue(int index);
    const wchar_t* GetAttributeValue(const wchar_t* name);
    // Copies at most 499 characters into buffer; false when absent.
    bool GetAttributeValue(const wchar_t* name, wchar_t* buffer, size_t units);

private:
    void MapAttributes();
    const wchar_t* Text(uint32_t offset) const { return m_owner->m_text.data() + offset; }

    CXmlMarkup* m_owner = nullptr;
    uint32_t m_pos = 0;
    bool m_mapped = false;
    int m_count = 0;
    uint32_t m_attributes[kMaxAttributes][2] = {};
};

} // namespace DuiLib
