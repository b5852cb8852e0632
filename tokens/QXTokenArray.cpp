#include "tokens/QXTokenArray.h"

#include <algorithm>

void CQXTokenArray::Reserve() {
  if (m_elements.size() == m_elements.capacity()) m_elements.reserve(m_elements.capacity() + kGrowBy);
}

void CQXTokenArray::Add(DWORD value) {
  Reserve();
  m_elements.push_back(value);
}

void CQXTokenArray::InsertAt(int i, DWORD value) {
  Reserve();
  const size_t at = std::min(size_t(std::max(i, 0)), m_elements.size());
  m_elements.insert(m_elements.begin() + std::ptrdiff_t(at), value);
}

void CQXTokenArray::RemoveRange(int a, int b) {
  const int size = GetSize();
  int first = std::max(std::min(a, b), 0);
  int last = std::min(std::max(a, b), size - 1);
  if (first > last) return;
  m_elements.erase(m_elements.begin() + first, m_elements.begin() + last + 1);
}

void CQXTokenArray::RemoveAll() {
  m_elements.clear();
  m_elements.shrink_to_fit();
}
