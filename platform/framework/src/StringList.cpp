#include <framework/StringList.h>

IMPLEMENT_DYNAMIC(CStringList, CObject)

CString CStringList::RemoveHead() {
    CString value = m_head->value;
    RemoveAt(Position(m_head));
    return value;
}

CString CStringList::RemoveTail() {
    CString value = m_tail->value;
    RemoveAt(Position(m_tail));
    return value;
}

POSITION CStringList::AddHead(LPCWSTR newElement) {
    return m_head ? InsertBefore(Position(m_head), newElement) : AddTail(newElement);
}

POSITION CStringList::AddTail(LPCWSTR newElement) {
    Node* node = new Node;
    node->value = newElement;
    node->prev = m_tail;
    if (m_tail) m_tail->next = node; else m_head = node;
    m_tail = node;
    ++m_count;
    return Position(node);
}

void CStringList::AddTail(const CStringList* pNewList) {
    for (Node* node = pNewList->m_head; node != nullptr; node = node->next) AddTail(node->value);
}

void CStringList::RemoveAll() {
    for (Node* node = m_head; node != nullptr;) {
        Node* next = node->next;
        delete node;
        node = next;
    }
    m_head = m_tail = nullptr;
    m_count = 0;
}

CString& CStringList::GetNext(POSITION& rPosition) {
    Node* node = NodeAt(rPosition);
    rPosition = Position(node->next);
    return node->value;
}

const CString& CStringList::GetNext(POSITION& rPosition) const {
    Node* node = NodeAt(rPosition);
    rPosition = Position(node->next);
    return node->value;
}

CString& CStringList::GetPrev(POSITION& rPosition) {
    Node* node = NodeAt(rPosition);
    rPosition = Position(node->prev);
    return node->value;
}

const CString& CStringList::GetPrev(POSITION& rPosition) const {
    Node* node = NodeAt(rPosition);
    rPosition = Position(node->prev);
    return node->value;
}

void CStringList::RemoveAt(POSITION position) {
    Node* node = NodeAt(position);
    if (node->prev) node->prev->next = node->next; else m_head = node->next;
    if (node->next) node->next->prev = node->prev; else m_tail = node->prev;
    delete node;
    --m_count;
}

POSITION CStringList::InsertBefore(POSITION position, LPCWSTR newElement) {
    if (position == nullptr) return AddHead(newElement);
    Node* at = NodeAt(position);
    Node* node = new Node;
    node->value = newElement;
    node->next = at;
    node->prev = at->prev;
    if (at->prev) at->prev->next = node; else m_head = node;
    at->prev = node;
    ++m_count;
    return Position(node);
}

POSITION CStringList::InsertAfter(POSITION position, LPCWSTR newElement) {
    if (position == nullptr) return AddTail(newElement);
    Node* at = NodeAt(position);
    if (at == m_tail) return AddTail(newElement);
    return InsertBefore(Position(at->next), newElement);
}

POSITION CStringList::Find(LPCWSTR searchValue, POSITION startAfter) const {
    Node* node = startAfter ? NodeAt(startAfter)->next : m_head;
    for (; node != nullptr; node = node->next) {
        if (node->value == searchValue) return Position(node);
    }
    return nullptr;
}

POSITION CStringList::FindIndex(INT_PTR nIndex) const {
    if (nIndex < 0 || nIndex >= m_count) return nullptr;
    Node* node = m_head;
    while (nIndex-- > 0) node = node->next;
    return Position(node);
}
