// CStringList: a doubly linked list of texts walked by POSITION, the opaque cursor of the
// familiar collection interface (null past either end).
#pragma once

#include <framework/Object.h>
#include <framework/String.h>

// What a POSITION points at; only the list knows the node behind it.
struct PositionTag {};
using POSITION = PositionTag*;

class CStringList : public CObject {
    DECLARE_DYNAMIC(CStringList)
public:
    CStringList() = default;
    ~CStringList() override { RemoveAll(); }
    CStringList(const CStringList&) = delete;
    CStringList& operator=(const CStringList&) = delete;

    INT_PTR GetCount() const { return m_count; }
    INT_PTR GetSize() const { return m_count; }
    BOOL IsEmpty() const { return m_count == 0; }

    CString& GetHead() { return m_head->value; }
    const CString& GetHead() const { return m_head->value; }
    CString& GetTail() { return m_tail->value; }
    const CString& GetTail() const { return m_tail->value; }
    CString RemoveHead();
    CString RemoveTail();
    POSITION AddHead(LPCWSTR newElement);
    POSITION AddTail(LPCWSTR newElement);
    void AddTail(const CStringList* pNewList);
    void RemoveAll();

    POSITION GetHeadPosition() const { return Position(m_head); }
    POSITION GetTailPosition() const { return Position(m_tail); }
    CString& GetNext(POSITION& rPosition);
    const CString& GetNext(POSITION& rPosition) const;
    CString& GetPrev(POSITION& rPosition);
    const CString& GetPrev(POSITION& rPosition) const;
    CString& GetAt(POSITION position) { return NodeAt(position)->value; }
    const CString& GetAt(POSITION position) const { return NodeAt(position)->value; }
    void SetAt(POSITION pos, LPCWSTR newElement) { NodeAt(pos)->value = newElement; }
    void RemoveAt(POSITION position);
    POSITION InsertBefore(POSITION position, LPCWSTR newElement);
    POSITION InsertAfter(POSITION position, LPCWSTR newElement);
    // Exact, case-sensitive match after startAfter (from the head when null).
    POSITION Find(LPCWSTR searchValue, POSITION startAfter = nullptr) const;
    // The position of the zero-based index, null when out of range.
    POSITION FindIndex(INT_PTR nIndex) const;

private:
    struct Node : PositionTag {
        CString value;
        Node* next = nullptr;
        Node* prev = nullptr;
    };
    static POSITION Position(Node* node) { return node; }
    static Node* NodeAt(POSITION position) { return static_cast<Node*>(position); }
    Node* m_head = nullptr;
    Node* m_tail = nullptr;
    INT_PTR m_count = 0;
};
