#include "exchange/message_data.h"

#include <memory>

namespace exchange {

int32_t TRefCountedObject::QueryInterface(const TGUID& iid, void** object) {
  void* found = InterfaceFor(iid);
  if (object) *object = found;
  if (!found) return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

void* TRefCountedObject::InterfaceFor(const TGUID& iid) {
  return iid == IID_IInterface ? static_cast<IInterface*>(this) : nullptr;
}

int32_t TRefCountedObject::AddRef() { return RefCount.fetch_add(1) + 1; }

int32_t TRefCountedObject::Release() {
  int32_t left = RefCount.fetch_sub(1) - 1;
  if (left == 0) delete this;
  return left;
}

void* TMessageData::InterfaceFor(const TGUID& iid) {
  if (iid == IID_IMessageData) return static_cast<IMessageData*>(this);
  return TRefCountedObject::InterfaceFor(iid);
}

MessageRef NewMessage() {
  auto message = std::make_unique<TMessageData>();
  message->AfterConstruction();
  // From here on the reference count owns the object.
  return MessageRef(static_cast<IMessageData*>(message.release()));
}

}  // namespace exchange
