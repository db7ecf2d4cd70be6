// A message for the exchange service: an ID and a storage of named values, reference-counted
// and held through interface references.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <utility>

#include "exchange/stream_storage.h"

namespace exchange {

struct TGUID {
  uint32_t D1;
  uint16_t D2, D3;
  uint8_t D4[8];
  bool operator==(const TGUID&) const = default;
};

constexpr int32_t S_OK = 0;
constexpr int32_t E_NOINTERFACE = static_cast<int32_t>(0x80004002u);

// The base reference-counting interface: query interface, add reference, release.
class IInterface {
 public:
  virtual int32_t QueryInterface(const TGUID& iid, void** object) = 0;
  virtual int32_t AddRef() = 0;
  virtual int32_t Release() = 0;

 protected:
  ~IInterface() = default;
};
constexpr TGUID IID_IInterface = {0x00000000, 0x0000, 0x0000,
                                  {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// Holds one reference to an interface; releases it when it goes.
template <class I>
class TInterfaceRef {
 public:
  TInterfaceRef() = default;
  TInterfaceRef(std::nullptr_t) {}
  explicit TInterfaceRef(I* raw) : ptr_(raw) {
    if (ptr_) ptr_->AddRef();
  }
  TInterfaceRef(const TInterfaceRef& other) : TInterfaceRef(other.ptr_) {}
  TInterfaceRef(TInterfaceRef&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  TInterfaceRef& operator=(TInterfaceRef other) noexcept {
    std::swap(ptr_, other.ptr_);
    return *this;
  }
  ~TInterfaceRef() {
    if (ptr_) ptr_->Release();
  }
  I* get() const { return ptr_; }
  I* operator->() const { return ptr_; }
  I& operator*() const { return *ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }

 private:
  I* ptr_ = nullptr;
};

// Objects answering to interfaces with an atomic reference count. The count starts at 1 while
// the object is being built, so references handed out meanwhile cannot destroy it.
class TRefCountedObject : public virtual IInterface {
 public:
  TRefCountedObject() = default;
  virtual ~TRefCountedObject() = default;
  TRefCountedObject(const TRefCountedObject&) = delete;
  TRefCountedObject& operator=(const TRefCountedObject&) = delete;

  int32_t QueryInterface(const TGUID& iid, void** object) override;
  int32_t AddRef() override;
  int32_t Release() override;
  // Construction is complete: drops the count held since the memory was obtained.
  void AfterConstruction() { RefCount.fetch_sub(1); }
  int32_t RefCountValue() const { return RefCount.load(); }

 protected:
  // Answers for the interfaces a subclass adds; the base answers IInterface.
  virtual void* InterfaceFor(const TGUID& iid);

 private:
  std::atomic<int32_t> RefCount{1};
};

class IMessageData : public virtual IInterface {
 public:
  virtual void GetID(std::string& value) = 0;
  // Borrowed: the message keeps ownership.
  virtual TStreamStorage& GetData() = 0;
  virtual void SetID(const std::string& value) = 0;

 protected:
  ~IMessageData() = default;
};
constexpr TGUID IID_IMessageData = {0x478D31BF, 0x75D2, 0x4EFF,
                                    {0x8B, 0xCA, 0xC7, 0x2F, 0x41, 0xA6, 0x19, 0x2E}};

using MessageRef = TInterfaceRef<IMessageData>;

class TMessageData final : public TRefCountedObject, public IMessageData {
 public:
  void GetID(std::string& value) override { value = ID; }
  TStreamStorage& GetData() override { return Data; }
  void SetID(const std::string& value) override { ID = value; }

 protected:
  void* InterfaceFor(const TGUID& iid) override;

 private:
  std::string ID;
  TStreamStorage Data;
};

// An empty message; the caller holds the only reference.
MessageRef NewMessage();

}  // namespace exchange
