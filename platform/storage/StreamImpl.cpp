#include "platform/storage/StorageObjects.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace tallix::cfb {

void OpenElement::leaveParent() {
  if (parent_) parent_->forget(key_);
  parent_ = nullptr;
}

StreamImpl::StreamImpl(StorageImpl* parent, const NameKey& key, Node* node, DWORD mode) : node_(node), mode_(mode) {
  parent_ = parent;
  key_ = key;
}

ULONG StreamImpl::Release() {
  if (--refs_) return refs_;
  if (parent_ && flushOnRelease_) parent_->flushDirect();
  leaveParent();
  delete this;
  return 0;
}

void StreamImpl::revertOpen() {
  node_ = nullptr;
  parent_ = nullptr;
}

HRESULT StreamImpl::Read(void* pv, ULONG cb, ULONG* pcbRead) {
  if (pcbRead) *pcbRead = 0;
  if (!node_) return STG_E_REVERTED;
  if (!pv && cb) return STG_E_INVALIDPOINTER;
  if (!modeReads(mode_)) return STG_E_ACCESSDENIED;
  const std::uint64_t size = node_->data ? node_->data->size : 0;
  const ULONG n = pos_ >= size ? 0 : ULONG(std::min<std::uint64_t>(cb, size - pos_));
  if (n) {
    if (const HRESULT hr = node_->data->read(pos_, pv, n); FAILED(hr)) return hr;
  }
  pos_ += n;
  if (pcbRead) *pcbRead = n;
  return S_OK;
}

HRESULT StreamImpl::makeWritable() {
  // The storage above may still see its parent's elements.
  if (parent_) {
    if (const HRESULT hr = parent_->prepareChange(); FAILED(hr)) return hr;
  }
  auto& data = node_->data;
  try {
    if (!data) {
      data = std::make_shared<StreamData>();
    } else if (data.use_count() > 1) {
      // Shared with another view (a transacted copy or the state last
      // written): this one gets its own bytes.
      auto copy = std::make_shared<StreamData>();
      copy->bytes.resize(std::size_t(data->size));
      copy->size = data->size;
      // The changed copy may take the old one's mini sectors.
      copy->miniGeneration = data->miniGeneration;
      copy->miniStart = data->miniStart;
      copy->miniCount = data->miniCount;
      if (const HRESULT hr = data->read(0, copy->bytes.data(), copy->bytes.size()); FAILED(hr)) return hr;
      data = std::move(copy);
    } else if (data->extent || data->view) {
      return data->load();
    }
  } catch (const std::bad_alloc&) {
    return STG_E_INSUFFICIENTMEMORY;
  }
  return S_OK;
}

void StreamImpl::changed() {
  flushOnRelease_ = true;
  if (parent_) parent_->markDirty();
}

HRESULT StreamImpl::Write(const void* pv, ULONG cb, ULONG* pcbWritten) {
  if (pcbWritten) *pcbWritten = 0;
  if (!node_) return STG_E_REVERTED;
  if (!pv && cb) return STG_E_INVALIDPOINTER;
  if (!modeWrites(mode_)) return STG_E_ACCESSDENIED;
  if (cb == 0) return S_OK;
  if (pos_ > kMaxStreamSize || cb > kMaxStreamSize - pos_) return STG_E_MEDIUMFULL;
  if (const HRESULT hr = makeWritable(); FAILED(hr)) return hr;
  StreamData& data = *node_->data;
  const std::uint64_t end = pos_ + cb;
  try {
    if (end > data.bytes.size()) {
      if (end > data.bytes.capacity()) data.bytes.reserve(std::size_t(std::max<std::uint64_t>(end, data.bytes.size() * 3 / 2)));
      data.bytes.resize(std::size_t(end));
    }
  } catch (const std::bad_alloc&) {
    return STG_E_INSUFFICIENTMEMORY;
  }
  std::memcpy(data.bytes.data() + pos_, pv, cb);
  data.size = std::max(data.size, end);
  pos_ = end;
  if (pcbWritten) *pcbWritten = cb;
  changed();
  return S_OK;
}

HRESULT StreamImpl::Seek(std::int64_t move, DWORD origin, std::uint64_t* newPosition) {
  if (!node_) return STG_E_REVERTED;
  std::int64_t base = 0;
  switch (origin) {
    case STREAM_SEEK_SET: base = 0; break;
    case STREAM_SEEK_CUR: base = std::int64_t(pos_); break;
    case STREAM_SEEK_END: base = std::int64_t(node_->data ? node_->data->size : 0); break;
    default: return STG_E_INVALIDFUNCTION;
  }
  if ((move < 0 && base + move < 0) || (move > 0 && move > INT64_MAX - base)) return STG_E_INVALIDFUNCTION;
  pos_ = std::uint64_t(base + move);
  if (newPosition) *newPosition = pos_;
  return S_OK;
}

HRESULT StreamImpl::SetSize(std::uint64_t newSize) {
  if (!node_) return STG_E_REVERTED;
  if (!modeWrites(mode_)) return STG_E_ACCESSDENIED;
  if (newSize > kMaxStreamSize) return STG_E_MEDIUMFULL;
  if (node_->data && node_->data->size == newSize) return S_OK;
  if (const HRESULT hr = makeWritable(); FAILED(hr)) return hr;
  try {
    node_->data->bytes.resize(std::size_t(newSize));
  } catch (const std::bad_alloc&) {
    return STG_E_INSUFFICIENTMEMORY;
  }
  node_->data->size = newSize;
  changed();
  return S_OK;
}

HRESULT StreamImpl::Commit(DWORD) {
  if (!node_) return STG_E_REVERTED;
  if (!flushOnRelease_ || !parent_) return S_OK;
  return parent_->flushDirect();
}

HRESULT StreamImpl::Revert() { return node_ ? S_OK : STG_E_REVERTED; }

HRESULT StreamImpl::Stat(STATSTG* out, DWORD grfStatFlag) {
  if (!out) return STG_E_INVALIDPOINTER;
  if (!node_) return STG_E_REVERTED;
  *out = STATSTG{};
  if (!(grfStatFlag & STATFLAG_NONAME)) out->pwcsName = nameToCaller(node_->name);
  out->type = STGTY_STREAM;
  out->cbSize = node_->data ? node_->data->size : 0;
  out->grfMode = mode_;
  return S_OK;
}

void StreamImpl::replaceData(std::shared_ptr<StreamData> data) {
  // Only for streams just created: their storage already made its change.
  node_->data = std::move(data);
  changed();
}

}  // namespace tallix::cfb
